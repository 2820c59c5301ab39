// Principal variations and the root's "info" lines.
#pragma once
#include <cstdint>

#include "board/move.h"

constexpr int PV_CAPACITY = 101;

struct T_PV {
  int32_t moves[PV_CAPACITY];
  int32_t score_move;
  int32_t length;
};

extern T_PV PV_returned;

void Pv_take_returned(T_PV* destination);
void Pv_give_returned(const T_PV* source);
void Pv_from_line(int ply, int score);
void Info_currmove(const T_List_moves* list, int index, int number, int depth);
void Info_root_line(int score, const T_PV* line, int depth, int colour_flag, int64_t nodes, double seconds);
// Writes " score mate N" when score (from the side to move's point of view)
// is a mate, else " score cp S"; returns whether it was a mate.
bool Out_score(int score);
// The number of moves of the side to move up to and including the mating
// move of a mate score, negative when the side to move is the one mated
// (mate in one: 1, mated in two: -2, mated already: 0).
int Mate_in_moves(int score);
