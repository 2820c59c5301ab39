// Positional score of a position, White-positive, material excluded.
#pragma once
#include "board/bitboard.h"

int Evaluation(const T_Bitboard* position);
