// The command loop and dispatcher through the real binary: replies byte for
// byte, silent commands, line ends, over-long lines and exit statuses.
#include <string>

#include "engine_process.h"
#include "gtest/gtest.h"

namespace {

const std::string UCI_REPLY =
    "id name Tavox_j1_3_Beta_18_8_2009\n"
    "id author Oskelvar\n"
    "option name Hash type spin default 1 min 1 max 1024\n"
    "uciok \n";
const std::string READY_REPLY = "readyok \n\n";
const std::string UNKNOWN = "WARNING ! Unknown command\n";

constexpr int LINE_LIMIT = 65535;

TEST(Handshake, UciAnswersFourLinesAndIsreadyAnEmptyLineMore) {
  Transcript t = Run_transcript("uci\nisready\nisready\nuci\n");
  EXPECT_EQ(t.output, UCI_REPLY + READY_REPLY + READY_REPLY + UCI_REPLY);
  EXPECT_EQ(t.status, 0);
}

TEST(Handshake, RepliesArriveWhileTheInputIsStillOpen) {
  // A GUI waits for each reply before it sends more: nothing may sit in a buffer.
  Engine_process engine;
  ASSERT_TRUE(engine.started());
  ASSERT_TRUE(engine.send_line("uci"));
  std::string line;
  std::string before;
  ASSERT_TRUE(engine.read_until_prefix("uciok", 5000, &line, &before));
  EXPECT_EQ(before + line + "\n", UCI_REPLY);
  ASSERT_TRUE(engine.send_line("isready"));
  ASSERT_TRUE(engine.read_until_prefix("readyok", 5000, &line));
  EXPECT_EQ(line, "readyok ");
  EXPECT_EQ(engine.read_for(200), "\n");
  engine.close_input();
  EXPECT_EQ(engine.wait_exit(5000), 0);
}

TEST(Dispatch, LinesThatMatchNoCommandAreReportedAndSkipped) {
  // Exact comparisons: blanks, case and trailing text all matter.
  const char* lines[] = {"", " uci", "uci ", "UCI", "isready ", "quit now", "debug", "position", "stop ", "xyzzy"};
  std::string input;
  std::string expected;
  for (const char* line : lines) {
    input += std::string(line) + "\n";
    expected += UNKNOWN;
  }
  Transcript t = Run_transcript(input + "isready\n");
  EXPECT_EQ(t.output, expected + READY_REPLY);
  EXPECT_EQ(t.status, 0) << "\"quit now\" must not quit";
}

TEST(Dispatch, IgnoredCommandsAreSilent) {
  Transcript t = Run_transcript("ucinewgame\nstop\nponderhit\ndebug on\ndebug off\ndebug \n");
  EXPECT_EQ(t.output, "");
  EXPECT_EQ(t.status, 0);
}

// Search output with the time-dependent " nps <n>" values taken out.
std::string Without_nps(const std::string& output) {
  std::string text = output;
  size_t at;
  while ((at = text.find(" nps ")) != std::string::npos) {
    size_t end = at + 5;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    text.erase(at, end - at);
  }
  return text;
}

TEST(Dispatch, EveryLineBeginningWithGoStartsASearch) {
  Transcript t = Run_transcript("position startpos\ngoodbye\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.output.find("WARNING"), std::string::npos) << t.output;
  ASSERT_GE(t.output.size(), 2u);
  size_t last_line = t.output.rfind('\n', t.output.size() - 2);
  std::string tail = t.output.substr(last_line == std::string::npos ? 0 : last_line + 1);
  EXPECT_EQ(tail.compare(0, 9, "bestmove "), 0) << tail;
  EXPECT_NE(tail, "bestmove a1a1\n") << "one iteration from the start position finds a real move";
}

TEST(Dispatch, GoBeforeTheHandshakeSearchesWithTheDefaults) {
  // Without "uci" there is no table yet and without "isready" no weights: "go"
  // sets up the default table and weights, so it searches as after the handshake.
  const std::string search = "position startpos moves e2e4 e7e5\ngo depth 3\n";
  Transcript early = Run_transcript(search);
  Transcript usual = Run_transcript("uci\nisready\n" + search);
  ASSERT_EQ(usual.output.compare(0, UCI_REPLY.size() + READY_REPLY.size(), UCI_REPLY + READY_REPLY), 0);
  EXPECT_EQ(Without_nps(early.output), Without_nps(usual.output.substr(UCI_REPLY.size() + READY_REPLY.size())));
  EXPECT_NE(early.output.find("bestmove "), std::string::npos);
  EXPECT_EQ(early.status, 0);
}

TEST(Quit, EndsWithStatusOneAtOnceAndSilently) {
  // The input stays open: the engine must end by itself, and not run the lines after "quit".
  Transcript t = Run_transcript("quit\nuci\n", 10000, {}, true);
  EXPECT_EQ(t.output, "");
  EXPECT_EQ(t.status, 1);

  t = Run_transcript("uci\nisready\nquit\nisready\n", 10000, {}, true);
  EXPECT_EQ(t.output, UCI_REPLY + READY_REPLY);
  EXPECT_EQ(t.status, 1);
}

TEST(EndOfInput, EndsWithStatusZero) {
  Transcript t = Run_transcript("");
  EXPECT_EQ(t.output, "");
  EXPECT_EQ(t.status, 0);
}

TEST(EndOfInput, LastLineWithoutLineFeedIsStillExecuted) {
  Transcript t = Run_transcript("uci\nquit");
  EXPECT_EQ(t.output, UCI_REPLY);
  EXPECT_EQ(t.status, 1);
}

TEST(EndOfInput, LastLineEndingInACarriageReturnIsStillACommand) {
  Transcript t = Run_transcript("uci\nquit\r");
  EXPECT_EQ(t.output, UCI_REPLY);
  EXPECT_EQ(t.status, 1);
}

TEST(LineEnds, CarriageReturnLineFeedPairsEndLines) {
  Transcript t = Run_transcript("uci\r\nisready\r\nucinewgame\r\n\r\nquit\r\n", 10000, {}, true);
  EXPECT_EQ(t.output, UCI_REPLY + READY_REPLY + UNKNOWN);
  EXPECT_EQ(t.status, 1);
}

TEST(LineEnds, LineOfTheMaximumLengthIsRead) {
  Transcript t = Run_transcript(std::string(LINE_LIMIT, 'u') + "\nisready\n");
  EXPECT_EQ(t.output, UNKNOWN + READY_REPLY);
  EXPECT_EQ(t.status, 0);
}

TEST(LineEnds, LongerLineEndsTheEngineWithStatusZero) {
  Transcript t = Run_transcript("isready\n" + std::string(LINE_LIMIT + 1, 'u') + "\nisready\nquit\n");
  EXPECT_EQ(t.output, READY_REPLY);
  EXPECT_EQ(t.status, 0);
}

TEST(SetOption, HashSizesAreSilent) {
  Transcript t = Run_transcript(
      "uci\n"
      "setoption name Hash value 64\n"
      "setoption name Hash value 0\n"
      "setoption name Hash value abc\n"
      "setoption name Hash value -1\n"
      "setoption name Hash value 3 MB\n"
      "setoption name Clear Hash\n"
      "isready\n");
  EXPECT_EQ(t.output, UCI_REPLY + READY_REPLY);
  EXPECT_EQ(t.status, 0);
}

TEST(SetOption, HashBeforeUciEndsTheEngine) {
  Transcript t = Run_transcript("setoption name Hash value 64\nuci\n", 10000, {}, true);
  EXPECT_EQ(t.output, Cp1251("освобождать нечего \n"));
  EXPECT_EQ(t.status, 1);
}

TEST(SetOption, IgnoredSettingsBeforeUciDoNotTouchTheMissingTable) {
  Transcript t = Run_transcript("setoption name Hash value -1\nsetoption name Style value Risky\nuci\n");
  EXPECT_EQ(t.output, UCI_REPLY);
  EXPECT_EQ(t.status, 0);
}

TEST(SetOption, HugeHashValueMeansTheMaximumNotAWrappedNumber) {
  // 4294967295 wraps to -1 (ignored) if read into 32 bits naively; it must
  // mean the 1024 MiB maximum, which a 600 MB address space cannot hold.
  Engine_process engine("/bin/sh", {"-c", std::string("ulimit -v 600000 && exec ") + ENGINE_PATH + " 2>/dev/null"});
  ASSERT_TRUE(engine.started());
  engine.send("uci\nisready\n");
  std::string line;
  if (!engine.read_until_prefix("readyok", 10000, &line)) GTEST_SKIP() << "engine cannot run in 600 MB";
  engine.read_for(100);
  engine.send("setoption name Hash value 4294967295\nisready\n");
  engine.close_input();
  EXPECT_EQ(engine.read_all(20000), Cp1251("памяти нет \n"));
  EXPECT_EQ(engine.wait_exit(5000), 1);
}

TEST(Position, BadMoveIsReportedAndGoodMovesAreSilent) {
  Transcript t = Run_transcript(
      "position startpos moves e2e4 e7e5 g1f3\n"
      "position startpos moves e2e5\n"
      "position startpos moves e2e4 e2e4 e7e5\n");
  EXPECT_EQ(t.output, "WARNING ! moves error\nWARNING ! moves error\n");
  EXPECT_EQ(t.status, 0);
}

}  // namespace
