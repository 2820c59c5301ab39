// Self-checks of the board code: generator checks, the dump file and the
// field-by-field comparison of two position records.
#pragma once
#include "board/bitboard.h"

void Error_generator_captures_white(int count, int from, int to, const T_Bitboard* position, int name_figure);
void Error_generator_captures_black(int count, int from, int to, const T_Bitboard* position, int name_figure);
void Error_generator_move(int count, int from, int to);
void Dump_bitboard(const T_Bitboard* position);
void Test_bitboard(const T_Bitboard* saved, const T_Bitboard* position);
