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

// The move at index of a list, by colour; one line each onto Make<C> and
// Unmake<C> below, which the search, perft and the tests use (through
// board/by_colour.h).
void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);

namespace makemove_detail {

template <Colour C>
inline void Shift_piece(T_Bitboard& pos, int piece, int f, int t) {
  const uint64_t both = (uint64_t{1} << f) | (uint64_t{1} << t);
  All_pieces<C>(pos) ^= both;
  Pieces<C>(pos)[piece] ^= both;
  Names<C>(pos)[t] = piece;
  Names<C>(pos)[f] = 0;
}

// Make keeps every field that a move can change besides the pieces (the
// en-passant state and the four castling rights) and unmake puts all of
// them back. A field the move left alone gets back the value it still has,
// so this restores exactly what a move changed without unmake having to
// work out again what that was. The en-passant square and the castling
// rights are each copied as one block.
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

// In makemove.cpp: what a quiet move of a king, a rook or a pawn's double
// step changes besides the pieces, and every other kind of move.
template <Colour Us>
void Quiet_move_state(T_Bitboard& pos, int piece, int f);
template <Colour Us>
void Make_other_kinds(int32_t move, T_Bitboard& pos, T_Undo& undo);
template <Colour Us>
void Unmake_other_kinds(int32_t move, T_Bitboard& pos, const T_Undo& undo);

}  // namespace makemove_detail

// Plays move, a move of side Us from its generators, on pos and fills undo.
// Quiet moves, the commonest, are made right here at the caller.
template <Colour Us>
inline void Make(int32_t move, T_Bitboard& pos, T_Undo& undo) {
  using namespace makemove_detail;
  if (Move_kind(move) != KIND_QUIET) {
    Make_other_kinds<Us>(move, pos, undo);
    return;
  }
  const int f = Move_from(move), t = Move_to(move);
  const int piece = Names<Us>(pos)[f];
  Save_state(pos, undo);
  pos.taking_passage_yes = false;
  Shift_piece<Us>(pos, piece, f, t);
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
  if (piece == PIECE_KING || piece == PIECE_ROOK || (piece == PIECE_PAWN && t - f == 2 * Colour_traits<Us>::forward))
    Quiet_move_state<Us>(pos, piece, f);
}

// Takes back move, the last one that Make<Us> played on pos with undo.
template <Colour Us>
inline void Unmake(int32_t move, T_Bitboard& pos, const T_Undo& undo) {
  using namespace makemove_detail;
  if (Move_kind(move) != KIND_QUIET) {
    Unmake_other_kinds<Us>(move, pos, undo);
    return;
  }
  const int f = Move_from(move), t = Move_to(move);
  Restore_state(pos, undo);
  Shift_piece<Us>(pos, Names<Us>(pos)[t], t, f);
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
}
