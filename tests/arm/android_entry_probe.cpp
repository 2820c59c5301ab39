// Checks the entry point of the static aarch64 build
// (src/platform/android_start_aarch64.cpp) under qemu-user, which has no
// seccomp of its own: a SIGSYS like the one Android's filter sends for a
// refused system call must make that call fail with ENOSYS instead of ending
// the process. Prints "ENOSYS" when it does.
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main() {
  siginfo_t info;
  std::memset(&info, 0, sizeof info);
  info.si_signo = SIGSYS;
  info.si_code = 1;  // SYS_SECCOMP
  // Queued to this thread, the signal arrives as this call returns, where a
  // filter's SIGSYS arrives in place of the refused call.
  long result = syscall(SYS_rt_tgsigqueueinfo, getpid(), gettid(), SIGSYS, &info);
  std::puts(result == -1 && errno == ENOSYS ? "ENOSYS" : "the refused call did not fail with ENOSYS");
  return 0;
}
