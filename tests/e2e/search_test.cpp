// The "go" command through the real binary: iteration counts for each kind
// of limit, the driver's info and bestmove lines, mates, stalemates,
// promotions, castling, repetitions, and "stop" / "quit" / "isready" sent
// while the engine thinks.
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"
#include "gtest/gtest.h"

namespace {

const std::string HANDSHAKE = "uci\nisready\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool Starts_with(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The driver prints one line per iteration; the root's own progress lines
// carry " seldepth ".
std::vector<std::string> Driver_lines(const std::string& output) {
  std::vector<std::string> result;
  for (const std::string& line : Lines(output))
    if (Starts_with(line, "info  nps ") && line.find(" seldepth ") == std::string::npos) result.push_back(line);
  return result;
}

std::string Bestmove(const std::string& output) {
  for (const std::string& line : Lines(output))
    if (Starts_with(line, "bestmove ")) return line.substr(9);
  return "";
}

// Depth, score text and line of a driver line, without the clock-dependent nps.
std::string Without_nps(const std::string& line) { return std::regex_replace(line, std::regex(" nps [0-9]+"), ""); }

int Depth_of(const std::string& driver_line) {
  std::smatch m;
  if (!std::regex_search(driver_line, m, std::regex(" depth ([0-9]+) "))) return -1;
  return std::stoi(m[1]);
}

std::string First_pv_move(const std::string& driver_line) {
  const auto at = driver_line.find(" pv ");
  if (at == std::string::npos) return "";
  std::istringstream in(driver_line.substr(at + 4));
  std::string move;
  in >> move;
  return move;
}

Transcript Go(const std::string& position, const std::string& go, int timeout_ms = 60000) {
  return Run_transcript(HANDSHAKE + position + "\n" + go + "\n", timeout_ms);
}

TEST(GoLimits, PlainGoRunsOneIterationOfDepthOne) {
  Transcript t = Go("position startpos", "go");
  ASSERT_EQ(t.status, 0);
  auto driver = Driver_lines(t.output);
  ASSERT_EQ(driver.size(), 1u) << t.output;
  EXPECT_EQ(Depth_of(driver[0]), 1);
  EXPECT_FALSE(Bestmove(t.output).empty());
}

TEST(GoLimits, DepthSixRunsIterationsOneToSixAndEndsWithTheirMove) {
  Transcript t = Go("position startpos moves e2e4 e7e5", "go depth 6");
  auto driver = Driver_lines(t.output);
  ASSERT_EQ(driver.size(), 6u) << t.output;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Depth_of(driver[i]), i + 1);
  EXPECT_EQ(Bestmove(t.output), First_pv_move(driver.back()));
  EXPECT_EQ(t.output.find("ERROR"), std::string::npos) << t.output;
  EXPECT_EQ(t.output.find("white test_"), std::string::npos);
  // The bestmove line is the last output and has no ponder part.
  EXPECT_EQ(t.output.substr(t.output.rfind("bestmove")), "bestmove " + Bestmove(t.output) + "\n");
  EXPECT_EQ(Bestmove(t.output).find(' '), std::string::npos);
}

TEST(GoLimits, OnlyTheClockOfTheSideToMoveCounts) {
  // White to move: btime alone gives no budget, so one iteration of depth 1.
  Transcript black_clock = Go("position startpos", "go btime 600000");
  EXPECT_EQ(Driver_lines(black_clock.output).size(), 1u);
  // Black to move: wtime alone likewise.
  Transcript white_clock = Go("position startpos moves e2e4", "go wtime 600000");
  EXPECT_EQ(Driver_lines(white_clock.output).size(), 1u);
  // The own clock gives a budget of a hundredth: several iterations.
  Transcript own_clock = Go("position startpos moves e2e4", "go wtime 1 btime 20000");
  EXPECT_GT(Driver_lines(own_clock.output).size(), 1u) << own_clock.output;
}

TEST(GoLimits, ZeroClockRunsExactlyOneIteration) {
  Transcript t = Go("position startpos", "go wtime 0 btime 0");
  EXPECT_EQ(Driver_lines(t.output).size(), 1u) << t.output;
}

TEST(GoLimits, MovetimeStopsAfterTheFirstIterationLongerThanIt) {
  const long long start = Now_ms();
  Transcript t = Go("position startpos", "go movetime 200 depth 3");
  const long long elapsed = Now_ms() - start;
  auto driver = Driver_lines(t.output);
  // The time budget overrides the depth: more than three iterations.
  EXPECT_GT(driver.size(), 3u) << t.output;
  EXPECT_LT(elapsed, 20000);
}

TEST(GoLimits, KeywordWithoutValueAtTheEndCountsAsAbsent) {
  Transcript t = Go("position startpos", "go depth");
  EXPECT_EQ(Driver_lines(t.output).size(), 1u) << t.output;
  Transcript w = Go("position startpos", "go depth 2 wtime");
  EXPECT_EQ(Driver_lines(w.output).size(), 2u) << w.output;
}

TEST(GoLimits, DepthZeroBeforeAnySearchAnnouncesA1a1) {
  Transcript t = Go("position startpos", "go depth 0");
  EXPECT_EQ(t.output.substr(t.output.find("bestmove")), "bestmove a1a1\n");
  EXPECT_TRUE(Driver_lines(t.output).empty());
}

TEST(Results, MateInOneIsReportedAsMateAndEndsTheSearch) {
  Transcript t = Go("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "go infinite", 20000);
  ASSERT_EQ(t.status, 0);
  auto driver = Driver_lines(t.output);
  ASSERT_EQ(driver.size(), 1u) << t.output;
  EXPECT_EQ(Without_nps(driver[0]), "info  depth 1 score mate 1 nodes 20 pv d1d8 ");
  EXPECT_EQ(Bestmove(t.output), "d1d8");
}

TEST(Results, MateDistancesCountTheMovesOfTheSideToMove) {
  // White mates in three (five plies); the root's own line agrees.
  Transcript win = Go("position fen k7/8/8/3K4/8/8/8/Q7 w - - 0 1", "go depth 6");
  auto driver = Driver_lines(win.output);
  ASSERT_FALSE(driver.empty()) << win.output;
  EXPECT_EQ(Without_nps(driver.back()), "info  depth 3 score mate 3 nodes 2991 pv d5c6 a8b8 a1b2 b8a7 b2b7 ");
  EXPECT_NE(win.output.find(" seldepth 5 score mate 3 "), std::string::npos) << win.output;
  // Black to move is mated in two (four plies).
  Transcript lose = Go("position fen k7/8/2K5/8/8/8/8/7R b - - 0 1", "go depth 6");
  driver = Driver_lines(lose.output);
  ASSERT_FALSE(driver.empty()) << lose.output;
  EXPECT_NE(driver.back().find(" score mate -2 nodes "), std::string::npos) << driver.back();
  EXPECT_NE(lose.output.find(" seldepth 4 score mate -2 "), std::string::npos) << lose.output;
}

TEST(Results, MatedRootReportsMateInZeroWithAnEmptyLine) {
  // Black is mated: no legal move, one iteration, nothing searched.
  Transcript t = Go("position fen r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4", "go depth 5");
  auto driver = Driver_lines(t.output);
  ASSERT_EQ(driver.size(), 1u) << t.output;
  EXPECT_EQ(Without_nps(driver[0]), "info  depth 1 score mate 0 nodes 0 pv ");
  EXPECT_EQ(t.output.find("currmove"), std::string::npos);
}

TEST(Results, StalemateScoresZeroAtEveryDepth) {
  Transcript t = Go("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go depth 3");
  auto driver = Driver_lines(t.output);
  ASSERT_EQ(driver.size(), 3u) << t.output;
  for (const std::string& line : driver) EXPECT_NE(line.find(" score cp 0 nodes 0 pv "), std::string::npos) << line;
}

TEST(Results, PromotionIsAnnouncedWithItsLetter) {
  Transcript t = Go("position fen 6k1/1P6/8/8/8/8/5K2/8 w - - 0 1", "go depth 4");
  EXPECT_EQ(Bestmove(t.output), "b7b8q");
  auto driver = Driver_lines(t.output);
  ASSERT_FALSE(driver.empty());
  EXPECT_EQ(First_pv_move(driver.back()), "b7b8q");
}

TEST(Results, CastlingIsWrittenAsTheKingsMove) {
  // Short castling mates: the rook lands on f1 and checks along the open f-file.
  Transcript t = Go("position fen 5k2/4p1p1/3N3N/8/8/8/8/4K2R w K - 0 1", "go depth 3");
  EXPECT_EQ(Bestmove(t.output), "e1g1") << t.output;
  EXPECT_NE(t.output.find(" score mate 1 "), std::string::npos);
}

TEST(Results, RepeatingTheGamesLastMovesScoresZero) {
  // White is a queen down, but the game went g1f3 a8b8 f3g1 b8a8: playing
  // g1f3 again repeats the position and scores 0, far above every other move.
  const std::string fen = "position fen k7/8/8/8/8/8/q7/6NK w - - 0 1";
  Transcript repeated = Go(fen + " moves g1f3 a8b8 f3g1 b8a8", "go depth 2");
  auto driver = Driver_lines(repeated.output);
  ASSERT_EQ(driver.size(), 2u) << repeated.output;
  EXPECT_NE(driver.back().find(" score cp 0 "), std::string::npos) << driver.back();
  EXPECT_EQ(Bestmove(repeated.output), "g1f3");
  // The same position without that history is simply lost.
  Transcript fresh = Go(fen, "go depth 2");
  auto fresh_driver = Driver_lines(fresh.output);
  ASSERT_EQ(fresh_driver.size(), 2u);
  EXPECT_EQ(fresh_driver.back().find(" score cp 0 "), std::string::npos) << fresh_driver.back();
}

TEST(Determinism, TwoRunsGiveTheSameNodesScoresAndLines) {
  const std::string position = "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  Transcript a = Go(position, "go depth 5");
  Transcript b = Go(position, "go depth 5");
  auto da = Driver_lines(a.output);
  auto db = Driver_lines(b.output);
  ASSERT_EQ(da.size(), 5u);
  ASSERT_EQ(da.size(), db.size());
  for (size_t i = 0; i < da.size(); ++i) EXPECT_EQ(Without_nps(da[i]), Without_nps(db[i]));
  EXPECT_EQ(Bestmove(a.output), Bestmove(b.output));
}

// Starts a search that would run for a long time and returns the engine.
void Start_infinite(Engine_process* engine, const std::string& position) {
  ASSERT_TRUE(engine->started());
  engine->send(HANDSHAKE + position + "\ngo infinite\n");
  std::string line;
  ASSERT_TRUE(engine->read_until_prefix("readyok", 5000, &line));
  ASSERT_TRUE(engine->read_until_prefix("info currmove", 10000, &line));
}

TEST(DuringSearch, StopEndsTheSearchWithAMoveThatWasSearched) {
  Engine_process engine;
  Start_infinite(&engine, "position startpos moves e2e4 c7c5 g1f3 d7d6");
  engine.read_for(700);
  const long long sent = Now_ms();
  ASSERT_TRUE(engine.send_line("stop"));
  std::string line;
  std::string before;
  ASSERT_TRUE(engine.read_until_prefix("bestmove ", 10000, &line, &before));
  EXPECT_LT(Now_ms() - sent, 5000);
  const std::string output = engine.transcript();
  EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
  auto driver = Driver_lines(output);
  ASSERT_FALSE(driver.empty());
  EXPECT_EQ(line.substr(9), First_pv_move(driver.back()));
  // The engine is back in its command loop.
  ASSERT_TRUE(engine.send_line("isready"));
  ASSERT_TRUE(engine.read_until_prefix("readyok", 5000));
  engine.close_input();
  EXPECT_EQ(engine.wait_exit(5000), 0);
}

TEST(DuringSearch, IsreadyIsAnsweredWhileTheSearchGoesOn) {
  Engine_process engine;
  Start_infinite(&engine, "position startpos");
  ASSERT_TRUE(engine.send_line("isready"));
  std::string before;
  ASSERT_TRUE(engine.read_until_prefix("readyok ", 5000, nullptr, &before));
  EXPECT_EQ(before.find("bestmove"), std::string::npos);
  // Still searching: nothing has been announced yet.
  EXPECT_EQ(engine.read_for(300).find("bestmove"), std::string::npos);
  ASSERT_TRUE(engine.send_line("stop"));
  ASSERT_TRUE(engine.read_until_prefix("bestmove ", 10000));
  engine.close_input();
  EXPECT_EQ(engine.wait_exit(5000), 0);
}

TEST(DuringSearch, CommandsSentAheadAreKeptAndRunInOrderAfterTheBestmove) {
  // A whole script at once, as from "engine < commands.txt": the first search
  // reads the lines behind its "go". "stop" ends it at once; the "position"
  // and "go" before it run afterwards, and the "isready" behind them is
  // answered only after their search.
  Transcript t = Run_transcript(HANDSHAKE +
                                    "position startpos\ngo infinite\n"
                                    "position startpos moves e2e4\ngo depth 3\nisready\n"
                                    "ucinewgame\nxyzzy\nstop\n",
                                60000);
  EXPECT_EQ(t.status, 0);
  std::vector<std::string> replies;
  for (const std::string& line : Lines(t.output))
    if (Starts_with(line, "bestmove ") || Starts_with(line, "readyok") || Starts_with(line, "WARNING"))
      replies.push_back(line);
  ASSERT_EQ(replies.size(), 5u) << t.output;
  EXPECT_EQ(replies[0], "readyok ");
  EXPECT_TRUE(Starts_with(replies[1], "bestmove ")) << t.output;
  // The kept search ran from the kept position: Black's move, to depth 3.
  EXPECT_TRUE(std::regex_match(replies[2], std::regex("bestmove [a-h][78][a-h][1-8]"))) << t.output;
  EXPECT_EQ(replies[3], "readyok ");
  EXPECT_EQ(replies[4], "WARNING ! Unknown command");
  const std::string second = t.output.substr(t.output.find(replies[1]) + replies[1].size());
  auto driver = Driver_lines(second);
  ASSERT_EQ(driver.size(), 3u) << second;
  EXPECT_EQ(Depth_of(driver.back()), 3);
}

TEST(DuringSearch, InfiniteSearchEndsWithItsInput) {
  // Nobody can send "stop" once the input has closed: the search ends as if
  // it had, with a move, and the engine ends with status 0.
  Engine_process engine;
  Start_infinite(&engine, "position startpos");
  engine.close_input();
  std::string line;
  ASSERT_TRUE(engine.read_until_prefix("bestmove ", 10000, &line));
  EXPECT_EQ(engine.wait_exit(5000), 0);
  // Input that ended in an earlier, bounded search stops a kept infinite one.
  Transcript t = Run_transcript(HANDSHAKE + "position startpos\ngo depth 7\ngo infinite\n", 60000);
  EXPECT_EQ(t.status, 0);
  size_t count = 0;
  for (const std::string& l : Lines(t.output)) count += Starts_with(l, "bestmove ");
  EXPECT_EQ(count, 2u) << t.output;
}

TEST(DuringSearch, QuitEndsTheProcessWithStatusOneAndNoBestmove) {
  Engine_process engine;
  Start_infinite(&engine, "position startpos");
  ASSERT_TRUE(engine.send_line("quit"));
  EXPECT_EQ(engine.wait_exit(5000), 1);
  EXPECT_EQ(engine.read_all(1000).find("bestmove"), std::string::npos);
  EXPECT_EQ(engine.transcript().find("bestmove"), std::string::npos);
}

TEST(DuringSearch, CaptureStormStillAnswersStopAndQuit) {
  // Every pawn one step from promotion on both sides: the capture search
  // alone would run for hours. The engine must still hear "stop" and "quit".
  const std::string storm = "position fen 4k3/PPPPPPPP/8/8/8/8/pppppppp/4K3 w - - 0 1";
  {
    Engine_process engine;
    Start_infinite(&engine, storm);
    engine.read_for(500);
    const long long sent = Now_ms();
    ASSERT_TRUE(engine.send_line("stop"));
    std::string line;
    ASSERT_TRUE(engine.read_until_prefix("bestmove ", 10000, &line));
    EXPECT_LT(Now_ms() - sent, 5000);
    EXPECT_EQ(line.size(), 13u) << line;  // "bestmove " and a four-letter move
    EXPECT_EQ(engine.transcript().find("ERROR"), std::string::npos);
  }
  {
    Engine_process engine;
    Start_infinite(&engine, storm);
    engine.read_for(300);
    ASSERT_TRUE(engine.send_line("quit"));
    EXPECT_EQ(engine.wait_exit(5000), 1);
  }
}

}  // namespace
