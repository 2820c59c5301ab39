// A pipe driver for end-to-end tests: runs a program (the engine by default)
// as a child process in a fresh temporary working directory, talks to it over
// its standard input and output, and reaps it.
//
// Typical use:
//
//   Engine_process engine;                       // ENGINE_PATH, in its own temp dir
//   engine.send_line("uci");
//   std::string line;
//   ASSERT_TRUE(engine.read_until_prefix("uciok", 5000, &line));
//   engine.send_line("quit");
//   EXPECT_EQ(engine.wait_exit(5000), 1);
//
// or, for a whole transcript at once:
//
//   Transcript t = Run_transcript("uci\nisready\n");
//   EXPECT_EQ(t.output, "...");  EXPECT_EQ(t.status, 0);
//
// Output is collected in one buffer: every read_* call consumes from it and
// everything ever read stays available in transcript(). All waits take a
// timeout in milliseconds; nothing blocks forever. The child's standard error
// is inherited, so sanitizer reports show up in the test log. The destructor
// kills a child that is still running and removes the temporary directory
// with everything in it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Exit statuses reported by wait_exit besides the program's own 0..255.
constexpr int STATUS_TIMED_OUT = -1;     // still running at the deadline; it was then killed
constexpr int STATUS_NOT_STARTED = -2;   // the temp dir, the pipes, fork or exec failed
constexpr int STATUS_SIGNAL_BASE = 128;  // killed by signal s: 128 + s (as a shell reports it)

class Engine_process {
 public:
  // Creates a temporary directory, then starts program (an absolute or
  // relative path; it is resolved before the child changes directory) with
  // the given arguments and that directory as its working directory. Files the
  // program should find there can be written with write_file before the first
  // command, since the engine reads files only when commanded to.
  explicit Engine_process(const std::string& program, const std::vector<std::string>& arguments = {});
#ifdef ENGINE_PATH
  // The engine binary of this build.
  Engine_process() : Engine_process(ENGINE_PATH) {}
#endif
  ~Engine_process();

  Engine_process(const Engine_process&) = delete;
  Engine_process& operator=(const Engine_process&) = delete;

  // True when the child was started (exec failure shows as exit status 127).
  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // The child's working directory and a path inside it.
  const std::string& directory() const { return directory_; }
  std::string path(const std::string& name) const { return directory_ + "/" + name; }

  // Writes or reads a whole file of the working directory (bytes as they are).
  bool write_file(const std::string& name, const std::string& contents) const;
  bool read_file(const std::string& name, std::string* contents) const;
  bool file_exists(const std::string& name) const;

  // Sends bytes as they are / one line with "\n" appended. False when the
  // child no longer reads (its input was closed or it has ended).
  bool send(const std::string& bytes);
  bool send_line(const std::string& line) { return send(line + "\n"); }
  // Closes the child's standard input: the engine sees the end of its input.
  void close_input();

  // Everything the child writes until it closes its output (normally: it
  // ended) or until timeout_ms pass, whichever comes first.
  std::string read_all(int timeout_ms);
  // Everything that arrives during the next quiet_ms, for checking that a
  // command is silent (returns early if the output is closed).
  std::string read_for(int quiet_ms);
  // Reads up to and including the first complete line (ending in "\n") that
  // begins with prefix. Returns true and that line (without its "\n") when
  // found; the lines before it are in *before if given. On timeout or end of
  // output returns false and leaves the unmatched text in *before.
  bool read_until_prefix(const std::string& prefix, int timeout_ms, std::string* line = nullptr,
                         std::string* before = nullptr);
  // True when the child closed its output and everything was consumed.
  bool output_closed() const { return output_fd_ < 0 && pending_.empty(); }

  // Every byte read from the child so far, in order.
  const std::string& transcript() const { return transcript_; }

  // Waits for the child to end: its exit status 0..255, 128 + signal when a
  // signal ended it, STATUS_TIMED_OUT (after killing it) when it is still
  // running at the deadline. Repeated calls return the same value.
  int wait_exit(int timeout_ms);

  // Kills the child at once (SIGKILL) and reaps it.
  void kill_now();

 private:
  // Reads what is available into pending_, waiting at most timeout_ms for the
  // first byte. Returns false when the output is closed or the time ran out.
  bool fill(int timeout_ms);
  std::string take_pending();

  std::string directory_;
  pid_t pid_ = -1;
  int input_fd_ = -1;
  int output_fd_ = -1;
  bool reaped_ = false;
  int status_ = STATUS_NOT_STARTED;
  std::string pending_;
  std::string transcript_;
};

// The result of one whole session through Run_transcript.
struct Transcript {
  std::string output;  // all the child wrote to standard output
  int status;          // as Engine_process::wait_exit reports it
};

// Starts program in a fresh directory, writes files into it first (pairs of
// name and contents), sends input, closes the input unless keep_input_open
// (then the program must end by itself, e.g. at "quit"), and collects output
// and exit status, killing the program after timeout_ms.
Transcript Run_program_transcript(const std::string& program, const std::string& input, int timeout_ms = 10000,
                                  const std::vector<std::pair<std::string, std::string>>& files = {},
                                  bool keep_input_open = false);

#ifdef ENGINE_PATH
// The same for the engine binary of this build.
inline Transcript Run_transcript(const std::string& input, int timeout_ms = 10000,
                                 const std::vector<std::pair<std::string, std::string>>& files = {},
                                 bool keep_input_open = false) {
  return Run_program_transcript(ENGINE_PATH, input, timeout_ms, files, keep_input_open);
}
#endif

// Milliseconds since an arbitrary fixed point (steady clock), for timing tests.
long long Now_ms();

// The engine's Russian texts are CP1251 bytes; tests write them in UTF-8 and
// convert. Handles ASCII and the Cyrillic letters (with Ё/ё); anything else
// becomes '?'.
std::string Cp1251(const std::string& utf8);
