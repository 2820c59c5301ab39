// The evaluation weights and square tables, their defaults and the parameter file.
#pragma once
#include <cstdint>

struct T_Eval_parameters {
  int32_t KING;
  int32_t QUEEN;
  int32_t ROOK;
  int32_t BISHOP;
  int32_t KNIGHT;
  int32_t PAWN;
  int32_t BONUS_CASTLING_O_O;
  int32_t BONUS_CASTLING_O_O_O;
  int32_t BONUS_SHIELD;
  int32_t BONUS_PAWNN;
  int32_t PERSPECTIVE_PAWNN;
  int32_t Z;
  int32_t ATAK_KING;
  int32_t rubikon;
  int32_t knight_center[64];
  int32_t pawn_advance_middle[64];
  int32_t pawn_advance_end[64];
  int32_t king_center_end[64];
  int32_t cost_figure[7];
  int32_t cost_figure_rubikon[7];
};

// The one parameter record of the process; all zero until the first "isready".
extern T_Eval_parameters eval_parameters;

// Sets every field to its built-in default.
void Eval_parameters_default();

// Writes "Control_Parameters_Eval.txt" and reads "Parameters_Eval.txt".
// Returns 1 when the parameter file was read, 0 when it could not be opened.
int Read_parameters_eval();
