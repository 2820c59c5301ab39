#include "board/perft.h"

#include "board/attack.h"
#include "board/colour.h"
#include "board/makemove.h"
#include "board/move.h"
#include "board/movegen.h"

namespace {

template <Colour Us>
inline void Generate_all(T_List_moves& list, T_Bitboard& pos) {
  if constexpr (Us == WHITE) {
    Generator_captures_white(&list, &pos);
    Generator_move_white(&pos, &list);
  } else {
    Generator_captures_black(&list, &pos);
    Generator_move_black(&pos, &list);
  }
}

template <Colour Us>
inline void Make(int i, T_Bitboard& pos, T_Undo& undo, const T_List_moves& list) {
  ::Make<Us>(list.move[i], pos, undo);
}

template <Colour Us>
inline void Unmake(int i, T_Bitboard& pos, const T_Undo& undo, const T_List_moves& list) {
  ::Unmake<Us>(list.move[i], pos, undo);
}

template <Colour Us>
inline bool Own_king_attacked(const T_Bitboard& pos) {
  if constexpr (Us == WHITE)
    return King_white_check(&pos) != 0;
  else
    return King_black_check(&pos) != 0;
}

template <Colour Us>
uint64_t Count(T_Bitboard& pos, int depth) {
  T_List_moves list;
  Generate_all<Us>(list, pos);
  uint64_t leaves = 0;
  for (int i = 0; i < list.end_list; ++i) {
    T_Undo undo;
    Make<Us>(i, pos, undo, list);
    if (!Own_king_attacked<Us>(pos)) leaves += depth <= 1 ? 1 : Count<Other(Us)>(pos, depth - 1);
    Unmake<Us>(i, pos, undo, list);
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
    Make<Us>(i, pos, undo, list);
    if (!Own_king_attacked<Us>(pos)) {
      root_moves[n] = list.move[i];
      leaves[n] = depth <= 1 ? 1 : Count<Other(Us)>(pos, depth - 1);
      ++n;
    }
    Unmake<Us>(i, pos, undo, list);
  }
  return n;
}

}  // namespace

uint64_t Perft_count(T_Bitboard* position, int depth) {
  if (depth <= 0) return 1;
  return position->colour_move ? Count<WHITE>(*position, depth) : Count<BLACK>(*position, depth);
}

int Perft_divide(T_Bitboard* position, int depth, int32_t* root_moves, uint64_t* leaves) {
  if (depth <= 0) return 0;
  return position->colour_move ? Divide<WHITE>(*position, depth, root_moves, leaves)
                               : Divide<BLACK>(*position, depth, root_moves, leaves);
}
