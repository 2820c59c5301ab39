#include "search/ordering.h"

#include <cstdint>
#include <cstring>
#include <utility>

int32_t killer_1[KILLER_PLIES];
int32_t killer_2[KILLER_PLIES];
int32_t history[64][64];

namespace {

// Exchange sort in descending key order. It is not stable; the search must
// visit moves in exactly the order this procedure leaves them.
//
// Pass p holds the entry at p and walks q over the rest: whenever a larger
// key turns up, the held entry is left at q and the larger one is held
// instead; at the end of the pass the held entry goes to p. A pass over a
// segment that is already in descending order exchanges nothing, so once
// the rest of the list is in that order every later pass would leave it
// unchanged and the sort can end early with the same result.
void Exchange_sort(T_List_moves* list, int begin, int end) {
  int32_t* moves = list->move;
  int32_t* keys = list->sort;
  for (int p = begin; p < end - 1; ++p) {
    int32_t held_move = moves[p];
    int32_t held_key = keys[p];
    int32_t previous_key = INT32_MAX;
    bool descending = true;
    for (int q = p + 1; q < end; ++q) {
      int32_t key = keys[q];
      if (held_key < key) {
        const int32_t move = moves[q];
        moves[q] = held_move;
        keys[q] = held_key;
        held_move = move;
        std::swap(held_key, key);
      }
      descending &= previous_key >= key;
      previous_key = key;
    }
    moves[p] = held_move;
    keys[p] = held_key;
    if (descending) return;
  }
}

// Brings the first occurrence of move at or after index start to start,
// shifting the entries in between one place up.
void Move_to_front(T_List_moves* list, int start, int32_t move) {
  if (start >= list->end_list || list->move[start] == move) return;
  for (int j = start + 1; j < list->end_list; ++j) {
    if (list->move[j] == move) {
      int32_t saved_move = list->move[j];
      int32_t saved_sort = list->sort[j];
      for (int k = j; k > start; --k) {
        list->move[k] = list->move[k - 1];
        list->sort[k] = list->sort[k - 1];
      }
      list->move[start] = saved_move;
      list->sort[start] = saved_sort;
      return;
    }
  }
}

}  // namespace

void Sort_list(T_List_moves* list) {
  Exchange_sort(list, 0, list->end_captures);
  Exchange_sort(list, list->end_captures, list->end_list);
}

void Sort_captures(T_List_moves* list) { Exchange_sort(list, 0, list->end_captures); }

void Killers_first(T_List_moves* list, int start, int ply) {
  Move_to_front(list, start, killer_1[ply]);
  Move_to_front(list, start + 1, killer_2[ply]);
}

void History_add(int32_t move) {
  int32_t& counter = history[Move_from(move)][Move_to(move)];
  counter += 1;
  if (counter > 100000) {
    for (auto& row : history)
      for (auto& h : row) h /= 2;
  }
}

void History_clear() { std::memset(history, 0, sizeof history); }
