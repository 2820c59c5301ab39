#include "board/perft.h"

#include "board/by_colour.h"
#include "board/move.h"

namespace {

// Calls visit(move) for each legal move of side Us, in generation order,
// with the move made on pos; returns how many there were.
template <Colour Us, class Visit>
int For_each_legal_move(T_Bitboard& pos, Visit&& visit) {
  T_List_moves list;
  Generate_all<Us>(list, pos);
  const T_Legality legality = Legality<Us>(pos);
  int legal = 0;
  for (int i = 0; i < list.end_list; ++i) {
    const int32_t move = list.move[i];
    T_Undo undo;
    if (!Make_legal<Us>(move, pos, undo, legality)) continue;
    ++legal;
    visit(move);
    Unmake<Us>(move, pos, undo);
  }
  return legal;
}

// The position as a leaf's make left it, in memory: nothing reads it
// before the unmake, and the compiler would otherwise leave out what the
// unmake overwrites, or make and unmake whole.
inline void Leaf_made(T_Bitboard& pos) { asm volatile("" : "+m"(pos)); }

// One level above the leaves each legal move is one leaf, made, tested and
// taken back like any other; the loop for it carries no recursion.
template <Colour Us>
uint64_t Count(T_Bitboard& pos, int depth) {
  if (depth <= 1) return For_each_legal_move<Us>(pos, [&](int32_t) { Leaf_made(pos); });
  uint64_t leaves = 0;
  For_each_legal_move<Us>(pos, [&](int32_t) { leaves += Count<Other(Us)>(pos, depth - 1); });
  return leaves;
}

template <Colour Us>
int Divide(T_Bitboard& pos, int depth, int32_t* root_moves, uint64_t* leaves) {
  int n = 0;
  For_each_legal_move<Us>(pos, [&](int32_t move) {
    root_moves[n] = move;
    leaves[n] = depth <= 1 ? 1 : Count<Other(Us)>(pos, depth - 1);
    ++n;
  });
  return n;
}

}  // namespace

uint64_t Perft_count(T_Bitboard* position, int depth) {
  if (depth <= 0) return 1;
  return With_colour(Side_to_move(*position), [&](auto us) { return Count<us>(*position, depth); });
}

int Perft_divide(T_Bitboard* position, int depth, int32_t* root_moves, uint64_t* leaves) {
  if (depth <= 0) return 0;
  return With_colour(Side_to_move(*position),
                     [&](auto us) { return Divide<us>(*position, depth, root_moves, leaves); });
}
