// The platform layer for Windows: standard input read with ReadFile into the
// engine's own buffer, the input test of the console and pipe API, a wall
// clock from the performance counter and binary output.
//
// A pipe that PeekNamedPipe cannot test (under Wine, a pipe from a Linux
// process) is read ahead by a second thread of this file alone; the rest of
// the engine still sees one thread that reads and polls its input.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/input_buffer.h"
#include "platform/io.h"

namespace {

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
T_Input_buffer standard_input;

struct T_Input_handle {
  HANDLE handle;
  bool taken;
};
T_Input_handle input_handle;

HANDLE Input_handle() {
  if (!input_handle.taken) {
    input_handle.handle = GetStdHandle(STD_INPUT_HANDLE);
    input_handle.taken = true;
  }
  return input_handle.handle;
}

// One ReadFile of up to size bytes. Returns the count read (at least 1),
// END_OF_INPUT or READ_ERROR.
int Read_block(HANDLE handle, char* block, DWORD size) {
  DWORD count = 0;
  if (!ReadFile(handle, block, size, &count, nullptr)) {
    // The writer closing its end of a pipe is the ordinary end of input.
    return GetLastError() == ERROR_BROKEN_PIPE ? END_OF_INPUT : READ_ERROR;
  }
  // Zero bytes: end of file, or Ctrl+Z at the start of a console line.
  if (count == 0) return END_OF_INPUT;
  return static_cast<int>(count);
}

// --- Read-ahead of a pipe that cannot be peeked ------------------------------

// Under Wine, a pipe from a Linux process fails PeekNamedPipe with
// ERROR_NOT_SUPPORTED, and no other call (GetNamedPipeInfo, a wait on the
// handle, NtQueryInformationFile) tells without blocking whether it holds
// data. For such a handle a thread reads ahead into this ring; the line
// reader then takes its bytes from the ring, and the input test counts them.
// The ring is bounded: when it is full the thread waits, and the writer's
// pipe fills as it would if nobody read ahead.
constexpr int32_t READ_AHEAD_CAPACITY = 1 << 16;
constexpr int READ_AHEAD_OPEN = 1;  // input may still follow

struct T_Read_ahead {
  bool started;  // only touched by the engine's thread
  HANDLE handle;
  CRITICAL_SECTION lock;  // guards first, count, state and the ring
  HANDLE bytes_added;     // auto-reset, set by the thread after adding bytes or the end
  HANDLE bytes_taken;     // auto-reset, set by the engine after taking bytes
  int32_t first;          // oldest byte of the ring
  int32_t count;          // bytes held
  int state;              // READ_AHEAD_OPEN, then END_OF_INPUT or READ_ERROR once reached
  char ring[READ_AHEAD_CAPACITY];
};

T_Read_ahead read_ahead;

DWORD WINAPI Read_ahead_thread(void* argument) {
  T_Read_ahead* ahead = static_cast<T_Read_ahead*>(argument);
  char block[INPUT_BUFFER_BYTES];
  for (;;) {
    int got = Read_block(ahead->handle, block, sizeof block);
    int done = 0;
    while (done < got) {
      EnterCriticalSection(&ahead->lock);
      int32_t part = READ_AHEAD_CAPACITY - ahead->count;
      if (part > got - done) part = got - done;
      for (int32_t i = 0; i < part; ++i)
        ahead->ring[(ahead->first + ahead->count + i) % READ_AHEAD_CAPACITY] = block[done + i];
      ahead->count += part;
      LeaveCriticalSection(&ahead->lock);
      if (part > 0) {
        SetEvent(ahead->bytes_added);
        done += part;
      } else {
        // Full: the engine sets the event after it has taken bytes (perhaps
        // already, then the wait returns at once).
        WaitForSingleObject(ahead->bytes_taken, INFINITE);
      }
    }
    if (got < 0) {
      EnterCriticalSection(&ahead->lock);
      ahead->state = got;
      LeaveCriticalSection(&ahead->lock);
      SetEvent(ahead->bytes_added);
      return 0;
    }
  }
}

// Starts the thread on handle. False when Windows cannot give it its events
// or the thread; the input then stays with the engine's thread alone.
bool Read_ahead_start(HANDLE handle) {
  T_Read_ahead* ahead = &read_ahead;
  ahead->handle = handle;
  ahead->first = 0;
  ahead->count = 0;
  ahead->state = READ_AHEAD_OPEN;
  InitializeCriticalSection(&ahead->lock);
  ahead->bytes_added = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ahead->bytes_taken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE thread = nullptr;
  if (ahead->bytes_added != nullptr && ahead->bytes_taken != nullptr)
    thread = CreateThread(nullptr, 0, Read_ahead_thread, ahead, 0, nullptr);
  if (thread == nullptr) {
    if (ahead->bytes_added != nullptr) CloseHandle(ahead->bytes_added);
    if (ahead->bytes_taken != nullptr) CloseHandle(ahead->bytes_taken);
    DeleteCriticalSection(&ahead->lock);
    return false;
  }
  CloseHandle(thread);
  ahead->started = true;
  return true;
}

// Bytes held in the ring; once the end has been reached and every byte taken, 1
// (the next read reports the end without waiting).
unsigned Read_ahead_available() {
  T_Read_ahead* ahead = &read_ahead;
  EnterCriticalSection(&ahead->lock);
  unsigned available = static_cast<unsigned>(ahead->count);
  if (available == 0 && ahead->state != READ_AHEAD_OPEN) available = 1;
  LeaveCriticalSection(&ahead->lock);
  return available;
}

// Moves up to size bytes from the ring into block, waiting until there is at
// least one or the end has been reached. Returns the count, END_OF_INPUT or
// READ_ERROR.
int Read_ahead_take(char* block, int32_t size) {
  T_Read_ahead* ahead = &read_ahead;
  EnterCriticalSection(&ahead->lock);
  while (ahead->count == 0 && ahead->state == READ_AHEAD_OPEN) {
    LeaveCriticalSection(&ahead->lock);
    WaitForSingleObject(ahead->bytes_added, INFINITE);
    EnterCriticalSection(&ahead->lock);
  }
  if (ahead->count == 0) {
    int state = ahead->state;
    LeaveCriticalSection(&ahead->lock);
    return state;
  }
  int32_t taken = ahead->count < size ? ahead->count : size;
  for (int32_t i = 0; i < taken; ++i) block[i] = ahead->ring[(ahead->first + i) % READ_AHEAD_CAPACITY];
  ahead->first = (ahead->first + taken) % READ_AHEAD_CAPACITY;
  ahead->count -= taken;
  LeaveCriticalSection(&ahead->lock);
  SetEvent(ahead->bytes_taken);
  return taken;
}

// One block of standard input: from the read-ahead ring once that has
// started, else one ReadFile.
int Read_input_block(char* block, int size) {
  return read_ahead.started ? Read_ahead_take(block, size)
                            : Read_block(Input_handle(), block, static_cast<DWORD>(size));
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

bool Read_line(char* text) { return Read_line_from(standard_input, text, Read_input_block); }

unsigned Input_available() {
  T_Input_test* test = &input_test;
  if (!test->initialised) Input_test_init(test);
  // Bytes already in the engine's own buffer are waiting input the operating
  // system no longer knows about.
  if (const unsigned held = Input_buffer_held(standard_input)) return held;
  if (read_ahead.started) return Read_ahead_available();
  if (test->pipe) {
    DWORD available = 0;
    if (PeekNamedPipe(test->handle, nullptr, 0, nullptr, &available, nullptr)) return available;
    // The writer has gone, or standard input is a file: the read that follows
    // does not wait (it reports the end or reads the file), so this counts as
    // input waiting.
    DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) return 1;
    if (GetFileType(test->handle) == FILE_TYPE_DISK) return 1;
    // A pipe (or device) that cannot be peeked: from now on it is read ahead.
    // Should that fail, a read is tried as before and may wait for its line.
    if (!Read_ahead_start(test->handle)) return 1;
    return Read_ahead_available();
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

void Write_standard_output(const char* bytes, size_t length) {
  // _write goes straight to the handle (the stream is unbuffered), so each
  // call is one write as long as the pipe takes it whole.
  while (length > 0) {
    unsigned part = length > 0x40000000u ? 0x40000000u : static_cast<unsigned>(length);
    int written = _write(1, bytes, part);
    if (written <= 0) return;  // the reader has gone: nothing more can be delivered
    bytes += written;
    length -= static_cast<size_t>(written);
  }
}
