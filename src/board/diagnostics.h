// Self-checks of the board code: generator checks, the dump file and the
// field-by-field comparison of two position records.
#pragma once
#include "board/bitboard.h"

void Error_generator_captures_white(int count, int from, int to, const T_Bitboard* position, int name_figure);
void Error_generator_captures_black(int count, int from, int to, const T_Bitboard* position, int name_figure);
void Error_generator_move(int count, int from, int to);
void Dump_bitboard(const T_Bitboard* position);
void Test_bitboard(const T_Bitboard* saved, const T_Bitboard* position);

// Cheap inline guards used by the generators: they call the reporting
// procedures above only when one of their tests would fail, so a healthy
// position costs a few comparisons per move.
inline bool Out_of_range(int value, int high) { return static_cast<unsigned>(value) > static_cast<unsigned>(high); }

inline void Check_generator_move(int count, int from, int to) {
  if (Out_of_range(count, 256) || Out_of_range(from, 63) || Out_of_range(to, 63)) Error_generator_move(count, from, to);
}

// own_names / their_names: the mover's and the opponent's square maps.
inline bool Capture_check_fails(int count, int from, int to, const int32_t* own_names, const int32_t* their_names) {
  return Out_of_range(count, 256) || Out_of_range(from, 63) || Out_of_range(to, 63) ||
         Out_of_range(own_names[from] - 1, 5) || Out_of_range(their_names[to] - 1, 5);
}
