#include "board/diagnostics.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board_helpers.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Runs each test in a fresh directory, since the dump goes to the working directory.
class Diagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(old_dir_, sizeof old_dir_), nullptr);
    char pattern[] = "/tmp/board_diag_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    std::remove("_TEST_BITBOARD.txt");
    ASSERT_EQ(chdir(old_dir_), 0);
    rmdir(dir_.c_str());
  }
  static std::string Dump_file() {
    std::ifstream in("_TEST_BITBOARD.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  char old_dir_[PATH_MAX];
  std::string dir_;
};

template <typename F>
std::string Output_of(F f) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}

TEST_F(Diagnostics, CaptureOfAnEmptySquareReportsAndDumps) {
  const T_Bitboard start = From_fen(START);
  EXPECT_EQ(Output_of([&] { Error_generator_captures_white(3, 12, 52, &start, 1); }), "");
  const std::string out = Output_of([&] { Error_generator_captures_white(3, 12, 28, &start, 120); });
  EXPECT_EQ(out,
            "ERROR Generator_captures p_bitboard->black_name_from_coord[*p_to]= 0\n"
            "ERROR Generator_captures from= 12\n"
            "ERROR Generator_captures to= 28\n"
            "ERROR Generator_captures name_figure= 120\n");
  const std::string dump = Dump_file();
  const std::string head =
      "bitboard->colour_move = 1\n\n"
      "p_bitboard->taking_passage_yes= 0\nbitboard->taking_passage_x= 0\np_bitboard->taking_passage_y= 0\n\n"
      "p_bitboard->castling_K= 1\np_bitboard->castling_Q= 1\np_bitboard->castling_k= 1\np_bitboard->castling_q= 1\n"
      "------------------------\n\n\n"
      "all_white_piece\n";
  ASSERT_EQ(dump.substr(0, head.size()), head);
  const std::string zeros = "0 0 0 0 0 0 0 0 \n", ones = "1 1 1 1 1 1 1 1 \n";
  std::string white_grid;
  for (int i = 0; i < 6; ++i) white_grid += zeros;
  white_grid += ones + ones;
  EXPECT_EQ(dump.substr(head.size(), white_grid.size() + 1), white_grid + "\n");
  // The king grid of White: e1 alone, written after "white_piece", a blank line and "6".
  EXPECT_NE(
      dump.find("\n6\n" + zeros + zeros + zeros + zeros + zeros + zeros + zeros + "0 0 0 0 1 0 0 0 \n\nblack_piece\n"),
      std::string::npos);
  const std::string tail = "============================================\n";
  EXPECT_EQ(dump.compare(dump.size() - tail.size(), tail.size(), tail), 0);

  // A second event appends a second picture after the first.
  Output_of([&] { Error_generator_captures_black(3, 52, 36, &start, 130); });
  const std::string twice = Dump_file();
  EXPECT_EQ(twice.size(), 2 * dump.size());
  EXPECT_EQ(twice.substr(dump.size()), dump);
}

TEST_F(Diagnostics, RangeChecksSkipMapsOutsideTheBoard) {
  const T_Bitboard start = From_fen(START);
  EXPECT_EQ(Output_of([&] { Error_generator_captures_black(-1, 64, -5, &start, 2); }),
            "ERROR Generator_captures p= -1\n"
            "ERROR Generator_captures from= 64\n"
            "ERROR Generator_captures to= -5\n");
  EXPECT_EQ(Output_of([&] { Error_generator_captures_black(257, 20, 12, &start, 2); }),
            "ERROR Generator_captures p= 257\n"
            "ERROR Generator_captures p_bitboard->black_name_from_coord[*p_from] = 0\n");
  EXPECT_EQ(Dump_file(), "");
  EXPECT_EQ(Output_of([] { Error_generator_move(256, 0, 63); }), "");
  EXPECT_EQ(Output_of([] { Error_generator_move(300, -1, 64); }),
            "ERROR Generator_move p= 300\nERROR Generator_move from= -1\nERROR Generator_move to= 64\n");
}

TEST_F(Diagnostics, ConsistencyTestNamesEachDifference) {
  const T_Bitboard start = From_fen(START);
  T_Bitboard copy;
  Bitboard_copy(&copy, &start);
  EXPECT_EQ(Output_of([&] { Test_bitboard(&copy, &start); }), "");

  copy.castling_k = false;
  EXPECT_EQ(Output_of([&] { Test_bitboard(&copy, &start); }), "white test_castling_k != bitboard->castling_k\n");

  Bitboard_copy(&copy, &start);
  copy.hash_key ^= 1;
  copy.eval = 5;
  copy.white_piece[3] = 0;
  copy.black_piece[0] = 1;
  copy.black_name_from_coord[63] = 0;
  EXPECT_EQ(Output_of([&] { Test_bitboard(&copy, &start); }),
            "white test_hash_key !=  bitboard->hash_key\n"
            "white test_eval != bitboard->eval\n"
            "white test_black_piece[n] = bitboard->black_piece[n]0\n"
            "white test_white_piece[n] = bitboard->white_piece[n]3\n"
            "white test_black_name_from_coord[k] = bitboard->black_name_from_coord[k]63\n");
}

}  // namespace
