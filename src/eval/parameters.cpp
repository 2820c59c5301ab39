#include "eval/parameters.h"

#include <cstring>

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
  const int32_t cost[7] = {0, p.PAWN, p.KNIGHT, p.BISHOP, p.ROOK, p.QUEEN, p.KING};
  const int32_t cost_rubikon[7] = {0, 0, p.KNIGHT, p.BISHOP, p.ROOK, p.QUEEN, 0};
  std::memcpy(p.cost_figure, cost, sizeof cost);
  std::memcpy(p.cost_figure_rubikon, cost_rubikon, sizeof cost_rubikon);
}
