#include <gtest/gtest.h>

#include <string>

#include "board/move.h"
#include "search/control.h"
#include "search/pv.h"

namespace {

std::string Root_line(int score, const T_PV& line, int depth, int colour, int64_t nodes, double seconds) {
  testing::internal::CaptureStdout();
  Info_root_line(score, &line, depth, colour, nodes, seconds);
  return testing::internal::GetCapturedStdout();
}

T_PV Line(std::initializer_list<int32_t> moves, int score) {
  T_PV line{};
  for (int32_t m : moves) line.moves[line.length++] = m;
  line.score_move = score;
  return line;
}

const int32_t e2e4 = Move_word(1, 12, 28, KIND_QUIET, 0);
const int32_t e7e5 = Move_word(1, 52, 36, KIND_QUIET, 0);

TEST(InfoRootLine, FormatsScoreNodesAndLineWithTwoBlanksAfterQuietMoves) {
  T_PV line = Line({e2e4, e7e5}, 31);
  EXPECT_EQ(Root_line(31, line, 101, 1, 123456, 0.25),
            "info  nps 493824 depth 101 seldepth 2 score cp 31 nodes 123456 pv e2e4  e7e5  \n");
  // Same depth, same score: an empty line instead.
  EXPECT_EQ(Root_line(31, line, 101, 1, 200000, 0.5), "\n");
  // A new depth always prints the whole line.
  EXPECT_EQ(Root_line(31, line, 102, 1, 10, 0.01),
            "info  nps 1000 depth 102 seldepth 2 score cp 31 nodes 10 pv e2e4  e7e5  \n");
}

TEST(InfoRootLine, BlackAtTheRootSeesTheScoreNegated) {
  T_PV line = Line({e7e5}, -31);
  EXPECT_EQ(Root_line(-31, line, 103, 0, 100, 1.0),
            "info  nps 100 depth 103 seldepth 1 score cp 31 nodes 100 pv e7e5  \n");
}

TEST(InfoRootLine, MateDistancesCountMovesFromTheScore) {
  // Mate in one: Black mated at ply 1. The line's length does not matter.
  T_PV one = Line({e2e4, e7e5}, MATE - 1000);
  EXPECT_EQ(Root_line(MATE - 1000, one, 104, 1, 1, 1.0),
            "info  nps 1 depth 104 seldepth 2 score mate 1 nodes 1 pv e2e4  e7e5  \n");
  // Black at the root mates in three: White mated at ply 5.
  T_PV three = Line({e7e5}, 5000 - MATE);
  EXPECT_EQ(Root_line(5000 - MATE, three, 105, 0, 1, 1.0),
            "info  nps 1 depth 105 seldepth 1 score mate 3 nodes 1 pv e7e5  \n");
  // White at the root is mated in two (at ply 4), or is mated already.
  EXPECT_EQ(Mate_in_moves(4000 - MATE), -2);
  EXPECT_EQ(Mate_in_moves(-MATE), 0);
  // Scores past MATE, only reachable with extreme weights, keep their sign.
  EXPECT_EQ(Mate_in_moves(MATE + 5000), 1);
  EXPECT_EQ(Mate_in_moves(-MATE - 5000), 0);
}

TEST(InfoRootLine, PromotionAndEnPassantLetters) {
  const int32_t promo = Move_word(1, 48, 56, KIND_PROMO_Q, 0);
  const int32_t capture_promo = Move_word(1, 49, 56, KIND_CAPTURE_PROMO_N, 4);
  const int32_t passage = Move_word(1, 36, 43, KIND_TAKING_PASSAGE, 1);
  T_PV line = Line({promo, capture_promo, passage}, 5);
  EXPECT_EQ(Root_line(5, line, 106, 1, 1, 1.0),
            "info  nps 1 depth 106 seldepth 3 score cp 5 nodes 1 pv a7a8q b7a8n e5d6 \n");
}

TEST(InfoRootLine, ScoreDisagreeingWithTheLineGivesTheErrorBlock) {
  T_PV line = Line({e2e4}, 12);
  EXPECT_EQ(Root_line(40, line, 107, 1, 1, 1.0),
            "info  nps 1 depth 107 seldepth 1 score cp 40 nodes 1\nERROR LINE \n value = 40\n"
            " p_PV_best_point.score_move = 12\n**********************\n  \n\n");
}

TEST(InfoCurrmove, NamesTheMoveWithoutPromotionLetter) {
  T_List_moves list{};
  list.move[0] = Move_word(1, 48, 56, KIND_PROMO_Q, 0);
  list.end_list = 1;
  testing::internal::CaptureStdout();
  Info_currmove(&list, 0, 3, 7);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "info currmove a7a8 currmovenumber 3 depth 7\n");
}

TEST(PvFromLine, CopiesTheCurrentLineUpToPly) {
  current_line[0] = e2e4;
  current_line[1] = e7e5;
  current_line[2] = e2e4;
  Pv_from_line(2, -17);
  EXPECT_EQ(PV_returned.length, 2);
  EXPECT_EQ(PV_returned.score_move, -17);
  EXPECT_EQ(PV_returned.moves[1], e7e5);
  Pv_from_line(0, 5);
  EXPECT_EQ(PV_returned.length, 0);
  EXPECT_EQ(PV_returned.score_move, 5);
}

}  // namespace
