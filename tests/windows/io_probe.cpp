// Test-only Windows program around the engine's platform layer. The Linux test
// driver (wine_tests.cpp) runs it under Wine, mostly behind relay.exe, feeds
// its standard input and compares what it prints.
//
// Usage: io_probe.exe lines | poll | clock | out | exit-handler | exit-plain
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/io.h"

namespace {

char line[LINE_CAPACITY];

// Prints each line read as "<length> [text]" (the text only when short), then
// "end" when the reader reports the end.
int Lines() {
  while (Read_line(line)) {
    int length = static_cast<int>(std::strlen(line));
    Out_int(length);
    if (length <= 40) {
      Out(" [");
      Out(line);
      Out("]");
    }
    Out("\n");
  }
  Out("end\n");
  return 0;
}

// Waits up to ten seconds for Input_available to reach at least minimum.
unsigned Wait_available(unsigned minimum) {
  unsigned available = 0;
  for (int i = 0; i < 1000; ++i) {
    available = Input_available();
    if (available >= minimum) return available;
    Sleep(10);
  }
  return available;
}

void Say(const char* label, int64_t value) {
  Out(label);
  Out(" ");
  Out_int(value);
  Out("\n");
}

void Read_and_echo() {
  if (Read_line(line)) {
    Out("[");
    Out(line);
    Out("]\n");
  } else {
    Out("read failed\n");
  }
}

// A dialogue with the driver: each printed line tells it what to send next.
int Poll() {
  Say("empty", Input_available());     // nothing sent yet
  Say("seen", Wait_available(1) > 0);  // driver sends "abc\n"
  Read_and_echo();
  // Driver sends "one\ntwo\n" in one write; once all 8 bytes are in the pipe,
  // one read takes them all into the engine's buffer.
  Say("pipe", Wait_available(8));
  Read_and_echo();
  Say("held", Input_available());  // "two\n" is in the buffer, the pipe is empty
  Read_and_echo();
  Say("drained", Input_available());
  Out("ready for a partial line\n");
  Say("partial", Wait_available(1) > 0);  // driver sends "sto", later "p\n"
  Read_and_echo();                        // waits for the rest of the line
  Out("ready for the end\n");
  Say("closed", Wait_available(1) > 0);  // driver closes the input
  Read_and_echo();
  return 0;
}

int Clock() {
  int32_t start = Clock_ms();
  Say("start in range", start >= 0 && start < 10000);
  int32_t previous = start;
  bool monotonic = true;
  for (int i = 0; i < 100000; ++i) {
    int32_t now = Clock_ms();
    if (now < previous) monotonic = false;
    previous = now;
  }
  Say("monotonic", monotonic);
  int32_t before = Clock_ms();
  Sleep(300);
  int32_t slept = Clock_ms() - before;
  Say("sleep in range", slept >= 280 && slept <= 3000);
  return 0;
}

int Output() {
  Out_int(0);
  Out(" ");
  Out_int(-1);
  Out(" ");
  Out_int(INT64_MIN);
  Out(" ");
  Out_int(INT64_MAX);
  Out(" ");
  Out_int(1234567890123);
  Out("\n");
  out_silent = true;
  Out("hidden\n");
  Out_int(99);
  out_silent = false;
  Out("uciok \n\nend\n");
  return 0;
}

[[noreturn]] void Exit_handler(int status) {
  Say("handler", status);
  ExitProcess(static_cast<UINT>(40 + status));
}

}  // namespace

int main(int argc, char** argv) {
  Io_init();
  if (argc < 2) return 2;
  const char* mode = argv[1];
  if (std::strcmp(mode, "lines") == 0) return Lines();
  if (std::strcmp(mode, "poll") == 0) return Poll();
  if (std::strcmp(mode, "clock") == 0) return Clock();
  if (std::strcmp(mode, "out") == 0) return Output();
  if (std::strcmp(mode, "exit-handler") == 0) {
    engine_exit_handler = Exit_handler;
    Engine_exit(3);
  }
  if (std::strcmp(mode, "exit-plain") == 0) Engine_exit(5);
  return 2;
}
