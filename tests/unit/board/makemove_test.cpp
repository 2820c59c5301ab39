#include "board/makemove.h"

#include <gtest/gtest.h>

#include <string>

#include "board/by_colour.h"
#include "board/diagnostics.h"
#include "board_helpers.h"
#include "eval/parameters.h"
#include "hash/zobrist.h"

namespace {

// Material from scratch: what make and unmake must keep in eval.
int32_t Material(const T_Bitboard& p) {
  int32_t sum = 0;
  for (int s = 0; s < 64; ++s) {
    sum += eval_parameters.cost_figure[p.white_name_from_coord[s]];
    sum -= eval_parameters.cost_figure[p.black_name_from_coord[s]];
  }
  return sum;
}

class MakeUnmake : public ::testing::Test {
 protected:
  void SetUp() override {
    Eval_parameters_default();
    Init_zobrist();
  }

  static T_Bitboard Ready(const char* fen) {
    T_Bitboard p = From_fen(fen);
    Start_hash_key(&p);
    p.eval = Material(p);
    return p;
  }

  // Walks every pseudo-legal move to the given depth. After each make the
  // incremental key must equal the key from scratch, eval the material and
  // the non-pawn material a fresh count; after each unmake every field must
  // be back (Test_bitboard prints it).
  template <Colour Us>
  static void Walk(T_Bitboard* p, int depth, int* moves, bool* kinds_seen) {
    T_List_moves list{};
    Generate_all<Us>(list, *p);
    for (int i = 0; i < list.end_list; ++i) {
      kinds_seen[Move_kind(list.move[i])] = true;
      T_Bitboard before;
      Bitboard_copy(&before, p);
      T_Undo undo;
      Make<Us>(list.move[i], *p, undo);
      Hash_key_move(Us, &list, i, p);
      T_Bitboard fresh = *p;
      Start_hash_key(&fresh);
      Non_pawn_material_count(&fresh);
      ASSERT_EQ(p->hash_key, fresh.hash_key) << Move_text(list.move[i]).text;
      ASSERT_EQ(p->white_non_pawn, fresh.white_non_pawn) << Move_text(list.move[i]).text;
      ASSERT_EQ(p->black_non_pawn, fresh.black_non_pawn) << Move_text(list.move[i]).text;
      ASSERT_EQ(p->eval, Material(*p)) << Move_text(list.move[i]).text;
      ASSERT_EQ(p->all_piece, p->all_white_piece | p->all_black_piece);
      ++*moves;
      if (King_attacked<Us>(*p) == 0 && depth > 1) Walk<Other(Us)>(p, depth - 1, moves, kinds_seen);
      Unmake<Us>(list.move[i], *p, undo);
      Hash_key_move(Us, &list, i, p);
      Test_bitboard(&before, p);
    }
  }
};

TEST_F(MakeUnmake, PerftWalksRestoreEveryFieldKeyAndMaterial) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "r3k2r/1P6/8/2pP4/8/8/8/R3K2R w KQkq c6 0 1",  // promotions, castling, en passant
      "r3k2r/8/8/8/2Pp4/8/1p6/R3K2R b KQkq c3 0 1",
  };
  bool kinds_seen[64] = {};
  for (const char* fen : fens) {
    T_Bitboard p = Ready(fen);
    int moves = 0;
    testing::internal::CaptureStdout();
    With_colour(Side_to_move(p), [&](auto us) { Walk<us>(&p, 3, &moves, kinds_seen); });
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "") << fen;
    EXPECT_GT(moves, 1000) << fen;
  }
  for (int kind : {1, 2, 3, 4, 5, 12, 13, 14, 15, 22, 23, 24, 25}) EXPECT_TRUE(kinds_seen[kind]) << kind;
}

}  // namespace
