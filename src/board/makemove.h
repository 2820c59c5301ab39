// Making and taking back moves, with the material balance kept current.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "board/bitboard.h"
#include "board/colour.h"
#include "board/move.h"
#include "eval/parameters.h"

// The fields of the record that a move changes besides the pieces, the
// side to move, the en-passant state and the four castling rights, lie in
// one block of 16 bytes from colour_move to castling_k; make keeps the
// block and unmake writes it back, one copy each.
constexpr std::size_t STATE_FIRST = offsetof(T_Bitboard, colour_move);
constexpr std::size_t STATE_BYTES = offsetof(T_Bitboard, castling_k) + 1 - STATE_FIRST;
static_assert(STATE_BYTES == 16, "side to move, en passant and castling rights in one 16-byte block");

struct T_Undo {
  unsigned char state[STATE_BYTES];
};

// The move at index of a list, by colour; one line each onto Make<C> and
// Unmake<C> below, which the search, perft and the tests use (through
// board/by_colour.h).
void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list);
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list);

// Counts each side's non-pawn material (white_non_pawn, black_non_pawn)
// from its pieces, at the weights loaded now.
void Non_pawn_material_count(T_Bitboard* position);

namespace makemove_detail {

// Moves a piece of side C from f to t in its sets and square map; returns
// the two squares, for the caller to change the union of both sides with.
template <Colour C>
inline uint64_t Shift_piece(T_Bitboard& pos, int piece, int f, int t) {
  const uint64_t both = one_bit[f] | one_bit[t];
  All_pieces<C>(pos) ^= both;
  Pieces<C>(pos)[piece] ^= both;
  Names<C>(pos)[t] = piece;
  Names<C>(pos)[f] = 0;
  return both;
}

// Make keeps the block of every field that a move can change besides the
// pieces and unmake puts it back. A field the move left alone gets back the
// value it still has, so this restores exactly what a move changed without
// unmake having to work out again what that was.
inline void Save_state(const T_Bitboard& pos, T_Undo& undo) {
  std::memcpy(undo.state, reinterpret_cast<const unsigned char*>(&pos) + STATE_FIRST, STATE_BYTES);
}

inline void Restore_state(T_Bitboard& pos, const T_Undo& undo) {
  std::memcpy(reinterpret_cast<unsigned char*>(&pos) + STATE_FIRST, undo.state, STATE_BYTES);
}

// Takes a piece of side C and type piece off s, or puts it there (the same
// XOR), in the sets only.
template <Colour C>
inline void Flip(T_Bitboard& pos, int piece, int s) {
  All_pieces<C>(pos) ^= one_bit[s];
  Pieces<C>(pos)[piece] ^= one_bit[s];
}

// A king or rook of ours leaving f takes the matching rights with it. Each
// right is written on its own: gathered into one word on the stack first,
// the word's read waited for the byte just written into it (about 3% of
// perft's time).
template <Colour Us>
inline void Clear_own_rights(T_Bitboard& pos, int piece, int f) {
  using T = Colour_traits<Us>;
  if (piece == PIECE_KING) {
    Castling_long<Us>(pos) = false;
    Castling_short<Us>(pos) = false;
  } else if (piece == PIECE_ROOK) {
    if (f == T::long_rook_from) Castling_long<Us>(pos) = false;
    if (f == T::short_rook_from) Castling_short<Us>(pos) = false;
  }
}

// Capturing a rook in its corner takes the opponent's right on that side.
template <Colour Us>
inline void Clear_their_rights(T_Bitboard& pos, int captured, int t) {
  using T = Colour_traits<Us>;
  if (captured != PIECE_ROOK) return;
  if (t == T::their_long_rook) Castling_long<Other(Us)>(pos) = false;
  if (t == T::their_short_rook) Castling_short<Other(Us)>(pos) = false;
}

// An ordinary capture: what Make_other_kinds and Unmake_other_kinds do for
// one, and what Make_noisy and Unmake_noisy below do at the caller.
template <Colour Us>
__attribute__((always_inline)) inline void Make_capture(int32_t move, T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move);
  int32_t* their_names = Names<Them>(pos);
  const int piece = Names<Us>(pos)[f];
  const int victim = their_names[t];
  pos.taking_passage_yes = false;
  Flip<Them>(pos, victim, t);
  their_names[t] = 0;
  pos.eval = Material_add(pos.eval, T::sign * int64_t{eval_parameters.cost_figure[victim]});
  // Zero for pawns and kings, so every capture can subtract its victim's.
  Non_pawn<Them>(pos) -= eval_parameters.cost_figure_rubikon[victim];
  Shift_piece<Us>(pos, piece, f, t);
  Clear_own_rights<Us>(pos, piece, f);
  Clear_their_rights<Us>(pos, Move_captured(move), t);
  pos.all_piece ^= one_bit[f];  // t stays occupied
}

template <Colour Us>
__attribute__((always_inline)) inline void Unmake_capture(int32_t move, T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move);
  const int captured = Move_captured(move);
  Shift_piece<Us>(pos, Names<Us>(pos)[t], t, f);
  Names<Them>(pos)[t] = captured;
  Flip<Them>(pos, captured, t);
  pos.eval = Material_add(pos.eval, -T::sign * int64_t{eval_parameters.cost_figure[captured]});
  Non_pawn<Them>(pos) += eval_parameters.cost_figure_rubikon[captured];
  pos.all_piece ^= one_bit[f];
}

// In makemove.cpp: what a quiet move of a king, a rook or a pawn's double
// step changes besides the pieces, and castling, en passant and promotions
// (the block of fields is kept and put back by Make and Unmake for every
// kind, so that the record of it never leaves the caller).
template <Colour Us>
void Quiet_move_state(T_Bitboard& pos, int piece, int f);
template <Colour Us>
void Make_other_kinds(int32_t move, T_Bitboard& pos);
template <Colour Us>
void Unmake_other_kinds(int32_t move, T_Bitboard& pos);

}  // namespace makemove_detail

// Plays move, a move of side Us from its generators, on pos and fills undo.
// Quiet moves, the commonest, are made right here at the caller, with the
// piece the move word names (the generators take it from the piece's set,
// which the square map agrees with): no read of the map waits for the
// address of the square. Make and Unmake are always inlined: a search node
// that grew past the compiler's inlining budget got them called instead,
// for 1% more instructions in the bench.
template <Colour Us>
__attribute__((always_inline)) inline void Make(int32_t move, T_Bitboard& pos, T_Undo& undo) {
  using namespace makemove_detail;
  Save_state(pos, undo);
  if (Move_kind(move) != KIND_QUIET) {
    Make_other_kinds<Us>(move, pos);
    return;
  }
  const int f = Move_from(move), t = Move_to(move), piece = Move_piece(move);
  pos.taking_passage_yes = false;
  pos.all_piece ^= Shift_piece<Us>(pos, piece, f, t);
  if (piece == PIECE_KING || piece == PIECE_ROOK || (piece == PIECE_PAWN && t - f == 2 * Colour_traits<Us>::forward))
    Quiet_move_state<Us>(pos, piece, f);
}

// Takes back move, the last one that Make<Us> played on pos with undo.
template <Colour Us>
__attribute__((always_inline)) inline void Unmake(int32_t move, T_Bitboard& pos, const T_Undo& undo) {
  using namespace makemove_detail;
  Restore_state(pos, undo);
  if (Move_kind(move) != KIND_QUIET) {
    Unmake_other_kinds<Us>(move, pos);
    return;
  }
  const int f = Move_from(move), t = Move_to(move);
  pos.all_piece ^= Shift_piece<Us>(pos, Move_piece(move), t, f);
}

// Make and Unmake for the moves of the capture generator (captures,
// promotions and en passant; never a quiet move), for the capture search:
// its ordinary captures are made right at the caller, where a call for each
// cost about as much again as the work itself. The other callers keep the
// quiet moves inline and call for the rest (with the captures inline in
// every caller, perft's leaf loop got slower).
template <Colour Us>
__attribute__((always_inline)) inline void Make_noisy(int32_t move, T_Bitboard& pos, T_Undo& undo) {
  using namespace makemove_detail;
  Save_state(pos, undo);
  if (Move_kind(move) == KIND_CAPTURE)
    Make_capture<Us>(move, pos);
  else
    Make_other_kinds<Us>(move, pos);
}

template <Colour Us>
__attribute__((always_inline)) inline void Unmake_noisy(int32_t move, T_Bitboard& pos, const T_Undo& undo) {
  using namespace makemove_detail;
  Restore_state(pos, undo);
  if (Move_kind(move) == KIND_CAPTURE)
    Unmake_capture<Us>(move, pos);
  else
    Unmake_other_kinds<Us>(move, pos);
}
