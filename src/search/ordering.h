// Move ordering: the sorts, the killer moves and the history table.
#pragma once
#include <cstdint>

#include "board/move.h"

constexpr int KILLER_PLIES = 100;

extern int32_t killer_1[KILLER_PLIES];
extern int32_t killer_2[KILLER_PLIES];
extern int32_t history[64][64];

// The exchange sort of one segment [begin, end) of a list, run one pass at a
// time: Sort_pass(p) leaves at p the entry that the whole sort puts there and
// touches nothing before p. Passes are run for p = begin, begin + 1, ...
struct T_Sort_walk {
  int begin;
  int end;
};
void Sort_walk_start(T_Sort_walk* walk, const T_List_moves* list, int begin, int end);
void Sort_pass(T_List_moves* list, T_Sort_walk* walk, int p);

void Sort_list(T_List_moves* list);
void Sort_captures(T_List_moves* list);
void Killers_first(T_List_moves* list, int start, int ply);
void History_add(int32_t move);
void History_clear();

// The moves of an interior node one at a time, in exactly the order that
// Sort_list, Killers_first(start, ply) and Hash_move_first would leave the
// list in, but sorting only as far as the node asks: a node that cuts off
// after a few moves never sorts the rest. The list itself ends up partly
// sorted, so only the words handed out tell the order.
struct T_Quiet_plan;
struct T_Move_order {
  T_List_moves* list;
  T_Quiet_plan* plan;  // the quiet moves while not yet written to the list, else nullptr
  T_Sort_walk captures;
  T_Sort_walk quiets;
  int sorted;                               // entries of the sorted list read so far
  int placed;                               // moves of the killer order given out so far
  int start;                                // where the first killer goes
  int32_t killer_1, killer_2, hash_move;    // each 0 when not in the list (or not yet looked for)
  const T_Quiet_plan* planned;              // the plan of the quiet moves, or nullptr
  bool unchecked_1, unchecked_2;            // a killer still to be looked for among the planned moves
  int32_t passed_1, passed_2, passed_hash;  // moves given out early that the later walk skips
  int32_t placed_0, placed_1;               // the first two moves of the killer order
};
// Sorts the first capture, which decides the killers' start (1 when there
// is a capture with a key of at least 0); hash_move is the table's move for
// the position, or 0 when the table has none for it. With a plan, the list
// holds only the captures, and the quiet moves are written from the plan
// when the order gets to them, or before the history table changes;
// Move_order_finish must be called before the order's node returns.
void Move_order_start(T_Move_order* order, T_List_moves* list, int ply, int32_t hash_move,
                      T_Quiet_plan* plan = nullptr);
// The next move, or 0 once every move of the list has been given out.
int32_t Move_order_next(T_Move_order* order);
void Move_order_finish(T_Move_order* order);
