// Making and taking back moves, with the material balance kept current.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "board/colour.h"
#include "board/move.h"

struct T_Undo {
  bool taking_passage_yes;
  int32_t taking_passage_x;
  int32_t taking_passage_y;
  bool castling_Q;
  bool castling_K;
  bool castling_q;
  bool castling_k;
};

void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);

// The same for a move word held outside a list; Us is the side that moves.
template <Colour Us>
void Make_move(int32_t move, T_Bitboard* position, T_Undo* undo);
template <Colour Us>
void Unmake_move(int32_t move, T_Bitboard* position, const T_Undo* undo);
