// Shared by the fuzz targets: a scratch working directory, an exit handler
// that hands control back to the harness instead of ending the process, a
// reset of the engine's process-wide state between inputs, and a check of
// the position record's invariants.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/bitboard.h"

// Once per process: moves into a fresh temporary directory (the engine reads
// and writes its files in the working directory), points standard input at
// /dev/null (the search polls it), silences output, installs the exit
// handler and fills the Zobrist keys.
void Fuzz_init();

// Puts every piece of process-wide engine state back to a fixed starting
// point (no table, default weights, empty search tables, no dump file), so
// that an input behaves the same whichever inputs ran before it.
void Fuzz_reset_engine();

// The text appended to every "go" a target sends: " 0 movetime N". A
// keyword at the end of the original line that wants a value swallows the
// "0"; the later movetime wins over any earlier one, overrides the clocks and
// the depth, and makes the search stop after an iteration longer than N ms
// (or at the hard limit of 50 N ms inside one; below 10 ms only the first
// iteration runs). N is default_milliseconds unless the environment sets
// FUZZ_MOVETIME_MS (1 to 1000).
std::string Fuzz_go_suffix(int default_milliseconds);

// Runs one command line through the dispatcher. Returns false when the
// command ended the engine ("quit", a failure of the table's memory), which
// the real program would not survive: the caller stops feeding lines then.
bool Fuzz_uci_command(const char* line, T_Bitboard* position, int64_t* nodes_counter);

// Empty when the record is consistent: the colour unions and the union of
// all pieces match the per-piece sets, the piece sets of one colour and the
// two colours are disjoint, and both square maps name exactly the pieces of
// the sets. Otherwise a description of the first fault found.
std::string Record_fault(const T_Bitboard& position);

// Empty when every field of the two records is equal, otherwise the name of
// the first field that differs. With board_only, hash_key and eval (which the
// search recomputes) are left out.
std::string Record_difference(const T_Bitboard& expected, const T_Bitboard& actual, bool board_only = false);

// Prints the message and the record, then aborts: libFuzzer keeps the input.
[[noreturn]] void Fuzz_fail(const std::string& message, const T_Bitboard& position);
