#include "search/ordering.h"

#include <cstring>

int32_t killer_1[KILLER_PLIES];
int32_t killer_2[KILLER_PLIES];
int32_t history[64][64];

namespace {

// Exchange sort in descending key order. It is not stable; the search must
// visit moves in exactly the order this procedure leaves them.
void Exchange_sort(T_List_moves* list, int begin, int end) {
  // A segment already in descending order is left as it is by the exchange
  // sort; many are (quiet moves without history), so look first.
  int k = begin + 1;
  while (k < end && list->sort[k - 1] >= list->sort[k]) ++k;
  if (k >= end) return;
  for (int p = begin; p < end - 1; ++p) {
    for (int q = p + 1; q < end; ++q) {
      if (list->sort[p] < list->sort[q]) {
        int32_t m = list->move[p];
        list->move[p] = list->move[q];
        list->move[q] = m;
        int32_t s = list->sort[p];
        list->sort[p] = list->sort[q];
        list->sort[q] = s;
      }
    }
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
