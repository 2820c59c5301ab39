#include "engine_process.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Longest a send may wait for the child to take its input.
constexpr int SEND_TIMEOUT_MS = 30000;

int Remove_entry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void Close_fd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

int Remaining(long long deadline) {
  long long left = deadline - Now_ms();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

int Decode_status(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return STATUS_SIGNAL_BASE + WTERMSIG(raw);
  return STATUS_NOT_STARTED;
}

}  // namespace

long long Now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Engine_process::Engine_process(const std::string& program, const std::vector<std::string>& arguments) {
  // A child that stops reading must not kill the test with SIGPIPE; writes then fail with EPIPE.
  signal(SIGPIPE, SIG_IGN);

  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/engine_e2e_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) return;
  directory_ = name.data();

  char resolved[PATH_MAX];
  if (realpath(program.c_str(), resolved) == nullptr) return;

  // Everything the child needs is prepared before fork: after it, only
  // async-signal-safe calls are made.
  std::vector<std::string> words;
  words.push_back(resolved);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int to_child[2];
  int from_child[2];
  if (pipe2(to_child, O_CLOEXEC) != 0) return;
  if (pipe2(from_child, O_CLOEXEC) != 0) {
    close(to_child[0]);
    close(to_child[1]);
    return;
  }

  pid_t child = fork();
  if (child == 0) {
    if (chdir(directory_.c_str()) != 0) _exit(127);
    if (dup2(to_child[0], 0) < 0 || dup2(from_child[1], 1) < 0) _exit(127);
    signal(SIGPIPE, SIG_DFL);  // an ignored signal would stay ignored across exec
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  if (child < 0) {
    close(to_child[1]);
    close(from_child[0]);
    return;
  }
  pid_ = child;
  input_fd_ = to_child[1];
  output_fd_ = from_child[0];
  fcntl(input_fd_, F_SETFL, fcntl(input_fd_, F_GETFL) | O_NONBLOCK);
}

Engine_process::~Engine_process() {
  Close_fd(&input_fd_);
  if (pid_ > 0 && !reaped_) kill_now();
  Close_fd(&output_fd_);
  if (!directory_.empty()) nftw(directory_.c_str(), Remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

bool Engine_process::write_file(const std::string& name, const std::string& contents) const {
  std::ofstream file(path(name), std::ios::binary | std::ios::trunc);
  file << contents;
  return static_cast<bool>(file);
}

bool Engine_process::read_file(const std::string& name, std::string* contents) const {
  std::ifstream file(path(name), std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  *contents = text.str();
  return true;
}

bool Engine_process::file_exists(const std::string& name) const {
  struct stat info;
  return stat(path(name).c_str(), &info) == 0;
}

bool Engine_process::send(const std::string& bytes) {
  if (input_fd_ < 0) return false;
  size_t written = 0;
  long long deadline = Now_ms() + SEND_TIMEOUT_MS;
  while (written < bytes.size()) {
    ssize_t count = write(input_fd_, bytes.data() + written, bytes.size() - written);
    if (count > 0) {
      written += static_cast<size_t>(count);
      continue;
    }
    if (count < 0 && errno != EAGAIN && errno != EINTR) return false;  // EPIPE: the child stopped reading
    if (Remaining(deadline) == 0) return false;
    // The input pipe is full. Keep draining the output meanwhile, or a child
    // blocked on its own full output pipe would never read more input.
    pollfd wait[2] = {{input_fd_, POLLOUT, 0}, {output_fd_, POLLIN, 0}};
    int count_fds = output_fd_ >= 0 ? 2 : 1;
    if (poll(wait, count_fds, Remaining(deadline) < 50 ? Remaining(deadline) : 50) > 0 && count_fds == 2 &&
        wait[1].revents != 0)
      fill(0);
  }
  return true;
}

void Engine_process::close_input() { Close_fd(&input_fd_); }

bool Engine_process::fill(int timeout_ms) {
  if (output_fd_ < 0) return false;
  pollfd wait = {output_fd_, POLLIN, 0};
  int ready;
  do {
    ready = poll(&wait, 1, timeout_ms);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return false;
  char chunk[65536];
  ssize_t count;
  do {
    count = read(output_fd_, chunk, sizeof chunk);
  } while (count < 0 && errno == EINTR);
  if (count <= 0) {
    Close_fd(&output_fd_);
    return false;
  }
  pending_.append(chunk, static_cast<size_t>(count));
  transcript_.append(chunk, static_cast<size_t>(count));
  return true;
}

std::string Engine_process::take_pending() {
  std::string text;
  text.swap(pending_);
  return text;
}

std::string Engine_process::read_all(int timeout_ms) {
  long long deadline = Now_ms() + timeout_ms;
  while (output_fd_ >= 0 && Remaining(deadline) > 0) fill(Remaining(deadline));
  return take_pending();
}

std::string Engine_process::read_for(int quiet_ms) { return read_all(quiet_ms); }

bool Engine_process::read_until_prefix(const std::string& prefix, int timeout_ms, std::string* line,
                                       std::string* before) {
  long long deadline = Now_ms() + timeout_ms;
  size_t line_start = 0;  // lines before this offset of pending_ did not match
  for (;;) {
    size_t line_end;
    while ((line_end = pending_.find('\n', line_start)) != std::string::npos) {
      if (pending_.compare(line_start, prefix.size(), prefix) == 0 && line_end - line_start >= prefix.size()) {
        if (line != nullptr) *line = pending_.substr(line_start, line_end - line_start);
        if (before != nullptr) *before = pending_.substr(0, line_start);
        pending_.erase(0, line_end + 1);
        return true;
      }
      line_start = line_end + 1;
    }
    if (Remaining(deadline) == 0 || !fill(Remaining(deadline))) {
      if (output_fd_ >= 0 && Remaining(deadline) > 0) continue;  // poll was interrupted early
      if (before != nullptr) *before = pending_;
      return false;
    }
  }
}

int Engine_process::wait_exit(int timeout_ms) {
  if (pid_ <= 0) return STATUS_NOT_STARTED;
  if (reaped_) return status_;
  long long deadline = Now_ms() + timeout_ms;
  for (;;) {
    int raw;
    pid_t done = waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      status_ = Decode_status(raw);
      return status_;
    }
    if (done < 0 && errno != EINTR) {
      reaped_ = true;
      status_ = STATUS_NOT_STARTED;
      return status_;
    }
    if (Remaining(deadline) == 0) {
      kill_now();
      status_ = STATUS_TIMED_OUT;
      return status_;
    }
    // Drain the output while waiting so that a child writing a lot can end.
    if (!fill(10)) usleep(2000);
  }
}

void Engine_process::kill_now() {
  if (pid_ <= 0 || reaped_) return;
  kill(pid_, SIGKILL);
  int raw = 0;
  pid_t done;
  do {
    done = waitpid(pid_, &raw, 0);
  } while (done < 0 && errno == EINTR);
  reaped_ = true;
  status_ = done == pid_ ? Decode_status(raw) : STATUS_NOT_STARTED;
}

Transcript Run_program_transcript(const std::string& program, const std::string& input, int timeout_ms,
                                  const std::vector<std::pair<std::string, std::string>>& files, bool keep_input_open) {
  long long deadline = Now_ms() + timeout_ms;
  Engine_process engine(program);
  for (const auto& file : files) engine.write_file(file.first, file.second);
  engine.send(input);
  if (!keep_input_open) engine.close_input();
  Transcript result;
  result.output = engine.read_all(Remaining(deadline));
  result.status = engine.wait_exit(Remaining(deadline) + 1000);
  return result;
}

std::string Cp1251(const std::string& utf8) {
  std::string bytes;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
      continue;
    }
    unsigned code = 0;
    if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      code = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      ++i;
    }
    if (code >= 0x410 && code <= 0x44F)
      bytes += static_cast<char>(0xC0 + (code - 0x410));
    else if (code == 0x401)
      bytes += static_cast<char>(0xA8);
    else if (code == 0x451)
      bytes += static_cast<char>(0xB8);
    else
      bytes += '?';
  }
  return bytes;
}
