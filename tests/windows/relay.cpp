// Test-only relay: starts a Windows program with a real Windows anonymous pipe
// (CreatePipe) as its standard input and copies the relay's own standard input
// into that pipe.
//
// Under Wine, a program whose standard input is a Linux pipe gets a handle on
// which PeekNamedPipe fails (the engine then reads it ahead on a thread).
// Behind this relay it sees the same kind of pipe a Windows GUI gives it, so
// the engine's PeekNamedPipe path is exercised.
//
// Usage: relay.exe PROGRAM.exe [ARGUMENT]
// Standard output and error are handed to the program unchanged. At the end of
// the relay's input the pipe is closed, so the program sees its input end. The
// relay ends as soon as the program ends, with the program's exit status.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HANDLE pipe_write = nullptr;

// Copies the relay's standard input into the pipe until either side ends.
DWORD WINAPI Copy_input(void*) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    DWORD done = 0;
    while (done < got) {
      DWORD written = 0;
      if (!WriteFile(pipe_write, buffer + done, got - done, &written, nullptr)) {
        // The program has closed its input (or ended): nothing more to deliver.
        CloseHandle(pipe_write);
        return 0;
      }
      done += written;
    }
  }
  CloseHandle(pipe_write);
  return 0;
}

// The handle as an inheritable duplicate, for the child's standard streams.
HANDLE Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: relay PROGRAM.exe [ARGUMENT]\n", stderr);
    return 2;
  }

  SECURITY_ATTRIBUTES inherit;
  inherit.nLength = sizeof inherit;
  inherit.lpSecurityDescriptor = nullptr;
  inherit.bInheritHandle = TRUE;
  HANDLE pipe_read = nullptr;
  if (!CreatePipe(&pipe_read, &pipe_write, &inherit, 0)) {
    std::fprintf(stderr, "relay: CreatePipe failed (%lu)\n", GetLastError());
    return 2;
  }
  // Only the reading end goes to the child; a child holding the writing end
  // would never see its input end.
  SetHandleInformation(pipe_write, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = pipe_read;
  startup.hStdOutput = Inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  startup.hStdError = Inheritable(GetStdHandle(STD_ERROR_HANDLE));

  std::string command = "\"" + std::string(argv[1]) + "\"";
  for (int i = 2; i < argc; ++i) command += " \"" + std::string(argv[i]) + "\"";

  // Under a busy Wine, starting a process now and then fails with an internal
  // error (1359) and succeeds when tried again: a few tries, a little apart.
  PROCESS_INFORMATION process;
  constexpr int START_TRIES = 5;
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessA(argv[1], &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) break;
    DWORD error = GetLastError();
    if (attempt == START_TRIES || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      std::fprintf(stderr, "relay: cannot start %s (%lu)\n", argv[1], error);
      return 2;
    }
    std::fprintf(stderr, "relay: starting %s failed (%lu), trying again\n", argv[1], error);
    Sleep(100 * attempt);
  }
  // The child has its own copies now.
  CloseHandle(pipe_read);
  if (startup.hStdOutput != nullptr) CloseHandle(startup.hStdOutput);
  if (startup.hStdError != nullptr) CloseHandle(startup.hStdError);
  CloseHandle(process.hThread);

  HANDLE copier = CreateThread(nullptr, 0, Copy_input, nullptr, 0, nullptr);
  if (copier == nullptr) {
    std::fprintf(stderr, "relay: CreateThread failed (%lu)\n", GetLastError());
    TerminateProcess(process.hProcess, 2);
    return 2;
  }

  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 2;
  GetExitCodeProcess(process.hProcess, &status);
  // The copier may still wait for input that will never be needed.
  ExitProcess(status);
}
