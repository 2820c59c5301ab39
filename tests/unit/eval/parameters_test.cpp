#include "eval/parameters.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Each test runs in a fresh temporary directory.
class ParameterFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(old_dir_, sizeof old_dir_), nullptr);
    std::string pattern = (std::filesystem::temp_directory_path() / "eval_parameters_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    Eval_parameters_default();
    defaults_ = eval_parameters;
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_dir_), 0);
    std::filesystem::remove_all(dir_);
  }

  static std::string Row(const int32_t* squares) {
    std::string row;
    for (int i = 0; i < 8; ++i) row += std::to_string(squares[i]) + (i < 7 ? ", " : "");
    return row;
  }

  // The 95 lines of a parameter file holding the defaults (line n is element n - 1).
  Lines Default_layout() const {
    Lines lines(95, "comment line");
    const int32_t scalars[14] = {90000, 1100, 600, 400, 400, 100, 30, 30, 20, 20, 5, 1, 3, 1600};
    const int scalar_lines[14] = {7, 10, 13, 16, 19, 22, 27, 30, 33, 36, 39, 42, 45, 48};
    for (int i = 0; i < 14; ++i) lines[scalar_lines[i] - 1] = std::to_string(scalars[i]);
    const int32_t* tables[4] = {defaults_.knight_center, defaults_.pawn_advance_middle, defaults_.pawn_advance_end,
                                defaults_.king_center_end};
    const int first_rows[4] = {53, 65, 77, 88};
    for (int t = 0; t < 4; ++t) {
      for (int r = 0; r < 8; ++r) lines[first_rows[t] - 1 + r] = Row(tables[t] + (7 - r) * 8);
    }
    return lines;
  }

  static void Write(const Lines& lines, const char* end_of_line = "\n") {
    std::ofstream file("Parameters_Eval.txt", std::ios::binary);
    for (const std::string& line : lines) file << line << end_of_line;
  }

  static Lines Control() {
    std::ifstream file("Control_Parameters_Eval.txt", std::ios::binary);
    std::stringstream all;
    all << file.rdbuf();
    Lines lines;
    std::string line;
    while (std::getline(all, line)) lines.push_back(line);
    return lines;
  }

  // Fills the record with a pattern no reader would produce.
  static void Scramble() { std::memset(&eval_parameters, 0x5A, sizeof eval_parameters); }

  bool Record_is_default() const { return std::memcmp(&eval_parameters, &defaults_, sizeof defaults_) == 0; }

  char old_dir_[4096];
  std::string dir_;
  T_Eval_parameters defaults_;
};

const std::string CONTROL_LINE_1 =
    "\xCF\xE5\xF7\xE0\xF2\xE0\xE5\xEC \xE4\xE0\xED\xED\xFB\xE5 \xF1\xF7\xE8\xF2\xE0\xED\xED\xFB\xE5 \xE2 "
    "\xF4\xE0\xE9\xEB\xE5 Parameters_Eval.txt.";

TEST_F(ParameterFile, DefaultLayoutRoundTrip) {
  const char* line_ends[] = {"\n", "\r\n"};
  for (const char* eol : line_ends) {
    Write(Default_layout(), eol);
    Scramble();
    EXPECT_EQ(Read_parameters_eval(), 1);
    EXPECT_TRUE(Record_is_default()) << "line end " << (eol[0] == '\r' ? "CR LF" : "LF");
  }

  const Lines control = Control();
  ASSERT_EQ(control.size(), 58u);
  EXPECT_EQ(control[0], CONTROL_LINE_1);
  EXPECT_EQ(control[2], " ");
  EXPECT_EQ(control[3], "KING(\xEA\xEE\xF0\xEE\xEB\xFC) 90000");
  EXPECT_EQ(control[9], " ");
  EXPECT_EQ(control[19],
            "\xEA\xEE\xED\xE8 \xE4\xEE\xEB\xE6\xED\xFB \xF1\xF2\xF0\xE5\xEC\xE8\xF2\xFC\xF1\xFF \xEA "
            "\xF6\xE5\xED\xF2\xF0\xF3 ");
  EXPECT_EQ(control[21], "0,3,3,3,3,3,3,0,");
  EXPECT_EQ(control[57], "0,0,0,0,0,0,0,0,");
}

TEST_F(ParameterFile, ValueLines) {
  Lines lines = Default_layout();
  lines[19 - 1] = "320";
  lines[7 - 1] = "123456789";     // nine digits: the first eight count
  lines[10 - 1] = "  -42 queen";  // blanks before, comment after
  lines[13 - 1] = "+17;rook";     // sign and a comment within column 8
  lines[16 - 1] = "        5";    // the number starts after column 8
  lines[22 - 1] = "";             // empty value line
  lines[48 - 1] = "1500 endgame threshold, a comment past column 8";
  Write(lines);
  EXPECT_EQ(Read_parameters_eval(), 1);
  const T_Eval_parameters& p = eval_parameters;
  EXPECT_EQ(p.KNIGHT, 320);
  EXPECT_EQ(p.cost_figure[2], 320);
  EXPECT_EQ(p.cost_figure_rubikon[2], 320);
  EXPECT_EQ(p.KING, 12345678);
  EXPECT_EQ(p.cost_figure_rubikon[6], 0);
  EXPECT_EQ(p.QUEEN, -42);
  EXPECT_EQ(p.ROOK, 17);
  EXPECT_EQ(p.BISHOP, 0);
  EXPECT_EQ(p.PAWN, 0);
  EXPECT_EQ(p.rubikon, 1500);

  const Lines control = Control();
  ASSERT_EQ(control.size(), 58u);
  EXPECT_EQ(control[4], "QUEEN(\xF4\xE5\xF0\xE7\xFC) -42");
  EXPECT_EQ(control[7], "KNIGHT(\xEA\xEE\xED\xFC) 320");
}

TEST_F(ParameterFile, TableRows) {
  Lines lines = Default_layout();
  std::string past_column_99 = "1,2,3,4,5,6,7,";
  past_column_99.resize(99, ' ');
  std::string at_column_99 = past_column_99.substr(0, 98);
  lines[53 - 1] = " 1, 2 ,3,  4,,5, 6 ,7 ,8 ,";  // rank 8 of knight_center
  lines[54 - 1] = "1,2,3";                       // short row
  lines[55 - 1] = past_column_99 + "8";          // the eighth number is the 100th character
  lines[56 - 1] = at_column_99 + "8";            // the 99th character is still read
  lines[57 - 1] = "1,2,3,4,5,6,7,8,9,10";
  lines[58 - 1] = "99999999999,-99999999999,,";
  Write(lines);
  EXPECT_EQ(Read_parameters_eval(), 1);
  const int32_t* table = eval_parameters.knight_center;
  const int32_t expected[6][8] = {{1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 0, 0, 0, 0, 0},
                                  {1, 2, 3, 4, 5, 6, 7, 0}, {1, 2, 3, 4, 5, 6, 7, 8},
                                  {1, 2, 3, 4, 5, 6, 7, 8}, {INT32_MAX, INT32_MIN, 0, 0, 0, 0, 0, 0}};
  for (int row = 0; row < 6; ++row) {
    for (int file = 0; file < 8; ++file) {
      EXPECT_EQ(table[(7 - row) * 8 + file], expected[row][file]) << "row " << row << " file " << file;
    }
  }
  EXPECT_EQ(std::memcmp(eval_parameters.pawn_advance_middle, defaults_.pawn_advance_middle,
                        sizeof defaults_.pawn_advance_middle),
            0);
  EXPECT_EQ(Control()[20], "1,2,3,4,5,6,7,8,");
}

TEST_F(ParameterFile, MissingFileWritesOnlyTheHeader) {
  Scramble();
  T_Eval_parameters before = eval_parameters;
  EXPECT_EQ(Read_parameters_eval(), 0);
  EXPECT_EQ(std::memcmp(&before, &eval_parameters, sizeof before), 0);
  const Lines control = Control();
  ASSERT_EQ(control.size(), 3u);
  EXPECT_EQ(control[0], CONTROL_LINE_1);
  EXPECT_EQ(control[2], " ");
}

TEST_F(ParameterFile, MalformedFilesReadMissingNumbersAsZero) {
  // The file ends at line 30: later values and every table read as 0.
  Lines lines = Default_layout();
  lines.resize(30);
  Write(lines);
  Scramble();
  EXPECT_EQ(Read_parameters_eval(), 1);
  EXPECT_EQ(eval_parameters.BONUS_CASTLING_O_O_O, 30);
  EXPECT_EQ(eval_parameters.BONUS_SHIELD, 0);
  EXPECT_EQ(eval_parameters.rubikon, 0);
  EXPECT_EQ(eval_parameters.king_center_end[63], 0);
  EXPECT_EQ(Control().size(), 58u);

  // An empty file.
  Write({});
  Scramble();
  EXPECT_EQ(Read_parameters_eval(), 1);
  T_Eval_parameters zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&zero, &eval_parameters, sizeof zero), 0);

  // Very long lines keep the line count; NUL and other binary bytes are data.
  lines = Default_layout();
  lines[6 - 1] = std::string(1 << 20, 'x');
  lines[7 - 1] = std::string("777") + '\0' + "12";
  lines[53 - 1] = std::string(300000, ',') + "1";
  lines[54 - 1] = std::string("\xFF\x01\x80,", 4) + '\0' + ",5,6";
  lines[65 - 1] = std::string(200000, '9');
  Write(lines);
  EXPECT_EQ(Read_parameters_eval(), 1);
  EXPECT_EQ(eval_parameters.KING, 777);
  EXPECT_EQ(eval_parameters.QUEEN, 1100);
  EXPECT_EQ(eval_parameters.knight_center[56], 0);
  EXPECT_EQ(eval_parameters.pawn_advance_middle[56], INT32_MAX);
  EXPECT_EQ(eval_parameters.knight_center[8], 0);  // rank 2, read from line 59 as usual
  EXPECT_EQ(eval_parameters.knight_center[9], 3);
  EXPECT_EQ(eval_parameters.rubikon, 1600);
  EXPECT_EQ(Control().size(), 58u);
}

TEST_F(ParameterFile, UnwritableControlFileDoesNotStopReading) {
  ASSERT_EQ(mkdir("Control_Parameters_Eval.txt", 0700), 0);
  Write(Default_layout());
  Scramble();
  EXPECT_EQ(Read_parameters_eval(), 1);
  EXPECT_TRUE(Record_is_default());
}

}  // namespace
