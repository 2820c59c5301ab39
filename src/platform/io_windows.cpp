// The platform layer for Windows: standard input read with ReadFile into the
// engine's own buffer, the input test of the console and pipe API, a wall
// clock from the performance counter, binary unbuffered output and exit.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/io.h"

bool out_silent = false;
void (*engine_exit_handler)(int status) = nullptr;

namespace {

constexpr int LINE_MAX_CHARS = LINE_CAPACITY - 1;  // 65,535
constexpr int READER_BUFFER = 4096;

constexpr int END_OF_INPUT = -1;
constexpr int READ_ERROR = -2;

// Window and mouse events are of no use to the engine; with them queued, a
// console would report input that no line read can consume.
constexpr DWORD WINDOW_AND_MOUSE_INPUT = ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT;  // 0x18
static_assert(WINDOW_AND_MOUSE_INPUT == 0x18, "console mode bits");

// --- Clock -------------------------------------------------------------------

int64_t Counter_now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int64_t Counter_frequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

// Taken while static data is initialised, before main runs.
const int64_t counter_frequency = Counter_frequency();
const int64_t process_start_counter = Counter_now();

// --- Standard input ----------------------------------------------------------

// Standard input is read in blocks into this buffer; bytes held here have left
// the operating system's pipe or console, so the input test counts them first.
struct T_Input_reader {
  HANDLE handle;
  bool handle_taken;
  int32_t next;  // first byte of buffer not yet handed out
  int32_t end;   // one past the last byte held
  char buffer[READER_BUFFER];
};

T_Input_reader standard_input;

HANDLE Input_handle() {
  if (!standard_input.handle_taken) {
    standard_input.handle = GetStdHandle(STD_INPUT_HANDLE);
    standard_input.handle_taken = true;
  }
  return standard_input.handle;
}

// Makes sure at least one byte is held. Returns 1, END_OF_INPUT or READ_ERROR.
int Fill(T_Input_reader* reader) {
  if (reader->next < reader->end) return 1;
  DWORD count = 0;
  if (!ReadFile(Input_handle(), reader->buffer, sizeof reader->buffer, &count, nullptr)) {
    // The writer closing its end of a pipe is the ordinary end of input.
    return GetLastError() == ERROR_BROKEN_PIPE ? END_OF_INPUT : READ_ERROR;
  }
  // Zero bytes: end of file, or Ctrl+Z at the start of a console line.
  if (count == 0) return END_OF_INPUT;
  reader->next = 0;
  reader->end = static_cast<int32_t>(count);
  return 1;
}

// The next byte (0..255) without taking it, or END_OF_INPUT / READ_ERROR.
int Peek_byte(T_Input_reader* reader) {
  int state = Fill(reader);
  if (state != 1) return state;
  return static_cast<unsigned char>(reader->buffer[reader->next]);
}

int Next_byte(T_Input_reader* reader) {
  int c = Peek_byte(reader);
  if (c >= 0) ++reader->next;
  return c;
}

// --- Input test --------------------------------------------------------------

struct T_Input_test {
  bool initialised;
  bool pipe;
  HANDLE handle;
};

T_Input_test input_test;

// Done once, at the first test: a standard input that is not a console is
// taken to be a pipe. A console stops queueing window and mouse events and
// drops the events queued so far.
void Input_test_init(T_Input_test* test) {
  test->initialised = true;
  test->handle = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  test->pipe = GetConsoleMode(test->handle, &mode) == 0;
  if (!test->pipe) {
    SetConsoleMode(test->handle, mode & ~WINDOW_AND_MOUSE_INPUT);
    FlushConsoleInputBuffer(test->handle);
  }
}

}  // namespace

// --- Interface ---------------------------------------------------------------

void Io_init() {
  // Binary mode: a line ends in a single LF on the wire, not CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  setvbuf(stdout, nullptr, _IONBF, 0);
  setvbuf(stdin, nullptr, _IONBF, 0);
}

bool Read_line(char* text) {
  T_Input_reader* reader = &standard_input;
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
      // The buffer is full: only the line end may follow, a CR LF pair included.
      if (c == '\r' && Peek_byte(reader) == '\n') {
        ++reader->next;
        break;
      }
      text[count] = '\0';
      return false;
    }
    text[count++] = static_cast<char>(c);
  }
  // Windows interfaces end their lines with CR LF.
  if (count > 0 && text[count - 1] == '\r') --count;
  text[count] = '\0';
  return true;
}

unsigned Input_available() {
  T_Input_test* test = &input_test;
  if (!test->initialised) Input_test_init(test);
  // Bytes already in the engine's own buffer are waiting input the operating
  // system no longer knows about.
  if (standard_input.next < standard_input.end) return static_cast<unsigned>(standard_input.end - standard_input.next);
  if (test->pipe) {
    DWORD available = 0;
    // A failure (for instance the writer has closed the pipe) counts as input
    // waiting: the read that follows then reports the end.
    if (!PeekNamedPipe(test->handle, nullptr, 0, nullptr, &available, nullptr)) return 1;
    return available;
  }
  // A single event (typically the key-up of the last key) is no input.
  DWORD events = 0;
  GetNumberOfConsoleInputEvents(test->handle, &events);
  return events > 1 ? events : 0;
}

int32_t Clock_ms() {
  // Split into whole seconds and the rest so that the product cannot overflow.
  int64_t ticks = Counter_now() - process_start_counter;
  int64_t seconds = ticks / counter_frequency;
  int64_t rest = ticks % counter_frequency;
  return static_cast<int32_t>(seconds * 1000 + rest * 1000 / counter_frequency);
}

void Out(const char* text) {
  if (out_silent) return;
  // _write goes straight to the handle (the stream is unbuffered anyway), so
  // each call is one write as long as the pipe takes it whole.
  size_t length = strlen(text);
  while (length > 0) {
    unsigned part = length > 0x40000000u ? 0x40000000u : static_cast<unsigned>(length);
    int written = _write(1, text, part);
    if (written <= 0) return;  // the reader has gone: nothing more can be delivered
    text += written;
    length -= static_cast<size_t>(written);
  }
}

void Out_int(int64_t value) {
  if (out_silent) return;
  // Formatted by hand: msvcrt's printf family does not know every 64-bit format.
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
  if (engine_exit_handler != nullptr) engine_exit_handler(status);
  // A handler must not return; if one does, the process still ends here.
  exit(status);
}
