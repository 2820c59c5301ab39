// Shared by the fuzz targets: a scratch working directory, an exit handler
// that hands control back to the harness instead of ending the process, a
// reset of the engine's process-wide state between inputs, searches bounded
// by work instead of the clock, and a check of the position record's
// invariants.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/bitboard.h"

// Once per process, from LLVMFuzzerInitialize (which runs before libFuzzer
// reads its arguments): makes the relative paths among the arguments absolute
// and gives a run without -artifact_prefix the working directory as its
// prefix, then moves into a fresh temporary directory, in memory when
// /dev/shm exists (the engine reads and writes its files in the working
// directory), so that "./fuzz_x crash-file" and the corpus and artifact paths
// still mean what they meant where the target was started. Then makes
// standard input a pipe that only the harness writes to (the search polls
// it), silences output, installs the exit handler and fills the Zobrist keys.
void Fuzz_init(int* argc, char*** argv);

// Puts every piece of process-wide engine state back to a fixed starting
// point (default weights, empty search tables, no dump file, and no table or,
// with default_table, an empty table of the default size as "uci" leaves it),
// so that an input behaves the same whichever inputs ran before it. A target
// that never searches writes nothing into the table, so it keeps one table
// from input to input instead of mapping and clearing a megabyte each time.
void Fuzz_reset_engine(bool default_table = false);

// Rewrites a "go" line so that its search is bounded by work alone: the
// clocks and the move time are set back to "none" (a value of -1000 ms reads
// as the engine's -1 s), and the depth becomes the line's own last "depth"
// value held to 0..max_depth (1 when the line has none, as the engine does).
// The other tokens stay, so the keyword parser still sees what the fuzzer
// wrote; a keyword at the end of the line that wants a value swallows an
// appended "0". An "infinite" keeps its meaning (50 iterations), which leaves
// the search to the node bound of Fuzz_bound_next_search, except with a
// max_depth of 0: a line that must start no search loses it ("Infinite"). The
// result fits the engine's line capacity.
std::string Fuzz_go_line(const std::string& line, int max_depth);

// Bounds the next search by work: its first input poll finds a "stop"
// waiting, and its quiescence search polls after at most `nodes` nodes (the
// horizon polls every 50,001 of its calls on its own). Call it right before
// each "go".
void Fuzz_bound_next_search(int32_t nodes);

// Defined next to the quiescence search: its first poll after this call
// comes after `nodes` further quiescence nodes.
void Fuzz_quiescence_poll_after(int32_t nodes);

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
