// Everything that differs between White and Black, in one place. Each
// procedure that exists for both colours is written once as a template on
// the colour and reads its squares, shifts and bounds from here.
#pragma once
#include <cstdint>
#include <utility>

#include "board/bitboard.h"
#include "board/rays.h"
#include "board/tables.h"

enum Colour : int { BLACK = 0, WHITE = 1 };

constexpr Colour Other(Colour c) { return c == WHITE ? BLACK : WHITE; }

inline Colour Side_to_move(const T_Bitboard& position) { return position.colour_move ? WHITE : BLACK; }

// A square, rank or set as seen from side C: White's as they are, Black's
// mirrored top to bottom (a1 <-> a8), so that White's squares name both.
template <Colour C>
constexpr int Relative_square(int s) {
  return C == WHITE ? s : s ^ 56;
}
template <Colour C>
constexpr int Relative_rank(int rank) {
  return C == WHITE ? rank : 7 - rank;
}
template <Colour C>
constexpr uint64_t Relative_set(uint64_t set) {
  return C == WHITE ? set : __builtin_bswap64(set);
}

template <Colour Us>
struct Colour_traits {
  static constexpr bool white = Us == WHITE;

  static constexpr int forward = white ? 8 : -8;  // one pawn step
  static constexpr int double_step_rank = Relative_rank<Us>(1);
  static constexpr int en_passant_rank = Relative_rank<Us>(4);      // rank of a pawn that may take en passant
  static constexpr int promotion_from_rank = Relative_rank<Us>(6);  // rank of a pawn about to promote
  static constexpr int last_rank = Relative_rank<Us>(7);            // where a pawn has no step left
  static constexpr int ep_victim_offset = -forward;                 // captured pawn relative to the target
  static constexpr const tables_detail::Table& pawn_captures = white ? white_pawn_captures : black_pawn_captures;

  static constexpr int king_home = Relative_square<Us>(4);  // e1
  static constexpr int long_rook_from = Relative_square<Us>(0), long_rook_to = Relative_square<Us>(3);
  static constexpr int long_king_to = Relative_square<Us>(2);
  static constexpr int short_rook_from = Relative_square<Us>(7), short_rook_to = Relative_square<Us>(5);
  static constexpr int short_king_to = Relative_square<Us>(6);
  static constexpr uint64_t long_empty = Relative_set<Us>((1ull << 1) | (1ull << 2) | (1ull << 3));  // b1 c1 d1
  static constexpr uint64_t short_empty = Relative_set<Us>((1ull << 5) | (1ull << 6));               // f1 g1
  // Rook squares of the opponent whose capture removes a castling right.
  static constexpr int their_long_rook = Relative_square<Other(Us)>(0);
  static constexpr int their_short_rook = Relative_square<Other(Us)>(7);

  // Castling attack test: the lines and diagonals through a back-rank square
  // that stay on the board (N, W, S, E and NE, NW, SW, SE without the
  // backward ones, in that order), and the squares s + delta from which a
  // pawn of the other side attacks s.
  static constexpr Direction castle_line_1 = white ? DIR_N : DIR_W, castle_line_2 = white ? DIR_W : DIR_S;
  static constexpr Direction castle_line_3 = DIR_E;
  static constexpr Direction castle_diag_1 = white ? DIR_NE : DIR_SW, castle_diag_2 = white ? DIR_NW : DIR_SE;
  static constexpr int pawn_attacker_left = forward - 1, pawn_attacker_right = forward + 1;

  // King attack test: enemy pawns attack a king on k from k + forward - 1 and
  // k + forward + 1; they are looked for only when k < 56 (White) or k >= 14
  // (Black: not for a king on a2..f2, whatever stands on rank 1).
  static constexpr bool King_pawn_test(int k) { return white ? k < 56 : k >= 14; }

  // Evaluation: the sign of this side's terms in a White-positive score, and
  // the XOR that turns a square into the same square seen from this side
  // with the board turned half round (a1 <-> h8).
  static constexpr int sign = white ? 1 : -1;
  static constexpr int mirror = white ? 0 : 63;
};

// "Our" and "their" halves of the position record, for a const or a
// changeable record alike: the piece sets by type, the union, the square map
// and the castling rights. The two tables come as pointers to their first
// entry: as references to the whole arrays they cost the search 0.5% more
// instructions (the compiler then keeps more of the record in registers).
template <Colour C, class W, class B>
constexpr decltype(auto) Pick(W&& white, B&& black) {
  if constexpr (C == WHITE)
    return std::forward<W>(white);
  else
    return std::forward<B>(black);
}
template <Colour C, class Board>
constexpr auto Pieces(Board& p) {
  return Pick<C>(&p.white_piece[0], &p.black_piece[0]);
}
template <Colour C, class Board>
constexpr auto& All_pieces(Board& p) {
  return Pick<C>(p.all_white_piece, p.all_black_piece);
}
template <Colour C, class Board>
constexpr auto& Non_pawn(Board& p) {
  return Pick<C>(p.white_non_pawn, p.black_non_pawn);
}
template <Colour C, class Board>
constexpr auto Names(Board& p) {
  return Pick<C>(&p.white_name_from_coord[0], &p.black_name_from_coord[0]);
}
template <Colour C, class Board>
constexpr auto& Castling_long(Board& p) {
  return Pick<C>(p.castling_Q, p.castling_q);
}
template <Colour C, class Board>
constexpr auto& Castling_short(Board& p) {
  return Pick<C>(p.castling_K, p.castling_k);
}
