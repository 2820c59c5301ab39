// A whole UCI session in one input: the bytes are cut into lines the way the
// engine's line reader cuts standard input, and each line goes to the
// dispatcher in-process. Every search is bounded by work, never by the clock,
// so that an input runs the same commands and the same searches each time:
// "go" lines lose their clocks and keep at most a small depth
// (Fuzz_go_line), a search that grows too large is stopped at its first input
// poll (Fuzz_bound_next_search), at most a few searches run per input, and
// "Hash value" sizes are capped.
//
// Built twice. fuzz_uci_session searches to SEARCH_DEPTH plies and starts each
// input from a fresh process's state. fuzz_uci_commands (SEARCH_DEPTH 0) is
// after the dispatcher and the set-up commands at thousands of inputs a
// second: it parses every "go" line but starts no iteration, starts each input
// as if "uci" had come first and drops further "uci" lines (each would map and
// clear a fresh megabyte of table), gives every "Hash value" the value -1
// (which the engine parses and ignores, so the table is never mapped anew),
// and skips inputs longer than MAX_INPUT_BYTES (a moves list of 65,535
// characters alone replays some 13,000 moves). What it leaves out,
// fuzz_uci_session covers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "uci/uci.h"

namespace {

constexpr int MAX_DEPTH = SEARCH_DEPTH;
constexpr size_t MAX_INPUT = MAX_INPUT_BYTES;
constexpr int MAX_SEARCHES = 4;
// The quiescence nodes after which a search stops at its next poll: a
// position rich in checks or captures ends there instead of running on.
constexpr int32_t MAX_QUIESCENCE_NODES = 20000;
constexpr bool SEARCHES = MAX_DEPTH > 0;
constexpr long MAX_HASH_MEGABYTES = 2;

T_Bitboard position;
int64_t nodes_counter;

// Rewrites the line as the dispatcher should see it; false when it is dropped.
bool Rewrite(std::string& line, int* searches) {
  if (!SEARCHES && line == "uci") return false;
  if (line.compare(0, 2, "go") == 0) {
    if (++*searches > MAX_SEARCHES) return false;
    line = Fuzz_go_line(line, MAX_DEPTH);
    return true;
  }
  if (line.compare(0, 10, "setoption ") == 0) {
    const size_t found = line.find("Hash value ");
    if (found != std::string::npos) {
      const size_t value = found + std::strlen("Hash value ");
      if (!SEARCHES) {
        line.resize(value);
        line += "-1";
      } else if (std::strtol(line.c_str() + value, nullptr, 10) > MAX_HASH_MEGABYTES) {
        line.resize(value);
        line += std::to_string(MAX_HASH_MEGABYTES);
      }
    }
  }
  return true;
}

// Every move the search made it took back: the board is the one it started
// from, and the material balance and the hash key it kept up to date are
// those of that board.
void Check_after_search(const T_Bitboard& before) {
  const std::string difference = Record_difference(before, position, true);
  if (!difference.empty()) Fuzz_fail("the search left a different " + difference, before);
  if (position.eval != Start_material(&position)) Fuzz_fail("the search left a different material balance", position);
  const uint64_t key = position.hash_key;
  Start_hash_key(&position);
  if (key != position.hash_key) Fuzz_fail("the search left a different hash key", position);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  Fuzz_init(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MAX_INPUT) return 0;
  Fuzz_reset_engine(!SEARCHES);
  std::memset(&position, 0, sizeof position);
  nodes_counter = 0;
  int searches = 0;

  size_t start = 0;
  while (start < size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + start, '\n', size - start));
    const size_t length = (end != nullptr ? static_cast<size_t>(end - data) : size) - start;
    // A line the reader cannot hold ends the session, like the end of input.
    if (length > LINE_CAPACITY - 1 + (length > 0 && data[start + length - 1] == '\r')) break;
    std::string line(reinterpret_cast<const char*>(data + start), length);
    start += length + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line.resize(std::strlen(line.c_str()));  // the engine sees the text up to a NUL byte
    if (!Rewrite(line, &searches)) continue;

    // An exact-size heap copy, so that reading past the line's end is caught.
    char* text = static_cast<char*>(std::malloc(line.size() + 1));
    std::memcpy(text, line.c_str(), line.size() + 1);
    const bool search = line.compare(0, 2, "go") == 0;
    if (search) Fuzz_bound_next_search(MAX_QUIESCENCE_NODES);
    const T_Bitboard before = position;
    const bool alive = Fuzz_uci_command(text, &position, &nodes_counter);
    std::free(text);
    if (!alive) break;
    const std::string fault = Record_fault(position);
    if (!fault.empty()) Fuzz_fail("after \"" + line.substr(0, 200) + "\": " + fault, position);
    if (search) Check_after_search(before);
  }
  return 0;
}
