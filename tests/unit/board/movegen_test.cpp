#include "board/movegen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "board/diagnostics.h"
#include "board_helpers.h"
#include "eval/evaluation.h"
#include "search/ordering.h"

namespace {

using Names = std::vector<std::string>;

class Generator : public ::testing::Test {
 protected:
  void SetUp() override { History_clear(); }
  void TearDown() override { History_clear(); }
};

TEST_F(Generator, StartPositionQuietOrderAndHistoryKeys) {
  history[6][21] = 40;   // g1f3
  history[12][28] = -7;  // e2e4
  const T_Bitboard start = From_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

  const T_List_moves white = All_moves(start, true);
  EXPECT_EQ(white.end_captures, 0);
  ASSERT_EQ(white.end_list, 20);
  EXPECT_EQ(Names_of(white, 0, 8), (Names{"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3", "b2b4"}));
  EXPECT_EQ(Names_of(white, 18, 20), (Names{"h2h3", "h2h4"}));
  EXPECT_EQ(white.move[13], Move_word(PIECE_PAWN, 12, 28, KIND_QUIET, 0));
  EXPECT_EQ(white.sort[13], -7);  // quiet keys are the history value alone
  EXPECT_EQ(white.sort[2], 40);
  EXPECT_EQ(white.sort[0], 0);
  EXPECT_EQ(Move_piece(white.move[0]), PIECE_KNIGHT);

  const T_List_moves black = All_moves(start, false);
  EXPECT_EQ(black.end_captures, 0);
  ASSERT_EQ(black.end_list, 20);
  // Black's pawn targets come in increasing square order: the double step first.
  EXPECT_EQ(Names_of(black, 0, 8), (Names{"b8a6", "b8c6", "g8f6", "g8h6", "a7a5", "a7a6", "b7b5", "b7b6"}));
}

TEST_F(Generator, PromotionsBeforePromotionCapturesWithKindKeys) {
  history[49][57] = 100;
  history[49][56] = 200;
  const T_List_moves white = Captures_only(From_fen("r1r4k/1P6/8/8/8/8/8/K7 w - - 0 1"), true);
  ASSERT_EQ(white.end_captures, 12);
  EXPECT_EQ(white.end_list, 12);
  EXPECT_EQ(Names_of(white, 0, 12), (Names{"b7b8q", "b7b8r", "b7b8b", "b7b8n", "b7a8q", "b7a8r", "b7a8b", "b7a8n",
                                           "b7c8q", "b7c8r", "b7c8b", "b7c8n"}));
  const int keys[12] = {115, 114, 113, 112, 225, 224, 223, 222, 25, 24, 23, 22};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(white.sort[i], keys[i]) << i;
    EXPECT_EQ(Move_piece(white.move[i]), PIECE_PAWN);
    EXPECT_EQ(Move_captured(white.move[i]), i < 4 ? 0 : PIECE_ROOK);
  }
  EXPECT_EQ(Move_kind(white.move[0]), KIND_PROMO_Q);
  EXPECT_EQ(Move_kind(white.move[7]), KIND_CAPTURE_PROMO_N);

  const T_List_moves black = Captures_only(From_fen("k7/8/8/8/8/8/1p6/R1R4K b - - 0 1"), false);
  EXPECT_EQ(Names_of(black, 0, 12), (Names{"b2b1q", "b2b1r", "b2b1b", "b2b1n", "b2a1q", "b2a1r", "b2a1b", "b2a1n",
                                           "b2c1q", "b2c1r", "b2c1b", "b2c1n"}));
  EXPECT_EQ(black.sort[4], 25);
}

TEST_F(Generator, EnPassantTargetsForBothColoursAndBothSides) {
  history[36][43] = 9;
  const T_List_moves white = Captures_only(From_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), true);
  ASSERT_EQ(white.end_list, 1);
  EXPECT_EQ(white.move[0], Move_word(PIECE_PAWN, 36, 43, KIND_TAKING_PASSAGE, PIECE_PAWN));
  EXPECT_EQ(white.sort[0], 14);

  const T_List_moves black = Captures_only(From_fen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1"), false);
  ASSERT_EQ(black.end_list, 1);
  EXPECT_EQ(black.move[0], Move_word(PIECE_PAWN, 28, 19, KIND_TAKING_PASSAGE, PIECE_PAWN));

  EXPECT_EQ(Names_of(Captures_only(From_fen("4k3/8/8/6pP/8/8/8/4K3 w - g6 0 1"), true), 0, 1), Names{"h5g6"});
  EXPECT_EQ(Names_of(Captures_only(From_fen("4k3/8/8/Pp6/8/8/8/4K3 w - b6 0 1"), true), 0, 1), Names{"a5b6"});
  EXPECT_EQ(Names_of(Captures_only(From_fen("4k3/8/8/8/pP6/8/8/4K3 b - b3 0 1"), false), 0, 1), Names{"a4b3"});
}

TEST_F(Generator, EnPassantFieldsOutOfRangeStayOnTheBoard) {
  // Pawns of both colours on every square of both en-passant ranks; every
  // stored field value, -1 included, must give targets on the board only.
  // Files alternate colours, so every diagonal neighbour is an enemy pawn.
  T_Bitboard position = From_fen("4k3/8/8/PpPpPpPp/pPpPpPpP/8/8/4K3 w - - 0 1");
  int generated = 0;
  for (int x = -1; x < 8; ++x) {
    for (int y = -1; y < 8; ++y) {
      position.taking_passage_yes = true;
      position.taking_passage_x = x;
      position.taking_passage_y = y;
      for (bool white : {true, false}) {
        const T_List_moves list = Captures_only(position, white);
        for (int i = 0; i < list.end_list; ++i) {
          if (Move_kind(list.move[i]) != KIND_TAKING_PASSAGE) continue;
          const int f = Move_from(list.move[i]), t = Move_to(list.move[i]);
          EXPECT_EQ(t, x + 8 * y);
          EXPECT_TRUE(t - f == 7 || t - f == 9 || f - t == 7 || f - t == 9) << f << " " << t;
          EXPECT_EQ(std::abs(t % 8 - f % 8), 1) << "wrapped across the edge: " << f << " " << t;
          ++generated;
        }
      }
    }
  }
  EXPECT_GT(generated, 0);
}

TEST_F(Generator, EnPassantNeedsThePawnThatDoubleStepped) {
  // A FEN may name an en-passant square no double step produced. Taking a
  // pawn that is not there would put a phantom pawn into the record.
  auto passages = [](const std::string& fen, bool white) {
    const T_List_moves list = Captures_only(From_fen(fen), white);
    int count = 0;
    for (int i = 0; i < list.end_list; ++i) count += Move_kind(list.move[i]) == KIND_TAKING_PASSAGE;
    return count;
  };
  EXPECT_EQ(passages("4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", true), 1);
  EXPECT_EQ(passages("4k3/8/8/3P4/8/8/8/4K3 w - e6 0 1", true), 0);     // no pawn behind e6
  EXPECT_EQ(passages("4k3/8/8/3Pn3/8/8/8/4K3 w - e6 0 1", true), 0);    // a knight, not a pawn
  EXPECT_EQ(passages("4k3/8/4r3/3Pp3/8/8/8/4K3 w - e6 0 1", true), 0);  // e6 occupied
  EXPECT_EQ(passages("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", false), 1);
  EXPECT_EQ(passages("4k3/8/8/8/3p4/8/8/4K3 b - e3 0 1", false), 0);
}

TEST_F(Generator, CapturePieceOrderAndVictimMinusAttackerKeys) {
  const T_Bitboard position = From_fen("4k1br/8/8/2q2p2/4Pn2/1N6/p7/K1B3RQ w - - 0 1");
  const T_List_moves list = Captures_only(position, true);
  EXPECT_EQ(Names_of(list, 0, list.end_list), (Names{"e4f5", "b3c5", "c1f4", "g1g8", "h1h8", "a1a2"}));
  const int keys[6] = {0, 3, -1, -1, -1, -5};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(list.sort[i], keys[i]) << i;
  EXPECT_EQ(Move_captured(list.move[1]), PIECE_QUEEN);
  EXPECT_EQ(Move_kind(list.move[1]), KIND_CAPTURE);

  // An attacked king is captured like any other piece.
  const T_List_moves king = Captures_only(From_fen("4k3/8/8/8/8/8/8/4RK2 w - - 0 1"), true);
  ASSERT_EQ(king.end_list, 1);
  EXPECT_EQ(Move_captured(king.move[0]), PIECE_KING);
  EXPECT_EQ(king.sort[0], 2);
}

TEST_F(Generator, CaptureSelfCheckReportsAFaultyMapAndKeepsTheMove) {
  // The knight on e3 is missing from White's square map: the capture of d5
  // is still listed, and the self-check names the faulty entry once.
  T_Bitboard position = From_fen("4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1");
  position.white_name_from_coord[20] = 0;
  testing::internal::CaptureStdout();
  const T_List_moves list = Captures_only(position, true);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR Generator_captures p_bitboard->white_name_from_coord[*from] = 0\n");
  EXPECT_EQ(Names_of(list, 0, list.end_list), (Names{"e3d5"}));
}

TEST_F(Generator, QueenCapturesDirectionOrderForBothColours) {
  const T_List_moves white = Captures_only(From_fen("k7/p2r2q1/8/8/n2Q3p/8/1r3n2/3b3K w - - 0 1"), true);
  EXPECT_EQ(Names_of(white, 0, white.end_list),
            (Names{"d4d7", "d4a4", "d4d1", "d4h4", "d4g7", "d4a7", "d4b2", "d4f2"}));
  const int keys[8] = {-1, -3, -2, -4, 0, -4, -1, -3};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(white.sort[i], keys[i]) << i;

  const T_List_moves black = Captures_only(From_fen("3R3k/1B3N2/8/N2q3P/8/8/P2R2P1/K7 b - - 0 1"), false);
  EXPECT_EQ(Names_of(black, 0, black.end_list),
            (Names{"d5d8", "d5a5", "d5d2", "d5h5", "d5f7", "d5b7", "d5a2", "d5g2"}));
}

TEST_F(Generator, CastlingOrderKeysAndConditions) {
  history[4][2] = 50;
  const T_List_moves both = All_moves(From_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), true);
  // King steps d1 d2 e2 f2 f1 in square order, then long and short castling.
  ASSERT_EQ(both.end_captures, 2);  // the rooks take each other first
  EXPECT_EQ(Names_of(both, 2, 9), (Names{"e1d1", "e1f1", "e1d2", "e1e2", "e1f2", "e1c1", "e1g1"}));
  EXPECT_EQ(both.move[7], Move_word(PIECE_KING, 4, 2, KIND_O_O_O, 0));
  EXPECT_EQ(both.sort[7], 53);
  EXPECT_EQ(both.move[8], Move_word(PIECE_KING, 4, 6, KIND_O_O, 0));
  EXPECT_EQ(both.sort[8], 4);

  // The castling moves generated for the side to move, by name.
  auto castles = [](const char* fen) {
    const T_Bitboard p = From_fen(fen);
    const T_List_moves list = All_moves(p, p.colour_move);
    std::string names;
    for (int i = 0; i < list.end_list; ++i)
      if (Move_kind(list.move[i]) == KIND_O_O_O || Move_kind(list.move[i]) == KIND_O_O)
        names += std::string(Move_text(list.move[i]).text) + " ";
    return names;
  };
  EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1"), "e8c8 e8g8 ");
  EXPECT_EQ(castles("4k3/8/8/8/2b5/8/8/R3K2R w KQ - 0 1"), "e1c1 ");  // f1 attacked
  EXPECT_EQ(castles("1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1"), "e1c1 ");    // b1 need only be empty
  EXPECT_EQ(castles("4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1"), "");       // in check
  EXPECT_EQ(castles("r3k2r/8/8/2B5/8/8/8/4K3 b kq - 0 1"), "e8c8 ");  // f8 attacked
  EXPECT_EQ(castles("rn2k2r/8/8/8/8/8/8/4K3 b kq - 0 1"), "e8g8 ");   // b8 occupied
  // Rights claimed by a set-up position without the king or the rook in place.
  EXPECT_EQ(castles("4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1"), "");
  EXPECT_EQ(castles("4k3/8/8/8/8/8/8/R2K3R w KQ - 0 1"), "");
  EXPECT_EQ(castles("4k3/8/8/8/8/8/8/4K2r w K - 0 1"), "");
  EXPECT_EQ(castles("r2k3r/8/8/8/8/8/8/4K3 b kq - 0 1"), "");
}

TEST(CastlingAttack, ReturnsTheAttackerCodeOrZero) {
  auto attacked = [](const char* fen, int square) {
    const T_Bitboard p = From_fen(fen);
    return p.colour_move ? White_castling_attacked(&p, square) : Black_castling_attacked(&p, square);
  };
  EXPECT_EQ(attacked("3qk3/8/8/8/8/8/8/4K3 w - - 0 1", 3), 5);
  EXPECT_EQ(attacked("4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 2), 4);  // westward along the rank
  EXPECT_EQ(attacked("4k3/8/8/6b1/8/8/8/4K3 w - - 0 1", 2), 3);
  EXPECT_EQ(attacked("4k3/8/8/8/8/4n3/8/4K3 w - - 0 1", 3), 2);
  EXPECT_EQ(attacked("8/8/8/8/8/8/3k4/4K3 w - - 0 1", 3), 6);
  EXPECT_EQ(attacked("4k3/8/8/8/8/8/4p3/4K3 w - - 0 1", 3), 1);
  EXPECT_EQ(attacked("3qk3/8/8/8/8/8/3P4/4K3 w - - 0 1", 3), 0);  // own piece shields
  EXPECT_EQ(attacked("4k3/8/8/8/8/8/8/3QK3 b - - 0 1", 59), 5);
  EXPECT_EQ(attacked("4k3/4P3/8/8/8/8/8/4K3 b - - 0 1", 59), 1);
  EXPECT_EQ(attacked("4k2R/8/8/8/8/8/8/4K3 b - - 0 1", 61), 4);  // eastward
  EXPECT_EQ(attacked("4k3/8/8/8/8/8/8/4K3 b - - 0 1", 61), 0);
}

TEST_F(Generator, BogusBoardsStayInsideTheBoardAndTheList) {
  // Pawns on their own last rank and on the first rank, and no Black king.
  const T_Bitboard odd = From_fen("P6P/8/8/8/8/8/8/p3K2p w - - 0 1");
  const T_List_moves white = All_moves(odd, true);
  EXPECT_EQ(Names_of(white, 0, white.end_list), (Names{"e1d1", "e1f1", "e1d2", "e1e2", "e1f2"}));
  EXPECT_EQ(All_moves(odd, false).end_list, 0);

  // Two White kings: only the first moves, and nothing goes astray.
  const T_List_moves kings = All_moves(From_fen("4k3/8/8/8/8/8/8/K3K3 w - - 0 1"), true);
  EXPECT_EQ(Names_of(kings, 0, kings.end_list), (Names{"a1b1", "a1a2", "a1b2"}));
}

// The capture search takes the sliders' reach from the evaluation of the
// same position; the lists must be the ones the tables give.
TEST_F(Generator, CapturesAfterEvaluationMatchThePlainGenerator) {
  std::mt19937 random(99);
  const char pieces[] = "PNBRQKpnbrqk";
  for (int trial = 0; trial < 5000; ++trial) {
    const std::string fen = Random_placement(random, pieces, 3);
    const T_Bitboard position = From_fen((fen + " w - - 0 1").c_str());
    T_Slider_reach reach;
    Evaluation(&position, &reach);
    for (const bool white : {true, false}) {
      T_List_moves plain{}, reused{};
      testing::internal::CaptureStdout();
      With_colour(white ? WHITE : BLACK, [&](auto us) {
        Generate_captures<us>(plain, position);
        Generate_captures<us>(reused, position, reach);
      });
      testing::internal::GetCapturedStdout();
      ASSERT_EQ(reused.end_list, plain.end_list) << fen;
      for (int i = 0; i < plain.end_list; ++i) {
        ASSERT_EQ(reused.move[i], plain.move[i]) << fen;
        ASSERT_EQ(reused.sort[i], plain.sort[i]) << fen;
      }
    }
  }
}

// A search node plans its quiet moves and writes them only when it gets to
// them: the plan must give the generator's list, count and members exactly,
// castling included, and leave crowded lists to the generator.
TEST_F(Generator, PlannedQuietMovesAreTheGeneratorsMoves) {
  std::mt19937 random(7);
  const char pieces[] = "PNBRQKpnbrqk";
  int planned = 0, written_at_once = 0, castling_moves = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    std::string placement = Random_placement(random, pieces, 3 + trial % 4);
    // Every other board gets kings and rooks on their home squares, with
    // the castling squares free or not.
    if (trial % 2 == 0) placement = "r3k2r/" + placement.substr(placement.find('/') + 1);
    if (trial % 2 == 0) placement = placement.substr(0, placement.rfind('/') + 1) + "R3K2R";
    const T_Bitboard position = From_fen((placement + (trial % 3 ? " w KQkq - 0 1" : " b KQkq - 0 1")).c_str());
    for (auto& row : history)
      for (auto& h : row) h = static_cast<int32_t>(random() % 21) - 10;
    for (const bool white : {true, false}) {
      T_List_moves eager{}, lazy{};
      T_Quiet_plan plan;
      bool is_planned = false;
      testing::internal::CaptureStdout();
      With_colour(white ? WHITE : BLACK, [&](auto us) {
        Generate_all<us>(eager, position);
        Generate_captures<us>(lazy, position);
        is_planned = Plan_quiet<us>(plan, lazy, position);
      });
      const std::string reports = testing::internal::GetCapturedStdout();
      const int quiets = eager.end_list - eager.end_captures;
      ASSERT_EQ(Planned_quiet_count(&plan), quiets) << placement;
      if (is_planned) {
        ++planned;
        ASSERT_TRUE(reports.empty()) << placement;
        ASSERT_EQ(lazy.end_list, lazy.end_captures) << placement;
        for (int i = 0; i < eager.end_list; ++i) {
          castling_moves += Move_kind(eager.move[i]) == KIND_O_O || Move_kind(eager.move[i]) == KIND_O_O_O;
          ASSERT_EQ(Planned_quiet(&plan, eager.move[i]), i >= eager.end_captures) << placement << " " << i;
          // The same move from another square, to another square, or as a capture.
          for (const int32_t other : {eager.move[i] ^ (1 << 12), eager.move[i] ^ (9 << 18), eager.move[i] | 1}) {
            bool listed = false;
            for (int j = eager.end_captures; j < eager.end_list; ++j) listed |= eager.move[j] == other;
            ASSERT_EQ(Planned_quiet(&plan, other), listed) << placement << " " << i;
          }
        }
        Write_planned_quiets(&plan);
      } else {
        ++written_at_once;
      }
      ASSERT_EQ(lazy.end_list, eager.end_list) << placement;
      for (int i = 0; i < eager.end_list; ++i) {
        ASSERT_EQ(lazy.move[i], eager.move[i]) << placement << " " << i;
        ASSERT_EQ(lazy.sort[i], eager.sort[i]) << placement << " " << i;
      }
    }
  }
  // Both ways were taken, and castling was among the planned moves.
  EXPECT_GT(planned, 1000);
  EXPECT_GT(written_at_once, 100);
  EXPECT_GT(castling_moves, 100);
}

TEST_F(Generator, OverfullListStopsAtCapacityAndReports) {
  // A board crowded with queens has more than 256 quiet moves.
  const T_Bitboard queens = From_fen("QQQ2QQQ/3QQ2Q/QQ4Q1/Q5QQ/Q6Q/Q4Q1Q/Q6Q/QQQQQQQ1 w - - 0 1");
  T_List_moves list{};
  list.end_captures = -99;  // would be overwritten by a write past the arrays
  testing::internal::CaptureStdout();
  Generator_captures_white(&list, &queens);
  Generator_move_white(&queens, &list);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(list.end_captures, 0);
  EXPECT_EQ(list.end_list, 256);
  EXPECT_EQ(out, "ERROR Generator_move p= 257\n");  // the one move that found no room

  T_List_moves full{};
  full.sort[0] = 1234;  // move[256] would land here
  full.end_captures = 77;
  int count = 256;
  List_add_move(&full, &count, PIECE_KING, 4, 6, KIND_O_O, 0);
  EXPECT_EQ(count, 257);
  EXPECT_EQ(full.sort[0], 1234);
  EXPECT_EQ(full.end_captures, 77);
}

}  // namespace
