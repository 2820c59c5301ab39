// The Windows builds under Wine: the engine's dialogue and search output must
// be byte for byte those of the Linux build (only the " nps <n>" figures depend
// on time), its input poll must see "isready" and "stop" arriving through a
// Windows pipe, and the Windows platform layer is checked piece by piece
// through io_probe.exe.
//
// Input is tested through both kinds of pipe: behind relay.exe, a Windows pipe
// made by CreatePipe, on which PeekNamedPipe works as it does under a Windows
// GUI; started by Wine directly, the Linux pipe a match manager on Linux gives
// it, on which PeekNamedPipe fails and the engine reads ahead instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "engine_process.h"

namespace {

constexpr int SEARCH_TIMEOUT_MS = 60000;
// Wine may have to start its server for a program (run.sh prepares the prefix beforehand).
constexpr int START_TIMEOUT_MS = 30000;

struct Windows_build {
  std::string name;  // "win64", "win32"
  std::string directory;
};

std::vector<Windows_build> Windows_builds() {
  std::vector<Windows_build> builds;
  std::string list = WINDOWS_BUILDS;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find('|', start);
    if (end == std::string::npos) end = list.size();
    std::string directory = list.substr(start, end - start);
    if (!directory.empty()) {
      std::string name = directory.substr(directory.find_last_of('/') + 1);
      if (name.rfind("build-", 0) == 0) name = name.substr(6);
      builds.push_back({name, directory});
    }
    start = end + 1;
  }
  return builds;
}

// Test names and messages show the build by its name.
void PrintTo(const Windows_build& build, std::ostream* stream) { *stream << build.name; }

// Wine maps the Linux root to drive Z:.
std::string Windows_path(const std::string& path) {
  std::string result = "Z:" + path;
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

// Sends the lines one at a time, each ending in line_end; after each "go"
// line waits for "bestmove" before going on, as an interface does. Then
// closes the input and returns everything the program wrote, with its exit
// status.
Transcript Run_session(Engine_process* process, const std::vector<std::string>& lines, const char* line_end = "\n") {
  for (const std::string& line : lines) {
    process->send(line + line_end);
    if (line.rfind("go", 0) == 0) {
      if (!process->read_until_prefix("bestmove", SEARCH_TIMEOUT_MS)) break;
    }
  }
  process->close_input();
  process->read_all(SEARCH_TIMEOUT_MS);
  Transcript result;
  result.status = process->wait_exit(SEARCH_TIMEOUT_MS);
  result.output = process->transcript();
  return result;
}

Transcript Linux_session(const std::vector<std::string>& lines) {
  Engine_process engine;
  return Run_session(&engine, lines);
}

std::string Mask_nps(const std::string& text) {
  static const std::regex nps(" nps -?[0-9]+");
  return std::regex_replace(text, nps, " nps N");
}

class Wine : public ::testing::TestWithParam<Windows_build> {
 protected:
  std::string Exe(const std::string& name) const { return GetParam().directory + "/" + name; }
  std::string Test_program(const std::string& name) const { return Exe("test-programs/" + name); }

  // The engine .exe started by Wine directly: its standard input is then a
  // Linux pipe, fine for a dialogue without searches.
  std::vector<std::string> Direct(const std::string& exe, const std::string& argument = "") const {
    std::vector<std::string> words = {Windows_path(exe)};
    if (!argument.empty()) words.push_back(argument);
    return words;
  }
  // The program behind the relay, with a Windows pipe as standard input.
  std::vector<std::string> Relayed(const std::string& exe, const std::string& argument = "") const {
    std::vector<std::string> words = {Windows_path(Test_program("relay.exe")), Windows_path(exe)};
    if (!argument.empty()) words.push_back(argument);
    return words;
  }
  std::unique_ptr<Engine_process> Start(const std::vector<std::string>& wine_arguments) const {
    return std::make_unique<Engine_process>(WINE_PROGRAM, wine_arguments);
  }
  std::unique_ptr<Engine_process> Start_engine() const { return Start(Relayed(Exe("tavox.exe"))); }

  // Starts a search without limit and waits until the driver has reported at
  // least one depth, so the search is under way.
  static void Go_infinite(Engine_process* engine) {
    engine->send_line("position startpos");
    engine->send_line("go infinite");
    ASSERT_TRUE(engine->read_until_prefix("info  nps", START_TIMEOUT_MS)) << engine->transcript();
  }
};

// --- The engine: same dialogue and same search output as on Linux ---------------

const std::vector<std::string> handshake = {"uci",
                                            "isready",
                                            "ucinewgame",
                                            "debug on",
                                            "bogus",
                                            "",
                                            " uci",
                                            "stop",
                                            "ponderhit",
                                            "setoption name Hash value 4",
                                            "setoption name Hash value -1",
                                            "setoption name Clear Hash",
                                            "isready",
                                            "position startpos",
                                            "position"};

TEST_P(Wine, HandshakeIsByteForByteTheLinuxOne) {
  Transcript linux_run = Linux_session(handshake);
  ASSERT_EQ(linux_run.status, 0);
  ASSERT_NE(linux_run.output.find("uciok \n"), std::string::npos) << linux_run.output;

  {
    SCOPED_TRACE("started by Wine directly, input from a Linux pipe");
    auto engine = Start(Direct(Exe("tavox.exe")));
    Transcript run = Run_session(engine.get(), handshake);
    EXPECT_EQ(run.output, linux_run.output);  // also: every line ends in a single LF, no CR
    EXPECT_EQ(run.status, 0);
  }
  {
    SCOPED_TRACE("behind the relay, lines ending in CR LF as Windows interfaces send them");
    auto engine = Start_engine();
    Transcript run = Run_session(engine.get(), handshake, "\r\n");
    EXPECT_EQ(run.output, linux_run.output);
    EXPECT_EQ(run.status, 0);
  }
}

TEST_P(Wine, QuitEndsWithStatusOne) {
  auto engine = Start_engine();
  Transcript run = Run_session(engine.get(), {"uci", "quit", "isready"});
  EXPECT_EQ(run.status, 1);
  // Nothing after "quit" is answered.
  EXPECT_EQ(run.output.find("readyok"), std::string::npos) << run.output;
}

TEST_P(Wine, SearchOutputIsTheLinuxOneButForNps) {
  const std::vector<std::string> session = {
      "uci",
      "isready",
      "position startpos",
      "go depth 8",
      // Black to move: the score's sign and the line of the other side.
      "position startpos moves e2e4 e7e5 g1f3",
      "go depth 7",
      // Many captures, castling both ways, an en-passant right.
      "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "go depth 5",
      // A promotion as best move (printed with its letter).
      "position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1",
      "go depth 5",
      // Mate in one: a mate score ends the search after that depth.
      "position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
      "go depth 4",
      // A different table size must not change the moves on either build.
      "setoption name Hash value 16",
      "position startpos moves d2d4 g8f6 c2c4 e7e6",
      "go depth 7",
      // No limits: one iteration; a budget of zero: one iteration, whatever the clock says.
      "go",
      "go wtime 0 btime 0",
      // No iteration at all: the previous best move is repeated.
      "go depth 0",
  };
  Transcript linux_run = Linux_session(session);
  ASSERT_EQ(linux_run.status, 0);
  ASSERT_NE(linux_run.output.find("bestmove a7a8q\n"), std::string::npos) << "the promotion case lost its point";
  ASSERT_NE(linux_run.output.find(" score mate "), std::string::npos) << "the mate case lost its point";

  auto engine = Start_engine();
  Transcript run = Run_session(engine.get(), session);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Mask_nps(run.output), Mask_nps(linux_run.output));
}

// A parameter file as a user might write it: every weight differs from the
// built-in ones, comments on the skipped lines, blanks in the table rows.
std::string Parameter_file(const char* line_end) {
  const int scalars[][2] = {{7, 90000}, {10, 1000}, {13, 550}, {16, 350}, {19, 300}, {22, 120}, {27, 40},
                            {30, 20},   {33, 15},   {36, 25},  {39, 8},   {42, 2},   {45, 4},   {48, 1400}};
  const int table_starts[] = {53, 65, 77, 88};
  std::string text;
  for (int number = 1; number <= 95; ++number) {
    std::string line = "comment " + std::to_string(number);
    for (const auto& scalar : scalars)
      if (scalar[0] == number) line = std::to_string(scalar[1]);
    for (int t = 0; t < 4; ++t) {
      int row = number - table_starts[t];
      if (row < 0 || row >= 8) continue;
      line.clear();
      for (int file = 0; file < 8; ++file) line += " " + std::to_string((t + 1) * ((file * 3 + row * 5) % 7 - 2)) + ",";
    }
    text += line + line_end;
  }
  return text;
}

TEST_P(Wine, ParameterFileWithCrLfReadsAsTheLinuxOneWithLf) {
  const std::vector<std::string> session = {"uci",
                                            "isready",
                                            "position startpos moves e2e4 c7c5",
                                            "go depth 7",
                                            "position fen 8/5k2/8/2P5/8/8/5K2/8 w - - 0 1",
                                            "go depth 8"};
  Engine_process linux_engine;
  linux_engine.write_file("Parameters_Eval.txt", Parameter_file("\n"));
  Transcript linux_run = Run_session(&linux_engine, session);
  std::string linux_control;
  ASSERT_TRUE(linux_engine.read_file("Control_Parameters_Eval.txt", &linux_control));
  ASSERT_NE(linux_control.find("PAWN(\xEF\xE5\xF8\xEA\xE0) 120\n"), std::string::npos) << "the file was not read";

  auto engine = Start_engine();
  engine->write_file("Parameters_Eval.txt", Parameter_file("\r\n"));  // as Notepad saves it
  Transcript run = Run_session(engine.get(), session);
  EXPECT_EQ(Mask_nps(run.output), Mask_nps(linux_run.output));
  std::string control;
  ASSERT_TRUE(engine->read_file("Control_Parameters_Eval.txt", &control));
  EXPECT_EQ(control, linux_control);  // the same bytes, CP1251 labels and LF line ends included
}

// --- The input poll through a Windows pipe ---------------------------------------

TEST_P(Wine, PollSeesIsreadyAndStopDuringInfiniteSearch) {
  auto engine = Start_engine();
  engine->send_line("uci");
  engine->send_line("isready");
  ASSERT_TRUE(engine->read_until_prefix("readyok ", START_TIMEOUT_MS)) << engine->transcript();
  Go_infinite(engine.get());

  std::string before;
  engine->send_line("isready");
  ASSERT_TRUE(engine->read_until_prefix("readyok ", SEARCH_TIMEOUT_MS, nullptr, &before))
      << "\"isready\" was not seen during the search:\n"
      << engine->transcript();
  EXPECT_EQ(before.find("bestmove"), std::string::npos) << "the search ended before \"isready\"";

  engine->send_line("stop");
  ASSERT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS)) << engine->transcript();

  // Back in the main loop: "isready" is answered there again, and "quit" ends with status 1.
  engine->send_line("isready");
  EXPECT_TRUE(engine->read_until_prefix("readyok ", SEARCH_TIMEOUT_MS));
  engine->send_line("quit");
  EXPECT_EQ(engine->wait_exit(SEARCH_TIMEOUT_MS), 1);
}

// A rating-list tester's setup: a Linux match manager drives the .exe under
// Wine through an ordinary pipe that stays open between commands.
TEST_P(Wine, LinuxPipeSessionNeverStallsInASearch) {
  const std::vector<std::string> search = {"uci", "isready", "position startpos", "go depth 11"};
  Transcript linux_run = Linux_session(search);
  ASSERT_EQ(linux_run.status, 0);

  auto engine = Start(Direct(Exe("tavox.exe")));
  for (const std::string& line : search) engine->send_line(line);
  // Dozens of polls, each of which once waited for the next line to arrive.
  ASSERT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS)) << "stalled:\n" << engine->transcript();
  EXPECT_EQ(Mask_nps(engine->transcript()), Mask_nps(linux_run.output));

  // A search limited by time ends by the clock.
  long long sent = Now_ms();
  engine->send_line("go movetime 300");
  ASSERT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS));
  EXPECT_LT(Now_ms() - sent, 3000);

  // "isready" is answered during the search, "stop" ends it.
  Go_infinite(engine.get());
  std::string before;
  sent = Now_ms();
  engine->send_line("isready");
  ASSERT_TRUE(engine->read_until_prefix("readyok ", SEARCH_TIMEOUT_MS, nullptr, &before));
  long long ready_ms = Now_ms() - sent;
  EXPECT_EQ(before.find("bestmove"), std::string::npos) << "the search ended before \"isready\"";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  sent = Now_ms();
  engine->send_line("stop");
  ASSERT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS));
  long long stop_ms = Now_ms() - sent;
  std::cout << "through a Linux pipe (" << GetParam().name << "): isready answered in " << ready_ms
            << " ms, stop to bestmove " << stop_ms << " ms\n";
  EXPECT_LT(ready_ms, 1000);
  EXPECT_LT(stop_ms, 1000);

  // The input ending during a search: the search runs to its end, then the engine ends.
  engine->send_line("go depth 9");
  engine->close_input();
  EXPECT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS));
  EXPECT_EQ(engine->wait_exit(SEARCH_TIMEOUT_MS), 0);

  // "quit" during a search ends the process, the reading thread with it.
  auto quitting = Start(Direct(Exe("tavox.exe")));
  quitting->send_line("uci");
  Go_infinite(quitting.get());
  quitting->send_line("quit");
  EXPECT_EQ(quitting->wait_exit(SEARCH_TIMEOUT_MS), 1);
  EXPECT_EQ(quitting->transcript().find("bestmove"), std::string::npos);
}

TEST_P(Wine, QuitDuringSearchEndsAtOnceWithoutBestmove) {
  auto engine = Start_engine();
  engine->send_line("uci");
  engine->send_line("isready");
  Go_infinite(engine.get());
  engine->send_line("quit");
  EXPECT_EQ(engine->wait_exit(SEARCH_TIMEOUT_MS), 1);
  EXPECT_EQ(engine->transcript().find("bestmove"), std::string::npos);
}

TEST_P(Wine, StopReachesBestmoveQuickly) {
  constexpr int ROUNDS = 20;
  auto engine = Start_engine();
  engine->send_line("uci");
  engine->send_line("isready");
  ASSERT_TRUE(engine->read_until_prefix("readyok ", START_TIMEOUT_MS)) << engine->transcript();

  std::vector<long long> delays;
  for (int round = 0; round < ROUNDS; ++round) {
    Go_infinite(engine.get());
    // Let the search get past the first, shallow depths.
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + 10 * round));
    long long sent = Now_ms();
    engine->send_line("stop");
    ASSERT_TRUE(engine->read_until_prefix("bestmove ", SEARCH_TIMEOUT_MS)) << "round " << round;
    delays.push_back(Now_ms() - sent);
  }
  std::sort(delays.begin(), delays.end());
  long long median = (delays[ROUNDS / 2 - 1] + delays[ROUNDS / 2]) / 2;
  long long worst = delays.back();
  std::cout << "stop to bestmove through the relay (" << GetParam().name << ", " << ROUNDS << " rounds): median "
            << median << " ms, worst " << worst << " ms\n";
  RecordProperty("stop_median_ms", static_cast<int>(median));
  RecordProperty("stop_worst_ms", static_cast<int>(worst));
  // One poll every 50,001 horizon nodes is a few milliseconds of search; a
  // second is far beyond it and still far below "never".
  EXPECT_LT(worst, 1000);

  engine->send_line("quit");
  EXPECT_EQ(engine->wait_exit(SEARCH_TIMEOUT_MS), 1);
}

// --- The platform layer, through io_probe.exe -------------------------------------

TEST_P(Wine, LineReaderSplitsLinesAsOnLinux) {
  auto probe = Start(Relayed(Test_program("io_probe.exe"), "lines"));
  std::string input = "uci\r\n";            // CR LF: the CR goes
  input += "a\rb\n";                        // a CR inside a line stays
  input += "\n\r\n";                        // two empty lines
  input += std::string(65535, 'x') + "\n";  // the longest line
  input += std::string(65535, 'y') + "\r\n";
  input += "last";  // the last line without its line end still counts
  probe->send(input);
  probe->close_input();
  std::string output = probe->read_all(SEARCH_TIMEOUT_MS);
  EXPECT_EQ(output, "3 [uci]\n3 [a\rb]\n0 []\n0 []\n65535\n65535\n4 [last]\nend\n");
  EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 0);
}

TEST_P(Wine, LineReaderStopsAtATooLongLine) {
  auto probe = Start(Relayed(Test_program("io_probe.exe"), "lines"));
  probe->send("first\n" + std::string(65536, 'x') + "\nnever\n");
  probe->close_input();
  EXPECT_EQ(probe->read_all(SEARCH_TIMEOUT_MS), "5 [first]\nend\n");
  EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 0);
}

// The dialogue of io_probe.exe poll (see io_probe.cpp): what the input test
// reports as the driver sends, holds back and closes its input.
void Expect_poll_dialogue(Engine_process* probe) {
  std::string line;
  auto Expect_line = [&](const std::string& expected) {
    ASSERT_TRUE(probe->read_until_prefix(expected.substr(0, 3), START_TIMEOUT_MS, &line)) << probe->transcript();
    EXPECT_EQ(line, expected);
  };

  Expect_line("empty 0");  // nothing sent yet: a real pipe reports nothing
  probe->send("abc\n");
  Expect_line("seen 1");
  Expect_line("[abc]");
  probe->send("one\ntwo\n");
  Expect_line("pipe 8");  // the bytes waiting in the pipe, or in the read-ahead ring
  Expect_line("[one]");
  Expect_line("held 4");  // "two\n" was read ahead into the engine's buffer
  Expect_line("[two]");
  Expect_line("drained 0");

  ASSERT_TRUE(probe->read_until_prefix("ready for a partial line", START_TIMEOUT_MS));
  probe->send("sto");
  Expect_line("partial 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  probe->send("p\n");
  Expect_line("[stop]");  // the read waited for the rest of the line

  ASSERT_TRUE(probe->read_until_prefix("ready for the end", START_TIMEOUT_MS));
  probe->close_input();
  Expect_line("closed 1");     // a pipe without a writer counts as input waiting...
  Expect_line("read failed");  // ...and the read then reports the end
  EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 0);
}

// Behind the relay PeekNamedPipe counts the bytes; on the Linux pipe the
// read-ahead thread holds them, and the counts must be the same.
TEST_P(Wine, InputAvailableCountsPipeAndBufferedBytes) {
  for (bool relayed : {true, false}) {
    SCOPED_TRACE(relayed ? "Windows pipe behind the relay" : "Linux pipe, read ahead");
    auto probe =
        Start(relayed ? Relayed(Test_program("io_probe.exe"), "poll") : Direct(Test_program("io_probe.exe"), "poll"));
    Expect_poll_dialogue(probe.get());
  }
}

TEST_P(Wine, ClockCountsWallMilliseconds) {
  auto probe = Start(Direct(Test_program("io_probe.exe"), "clock"));
  probe->close_input();
  EXPECT_EQ(probe->read_all(SEARCH_TIMEOUT_MS), "start in range 1\nmonotonic 1\nsleep in range 1\n");
  EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 0);
}

TEST_P(Wine, OutputIsBinaryAndSilenceable) {
  auto probe = Start(Direct(Test_program("io_probe.exe"), "out"));
  probe->close_input();
  EXPECT_EQ(probe->read_all(SEARCH_TIMEOUT_MS),
            "0 -1 -9223372036854775808 9223372036854775807 1234567890123\nuciok \n\nend\n");
  EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 0);
}

TEST_P(Wine, EngineExitUsesTheHandlerOrEndsTheProcess) {
  {
    auto probe = Start(Direct(Test_program("io_probe.exe"), "exit-handler"));
    probe->close_input();
    EXPECT_EQ(probe->read_all(SEARCH_TIMEOUT_MS), "handler 3\n");
    EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 43);
  }
  {
    auto probe = Start(Direct(Test_program("io_probe.exe"), "exit-plain"));
    probe->close_input();
    EXPECT_EQ(probe->read_all(SEARCH_TIMEOUT_MS), "");
    EXPECT_EQ(probe->wait_exit(SEARCH_TIMEOUT_MS), 5);
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, Wine, ::testing::ValuesIn(Windows_builds()),
                         [](const ::testing::TestParamInfo<Windows_build>& build) { return build.param.name; });

}  // namespace

int main(int argc, char** argv) {
  // Wine's own messages would only clutter the test log.
  setenv("WINEDEBUG", "-all", 0);
  // A Wine server started on demand by the first test program would inherit
  // that program's pipes and hold its output open after it ends. One started
  // here, on /dev/null, serves the tests and ends by itself ten seconds after
  // the last Windows program (run.sh keeps its own server for the whole run,
  // and then this call does nothing).
  if (std::system(WINESERVER_PROGRAM " -p10 </dev/null >/dev/null 2>&1") != 0) {
    // Already running for this prefix: nothing to do.
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
