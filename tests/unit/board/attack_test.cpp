#include "board/attack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/by_colour.h"
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

// Make_legal decides most moves from what Legality found before them
// (pins, attackers, evasions) instead of the attack test after them, and
// Gives_check from what Check_test found (where each piece would attack the
// opponent's king from). They must agree with the attack tests after each
// move, and Make_legal must leave the position as the plain make (or
// nothing) leaves it: checked on random boards, many with a king attacked
// once or twice, pinned pieces, several kings or none, and en-passant
// squares, and along random games.
template <Colour Us>
void Expect_plain_legality(T_Bitboard& p, const std::string& fen) {
  T_List_moves list{};
  Generate_all<Us>(list, p);
  const T_Legality legality = Legality<Us>(p);
  const T_Check_test checks = Check_test<Us>(p);
  for (int i = 0; i < list.end_list; ++i) {
    const T_Bitboard before = p;
    T_Undo undo;
    Make<Us>(list.move[i], p, undo);
    const bool legal = King_attacked<Us>(p) == 0;
    ASSERT_EQ(Gives_check<Us>(list.move[i], p, checks), King_attacked<Other(Us)>(p) != 0)
        << fen << " " << Move_text(list.move[i]).text;
    const T_Bitboard made = p;
    Unmake<Us>(list.move[i], p, undo);
    ASSERT_EQ(Make_legal<Us>(list.move[i], p, undo, legality), legal) << fen << " " << Move_text(list.move[i]).text;
    ASSERT_EQ(std::memcmp(&p, legal ? &made : &before, sizeof p), 0) << fen << " " << Move_text(list.move[i]).text;
    if (legal) Unmake<Us>(list.move[i], p, undo);
  }
}

TEST(KingAttack, LegalityBeforeTheMoveMatchesTheAttackTestAfterIt) {
  std::mt19937 random(2024);
  const char pieces[] = "PNBRQKpnbrqkBRQbrq";  // sliders twice: more pins and line attacks
  const char* passages[] = {"-", "-", "c6", "d6", "e3", "f3", "a6", "h3"};
  for (int trial = 0; trial < 4000; ++trial) {
    std::string fen = Random_placement(random, pieces, 4);
    fen += std::string(trial % 2 ? " w" : " b") + " KQkq " + passages[random() % 8] + " 0 1";
    T_Bitboard p = From_fen(fen);
    With_colour(Side_to_move(p), [&](auto us) { Expect_plain_legality<us>(p, fen); });
  }
  const char* cases[] = {
      "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",   // taking en passant empties the rank to the king
      "8/8/8/5k2/3pP3/8/8/4K3 b - e3 0 1",  // taking the checking pawn en passant
      "7k/8/8/3K4/4K3/8/8/b7 w - - 0 1",    // two kings: the lower one moves and is the one looked at
      "1k6/8/8/B7/8/8/3k4/6K1 b - - 0 1",
      "4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",   // castling: the rook gives check
      "k7/2P5/8/8/8/8/8/4K3 w - - 0 1",     // promotions give check or not by the piece
      "7k/8/8/4pP2/8/8/8/B3K3 w - e6 0 1",  // en passant uncovers the bishop
      "8/8/8/8/1k6/8/2N5/K2R4 w - - 0 1",   // the knight uncovers the rook
  };
  for (const char* fen : cases) {
    T_Bitboard p = From_fen(fen);
    With_colour(Side_to_move(p), [&](auto us) { Expect_plain_legality<us>(p, fen); });
  }
  for (int game = 0; game < 40; ++game) {
    T_Bitboard p = From_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int ply = 0; ply < 120; ++ply) {
      const bool white = ply % 2 == 0;
      With_colour(white ? WHITE : BLACK, [&](auto us) { Expect_plain_legality<us>(p, "game"); });
      // A random legal move, if there is one.
      T_List_moves list = All_moves(p, white);
      bool moved = false;
      for (int tries = 0; tries < 50 && !moved && list.end_list > 0; ++tries) {
        const int32_t move = list.move[random() % list.end_list];
        T_Undo undo;
        With_colour(white ? WHITE : BLACK, [&](auto us) {
          Make<us>(move, p, undo);
          moved = King_attacked<us>(p) == 0;
          if (!moved) Unmake<us>(move, p, undo);
        });
      }
      if (!moved) break;
    }
  }
}

}  // namespace
