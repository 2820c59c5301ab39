// The platform layer for POSIX systems: standard input read with read(2) and
// tested with poll(2), the monotonic clock and output with write(2).
#include <errno.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "platform/io.h"
#include "platform/line_reader.h"

namespace {

int64_t Monotonic_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Taken while static data is initialised, before main runs.
const int64_t process_start_ms = Monotonic_ms();

// Standard input; all zero, which is a reader on fd 0 holding nothing.
T_Line_reader standard_input;

// One read(2) of up to size bytes from fd: the count read (at least 1),
// END_OF_INPUT or READ_ERROR. An interrupted read is made again.
int Read_block(int fd, char* block, int size) {
  for (;;) {
    const ssize_t count = read(fd, block, static_cast<size_t>(size));
    if (count > 0) return static_cast<int>(count);
    if (count == 0) return END_OF_INPUT;
    if (errno != EINTR) return READ_ERROR;
  }
}

}  // namespace

void Line_reader_init(T_Line_reader* reader, int fd) {
  reader->fd = fd;
  reader->held.next = 0;
  reader->held.end = 0;
}

bool Line_reader_read(T_Line_reader* reader, char* text) {
  const int fd = reader->fd;
  return Read_line_from(reader->held, text, [fd](char* block, int size) { return Read_block(fd, block, size); });
}

unsigned Line_reader_available(T_Line_reader* reader) {
  if (const unsigned held = Input_buffer_held(reader->held)) return held;
  pollfd request;
  request.fd = reader->fd;
  request.events = POLLIN;
  request.revents = 0;
  int ready;
  do {
    ready = poll(&request, 1, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return 1;
  if (ready == 0) return 0;
  if (request.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) return 1;
  return 0;
}

void Io_init() {
  setvbuf(stdout, nullptr, _IOLBF, 4096);
  setvbuf(stdin, nullptr, _IONBF, 0);
}

bool Read_line(char* text) { return Line_reader_read(&standard_input, text); }

unsigned Input_available() { return Line_reader_available(&standard_input); }

int32_t Clock_ms() { return static_cast<int32_t>(Monotonic_ms() - process_start_ms); }

void Write_standard_output(const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t written = write(1, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // the reader has gone: nothing more can be delivered
    bytes += written;
    length -= static_cast<size_t>(written);
  }
}
