#include "search/ordering.h"

#include <cstdint>
#include <cstring>

int32_t killer_1[KILLER_PLIES];
int32_t killer_2[KILLER_PLIES];
int32_t history[64][64];

namespace {

// Exchange sort in descending key order. It is not stable; the search must
// visit moves in exactly the order this procedure leaves them.
//
// Pass p holds the entry at p and walks q over the rest: whenever a larger
// key turns up, the held entry is left at q and the larger one is held
// instead; at the end of the pass the held entry goes to p.
//
// The walk is cut short over the tail of the list that is already in
// descending order. In such a tail at most its first entry can be larger
// than the held one; after that exchange the held key is at least every
// key behind it, so the rest of the walk would exchange nothing. Once the
// whole rest of the list is in order, no later pass exchanges anything.
void Exchange_sort(T_List_moves* list, int begin, int end) {
  int32_t* moves = list->move;
  int32_t* keys = list->sort;
  if (end - begin < 2) return;
  // tail: first index of the longest descending run that ends the list.
  int tail = end - 1;
  while (tail > begin && keys[tail - 1] >= keys[tail]) --tail;
  for (int p = begin; p < tail; ++p) {
    int32_t held_move = moves[p];
    int32_t held_key = keys[p];
    for (int q = p + 1; q < tail; ++q) {
      // The exchange is done with masks rather than a branch: whether a
      // key beats the held one is hard to predict.
      const int32_t key = keys[q];
      const int32_t move = moves[q];
      const int32_t mask = -static_cast<int32_t>(held_key < key);
      const int32_t key_diff = (held_key ^ key) & mask;
      const int32_t move_diff = (held_move ^ move) & mask;
      keys[q] = key ^ key_diff;
      moves[q] = move ^ move_diff;
      held_key ^= key_diff;
      held_move ^= move_diff;
    }
    if (held_key < keys[tail]) {
      const int32_t move = moves[tail];
      const int32_t key = keys[tail];
      moves[tail] = held_move;
      keys[tail] = held_key;
      held_move = move;
      held_key = key;
      // The smaller key left at the head of the tail may break its order.
      if (tail + 1 < end && keys[tail] < keys[tail + 1]) ++tail;
    }
    moves[p] = held_move;
    keys[p] = held_key;
    // Entries written in front of the tail may extend it.
    while (tail > p + 1 && keys[tail - 1] >= keys[tail]) --tail;
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
