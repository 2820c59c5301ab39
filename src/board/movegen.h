// Pseudo-legal move generation: captures and promotions first, then quiet
// moves. One line each onto the templates of board/by_colour.h.
#pragma once
#include "board/bitboard.h"
#include "board/move.h"

void Generator_captures_white(T_List_moves* list, const T_Bitboard* position);
void Generator_captures_black(T_List_moves* list, const T_Bitboard* position);
void Generator_move_white(const T_Bitboard* position, T_List_moves* list);
void Generator_move_black(const T_Bitboard* position, T_List_moves* list);

// A node's quiet moves, planned but not yet written to its list: written
// only when the node gets to them, which most nodes never do (they end at
// the hash move, a capture or a killer). The plan keeps what the moves are
// made from (the side's pieces and the occupied squares, and the castling
// moves found when it was made). A move's key is the history entry when it
// is written, so a plan must be written before the history table changes
// (see History_add).
struct T_Quiet_plan {
  uint64_t own[7];  // the side's piece sets by piece code
  uint64_t occupied;
  int32_t castling[2];  // long, short; 0 when not possible
  T_List_moves* list;   // where the moves go, from index begin
  int begin;
  int count;  // the number of quiet moves, once counted
  bool counted;
  bool written;  // the moves are in the list, and its end_list counts them
  bool white;
};

// Writes the moves of a plan, in the generator's order, as Generate_quiet
// would have written them when the plan was made (nothing if written).
void Write_planned_quiets(T_Quiet_plan* plan);
// Whether move is one of the plan's quiet moves.
bool Planned_quiet(const T_Quiet_plan* plan, int32_t move);
// The number of the plan's quiet moves (counted once).
int Planned_quiet_count(T_Quiet_plan* plan);

// Appends one move at the list's running count with key kind + history[from][to].
void List_add_move(T_List_moves* list, int* count, int piece, int from, int to, int kind, int captured);

// Attack tests for the castling squares: attacker code 1..6, or 0.
int White_castling_attacked(const T_Bitboard* position, int square);
int Black_castling_attacked(const T_Bitboard* position, int square);
