// A whole UCI session in one input: the bytes are cut into lines the way the
// engine's line reader cuts standard input, and each line goes to the
// dispatcher in-process. Two rewrites keep one input in the milliseconds:
// every "go" line gets a move time appended (Fuzz_go_suffix), at most a few
// searches run per input, and "Hash value" sizes are capped.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/io.h"

namespace {

// The number of searches one input may start, and their move time: one
// iteration each, since this target is after the commands and their
// sequences (the FEN target searches deeper).
constexpr int MAX_SEARCHES = 4;
constexpr int MOVETIME_MS = 5;
constexpr long MAX_HASH_MEGABYTES = 4;

T_Bitboard position;
int64_t nodes_counter;

// Rewrites the line as the dispatcher should see it; false when it is dropped.
bool Rewrite(std::string& line, int* searches) {
  if (line.compare(0, 2, "go") == 0) {
    if (++*searches > MAX_SEARCHES) return false;
    // Go_command keeps 65,535 characters; the suffix must survive that cut.
    const std::string suffix = Fuzz_go_suffix(MOVETIME_MS);
    const size_t keep = LINE_CAPACITY - 1 - suffix.size();
    if (line.size() > keep) line.resize(keep);
    line += suffix;
    return true;
  }
  if (line.compare(0, 10, "setoption ") == 0) {
    const size_t found = line.find("Hash value ");
    if (found != std::string::npos) {
      const size_t value = found + std::strlen("Hash value ");
      if (std::strtol(line.c_str() + value, nullptr, 10) > MAX_HASH_MEGABYTES) {
        line.resize(value);
        line += std::to_string(MAX_HASH_MEGABYTES);
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_reset_engine();
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
    const bool alive = Fuzz_uci_command(text, &position, &nodes_counter);
    std::free(text);
    if (!alive) break;
    const std::string fault = Record_fault(position);
    if (!fault.empty()) Fuzz_fail("after \"" + line.substr(0, 200) + "\": " + fault, position);
  }
  return 0;
}
