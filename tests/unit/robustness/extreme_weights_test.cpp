// Weights from the parameter file are not range-checked: with values at the
// ends of what the file can express, the material balance and the static
// score of a leaf must stay defined, consistent and within bounds.
#include <gtest/gtest.h>

#include <cstring>

#include "board/makemove.h"
#include "board/movegen.h"
#include "eval/evaluation.h"
#include "eval/parameters.h"
#include "search/nodes.h"
#include "uci/uci.h"

namespace {

class ExtremeWeights : public ::testing::Test {
 protected:
  void SetUp() override { Eval_parameters_default(); }
  void TearDown() override { Eval_parameters_default(); }

  // Eight-digit piece values (the most a value line holds) and table cells
  // at the 32-bit limits (table fields are read in full).
  static void Set_weights(int32_t piece, int32_t cell) {
    T_Eval_parameters& p = eval_parameters;
    p.QUEEN = p.ROOK = p.BISHOP = p.KNIGHT = p.PAWN = p.KING = piece;
    p.BONUS_SHIELD = p.BONUS_PAWNN = p.PERSPECTIVE_PAWNN = p.Z = p.ATAK_KING = piece;
    const int32_t cost[7] = {0, piece, piece, piece, piece, piece, piece};
    const int32_t rubikon[7] = {0, 0, piece, piece, piece, piece, 0};
    std::memcpy(p.cost_figure, cost, sizeof cost);
    std::memcpy(p.cost_figure_rubikon, rubikon, sizeof rubikon);
    for (int s = 0; s < 64; ++s)
      p.knight_center[s] = p.pawn_advance_middle[s] = p.pawn_advance_end[s] = p.king_center_end[s] = cell;
    Evaluation_parameters_changed();
  }

  static T_Bitboard Position(const char* fen) {
    T_Bitboard b;
    std::memset(&b, 0, sizeof b);
    Fen_to_bitboard(&b, fen);
    return b;
  }
};

TEST(MaterialAdd, WrapsAroundThirtyTwoBitsAndUndoesExactly) {
  EXPECT_EQ(Material_add(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(Material_add(INT32_MIN, -1), INT32_MAX);
  EXPECT_EQ(Material_add(Material_add(123, 5000000000LL), -5000000000LL), 123);
  EXPECT_EQ(Material_add(-7, 7), 0);
}

TEST_F(ExtremeWeights, MakeAndUnmakeKeepTheBalanceOfAFreshCount) {
  // Forty queens of 99,999,999: the balance needs 33 bits.
  Set_weights(99999999, 0);
  T_Bitboard b = Position("fen QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/k7/8/7K/QQQQQQQQ/QQQQQQQQ b - - 0 1");
  b.eval = Start_material(&b);
  T_List_moves list;
  Generator_captures_black(&list, &b);
  Generator_move_black(&b, &list);
  ASSERT_GT(list.end_captures, 0);
  for (int i = 0; i < list.end_list; ++i) {
    const int32_t before = b.eval;
    T_Undo undo;
    Make_move_black(i, &b, &undo, &list);
    EXPECT_EQ(b.eval, Start_material(&b)) << "move " << i;
    T_Bitboard counted = b;
    Non_pawn_material_count(&counted);
    EXPECT_EQ(b.white_non_pawn, counted.white_non_pawn) << "move " << i;
    EXPECT_EQ(b.black_non_pawn, counted.black_non_pawn) << "move " << i;
    Unmake_move_black(&b, i, &undo, &list);
    EXPECT_EQ(b.eval, before) << "move " << i;
  }
}

TEST_F(ExtremeWeights, StaticScoreStaysBelowTheMateScores) {
  const char* fens[] = {"fen QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/k7/8/7K/QQQQQQQQ/QQQQQQQQ w - - 0 1",
                        "fen qqqqqqqq/qqqqqqqq/qqqqqqqq/K7/8/7k/pppppppp/pppppppp b - - 0 1",
                        "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"};
  const int32_t weights[][2] = {{99999999, INT32_MAX}, {-9999999, INT32_MIN}, {99999999, INT32_MIN}};
  for (const auto& w : weights) {
    Set_weights(w[0], w[1]);
    for (const char* fen : fens) {
      T_Bitboard b = Position(fen);
      b.eval = Start_material(&b);
      const int s = Static_score(&b);
      EXPECT_LE(s, STATIC_SCORE_LIMIT) << fen;
      EXPECT_GE(s, -STATIC_SCORE_LIMIT) << fen;
    }
  }
  // Default weights: the static score is the plain sum.
  Eval_parameters_default();
  T_Bitboard b = Position("fen 4k3/8/8/8/8/8/8/QQQQK3 w - - 0 1");
  b.eval = Start_material(&b);
  EXPECT_EQ(Static_score(&b), Evaluation(&b) + 4 * 1100);
}

}  // namespace
