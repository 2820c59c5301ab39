// Is a king attacked? Returns the type code of the first attacker found, or 0.
// One line each onto King_attacked<C> (board/by_colour.h).
#pragma once
#include "board/bitboard.h"

int King_white_check(const T_Bitboard* position);
int King_black_check(const T_Bitboard* position);
