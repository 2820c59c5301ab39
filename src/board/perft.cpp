#include "board/perft.h"

#include "board/by_colour.h"
#include "board/move.h"

namespace {

template <Colour Us>
uint64_t Count(T_Bitboard& pos, int depth) {
  T_List_moves list;
  Generate_all<Us>(list, pos);
  uint64_t leaves = 0;
  for (int i = 0; i < list.end_list; ++i) {
    T_Undo undo;
    Make<Us>(list.move[i], pos, undo);
    if (!King_attacked<Us>(pos)) leaves += depth <= 1 ? 1 : Count<Other(Us)>(pos, depth - 1);
    Unmake<Us>(list.move[i], pos, undo);
  }
  return leaves;
}

template <Colour Us>
int Divide(T_Bitboard& pos, int depth, int32_t* root_moves, uint64_t* leaves) {
  T_List_moves list;
  Generate_all<Us>(list, pos);
  int n = 0;
  for (int i = 0; i < list.end_list; ++i) {
    T_Undo undo;
    Make<Us>(list.move[i], pos, undo);
    if (!King_attacked<Us>(pos)) {
      root_moves[n] = list.move[i];
      leaves[n] = depth <= 1 ? 1 : Count<Other(Us)>(pos, depth - 1);
      ++n;
    }
    Unmake<Us>(list.move[i], pos, undo);
  }
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
