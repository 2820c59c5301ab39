#include "board/perft.h"

#include <gtest/gtest.h>

#include <cstring>

#include "board_helpers.h"
#include "eval/parameters.h"

namespace {

struct Case {
  const char* fen;
  int depth;
  uint64_t leaves;
};

// Published counts at depths that take a few milliseconds each.
const Case CASES[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 97862},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890},
};

TEST(Perft, PublishedCountsAtCheapDepths) {
  Eval_parameters_default();
  for (const Case& c : CASES) {
    T_Bitboard p = From_fen(c.fen);
    const T_Bitboard before = p;
    EXPECT_EQ(Perft_count(&p, c.depth), c.leaves) << c.fen;
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << "position changed: " << c.fen;
  }
}

TEST(Perft, DivideSplitsTheTotalByLegalRootMove) {
  Eval_parameters_default();
  T_Bitboard p = From_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  int32_t moves[LIST_CAPACITY];
  uint64_t leaves[LIST_CAPACITY];
  const int n = Perft_divide(&p, 2, moves, leaves);
  ASSERT_EQ(n, 48);
  uint64_t total = 0;
  for (int i = 0; i < n; ++i) total += leaves[i];
  EXPECT_EQ(total, 2039u);
  EXPECT_STREQ(Move_text(moves[0]).text, "g2h3");  // captures first, the lowest pawn first
  EXPECT_EQ(Perft_count(&p, 0), 1u);

  // Checkmate and stalemate leave no legal move.
  T_Bitboard mate = From_fen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(Perft_count(&mate, 1), 0u);
  T_Bitboard stalemate = From_fen("7k/5Q2/8/8/8/8/8/6K1 b - - 0 1");
  EXPECT_EQ(Perft_count(&stalemate, 1), 0u);
}

}  // namespace
