// The search: root, interior, horizon and quiescence nodes for each colour.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "search/control.h"

int Root_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int depth,
               int64_t* nodes_counter);
int Root_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int depth,
               int64_t* nodes_counter);
int Alpha_beta_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha,
                     int beta, int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null);
int Alpha_beta_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha,
                     int beta, int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null);
int Horizon_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
                  int ply);
int Horizon_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
                  int ply);
int Quiescence_white(T_Bitboard* position, int alpha, int beta, int ply);
int Quiescence_black(T_Bitboard* position, int alpha, int beta, int ply);
bool Repetition_test(const T_Last_moves* last_moves);

// The input and clock poll run from the search.
void Poll(T_Search_control* control);
