// Positions no game can reach, move lists no GUI would send and weights no
// one would tune, through the real binary: the engine must answer every "go"
// with a "bestmove" line, whatever move it names, keep running, and search
// ordinary positions soundly afterwards. Under the sanitizer build these are
// also memory and undefined-behaviour checks.
#include <string>
#include <vector>

#include "engine_process.h"
#include "gtest/gtest.h"

namespace {

// A clock as a GUI sends it: a budget of 10 ms per move, a hard limit of
// 0.5 s per iteration, so that even a capture search that would run for
// hours ends quickly.
const std::string GO_CLOCK = "go wtime 1000 btime 1000 winc 0 binc 0";
constexpr int REPLY_MS = 20000;  // generous: the sanitizer build is slow

struct Hostile {
  const char* what;
  const char* fen;
};

const Hostile HOSTILE_FENS[] = {
    {"empty board", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"no kings", "8/8/8/3pp3/3PP3/8/8/8 w - - 0 1"},
    {"no king for the side to move", "4k3/8/8/8/8/8/8/R7 w - - 0 1"},
    {"no king for the opponent", "8/8/8/8/8/8/8/R3K3 b - - 0 1"},
    {"two kings each", "kk6/8/8/8/8/8/8/KK6 w - - 0 1"},
    {"pawns on the first and last ranks", "PPPPkPPP/8/8/8/8/8/8/pppKpppp w - - 0 1"},
    {"twenty queens and more", "qqqqkqqq/qqqqqqqq/8/8/8/8/QQQQQQQQ/QQQQKQQQ w - - 0 1"},
    {"every pawn about to promote", "4k3/PPPPPPPP/8/8/8/8/pppppppp/4K3 b - - 0 1"},
    {"side to move can take the king", "k7/8/8/8/8/8/8/Q3K3 w - - 0 1"},
    {"both kings in check", "k7/8/8/8/8/8/8/q3K2Q w - - 0 1"},
    {"castling rights without rooks", "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1"},
    {"castling rights with displaced kings", "r2k3r/8/8/8/8/8/8/R2K3R w KQkq - 0 1"},
    {"castling rights with a rook of the wrong colour", "4k2R/8/8/8/8/8/8/4K2r b KQkq - 0 1"},
    {"en-passant square on the first rank", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq a1 0 1"},
    {"en-passant square off the board", "4k3/8/8/3pP3/8/8/8/4K3 w - z9 0 1"},
    {"en-passant square without a pawn", "4k3/8/8/8/8/8/8/4K3 w - e6 0 1"},
    {"en-passant square on an occupied square", "4k3/8/4n3/3pP3/8/8/8/4K3 w - d6 0 1"},
    {"ranks longer than eight squares", "rnbqkbnrrnbqkbnr/pppppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"more than eight ranks", "8/8/8/8/8/8/8/8/8/8/K7/k7 w - - 0 1"},
    {"placement only", "rnbqkbnr/pppp"},
    {"unknown letters", "xyzXYZ09/8/8/8/8/8/8/4K2k w - - 0 1"},
};

// Sends a position and a "go", and waits for the answer.
::testing::AssertionResult Answers_go(Engine_process* engine, const std::string& position, const std::string& go) {
  if (!engine->send_line(position) || !engine->send_line(go))
    return ::testing::AssertionFailure() << "the engine stopped reading";
  std::string line;
  if (!engine->read_until_prefix("bestmove ", REPLY_MS, &line))
    return ::testing::AssertionFailure() << "no bestmove; the engine "
                                         << (engine->output_closed() ? "ended" : "is still searching");
  // "bestmove " and four or five letters: squares a1..h8 and a promotion letter.
  if (line.size() != 13 && line.size() != 14) return ::testing::AssertionFailure() << "malformed: " << line;
  return ::testing::AssertionSuccess();
}

// The search of an ordinary position after the hostile ones: the move it
// must find shows that no table or record was left corrupt.
void Expect_sound_search(Engine_process* engine) {
  ASSERT_TRUE(Answers_go(engine, "position fen 6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "go depth 3"));
  const std::string& all = engine->transcript();
  EXPECT_EQ(all.substr(all.rfind("bestmove ")), "bestmove a1a8\n");
}

TEST(HostilePositions, EveryUnplayableFenAnswersGoWithABestmove) {
  Engine_process engine;
  ASSERT_TRUE(engine.started());
  ASSERT_TRUE(engine.send_line("uci"));
  ASSERT_TRUE(engine.send_line("isready"));
  for (const Hostile& h : HOSTILE_FENS) {
    EXPECT_TRUE(Answers_go(&engine, std::string("position fen ") + h.fen, GO_CLOCK)) << h.what << ": " << h.fen;
    // The same position once more with moves played on it.
    EXPECT_TRUE(Answers_go(&engine, std::string("position fen ") + h.fen + " moves a1a8 e1g1 e2e4", GO_CLOCK))
        << h.what << " with moves";
  }
  Expect_sound_search(&engine);
  engine.close_input();
  EXPECT_EQ(engine.wait_exit(REPLY_MS), 0);
}

TEST(HostilePositions, DepthLimitedSearchesEndWithoutAClock) {
  // The positions whose capture search stays small: without a time limit,
  // only the depth ends these searches.
  Engine_process engine;
  ASSERT_TRUE(engine.started());
  const char* fens[] = {"8/8/8/8/8/8/8/8 w - - 0 1", "8/8/8/3pp3/3PP3/8/8/8 b - - 0 1",
                        "PPPPkPPP/8/8/8/8/8/8/pppKpppp b - - 0 1", "k7/8/8/8/8/8/8/Q3K3 w - - 0 1",
                        "r2k3r/8/8/8/8/8/8/R2K3R b KQkq e3 0 1"};
  for (const char* fen : fens) {
    for (const char* go : {"go depth 4", "go depth 0", "go"})
      EXPECT_TRUE(Answers_go(&engine, std::string("position fen ") + fen, go)) << fen << " / " << go;
  }
  Expect_sound_search(&engine);
}

TEST(HostilePositions, MovesListsThatBreakTheRulesAreRefusedOrPlayed) {
  // Each list is either played (legal or not, it is what the GUI asked for)
  // or refused move by move; the engine must keep a consistent board.
  const char* lists[] = {
      "position fen k7/8/8/8/8/8/8/Q3K3 w - - 0 1 moves a1a8",       // takes the king
      "position fen k7/8/8/8/8/8/8/Q3K3 w - - 0 1 moves a1a8 a8b8",  // moves a captured king
      "position startpos moves e2e4 e7e5 e1e2 e8e7 e2e3 e7e6 e3e4",  // a king walks into the pawn
      "position startpos moves i9j0 e2e9 a0a1 e2e",                  // squares off the board, cut text
      "position startpos moves e2e4q e7e5n",                         // promotion letters on plain moves
      "position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8k a7a8Q a7a8x a7a8",
      "position startpos moves e2e4e7e5g1f3",                    // texts without blanks
      "position startpos moves                e2e4         ",    // blanks only around one move
      "position fen 8/8/8/8/8/8/8/8 w - - 0 1 moves e2e4 e7e5",  // no pieces to move
  };
  Engine_process engine;
  ASSERT_TRUE(engine.started());
  ASSERT_TRUE(engine.send_line("uci"));
  ASSERT_TRUE(engine.send_line("isready"));
  for (const char* list : lists) EXPECT_TRUE(Answers_go(&engine, list, GO_CLOCK)) << list;
  Expect_sound_search(&engine);
}

// A parameter file in the layout the engine reads: every value line holds
// value, every table row eight copies of cell.
std::string Parameter_file(const std::string& value, const std::string& cell) {
  std::vector<std::string> lines(96, "-");
  for (int n : {7, 10, 13, 16, 19, 22, 27, 30, 33, 36, 39, 42, 45, 48}) lines[n] = value;
  std::string row;
  for (int i = 0; i < 8; ++i) row += cell + ",";
  for (int first : {53, 65, 77, 88})
    for (int r = 0; r < 8; ++r) lines[first + r] = row;
  std::string text;
  for (int n = 1; n <= 95; ++n) text += lines[n] + "\n";
  return text;
}

TEST(HostileWeights, ExtremeWeightsStillGiveABestmoveAndAConsistentMaterialBalance) {
  // Eight-digit piece values and table cells at the ends of the 32-bit range:
  // the sums of the evaluation and of the material balance leave 32 bits.
  const std::pair<std::string, std::string> weights[] = {
      {"99999999", "2147483647"}, {"-9999999", "-2147483648"}, {"0", "0"}, {"-1", "99999999999"}};
  for (const auto& w : weights) {
    Engine_process engine;
    ASSERT_TRUE(engine.started());
    ASSERT_TRUE(engine.write_file("Parameters_Eval.txt", Parameter_file(w.first, w.second)));
    ASSERT_TRUE(engine.send_line("uci"));
    ASSERT_TRUE(engine.send_line("isready"));
    for (const char* position : {"position startpos moves e2e4 d7d5 e4d5 d8d5",
                                 "position fen QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/k7/8/7K/QQQQQQQQ/QQQQQQQQ b - - 0 1",
                                 "position fen 3r2k1/1P3ppp/8/8/8/8/pp3PPP/6K1 w - - 0 1"}) {
      EXPECT_TRUE(Answers_go(&engine, position, GO_CLOCK)) << w.first << "/" << w.second << ": " << position;
    }
    // The driver compares the material kept by make and unmake with a fresh count.
    EXPECT_EQ(engine.transcript().find("ERROR"), std::string::npos) << w.first << "/" << w.second;
    engine.close_input();
    EXPECT_EQ(engine.wait_exit(REPLY_MS), 0);
  }
}

}  // namespace
