#include "hash/zobrist.h"

#include <gtest/gtest.h>

#include "../board/board_helpers.h"

namespace {

class Zobrist : public ::testing::Test {
 protected:
  void SetUp() override { Init_zobrist(); }
};

TEST(ZobristDraw, FirstDrawsOfAFreshGenerator) {
  uint32_t state = 1;
  const int expected[5] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(Zobrist_draw(&state), value);
}

TEST_F(Zobrist, TableIsFixedAndFilledOncePerCall) {
  EXPECT_EQ(zobrist_key[0][1][0], 0x6C118C5F33C24AE1ull);
  EXPECT_EQ(zobrist_key[1][1][0], 0xC11B831D29F7DF06ull);
  EXPECT_EQ(zobrist_key[1][0][10], 0u);  // piece code 0 has no keys
  const uint64_t last = zobrist_key[1][6][63];
  Init_zobrist();  // a second fill gives the same table
  EXPECT_EQ(zobrist_key[1][6][63], last);
  EXPECT_EQ(zobrist_key[0][1][0], 0x6C118C5F33C24AE1ull);
}

TEST_F(Zobrist, KeysFromScratchCoverPlacementOnly) {
  T_Bitboard empty{};
  Start_hash_key(&empty);
  EXPECT_EQ(empty.hash_key, ZOBRIST_START);
  EXPECT_EQ(ZOBRIST_START, 0xF3218F1C9510786Cull);

  T_Bitboard start = From_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  Start_hash_key(&start);
  EXPECT_EQ(start.hash_key, 0xB5373EA627A9F94Cull);

  T_Bitboard other = From_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b - e3 0 1");
  Start_hash_key(&other);
  EXPECT_EQ(other.hash_key, start.hash_key);
}

TEST_F(Zobrist, MoveUpdateIsItsOwnInverse) {
  T_Bitboard start = From_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  Start_hash_key(&start);
  T_List_moves list{};
  list.move[0] = Move_word(PIECE_PAWN, 12, 28, KIND_QUIET, 0);
  list.end_list = 1;
  Hash_key_move(1, &list, 0, &start);
  EXPECT_EQ(start.hash_key, 0x61C4B9272434CE94ull);
  Hash_key_move(1, &list, 0, &start);
  EXPECT_EQ(start.hash_key, 0xB5373EA627A9F94Cull);
}

}  // namespace
