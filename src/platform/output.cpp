// Standard output of the engine, the same on every platform: the pieces of a
// line (the replies are written a word or a number at a time) are gathered
// here and handed to the operating system as one write when the line ends.
// A search prints a few hundred lines, several thousand pieces; one system
// call per piece cost about 6% of the time of a short search, and a reader
// of the pipe sees the same lines at the same moments, since nothing is
// held back once its line is complete. The end of the process, which must
// hand over what is still held, is here too.
#include <cstdlib>
#include <cstring>

#include "platform/io.h"

bool out_silent = false;
void (*engine_exit_handler)(int status) = nullptr;

namespace {

// Longer than any line the engine writes but a very long "pv" or "info
// string"; a text that does not fit is written as it comes.
constexpr size_t OUT_CAPACITY = 4096;
char out_buffer[OUT_CAPACITY];
size_t out_length = 0;

// Whatever is held when the process ends normally (a last line without its
// line feed) still goes out; the buffer is plain static data, alive until then.
const int flush_registered = std::atexit(Out_flush);

}  // namespace

void Out_flush() {
  if (out_length == 0) return;
  const size_t length = out_length;
  out_length = 0;
  Write_standard_output(out_buffer, length);
}

void Out(const char* text) {
  if (out_silent) return;
  const size_t length = std::strlen(text);
  if (out_length + length > OUT_CAPACITY) {
    Out_flush();
    if (length > OUT_CAPACITY) {
      Write_standard_output(text, length);
      return;
    }
  }
  std::memcpy(out_buffer + out_length, text, length);
  out_length += length;
  if (std::memchr(text, '\n', length) != nullptr) Out_flush();
}

void Out_int(int64_t value) {
  if (out_silent) return;
  // Formatted by hand, the same with every runtime library.
  char digits[24];
  char* p = digits + sizeof digits;
  *--p = '\0';
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  Out(p);
}

void Engine_exit(int status) {
  Out_flush();
  if (engine_exit_handler != nullptr) engine_exit_handler(status);
  // A handler must not return; if one does, the process still ends here.
  std::exit(status);
}
