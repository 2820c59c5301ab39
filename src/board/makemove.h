// Making and taking back moves, with the material balance kept current.
#pragma once
#include <cstdint>
#include <cstring>

#include "board/bitboard.h"
#include "board/colour.h"
#include "board/move.h"

struct T_Undo {
  bool taking_passage_yes;
  int32_t taking_passage_x;
  int32_t taking_passage_y;
  bool castling_Q;
  bool castling_K;
  bool castling_q;
  bool castling_k;
};

void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);

// The same for a move word held outside a list; Us is the side that moves.
// The commonest moves, quiet steps of a piece that carries no castling right
// and makes no en-passant square, are done right here at the caller; the
// general procedures do every move, these included.
template <Colour Us>
void Make_move_general(int32_t move, T_Bitboard* position, T_Undo* undo);
template <Colour Us>
void Unmake_move_general(int32_t move, T_Bitboard* position, const T_Undo* undo);

namespace makemove_detail {

template <Colour C>
inline void Shift_piece(T_Bitboard& pos, int piece, int f, int t) {
  const uint64_t both = (uint64_t{1} << f) | (uint64_t{1} << t);
  All_pieces<C>(pos) ^= both;
  Pieces<C>(pos)[piece] ^= both;
  Names<C>(pos)[t] = piece;
  Names<C>(pos)[f] = 0;
}

// Saves the fields besides the pieces that a move may change; the
// en-passant square and the castling rights each as one block.
inline void Save_state(const T_Bitboard& pos, T_Undo& undo) {
  undo.taking_passage_yes = pos.taking_passage_yes;
  std::memcpy(&undo.taking_passage_x, &pos.taking_passage_x, 8);
  std::memcpy(&undo.castling_Q, &pos.castling_Q, 4);
}

inline void Restore_state(T_Bitboard& pos, const T_Undo& undo) {
  pos.taking_passage_yes = undo.taking_passage_yes;
  std::memcpy(&pos.taking_passage_x, &undo.taking_passage_x, 8);
  std::memcpy(&pos.castling_Q, &undo.castling_Q, 4);
}

}  // namespace makemove_detail

template <Colour Us>
inline void Make_move(int32_t move, T_Bitboard* position, T_Undo* undo) {
  using namespace makemove_detail;
  if (Move_kind(move) == KIND_QUIET) {
    const int f = Move_from(move), t = Move_to(move);
    const int piece = Names<Us>(*position)[f];
    const bool double_step = piece == PIECE_PAWN && t - f == 2 * Colour_traits<Us>::forward;
    if (piece != PIECE_KING && piece != PIECE_ROOK && !double_step) {
      Save_state(*position, *undo);
      position->taking_passage_yes = false;
      Shift_piece<Us>(*position, piece, f, t);
      position->all_piece = position->all_white_piece | position->all_black_piece;
      return;
    }
  }
  Make_move_general<Us>(move, position, undo);
}

template <Colour Us>
inline void Unmake_move(int32_t move, T_Bitboard* position, const T_Undo* undo) {
  using namespace makemove_detail;
  if (Move_kind(move) == KIND_QUIET) {
    const int f = Move_from(move), t = Move_to(move);
    Restore_state(*position, *undo);
    Shift_piece<Us>(*position, Names<Us>(*position)[t], t, f);
    position->all_piece = position->all_white_piece | position->all_black_piece;
    return;
  }
  Unmake_move_general<Us>(move, position, undo);
}
