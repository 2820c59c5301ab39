// Counting the legal move tree, to check the generators, make/unmake and the
// attack test against published node counts.
#pragma once
#include <cstdint>

#include "board/bitboard.h"

// Leaves of the legal move tree below position at depth plies (1 at depth 0),
// the side to move taken from colour_move. The position is left unchanged.
uint64_t Perft_count(T_Bitboard* position, int depth);

// The same split by legal root move, in generation order: root_moves and
// leaves receive one entry per legal move (room for 256). Returns the count.
int Perft_divide(T_Bitboard* position, int depth, int32_t* root_moves, uint64_t* leaves);
