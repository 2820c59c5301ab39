#include "eval/parameters.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "eval/evaluation.h"

T_Eval_parameters eval_parameters;

namespace {

// Default square tables, a1 first (the grids as seen from White, rank 1 at the top here).
constexpr int32_t default_knight_center[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 3, 3, 3, 3, 3, 3, 0,  //
    1, 3, 7, 6, 6, 7, 3, 1,  //
    2, 5, 6, 8, 8, 6, 5, 2,  //
    2, 5, 6, 8, 8, 6, 5, 2,  //
    1, 3, 7, 6, 6, 7, 3, 1,  //
    0, 3, 3, 3, 3, 3, 3, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,
};
constexpr int32_t default_pawn_advance_middle[64] = {
    0,  0,  0, 0,  0,  0,  0,  0,   //
    0,  0,  0, 0,  0,  0,  0,  0,   //
    -3, -3, 5, 5,  5,  -3, -3, -3,  //
    -5, -5, 7, 10, 10, -5, -5, -5,  //
    -5, -5, 7, 10, 10, -5, -5, -5,  //
    -3, -3, 5, 5,  5,  5,  -3, -3,  //
    0,  0,  0, 0,  0,  0,  0,  0,   //
    0,  0,  0, 0,  0,  0,  0,  0,
};
constexpr int32_t default_pawn_advance_end[64] = {
    0,   0,   0,   0,   0,   0,   0,   0,    //
    0,   0,   0,   0,   0,   0,   0,   0,    //
    5,   5,   5,   5,   5,   5,   5,   5,    //
    10,  10,  10,  10,  10,  10,  10,  10,   //
    20,  20,  20,  20,  20,  20,  20,  20,   //
    30,  30,  30,  30,  30,  30,  30,  30,   //
    200, 200, 200, 200, 200, 200, 200, 200,  //
    0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr int32_t default_king_center_end[64] = {
    0, 0, 0, 0,  0,  0, 0, 0,  //
    0, 4, 4, 4,  4,  4, 4, 0,  //
    0, 4, 8, 8,  8,  8, 4, 0,  //
    0, 4, 8, 10, 10, 8, 4, 0,  //
    0, 4, 8, 10, 10, 8, 4, 0,  //
    0, 4, 8, 8,  8,  8, 4, 0,  //
    0, 4, 4, 4,  4,  4, 4, 0,  //
    0, 0, 0, 0,  0,  0, 0, 0,
};

// The material arrays follow the six piece values: cost_figure for the
// running balance, cost_figure_rubikon (pawns and kings left out) for the
// endgame switch.
void Set_cost_figures(T_Eval_parameters& p) {
  const int32_t cost[7] = {0, p.PAWN, p.KNIGHT, p.BISHOP, p.ROOK, p.QUEEN, p.KING};
  const int32_t cost_rubikon[7] = {0, 0, p.KNIGHT, p.BISHOP, p.ROOK, p.QUEEN, 0};
  std::memcpy(p.cost_figure, cost, sizeof cost);
  std::memcpy(p.cost_figure_rubikon, cost_rubikon, sizeof cost_rubikon);
}

// ---- Reading "Parameters_Eval.txt" ----

constexpr int VALUE_CHARS = 8;  // characters of a value line that are looked at
constexpr int ROW_CHARS = 99;   // characters of a table row that are looked at

// Reads the file line by line, counting lines from 1.
struct Line_reader {
  FILE* file;
  int lines_read;
};

// Reads the next line: keeps at most `keep` characters of it in text (NUL
// terminated), drops the rest and the line feed. At the end of the file the
// text is empty, so a missing line reads like an empty one.
void Read_next_line(Line_reader* reader, char* text, int keep) {
  int kept = 0;
  int c;
  while ((c = std::getc(reader->file)) != EOF && c != '\n') {
    if (kept < keep) text[kept++] = static_cast<char>(c);
  }
  text[kept] = '\0';
  ++reader->lines_read;
}

// Reads line `number`, skipping the lines before it.
void Read_line_number(Line_reader* reader, int number, char* text, int keep) {
  char discard[1];
  while (reader->lines_read < number - 1) Read_next_line(reader, discard, 0);
  Read_next_line(reader, text, keep);
}

// The decimal integer at the start of text: leading white space skipped,
// an optional sign, digits up to the first non-digit; 0 without digits.
// Values beyond the 32-bit range are held at its bounds.
int32_t Parse_int(const char* text) {
  const char* c = text;
  while (*c == ' ' || (*c >= '\t' && *c <= '\r')) ++c;
  bool negative = false;
  if (*c == '+' || *c == '-') negative = *c++ == '-';
  int64_t value = 0;
  for (; *c >= '0' && *c <= '9'; ++c) {
    value = value * 10 + (*c - '0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

// Up to eight comma-separated integers of one rank, a-file first; empty
// fields are skipped and missing fields read as 0.
void Parse_row(const char* row, int32_t* squares) {
  int n = 0;
  const char* c = row;
  while (n < 8) {
    while (*c == ',') ++c;
    if (*c == '\0') break;
    squares[n++] = Parse_int(c);
    while (*c != '\0' && *c != ',') ++c;
  }
  for (; n < 8; ++n) squares[n] = 0;
}

// ---- Writing "Control_Parameters_Eval.txt" (texts in CP1251) ----

void Put(FILE* control, const char* text) {
  if (control != nullptr) std::fputs(text, control);
}

void Put_value(FILE* control, const char* label, int32_t value) {
  if (control != nullptr) std::fprintf(control, "%s%d\n", label, static_cast<int>(value));
}

void Put_row(FILE* control, const int32_t* squares) {
  if (control == nullptr) return;
  for (int i = 0; i < 8; ++i) std::fprintf(control, "%d,", static_cast<int>(squares[i]));
  std::fputc('\n', control);
}

const char* const SEPARATOR = " \n";

struct Scalar_line {
  int line;
  int32_t T_Eval_parameters::*field;
  const char* label;
};

// The piece values.
const Scalar_line piece_lines[] = {
    {7, &T_Eval_parameters::KING, "KING(\xEA\xEE\xF0\xEE\xEB\xFC) "},  // KING(король)
    {10, &T_Eval_parameters::QUEEN, "QUEEN(\xF4\xE5\xF0\xE7\xFC) "},   // QUEEN(ферзь)
    {13, &T_Eval_parameters::ROOK, "ROOK(\xEB\xE0\xE4\xFC\xFF) "},     // ROOK(ладья)
    {16, &T_Eval_parameters::BISHOP, "BISHOP(\xF1\xEB\xEE\xED) "},     // BISHOP(слон)
    {19, &T_Eval_parameters::KNIGHT, "KNIGHT(\xEA\xEE\xED\xFC) "},     // KNIGHT(конь)
    {22, &T_Eval_parameters::PAWN, "PAWN(\xEF\xE5\xF8\xEA\xE0) "},     // PAWN(пешка)
};

// The weights.
const Scalar_line weight_lines[] = {
    // BONUS_CASTLING_O_O(бонус за короткую рокировку)
    {27, &T_Eval_parameters::BONUS_CASTLING_O_O,
     "BONUS_CASTLING_O_O(\xE1\xEE\xED\xF3\xF1 \xE7\xE0 \xEA\xEE\xF0\xEE\xF2\xEA\xF3\xFE "
     "\xF0\xEE\xEA\xE8\xF0\xEE\xE2\xEA\xF3) "},
    // BONUS_CASTLING_O_O_O(бонус за длинную рокировку)
    {30, &T_Eval_parameters::BONUS_CASTLING_O_O_O,
     "BONUS_CASTLING_O_O_O(\xE1\xEE\xED\xF3\xF1 \xE7\xE0 \xE4\xEB\xE8\xED\xED\xF3\xFE "
     "\xF0\xEE\xEA\xE8\xF0\xEE\xE2\xEA\xF3) "},
    // BONUS_SHIELD(бонус за прикрытие короля спереди пешкой)
    {33, &T_Eval_parameters::BONUS_SHIELD,
     "BONUS_SHIELD(\xE1\xEE\xED\xF3\xF1 \xE7\xE0 \xEF\xF0\xE8\xEA\xF0\xFB\xF2\xE8\xE5 \xEA\xEE\xF0\xEE\xEB\xFF "
     "\xF1\xEF\xE5\xF0\xE5\xE4\xE8 \xEF\xE5\xF8\xEA\xEE\xE9) "},
    // BONUS_PAWNN(штраф за сдвоенные пешки)
    {36, &T_Eval_parameters::BONUS_PAWNN,
     "BONUS_PAWNN(\xF8\xF2\xF0\xE0\xF4 \xE7\xE0 \xF1\xE4\xE2\xEE\xE5\xED\xED\xFB\xE5 \xEF\xE5\xF8\xEA\xE8) "},
    // PERSPECTIVE_PAWNN(проходные пешки бонус за каждую вертикаль (макс 3))
    {39, &T_Eval_parameters::PERSPECTIVE_PAWNN,
     "PERSPECTIVE_PAWNN(\xEF\xF0\xEE\xF5\xEE\xE4\xED\xFB\xE5 \xEF\xE5\xF8\xEA\xE8 \xE1\xEE\xED\xF3\xF1 \xE7\xE0 "
     "\xEA\xE0\xE6\xE4\xF3\xFE \xE2\xE5\xF0\xF2\xE8\xEA\xE0\xEB\xFC (\xEC\xE0\xEA\xF1 3)) "},
    // Z(коэффициент захвата пространства)
    {42, &T_Eval_parameters::Z,
     "Z(\xEA\xEE\xFD\xF4\xF4\xE8\xF6\xE8\xE5\xED\xF2 \xE7\xE0\xF5\xE2\xE0\xF2\xE0 "
     "\xEF\xF0\xEE\xF1\xF2\xF0\xE0\xED\xF1\xF2\xE2\xE0) "},
    // ATAK_KING(коэффициент атаки на короля)
    {45, &T_Eval_parameters::ATAK_KING,
     "ATAK_KING(\xEA\xEE\xFD\xF4\xF4\xE8\xF6\xE8\xE5\xED\xF2 \xE0\xF2\xE0\xEA\xE8 \xED\xE0 \xEA\xEE\xF0\xEE\xEB\xFF) "},
    // rubikon(рубеж перехода в эндшпиль)
    {48, &T_Eval_parameters::rubikon,
     "rubikon(\xF0\xF3\xE1\xE5\xE6 \xEF\xE5\xF0\xE5\xF5\xEE\xE4\xE0 \xE2 \xFD\xED\xE4\xF8\xEF\xE8\xEB\xFC) "},
};

struct Table_lines {
  int first_line;  // the rank 8 row; rank 1 follows seven lines later
  int32_t (T_Eval_parameters::*table)[64];
  const char* description;
};

const Table_lines table_lines[] = {
    // кони должны стремиться к центру
    {53, &T_Eval_parameters::knight_center,
     "\xEA\xEE\xED\xE8 \xE4\xEE\xEB\xE6\xED\xFB \xF1\xF2\xF0\xE5\xEC\xE8\xF2\xFC\xF1\xFF \xEA "
     "\xF6\xE5\xED\xF2\xF0\xF3 \n"},
    // бонус пешкам за продвижение только центральные занимают форпост инвертна
    {65, &T_Eval_parameters::pawn_advance_middle,
     "\xE1\xEE\xED\xF3\xF1 \xEF\xE5\xF8\xEA\xE0\xEC \xE7\xE0 \xEF\xF0\xEE\xE4\xE2\xE8\xE6\xE5\xED\xE8\xE5 "
     "\xF2\xEE\xEB\xFC\xEA\xEE \xF6\xE5\xED\xF2\xF0\xE0\xEB\xFC\xED\xFB\xE5 \xE7\xE0\xED\xE8\xEC\xE0\xFE\xF2 "
     "\xF4\xEE\xF0\xEF\xEE\xF1\xF2 \xE8\xED\xE2\xE5\xF0\xF2\xED\xE0 \n"},
    // бонус пешкам за продвижение используем для эндшпиля пешки ломятся вперед
    {77, &T_Eval_parameters::pawn_advance_end,
     "\xE1\xEE\xED\xF3\xF1 \xEF\xE5\xF8\xEA\xE0\xEC \xE7\xE0 \xEF\xF0\xEE\xE4\xE2\xE8\xE6\xE5\xED\xE8\xE5 "
     "\xE8\xF1\xEF\xEE\xEB\xFC\xE7\xF3\xE5\xEC \xE4\xEB\xFF \xFD\xED\xE4\xF8\xEF\xE8\xEB\xFF \xEF\xE5\xF8\xEA\xE8 "
     "\xEB\xEE\xEC\xFF\xF2\xF1\xFF \xE2\xEF\xE5\xF0\xE5\xE4 \n"},
    // в эндшпиле король должен стремиться к центру это таблица бонусов за централизацию короля
    {88, &T_Eval_parameters::king_center_end,
     "\xE2 \xFD\xED\xE4\xF8\xEF\xE8\xEB\xE5 \xEA\xEE\xF0\xEE\xEB\xFC \xE4\xEE\xEB\xE6\xE5\xED "
     "\xF1\xF2\xF0\xE5\xEC\xE8\xF2\xFC\xF1\xFF \xEA \xF6\xE5\xED\xF2\xF0\xF3 \xFD\xF2\xEE \xF2\xE0\xE1\xEB\xE8\xF6\xE0 "
     "\xE1\xEE\xED\xF3\xF1\xEE\xE2 \xE7\xE0 \xF6\xE5\xED\xF2\xF0\xE0\xEB\xE8\xE7\xE0\xF6\xE8\xFE "
     "\xEA\xEE\xF0\xEE\xEB\xFF \n"},
};

// Печатаем данные считанные в файле Parameters_Eval.txt.
// Делается это для контроля ввода данных из файла.
const char* const CONTROL_HEADER =
    "\xCF\xE5\xF7\xE0\xF2\xE0\xE5\xEC \xE4\xE0\xED\xED\xFB\xE5 \xF1\xF7\xE8\xF2\xE0\xED\xED\xFB\xE5 \xE2 "
    "\xF4\xE0\xE9\xEB\xE5 Parameters_Eval.txt.\n"
    "\xC4\xE5\xEB\xE0\xE5\xF2\xF1\xFF \xFD\xF2\xEE \xE4\xEB\xFF \xEA\xEE\xED\xF2\xF0\xEE\xEB\xFF "
    "\xE2\xE2\xEE\xE4\xE0 \xE4\xE0\xED\xED\xFB\xF5 \xE8\xE7 \xF4\xE0\xE9\xEB\xE0.\n"
    " \n";

void Read_scalar(Line_reader* reader, FILE* control, const Scalar_line& line) {
  char text[VALUE_CHARS + 1];
  Read_line_number(reader, line.line, text, VALUE_CHARS);
  const int32_t value = Parse_int(text);
  eval_parameters.*line.field = value;
  Put_value(control, line.label, value);
}

}  // namespace

void Eval_parameters_default() {
  T_Eval_parameters& p = eval_parameters;
  p.KING = 90000;
  p.QUEEN = 1100;
  p.ROOK = 600;
  p.BISHOP = 400;
  p.KNIGHT = 400;
  p.PAWN = 100;
  p.BONUS_CASTLING_O_O = 30;
  p.BONUS_CASTLING_O_O_O = 30;
  p.BONUS_SHIELD = 20;
  p.BONUS_PAWNN = 20;
  p.PERSPECTIVE_PAWNN = 5;
  p.Z = 1;
  p.ATAK_KING = 3;
  p.rubikon = 1600;
  std::memcpy(p.knight_center, default_knight_center, sizeof p.knight_center);
  std::memcpy(p.pawn_advance_middle, default_pawn_advance_middle, sizeof p.pawn_advance_middle);
  std::memcpy(p.pawn_advance_end, default_pawn_advance_end, sizeof p.pawn_advance_end);
  std::memcpy(p.king_center_end, default_king_center_end, sizeof p.king_center_end);
  Set_cost_figures(p);
  Evaluation_parameters_changed();
}

int Read_parameters_eval() {
  // Binary mode: the control file gets bare line feeds on every system, and
  // the reader treats a carriage return before a line feed as white space.
  FILE* control = std::fopen("Control_Parameters_Eval.txt", "wb");
  Put(control, CONTROL_HEADER);

  FILE* file = std::fopen("Parameters_Eval.txt", "rb");
  if (file == nullptr) {
    if (control != nullptr) std::fclose(control);
    return 0;
  }
  Line_reader reader{file, 0};

  for (const Scalar_line& line : piece_lines) Read_scalar(&reader, control, line);
  Put(control, SEPARATOR);
  Set_cost_figures(eval_parameters);

  for (const Scalar_line& line : weight_lines) Read_scalar(&reader, control, line);

  for (const Table_lines& t : table_lines) {
    int32_t* table = eval_parameters.*t.table;
    char row[ROW_CHARS + 1];
    // Rank 8 comes first in the file and fills squares 56..63.
    for (int rank = 7; rank >= 0; --rank) {
      Read_line_number(&reader, t.first_line + 7 - rank, row, ROW_CHARS);
      Parse_row(row, table + rank * 8);
    }
    Put(control, SEPARATOR);
    Put(control, t.description);
    for (int rank = 7; rank >= 0; --rank) Put_row(control, table + rank * 8);
  }

  std::fclose(file);
  if (control != nullptr) std::fclose(control);
  Evaluation_parameters_changed();
  return 1;
}
