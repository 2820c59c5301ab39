#include "board/attack.h"

#include <gtest/gtest.h>

#include "board_helpers.h"

namespace {

int White_check(const char* fen) {
  const T_Bitboard position = From_fen(fen);
  return King_white_check(&position);
}

int Black_check(const char* fen) {
  const T_Bitboard position = From_fen(fen);
  return King_black_check(&position);
}

TEST(KingAttack, ReportsTheFirstAttackerInTestOrder) {
  EXPECT_EQ(White_check("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
  EXPECT_EQ(Black_check("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
  EXPECT_EQ(White_check("4q2k/8/8/8/8/8/8/4K3 w - - 0 1"), 5);
  EXPECT_EQ(White_check("4r2k/8/8/8/8/8/4P3/4K3 w - - 0 1"), 0);  // own pawn shields
  EXPECT_EQ(White_check("7k/8/8/8/7b/8/8/4K3 w - - 0 1"), 3);
  EXPECT_EQ(White_check("4r2k/8/8/8/8/3n4/8/4K3 w - - 0 1"), 4);  // rook lines before knights
  EXPECT_EQ(White_check("7k/8/8/3p1p2/4K3/8/8/8 w - - 0 1"), 1);
  EXPECT_EQ(White_check("7k/8/8/4p3/4K3/8/8/8 w - - 0 1"), 0);
  EXPECT_EQ(White_check("7k/8/p7/8/7K/8/8/8 w - - 0 1"), 0);  // no wrap across the edge
  EXPECT_EQ(White_check("7k/8/8/8/8/8/3n4/1K6 w - - 0 1"), 2);
  EXPECT_EQ(White_check("8/8/8/8/8/8/3k4/4K3 w - - 0 1"), 6);
  EXPECT_EQ(White_check("7k/8/8/8/8/8/8/r3K3 w - - 0 1"), 4);  // westward
  EXPECT_EQ(White_check("7k/8/8/8/8/8/8/r2NK3 w - - 0 1"), 0);
  EXPECT_EQ(White_check("7k/8/8/8/8/8/8/b3K3 w - - 0 1"), 0);  // a bishop on a rook line
  EXPECT_EQ(Black_check("4k3/3P4/8/8/8/8/8/4K3 b - - 0 1"), 1);
  EXPECT_EQ(Black_check("4k3/5P2/8/8/8/8/8/4K3 b - - 0 1"), 1);
  EXPECT_EQ(Black_check("4k3/8/8/8/8/8/8/4KR1Q b - - 0 1"), 0);
  EXPECT_EQ(Black_check("4k3/8/8/8/Q7/8/8/4K3 b - - 0 1"), 5);  // along the diagonal
  EXPECT_EQ(Black_check("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1"), 4);
}

TEST(KingAttack, EdgeSquaresAndMissingKings) {
  // Kings on the ranks where no pawn test is made, with pawns next to them.
  EXPECT_EQ(White_check("1p2K3/8/8/8/8/8/8/7k w - - 0 1"), 0);
  EXPECT_EQ(Black_check("k7/8/8/8/8/8/8/1P2k3 b - - 0 1"), 0);
  EXPECT_EQ(Black_check("K7/8/8/8/8/8/1k6/P1P5 b - - 0 1"),
            0);                                             // Black king on b2: squares a1 and c1 are not looked at
  EXPECT_EQ(White_check("7k/8/8/8/8/8/8/8 w - - 0 1"), 0);  // no White king at all
  EXPECT_EQ(Black_check("8/8/8/8/8/8/8/Q3K3 b - - 0 1"), 0);
  EXPECT_EQ(White_check("7k/8/8/8/8/8/7p/6K1 w - - 0 1"), 1);
  EXPECT_EQ(White_check("7k/8/8/8/8/8/p7/7K w - - 0 1"), 0);
}

}  // namespace
