#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../board/board_helpers.h"
#include "board/diagnostics.h"
#include "board/tables.h"
#include "eval/parameters.h"
#include "platform/io.h"
#include "uci/uci.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct Outcome {
  T_Bitboard position;
  std::string output;
};

// Runs a "position" line on an empty record, catching what it prints.
Outcome Position(const std::string& line) {
  Outcome o;
  o.position = T_Bitboard{};
  testing::internal::CaptureStdout();
  Position_command(line.c_str(), &o.position);
  o.output = testing::internal::GetCapturedStdout();
  return o;
}

// Field-by-field comparison through the board's own consistency test.
std::string Differences(const T_Bitboard& a, const T_Bitboard& b) {
  testing::internal::CaptureStdout();
  Test_bitboard(&a, &b);
  return testing::internal::GetCapturedStdout();
}

class PositionCommand : public ::testing::Test {
 protected:
  void SetUp() override { Eval_parameters_default(); }
};

TEST_F(PositionCommand, StartPositionWithoutFen) {
  const T_Bitboard p = Position("position startpos").position;
  EXPECT_EQ(p.all_white_piece, 0xFFFFull);
  EXPECT_EQ(p.all_black_piece, 0xFFFF000000000000ull);
  EXPECT_EQ(p.all_piece, 0xFFFF00000000FFFFull);
  EXPECT_EQ(p.white_piece[PIECE_KING], one_bit[4]);
  EXPECT_EQ(p.black_piece[PIECE_PAWN], 0x00FF000000000000ull);
  EXPECT_EQ(p.white_name_from_coord[4], PIECE_KING);
  EXPECT_EQ(p.black_name_from_coord[59], PIECE_QUEEN);
  EXPECT_TRUE(p.colour_move && p.castling_K && p.castling_Q && p.castling_k && p.castling_q);
  EXPECT_FALSE(p.taking_passage_yes);
  for (const char* line : {"position startpos ", "position whatever", "position x fen"})
    EXPECT_EQ(Differences(Position(line).position, p), "") << line;
}

TEST_F(PositionCommand, FenFields) {
  T_Bitboard p = From_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 0 1");
  EXPECT_FALSE(p.colour_move);
  EXPECT_TRUE(p.castling_K && p.castling_q);
  EXPECT_FALSE(p.castling_Q || p.castling_k);
  EXPECT_TRUE(p.taking_passage_yes);
  EXPECT_EQ(p.taking_passage_x, 4);
  EXPECT_EQ(p.taking_passage_y, 2);
  EXPECT_EQ(p.white_piece[PIECE_PAWN], 0xEF00ull | one_bit[28]);

  p = From_fen("8/8/8/8/8/8/8/8 w - - anything at all");
  EXPECT_TRUE(p.colour_move);
  EXPECT_FALSE(p.castling_K || p.castling_Q || p.castling_k || p.castling_q || p.taking_passage_yes);

  // A side letter other than w and b keeps the side; junk in the en-passant field reads as -1.
  p.colour_move = false;
  Fen_to_bitboard(&p, "fen 8/8/8/8/8/8/8/8 x - z9 0 1");
  EXPECT_FALSE(p.colour_move);
  EXPECT_TRUE(p.taking_passage_yes);
  EXPECT_EQ(p.taking_passage_x, -1);
  EXPECT_EQ(p.taking_passage_y, -1);

  // Two blanks after the side letter: the castling step sees a blank and the
  // castling letters are read as an en-passant field.
  p = From_fen("8/8/8/8/8/8/8/8 w  KQ - 0 1");
  EXPECT_FALSE(p.castling_K || p.castling_Q);
  EXPECT_TRUE(p.taking_passage_yes);
  EXPECT_EQ(p.taking_passage_x, -1);
  EXPECT_EQ(p.taking_passage_y, -1);
  p = From_fen("8/8/8/8/8/8/8/8 w  - e3 0 1");
  EXPECT_FALSE(p.taking_passage_yes);
}

TEST_F(PositionCommand, OversizedOrTruncatedFenStaysOnTheBoard) {
  // Nine squares in the first rank, nine ranks, and a digit run past the edge.
  T_Bitboard p = From_fen("rnbqkbnrR/8/8/8/8/8/8/8/QQQQ w - - 0 1");
  EXPECT_EQ(p.all_black_piece, 0xFF00000000000000ull);
  EXPECT_EQ(p.all_white_piece, 0u);  // the extra rook and the ninth rank are dropped
  p = From_fen("8/8/8/8/8/8/8/7K9R9Rk w - - 0 1");
  EXPECT_EQ(p.all_piece, one_bit[7]);
  EXPECT_EQ(p.white_name_from_coord[7], PIECE_KING);

  // Fields missing at the end of the text.
  for (const char* fen : {"fen", "fen ", "fen 4k3/8/8/8/8/8/8/4K3", "fen 4k3/8/8/8/8/8/8/4K3 w",
                          "fen 4k3/8/8/8/8/8/8/4K3 w KQ", "fen 4k3/8/8/8/8/8/8/4K3 w KQ e"}) {
    T_Bitboard q{};
    Fen_to_bitboard(&q, fen);
    EXPECT_FALSE(q.taking_passage_yes && q.taking_passage_y != -1) << fen;
  }
  T_Bitboard q{};
  Fen_to_bitboard(&q, "fen 4k3/8/8/8/8/8/8/4K3 w KQ e");
  EXPECT_TRUE(q.castling_K && q.castling_Q);
  EXPECT_EQ(q.taking_passage_x, 4);
  EXPECT_EQ(q.taking_passage_y, -1);
}

TEST_F(PositionCommand, ReplaysMovesAndToggleSide) {
  const Outcome o = Position("position startpos moves e2e4 e7e5");
  EXPECT_EQ(o.output, "");
  const T_Bitboard expected = From_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
  EXPECT_EQ(Differences(o.position, expected), "");
  EXPECT_EQ(o.position.taking_passage_x, 4);
  EXPECT_EQ(o.position.taking_passage_y, 5);

  // Blanks between and after the moves; castling given as the king's move.
  const Outcome c = Position("position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1   e8c8 ");
  EXPECT_EQ(c.output, "");
  EXPECT_EQ(Differences(c.position, From_fen("2kr3r/8/8/8/8/8/8/R4RK1 w - - 0 1")), "");
}

TEST_F(PositionCommand, PromotionLetters) {
  const std::string fen = "position fen 3q3k/4P3/8/8/8/8/8/K7 w - - 0 1 moves ";
  const struct {
    const char* move;
    int square;
    int piece;
  } cases[] = {{"e7e8", 60, PIECE_QUEEN},   {"e7e8q", 60, PIECE_QUEEN},  {"e7e8r", 60, PIECE_ROOK},
               {"e7e8b", 60, PIECE_BISHOP}, {"e7e8n", 60, PIECE_KNIGHT}, {"e7d8n", 59, PIECE_KNIGHT},
               {"e7d8", 59, PIECE_QUEEN},   {"e7d8r", 59, PIECE_ROOK}};
  for (const auto& c : cases) {
    const Outcome o = Position(fen + c.move);
    EXPECT_EQ(o.output, "") << c.move;
    EXPECT_EQ(o.position.white_name_from_coord[c.square], c.piece) << c.move;
    EXPECT_EQ(o.position.white_name_from_coord[52], 0) << c.move;
    EXPECT_FALSE(o.position.colour_move) << c.move;
  }
}

TEST_F(PositionCommand, BadMoveTextsWarnAndChangeNothing) {
  const T_Bitboard start = From_fen(START);
  for (const char* line :
       {"position startpos moves e7e5", "position startpos moves e2e5", "position startpos moves i2h3x",
        "position startpos moves e2e4q", "position startpos moves e2e"}) {
    const Outcome o = Position(line);
    EXPECT_EQ(o.output, "WARNING ! moves error\n") << line;
    EXPECT_EQ(Differences(o.position, start), "") << line;
  }
  // An upper-case promotion letter is refused; the replay goes on with the next move.
  const Outcome o = Position("position fen 7k/4P3/8/8/8/8/8/K7 w - - 0 1 moves e7e8Q a1b1");
  EXPECT_EQ(o.output, "WARNING ! moves error\n");
  EXPECT_EQ(o.position.white_name_from_coord[52], PIECE_PAWN);
  EXPECT_EQ(o.position.white_name_from_coord[1], PIECE_KING);
  EXPECT_FALSE(o.position.colour_move);

  // A short tail ends the replay after the moves before it were made.
  const Outcome t = Position("position startpos moves e2e4 e7");
  EXPECT_EQ(t.output, "WARNING ! moves error\n");
  EXPECT_FALSE(t.position.colour_move);
  EXPECT_EQ(t.position.white_name_from_coord[28], PIECE_PAWN);
}

TEST(CopyMovesText, KeepsTheTailAfterMoves) {
  static char moves[LINE_CAPACITY];
  std::memset(moves, 'x', sizeof moves);
  Copy_moves_text("position startpos moves e2e4  e7e5 ", moves);
  EXPECT_STREQ(moves, "e2e4  e7e5 ");
  EXPECT_EQ(moves[LINE_CAPACITY - 1], '\0');
  EXPECT_EQ(moves[100], '\0');
  Copy_moves_text("position startpos", moves);
  EXPECT_STREQ(moves, "");
  EXPECT_EQ(moves[5], '\0');
}

}  // namespace
