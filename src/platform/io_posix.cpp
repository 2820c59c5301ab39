// The platform layer for POSIX systems: standard input read with read(2) and
// tested with poll(2), the monotonic clock, output with write(2) and exit.
#include <errno.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/io.h"
#include "platform/line_reader.h"

void (*engine_exit_handler)(int status) = nullptr;

namespace {

constexpr int END_OF_INPUT = -1;
constexpr int READ_ERROR = -2;

int64_t Monotonic_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Taken while static data is initialised, before main runs.
const int64_t process_start_ms = Monotonic_ms();

// Standard input; all zero, which is a reader on fd 0 holding nothing.
T_Line_reader standard_input;

// Makes sure at least one byte is held. Returns 1, END_OF_INPUT or READ_ERROR.
int Fill(T_Line_reader* reader) {
  if (reader->next < reader->end) return 1;
  // The read may wait: whatever was written must be out first.
  Out_flush();
  for (;;) {
    ssize_t count = read(reader->fd, reader->buffer, sizeof reader->buffer);
    if (count > 0) {
      reader->next = 0;
      reader->end = static_cast<int32_t>(count);
      return 1;
    }
    if (count == 0) return END_OF_INPUT;
    if (errno != EINTR) return READ_ERROR;
  }
}

// The next byte (0..255) without taking it, or END_OF_INPUT / READ_ERROR.
int Peek_byte(T_Line_reader* reader) {
  int state = Fill(reader);
  if (state != 1) return state;
  return static_cast<unsigned char>(reader->buffer[reader->next]);
}

int Next_byte(T_Line_reader* reader) {
  int c = Peek_byte(reader);
  if (c >= 0) ++reader->next;
  return c;
}

}  // namespace

void Line_reader_init(T_Line_reader* reader, int fd) {
  reader->fd = fd;
  reader->next = 0;
  reader->end = 0;
}

bool Line_reader_read(T_Line_reader* reader, char* text) {
  int count = 0;
  for (;;) {
    int c = Next_byte(reader);
    if (c == READ_ERROR) {
      text[count] = '\0';
      return false;
    }
    if (c == END_OF_INPUT) {
      // A last line without a line feed is still a line (its line end below
      // included); nothing at all is the end.
      if (count == 0) {
        text[0] = '\0';
        return false;
      }
      break;
    }
    if (c == '\n') break;
    if (count == LINE_MAX_CHARS) {
      // The buffer is full: only the line end may follow. A CR LF pair still
      // ends the line, since the CR would be removed anyway.
      if (c == '\r' && Peek_byte(reader) == '\n') {
        ++reader->next;
        break;
      }
      text[count] = '\0';
      return false;
    }
    text[count++] = static_cast<char>(c);
  }
  // Interfaces on Windows end their lines with CR LF.
  if (count > 0 && text[count - 1] == '\r') --count;
  text[count] = '\0';
  return true;
}

unsigned Line_reader_available(T_Line_reader* reader) {
  if (reader->next < reader->end) return static_cast<unsigned>(reader->end - reader->next);
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

void Engine_exit(int status) {
  Out_flush();
  if (engine_exit_handler != nullptr) engine_exit_handler(status);
  // A handler must not return; if one does, the process still ends here.
  exit(status);
}
