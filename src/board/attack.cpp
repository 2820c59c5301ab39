#include "board/attack.h"

int King_white_check(const T_Bitboard* position) { return King_attacked<WHITE>(*position); }
int King_black_check(const T_Bitboard* position) { return King_attacked<BLACK>(*position); }
