#include "board/makemove.h"

#include <gtest/gtest.h>

#include <string>

#include "board/attack.h"
#include "board/diagnostics.h"
#include "board/tables.h"
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

  static void Make(bool white, int i, T_Bitboard* p, T_Undo* u, const T_List_moves& l) {
    if (white)
      Make_move_white(i, p, u, &l);
    else
      Make_move_black(i, p, u, &l);
  }
  static void Unmake(bool white, int i, T_Bitboard* p, const T_Undo& u, const T_List_moves& l) {
    if (white)
      Unmake_move_white(p, i, &u, &l);
    else
      Unmake_move_black(p, i, &u, &l);
  }

  // Makes the move named text (first match) and returns its list index.
  static int Play(bool white, const std::string& text, T_Bitboard* p, T_Undo* u, T_List_moves* l) {
    *l = All_moves(*p, white);
    for (int i = 0; i < l->end_list; ++i) {
      if (Move_name(l->move[i]) == text) {
        Make(white, i, p, u, *l);
        return i;
      }
    }
    ADD_FAILURE() << "no move " << text;
    return -1;
  }

  // Walks every pseudo-legal move to the given depth. After each make the
  // incremental key must equal the key from scratch and eval the material;
  // after each unmake every field must be back (Test_bitboard prints it).
  static void Walk(T_Bitboard* p, bool white, int depth, int* moves) {
    const T_List_moves list = All_moves(*p, white);
    for (int i = 0; i < list.end_list; ++i) {
      T_Bitboard before;
      Bitboard_copy(&before, p);
      T_Undo undo;
      Make(white, i, p, &undo, list);
      Hash_key_move(white ? 1 : 0, &list, i, p);
      T_Bitboard fresh = *p;
      Start_hash_key(&fresh);
      ASSERT_EQ(p->hash_key, fresh.hash_key) << Move_name(list.move[i]);
      ASSERT_EQ(p->eval, Material(*p)) << Move_name(list.move[i]);
      ASSERT_EQ(p->all_piece, p->all_white_piece | p->all_black_piece);
      ++*moves;
      const bool legal = (white ? King_white_check(p) : King_black_check(p)) == 0;
      if (legal && depth > 1) Walk(p, !white, depth - 1, moves);
      Unmake(white, i, p, undo, list);
      Hash_key_move(white ? 1 : 0, &list, i, p);
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
  for (const char* fen : fens) {
    T_Bitboard p = Ready(fen);
    int moves = 0;
    testing::internal::CaptureStdout();
    Walk(&p, p.colour_move, 3, &moves);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "") << fen;
    EXPECT_GT(moves, 1000) << fen;
  }
}

TEST_F(MakeUnmake, DoubleStepSetsAndRestoresEnPassantFields) {
  T_Bitboard p = Ready("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  p.taking_passage_x = 6;
  p.taking_passage_y = 7;
  T_Undo u;
  T_List_moves l;
  const int i = Play(true, "e2e4", &p, &u, &l);
  EXPECT_TRUE(p.taking_passage_yes);
  EXPECT_EQ(p.taking_passage_x, 4);
  EXPECT_EQ(p.taking_passage_y, 2);
  Unmake(true, i, &p, u, l);
  EXPECT_FALSE(p.taking_passage_yes);
  EXPECT_EQ(p.taking_passage_x, 6);
  EXPECT_EQ(p.taking_passage_y, 7);

  T_Bitboard b = Ready("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  Play(false, "d7d5", &b, &u, &l);
  EXPECT_TRUE(b.taking_passage_yes);
  EXPECT_EQ(b.taking_passage_x, 3);
  EXPECT_EQ(b.taking_passage_y, 5);
  // Any other move clears the flag.
  Play(true, "g1f3", &b, &u, &l);
  EXPECT_FALSE(b.taking_passage_yes);
}

TEST_F(MakeUnmake, CastlingRightsFollowKingAndRookMoves) {
  T_Undo u;
  T_List_moves l;
  T_Bitboard p = Ready("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  int i = Play(true, "e1g1", &p, &u, &l);
  EXPECT_EQ(p.white_name_from_coord[6], PIECE_KING);
  EXPECT_EQ(p.white_name_from_coord[5], PIECE_ROOK);
  EXPECT_EQ(p.white_name_from_coord[7], 0);
  EXPECT_EQ(p.white_piece[PIECE_ROOK], one_bit[0] | one_bit[5]);
  EXPECT_FALSE(p.castling_K);
  EXPECT_FALSE(p.castling_Q);
  EXPECT_TRUE(p.castling_k && p.castling_q);
  Unmake(true, i, &p, u, l);
  EXPECT_EQ(p.white_piece[PIECE_ROOK], one_bit[0] | one_bit[7]);
  EXPECT_TRUE(p.castling_K && p.castling_Q);

  i = Play(true, "a1b1", &p, &u, &l);
  EXPECT_FALSE(p.castling_Q);
  EXPECT_TRUE(p.castling_K);
  Unmake(true, i, &p, u, l);

  // Taking the rook on h8 removes Black's short right, and unmake brings it
  // back whatever it was.
  i = Play(true, "h1h8", &p, &u, &l);
  EXPECT_FALSE(p.castling_k);
  EXPECT_FALSE(p.castling_K);  // the rook left h1 too
  EXPECT_TRUE(p.castling_q);
  Unmake(true, i, &p, u, l);
  EXPECT_TRUE(p.castling_k);
  p.castling_k = false;
  i = Play(true, "h1h8", &p, &u, &l);
  Unmake(true, i, &p, u, l);
  EXPECT_FALSE(p.castling_k);

  T_Bitboard b = Ready("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
  i = Play(false, "e8c8", &b, &u, &l);
  EXPECT_EQ(b.black_name_from_coord[58], PIECE_KING);
  EXPECT_EQ(b.black_name_from_coord[59], PIECE_ROOK);
  EXPECT_EQ(b.black_name_from_coord[56], 0);
  EXPECT_FALSE(b.castling_k || b.castling_q);
  EXPECT_TRUE(b.castling_K && b.castling_Q);
  Unmake(false, i, &b, u, l);
  i = Play(false, "a8a1", &b, &u, &l);
  EXPECT_FALSE(b.castling_Q);
  EXPECT_FALSE(b.castling_q);
  EXPECT_TRUE(b.castling_K && b.castling_k);
}

TEST_F(MakeUnmake, MaterialOfEnPassantAndPromotions) {
  T_Undo u;
  T_List_moves l;
  T_Bitboard p = Ready("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  const int32_t start = p.eval;
  int i = Play(true, "e5d6", &p, &u, &l);
  EXPECT_EQ(p.eval, start + 100);
  EXPECT_EQ(p.black_name_from_coord[35], 0);
  EXPECT_EQ(p.black_piece[PIECE_PAWN], 0u);
  Unmake(true, i, &p, u, l);
  EXPECT_EQ(p.black_name_from_coord[35], PIECE_PAWN);
  EXPECT_EQ(p.black_piece[PIECE_PAWN], one_bit[35]);
  EXPECT_EQ(p.eval, start);

  T_Bitboard q = Ready("r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1");
  const int32_t before = q.eval;
  i = Play(true, "b7a8n", &q, &u, &l);
  EXPECT_EQ(Move_kind(l.move[i]), KIND_CAPTURE_PROMO_N);
  EXPECT_EQ(q.eval, before + 600 + 400 - 100);
  EXPECT_FALSE(q.castling_q);
  EXPECT_EQ(q.white_name_from_coord[56], PIECE_KNIGHT);
  Unmake(true, i, &q, u, l);
  EXPECT_EQ(q.eval, before);
  EXPECT_TRUE(q.castling_q);
  EXPECT_EQ(q.black_name_from_coord[56], PIECE_ROOK);
  EXPECT_EQ(q.white_name_from_coord[49], PIECE_PAWN);

  T_Bitboard b = Ready("4k3/8/8/8/8/8/p7/4K3 b - - 0 1");
  i = Play(false, "a2a1q", &b, &u, &l);
  EXPECT_EQ(b.eval, Material(b));
  EXPECT_EQ(b.eval, -90000 + 90000 - 1100);
  Unmake(false, i, &b, u, l);
  EXPECT_EQ(b.eval, -100);
}

}  // namespace
