#include "search/ordering.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/movegen.h"

int32_t killer_1[KILLER_PLIES];
int32_t killer_2[KILLER_PLIES];
int32_t history[64][64];

// Exchange sort in descending key order. It is not stable; the search must
// visit moves in exactly the order this procedure leaves them.
//
// Pass p holds the entry at p and walks q over the rest: whenever a larger
// key turns up, the held entry is left at q and the larger one is held
// instead; at the end of the pass the held entry goes to p. A pass never
// touches the entries before p, so running the passes one at a time, as
// far as a node walks its list, leaves the walked part exactly as the
// whole sort would.
void Sort_walk_start(T_Sort_walk* walk, const T_List_moves*, int begin, int end) {
  walk->begin = begin;
  walk->end = end;
}

namespace {

// The first index in [q, end) whose key is larger than held, or end. Eight
// keys are compared at a time while eight are left, then four, then the
// last few with the lanes past the end masked off (they are read from
// within the key array, which the four lanes never leave).
inline int First_larger(const int32_t* keys, int q, int end, int32_t held) {
#if defined(__SSE2__)
  const __m128i bound = _mm_set1_epi32(held);
  const auto four_larger = [&](int at) {
    return _mm_cmpgt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + at)), bound);
  };
  for (; q + 8 <= end; q += 8) {
    // Each lane's result as two bytes of the mask.
    const int larger = _mm_movemask_epi8(_mm_packs_epi32(four_larger(q), four_larger(q + 4)));
    if (larger) return q + __builtin_ctz(static_cast<unsigned>(larger)) / 2;
  }
  if (q + 4 <= end) {
    const int larger = _mm_movemask_ps(_mm_castsi128_ps(four_larger(q)));
    if (larger) return q + __builtin_ctz(static_cast<unsigned>(larger));
    q += 4;
  }
  if (q < end && q <= LIST_CAPACITY - 4) {
    static constexpr int lanes_left[4] = {0, 1, 3, 7};
    const int larger = _mm_movemask_ps(_mm_castsi128_ps(four_larger(q))) & lanes_left[end - q];
    return larger ? q + __builtin_ctz(static_cast<unsigned>(larger)) : end;
  }
#endif
  for (; q < end; ++q) {
    if (keys[q] > held) return q;
  }
  return end;
}

}  // namespace

// Only the entries with a larger key than the held one change anything:
// each is exchanged with the held entry. Few keys beat the held one, so
// the walk looks for them several at a time and writes only at exchanges.
//
// The last entry of a segment is in place already. The pass before left
// the largest key of the rest at p - 1; when the entry at p has that key
// too, nothing behind it is larger and the pass would exchange nothing
// (long runs of equal keys are common).
void Sort_pass(T_List_moves* list, T_Sort_walk* walk, int p) {
  const int end = walk->end;
  int32_t* moves = list->move;
  int32_t* keys = list->sort;
  if (p + 1 >= end || (p > walk->begin && keys[p] == keys[p - 1])) return;
  int32_t held_move = moves[p];
  int32_t held_key = keys[p];
  for (int q = First_larger(keys, p + 1, end, held_key); q < end; q = First_larger(keys, q + 1, end, held_key)) {
    const int32_t key = keys[q];
    const int32_t move = moves[q];
    keys[q] = held_key;
    moves[q] = held_move;
    held_key = key;
    held_move = move;
  }
  moves[p] = held_move;
  keys[p] = held_key;
}

namespace {

void Exchange_sort(T_List_moves* list, int begin, int end) {
  if (end - begin < 2) return;
  T_Sort_walk walk;
  Sort_walk_start(&walk, list, begin, end);
  for (int p = begin; p + 1 < end; ++p) Sort_pass(list, &walk, p);
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

namespace {

// The orders whose quiet moves are planned but not yet written, outermost
// first: the nodes on the current line that have not got to their quiet
// moves. Their moves must be written before the history table changes.
constexpr int PENDING_CAPACITY = 128;
T_Move_order* pending[PENDING_CAPACITY];
int pending_count = 0;

// Writes an order's planned quiet moves and lets its walk of them run to
// the end of the list.
void Write_quiets(T_Move_order* order) {
  Write_planned_quiets(order->plan);
  order->plan = nullptr;
  order->quiets.end = order->list->end_list;
}

}  // namespace

void Move_order_start(T_Move_order* order, T_List_moves* list, int ply, int32_t hash_move, T_Quiet_plan* plan) {
  order->list = list;
  order->plan = plan;
  Sort_walk_start(&order->captures, list, 0, list->end_captures);
  Sort_walk_start(&order->quiets, list, list->end_captures, list->end_list);
  if (list->end_captures > 0) Sort_pass(list, &order->captures, 0);
  order->start = (list->end_captures > 0 && list->sort[0] >= 0) ? 1 : 0;
  order->sorted = 0;
  order->placed = 0;
  // Which of the three special moves are in the list at all; where they
  // stand does not matter, since no move word occurs twice.
  const int32_t k1 = killer_1[ply], k2 = killer_2[ply];
  bool has_k1 = false, has_k2 = false, has_hash = false;
  int i = 0;
#if defined(__SSE2__)
  {
    const __m128i want_1 = _mm_set1_epi32(k1), want_2 = _mm_set1_epi32(k2), want_hash = _mm_set1_epi32(hash_move);
    __m128i seen_1 = _mm_setzero_si128(), seen_2 = _mm_setzero_si128(), seen_hash = _mm_setzero_si128();
    for (; i + 4 <= list->end_list; i += 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(list->move + i));
      seen_1 = _mm_or_si128(seen_1, _mm_cmpeq_epi32(four, want_1));
      seen_2 = _mm_or_si128(seen_2, _mm_cmpeq_epi32(four, want_2));
      seen_hash = _mm_or_si128(seen_hash, _mm_cmpeq_epi32(four, want_hash));
    }
    has_k1 = _mm_movemask_epi8(seen_1) != 0;
    has_k2 = _mm_movemask_epi8(seen_2) != 0;
    has_hash = _mm_movemask_epi8(seen_hash) != 0;
  }
#endif
  for (; i < list->end_list; ++i) {
    const int32_t m = list->move[i];
    has_k1 |= m == k1;
    has_k2 |= m == k2;
    has_hash |= m == hash_move;
  }
  // A killer that is not a capture is looked for among the planned quiet
  // moves only once the order gets to its place: most nodes end before.
  order->planned = plan;
  order->unchecked_1 = plan != nullptr && !has_k1 && k1 != 0;
  order->unchecked_2 = plan != nullptr && !has_k2 && k2 != 0;
  order->killer_1 = has_k1 || order->unchecked_1 ? k1 : 0;
  order->killer_2 = has_k2 || order->unchecked_2 ? k2 : 0;
  if (plan != nullptr) {
    has_hash = has_hash || Planned_quiet(plan, hash_move);
    if (pending_count < PENDING_CAPACITY)
      pending[pending_count++] = order;
    else
      Write_quiets(order);
  }
  order->hash_move = has_hash ? hash_move : 0;
  order->passed_1 = order->passed_2 = 0;
  order->passed_hash = order->hash_move;
  order->placed_0 = order->placed_1 = 0;
}

namespace {

// The next entry of the sorted list, leaving out the killers already placed.
inline int32_t Next_sorted(T_Move_order* order) {
  T_List_moves* list = order->list;
  for (;;) {
    const int s = order->sorted++;
    if (s >= list->end_captures && order->plan != nullptr) {
      // The node's own order is the innermost pending one.
      if (pending_count > 0 && pending[pending_count - 1] == order) --pending_count;
      Write_quiets(order);
    }
    if (s >= list->end_list) return 0;
    Sort_pass(list, s < list->end_captures ? &order->captures : &order->quiets, s);
    const int32_t m = list->move[s];
    if (m == order->passed_1) {
      order->passed_1 = 0;
    } else if (m == order->passed_2) {
      order->passed_2 = 0;
    } else {
      return m;
    }
  }
}

// A killer of the order, or 0 when it is not in the list.
inline int32_t Killer(const T_Move_order* order, int32_t& killer, bool& unchecked) {
  if (unchecked) {
    unchecked = false;
    if (!Planned_quiet(order->planned, killer)) killer = 0;
  }
  return killer;
}

// The next move of the sorted list after Killers_first. Killer 1 goes to
// start unless it is already before it; killer 2 to start + 1 unless it is
// already at or before that place (it may be killer 1 itself, or the entry
// left at start when killer 1 was not placed).
inline int32_t Next_placed(T_Move_order* order) {
  const int j = order->placed++;
  int32_t m;
  if (j == order->start && Killer(order, order->killer_1, order->unchecked_1) != 0 &&
      !(j == 1 && order->killer_1 == order->placed_0)) {
    m = order->passed_1 = order->killer_1;
  } else if (j == order->start + 1 && Killer(order, order->killer_2, order->unchecked_2) != 0 &&
             order->killer_2 != order->placed_0 && !(j == 2 && order->killer_2 == order->placed_1)) {
    m = order->passed_2 = order->killer_2;
  } else {
    m = Next_sorted(order);
  }
  if (j == 0)
    order->placed_0 = m;
  else if (j == 1)
    order->placed_1 = m;
  return m;
}

}  // namespace

int32_t Move_order_next(T_Move_order* order) {
  // The hash move comes first, and is left out where it stood.
  if (order->hash_move != 0) {
    const int32_t m = order->hash_move;
    order->hash_move = 0;
    return m;
  }
  for (;;) {
    const int32_t m = Next_placed(order);
    if (m != order->passed_hash || m == 0) return m;
    order->passed_hash = 0;
  }
}

void Move_order_finish(T_Move_order* order) {
  if (order->plan == nullptr) return;
  if (pending_count > 0 && pending[pending_count - 1] == order) --pending_count;
  order->plan = nullptr;
}

void History_add(int32_t move) {
  // Planned quiet moves take their keys from the table as it was when they
  // were planned, so they are written before it changes.
  for (int i = 0; i < pending_count; ++i) Write_quiets(pending[i]);
  pending_count = 0;
  int32_t& counter = history[Move_from(move)][Move_to(move)];
  counter += 1;
  if (counter > 100000) {
    for (auto& row : history)
      for (auto& h : row) h /= 2;
  }
}

void History_clear() { std::memset(history, 0, sizeof history); }
