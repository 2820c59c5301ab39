// Writes the engine's built-in evaluation weights as "Parameters_Eval.txt",
// the file the engine reads at every "isready", so that a release carries a
// file to start tuning from. The file is then read back with the engine's own
// reader, and the tool fails unless that gives the built-in record exactly.
//
//   parameters_file [--crlf] [DIRECTORY]     (default: the current directory)
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "eval/parameters.h"

namespace {

constexpr int FILE_LINES = 95;  // the reader looks at no line after this one

struct Scalar {
  int line;  // the value's line; its label goes on the line before
  int32_t T_Eval_parameters::*field;
  const char* label;
};

const Scalar scalars[] = {
    {7, &T_Eval_parameters::KING, "KING: material value of a king"},
    {10, &T_Eval_parameters::QUEEN, "QUEEN: material value of a queen"},
    {13, &T_Eval_parameters::ROOK, "ROOK: material value of a rook"},
    {16, &T_Eval_parameters::BISHOP, "BISHOP: material value of a bishop"},
    {19, &T_Eval_parameters::KNIGHT, "KNIGHT: material value of a knight"},
    {22, &T_Eval_parameters::PAWN, "PAWN: material value of a pawn"},
    {27, &T_Eval_parameters::BONUS_CASTLING_O_O, "BONUS_CASTLING_O_O: bonus for a king castled short"},
    {30, &T_Eval_parameters::BONUS_CASTLING_O_O_O, "BONUS_CASTLING_O_O_O: bonus for a king castled long"},
    {33, &T_Eval_parameters::BONUS_SHIELD, "BONUS_SHIELD: penalty for each empty square of the three before the king"},
    {36, &T_Eval_parameters::BONUS_PAWNN, "BONUS_PAWNN: penalty for each file holding doubled pawns"},
    {39, &T_Eval_parameters::PERSPECTIVE_PAWNN, "PERSPECTIVE_PAWNN: step of the passed-pawn bonus in the endgame"},
    {42, &T_Eval_parameters::Z, "Z: weight of mobility (space control)"},
    {45, &T_Eval_parameters::ATAK_KING, "ATAK_KING: weight of the pressure on the enemy king"},
    {48, &T_Eval_parameters::rubikon, "rubikon: the endgame begins below this much enemy material (pawns not counted)"},
};

struct Table {
  int line;  // the rank 8 row; rank 1 follows seven lines later, the label goes on the line before
  int32_t (T_Eval_parameters::*squares)[64];
  const char* label;
};

const Table tables[] = {
    {53, &T_Eval_parameters::knight_center, "knight_center: bonus of a knight on each square (both colours)"},
    {65, &T_Eval_parameters::pawn_advance_middle,
     "pawn_advance_middle: bonus of a pawn on each square before the endgame (both colours)"},
    {77, &T_Eval_parameters::pawn_advance_end,
     "pawn_advance_end: bonus of a White pawn on each square in the endgame (Black's mirrored)"},
    {88, &T_Eval_parameters::king_center_end, "king_center_end: bonus of a king on each square in the endgame"},
};

std::vector<std::string> File_lines(const T_Eval_parameters& p) {
  std::vector<std::string> lines(FILE_LINES + 1);  // lines[0] is not used
  lines[1] = "Evaluation parameters of the Tavox chess engine: its built-in weights.";
  lines[2] = "The engine reads this file, named Parameters_Eval.txt, from its working";
  lines[3] = "directory at every \"isready\". Each number is found by the line it is on:";
  lines[4] = "change the numbers, keep every line where it is. A value must begin";
  lines[5] = "within the first 8 characters of its line.";
  for (const Scalar& scalar : scalars) {
    lines[scalar.line - 1] = scalar.label;
    lines[scalar.line] = std::to_string(p.*scalar.field);
  }
  lines[50] = "Square tables: one line per rank, rank 8 first, files a to h, as seen";
  lines[51] = "from White's side; the numbers are separated by commas.";
  for (const Table& table : tables) {
    lines[table.line - 1] = table.label;
    const int32_t* squares = p.*table.squares;
    for (int rank = 7; rank >= 0; --rank) {
      std::string row;
      for (int file = 0; file < 8; ++file) {
        char number[16];
        std::snprintf(number, sizeof number, "%4d,", static_cast<int>(squares[rank * 8 + file]));
        row += number;
      }
      lines[table.line + 7 - rank] = row;
    }
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const char* line_end = "\n";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--crlf") == 0) {
      line_end = "\r\n";
    } else if (chdir(argv[i]) != 0) {
      std::fprintf(stderr, "parameters_file: cannot enter %s\n", argv[i]);
      return 2;
    }
  }

  Eval_parameters_default();
  const T_Eval_parameters built_in = eval_parameters;

  FILE* file = std::fopen("Parameters_Eval.txt", "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "parameters_file: cannot write Parameters_Eval.txt\n");
    return 2;
  }
  const std::vector<std::string> lines = File_lines(built_in);
  for (int number = 1; number <= FILE_LINES; ++number) std::fprintf(file, "%s%s", lines[number].c_str(), line_end);
  if (std::fclose(file) != 0) {
    std::fprintf(stderr, "parameters_file: cannot write Parameters_Eval.txt\n");
    return 2;
  }

  // Read back as the engine reads it at "isready" (which also writes its echo file).
  std::memset(&eval_parameters, 0, sizeof eval_parameters);
  const int read = Read_parameters_eval();
  std::remove("Control_Parameters_Eval.txt");
  if (read != 1 || std::memcmp(&eval_parameters, &built_in, sizeof built_in) != 0) {
    std::fprintf(stderr, "parameters_file: Parameters_Eval.txt does not read back as the built-in weights\n");
    return 1;
  }
  return 0;
}
