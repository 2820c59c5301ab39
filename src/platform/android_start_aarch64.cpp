// Entry point of the static 64-bit ARM Linux build, so that it also runs on
// Android.
//
// Android runs the child processes of an app (a chess GUI's engine) under a
// seccomp filter that allows only the system calls of its own C library and
// answers any other with SIGSYS, which ends the process. The GNU C library's
// start-up code makes two such calls before main, set_robust_list and rseq;
// it needs neither and carries on when they fail with ENOSYS. This entry point
// runs first: it installs a SIGSYS handler that turns a refused call into that
// failure, then jumps to the C library's own entry point (_start). Where no
// filter refuses a call (any other Linux system) the handler never runs.
#include <asm/unistd.h>
#include <signal.h>
#include <ucontext.h>

#include <cerrno>
#include <cstdint>

namespace {

// The kernel's si_code of a SIGSYS sent by a seccomp filter (SYS_SECCOMP).
constexpr int SECCOMP_TRAP_CODE = 1;

// The numbers written into the entry point below.
static_assert(SIGSYS == 31, "SIGSYS");
static_assert(SA_SIGINFO == 4, "SA_SIGINFO");
static_assert(__NR_rt_sigaction == 134, "rt_sigaction");

}  // namespace

// Runs in place of a refused call: the call's result register becomes -ENOSYS.
static void Refused_call_fails(int, siginfo_t* info, void* context) __asm__("tavox_refused_call_fails")
    __attribute__((used));

void Refused_call_fails(int, siginfo_t* info, void* context) {
  if (info->si_code == SECCOMP_TRAP_CODE) {
    static_cast<ucontext_t*>(context)->uc_mcontext.regs[0] = static_cast<uint64_t>(-ENOSYS);
    return;
  }
  // Any other SIGSYS ends the process, as it would without this handler.
  signal(SIGSYS, SIG_DFL);
  raise(SIGSYS);
}

// The process starts here (linked with -e tavox_start). Nothing is relocated
// yet, so everything is addressed relative to the program counter; x0 (a
// function for atexit, from the kernel) and sp (argc, argv, ...) reach _start
// unchanged. The kernel's sigaction record: handler, flags, restorer, mask.
__asm__(
    ".text\n"
    ".p2align 2\n"
    ".globl tavox_start\n"
    ".type tavox_start, %function\n"
    "tavox_start:\n"
    "  mov x9, x0\n"
    "  sub sp, sp, #32\n"
    "  adrp x10, tavox_refused_call_fails\n"
    "  add x10, x10, :lo12:tavox_refused_call_fails\n"
    "  mov x11, #4\n"  // SA_SIGINFO
    "  stp x10, x11, [sp]\n"
    "  stp xzr, xzr, [sp, #16]\n"
    "  mov x0, #31\n"  // SIGSYS
    "  mov x1, sp\n"
    "  mov x2, #0\n"
    "  mov x3, #8\n"    // size of the kernel's signal mask
    "  mov x8, #134\n"  // rt_sigaction
    "  svc #0\n"
    "  add sp, sp, #32\n"
    "  mov x0, x9\n"
    "  b _start\n"
    ".size tavox_start, .-tavox_start\n");
