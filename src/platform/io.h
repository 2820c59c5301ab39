// The only interface to the operating system: the line reader, the input test
// used while searching, the clock, output and process exit.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int LINE_CAPACITY = 65536;  // 65,535 characters and the NUL

// Makes both standard streams unbuffered (the engine's own reader is used
// for input, so nothing is held in the C library's buffers).
void Io_init();

// Reads one line (without its line feed, and without a carriage return just
// before it) into text. Returns false at the end of input, on a read error,
// or when the line is longer than 65,535 characters.
bool Read_line(char* text);

// Nonzero when a line can be read without waiting for its first byte.
unsigned Input_available();

// Wall-clock milliseconds since the process started.
int32_t Clock_ms();

// Writes text to standard output. The pieces of a line are gathered and
// handed to the operating system together as soon as the line feed ending
// the line is written; Out_flush hands over a line not yet ended (done
// before the engine waits for input and when the process ends).
void Out(const char* text);
void Out_int(int64_t value);
void Out_flush();

// The platform's own write of bytes to standard output, whole unless the
// reader has gone.
void Write_standard_output(const char* bytes, size_t length);
// When set, Out and Out_int write nothing (used by the bench tool).
extern bool out_silent;

// Ends the process with the given status. Tests and fuzzers may install a
// handler that is called instead (it must not return normally).
[[noreturn]] void Engine_exit(int status);
extern void (*engine_exit_handler)(int status);
