// Output, the clock and process exit of the platform layer.
#include "platform/io.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "gtest/gtest.h"

namespace {

// Runs body with file descriptor 1 redirected to a pipe and returns what it wrote.
std::string Capture_stdout(const std::function<void()>& body) {
  fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) return "<pipe failed>";
  int saved = dup(1);
  dup2(fds[1], 1);
  close(fds[1]);
  body();
  Out_flush();
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string text;
  char chunk[256];
  ssize_t count;
  while ((count = read(fds[0], chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(count));
  close(fds[0]);
  return text;
}

TEST(Output, WritesTextAndSignedDecimals) {
  std::string text = Capture_stdout([] {
    Out("uciok \n");
    Out_int(0);
    Out(" ");
    Out_int(-905);
    Out(" ");
    Out_int(1234567890123LL);
    Out(" ");
    Out_int(INT64_MIN);
    Out(" ");
    Out_int(INT64_MAX);
  });
  EXPECT_EQ(text, "uciok \n0 -905 1234567890123 -9223372036854775808 9223372036854775807");
}

TEST(Output, SilentModeWritesNothing) {
  std::string text = Capture_stdout([] {
    out_silent = true;
    Out("info depth 1\n");
    Out_int(42);
    out_silent = false;
    Out("bestmove e2e4\n");
  });
  EXPECT_EQ(text, "bestmove e2e4\n");
}

TEST(Clock, CountsWallTimeNotProcessorTime) {
  int32_t start = Clock_ms();
  EXPECT_GE(start, 0);
  // Sleeping uses no processor time, so only a wall clock sees it.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  int32_t elapsed = Clock_ms() - start;
  EXPECT_GE(elapsed, 140);
  EXPECT_LT(elapsed, 5000);
}

[[noreturn]] void Exit_plus_40(int status) { _exit(status + 40); }

TEST(EngineExitDeathTest, EndsTheProcessWithTheStatus) {
  EXPECT_EXIT(Engine_exit(1), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(Engine_exit(0), ::testing::ExitedWithCode(0), "");
}

TEST(EngineExitDeathTest, CallsTheInstalledHandlerInstead) {
  EXPECT_EXIT(
      {
        engine_exit_handler = Exit_plus_40;
        Engine_exit(1);
      },
      ::testing::ExitedWithCode(41), "");
}

}  // namespace
