// Command lines that arrive while a search runs. The poll reads them so that
// it can act on "stop" and "quit" at once; every other line is kept here, in
// arrival order, and the command loop runs the kept lines after "bestmove"
// before it reads standard input again, as if they had arrived then.
#pragma once
#include <cstdint>

#include "platform/io.h"

// Bytes of text kept at most (each line with its NUL): at least sixteen lines
// of the maximum length, thousands of ordinary commands.
constexpr int32_t KEPT_LINES_CAPACITY = 1 << 20;

// True when a line of any length (up to 65,535 characters) can still be kept.
// The poll reads no line while this is false, so the lines behind stay unread
// in the input, in order, until the command loop reads them: none is lost.
bool Kept_lines_have_room();

// Appends one line. Returns false, keeping nothing, when it does not fit.
bool Kept_lines_add(const char* line);

// True when no kept line waits.
bool Kept_lines_empty();

// The input ended (or a line was too long) during a search: once the kept
// lines have run, the command loop ends as it would have on reading it.
void Kept_lines_mark_end();
bool Kept_lines_ended();

// The next line for the command loop: the oldest kept line, otherwise a line
// read from standard input. False at the end of input, or when a search saw
// the end and no kept line is left.
bool Next_command_line(char* text);

// Empties the store and forgets a seen end (for tests and fuzzers).
void Kept_lines_clear();
