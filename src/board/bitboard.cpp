#include "board/bitboard.h"

void Bitboard_copy(T_Bitboard* destination, const T_Bitboard* source) { *destination = *source; }
