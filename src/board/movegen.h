// Pseudo-legal move generation: captures and promotions first, then quiet
// moves. One line each onto the templates of board/by_colour.h.
#pragma once
#include "board/bitboard.h"
#include "board/move.h"

void Generator_captures_white(T_List_moves* list, const T_Bitboard* position);
void Generator_captures_black(T_List_moves* list, const T_Bitboard* position);
void Generator_move_white(const T_Bitboard* position, T_List_moves* list);
void Generator_move_black(const T_Bitboard* position, T_List_moves* list);

// Appends one move at the list's running count with key kind + history[from][to].
void List_add_move(T_List_moves* list, int* count, int piece, int from, int to, int kind, int captured);

// Attack tests for the castling squares: attacker code 1..6, or 0.
int White_castling_attacked(const T_Bitboard* position, int square);
int Black_castling_attacked(const T_Bitboard* position, int square);
