// Everything that differs between White and Black, in one place. Each
// procedure that exists for both colours is written once as a template on
// the colour and reads its squares, shifts and bounds from here.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "board/rays.h"
#include "board/tables.h"

enum Colour : int { BLACK = 0, WHITE = 1 };

constexpr Colour Other(Colour c) { return c == WHITE ? BLACK : WHITE; }

template <Colour Us>
struct Colour_traits;

template <>
struct Colour_traits<WHITE> {
  static constexpr int forward = 8;              // one pawn step
  static constexpr int promotion_from_rank = 6;  // rank of a pawn about to promote
  static constexpr int double_step_rank = 1;
  static constexpr int en_passant_rank = 4;  // rank of a pawn that may take en passant
  // En-passant targets in the order they are tried: (delta, excluded file).
  static constexpr int ep_first_delta = 9, ep_first_bad_file = 7;
  static constexpr int ep_second_delta = 7, ep_second_bad_file = 0;
  static constexpr int ep_victim_offset = -8;  // captured pawn relative to the target
  static constexpr int king_home = 4;
  static constexpr int long_rook_from = 0, long_rook_to = 3, long_king_to = 2;
  static constexpr int short_rook_from = 7, short_rook_to = 5, short_king_to = 6;
  static constexpr uint64_t long_empty = (1ull << 1) | (1ull << 2) | (1ull << 3);
  static constexpr uint64_t short_empty = (1ull << 5) | (1ull << 6);
  // Rook squares of the opponent whose capture removes a castling right.
  static constexpr int their_long_rook = 56, their_short_rook = 63;
  // Squares a pawn of the other side must stand on to attack square s: s + delta.
  static constexpr int pawn_attacker_left = 7, pawn_attacker_right = 9;
  // Evaluation: the sign of this side's terms in a White-positive score, the
  // XOR that turns a square into the same square seen from this side, and the
  // squares ahead of one of its pawns on the pawn's file.
  static constexpr int sign = 1;
  static constexpr int mirror = 0;
  static constexpr const tables_detail::Table& ahead = ray_N;
  // Board code: the rank where a pawn has no step left, the pawn capture table,
  // the lines and diagonals through a back-rank square that may hold an
  // attacker (in test order), and the squares k + delta from which enemy pawns
  // attack a king on k (skipped when k is on the excluded file).
  static constexpr int last_rank = 7;
  static constexpr const tables_detail::Table& pawn_captures = white_pawn_captures;
  static constexpr Direction castle_line_1 = DIR_N, castle_line_2 = DIR_W, castle_line_3 = DIR_E;
  static constexpr Direction castle_diag_1 = DIR_NE, castle_diag_2 = DIR_NW;
  static constexpr int king_pawn_first = 7, king_pawn_first_bad_file = 0;
  static constexpr int king_pawn_second = 9, king_pawn_second_bad_file = 7;
  // Whether the pawn test runs for a king on k (never where a square would leave the board).
  static constexpr bool King_pawn_test(int k) { return k < 56; }
};

template <>
struct Colour_traits<BLACK> {
  static constexpr int forward = -8;
  static constexpr int promotion_from_rank = 1;
  static constexpr int double_step_rank = 6;
  static constexpr int en_passant_rank = 3;
  static constexpr int ep_first_delta = -9, ep_first_bad_file = 0;
  static constexpr int ep_second_delta = -7, ep_second_bad_file = 7;
  static constexpr int ep_victim_offset = 8;
  static constexpr int king_home = 60;
  static constexpr int long_rook_from = 56, long_rook_to = 59, long_king_to = 58;
  static constexpr int short_rook_from = 63, short_rook_to = 61, short_king_to = 62;
  static constexpr uint64_t long_empty = (1ull << 57) | (1ull << 58) | (1ull << 59);
  static constexpr uint64_t short_empty = (1ull << 61) | (1ull << 62);
  static constexpr int their_long_rook = 0, their_short_rook = 7;
  static constexpr int pawn_attacker_left = -9, pawn_attacker_right = -7;
  static constexpr int sign = -1;
  static constexpr int mirror = 63;
  static constexpr const tables_detail::Table& ahead = ray_S;
  static constexpr int last_rank = 0;
  static constexpr const tables_detail::Table& pawn_captures = black_pawn_captures;
  static constexpr Direction castle_line_1 = DIR_W, castle_line_2 = DIR_S, castle_line_3 = DIR_E;
  static constexpr Direction castle_diag_1 = DIR_SW, castle_diag_2 = DIR_SE;
  static constexpr int king_pawn_first = -7, king_pawn_first_bad_file = 7;
  static constexpr int king_pawn_second = -9, king_pawn_second_bad_file = 0;
  static constexpr bool King_pawn_test(int k) { return k >= 14; }
};

// Accessors for "our" and "their" halves of the position record.
template <Colour C>
inline uint64_t* Pieces(T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.white_piece;
  else
    return p.black_piece;
}
template <Colour C>
inline const uint64_t* Pieces(const T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.white_piece;
  else
    return p.black_piece;
}
template <Colour C>
inline uint64_t& All_pieces(T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.all_white_piece;
  else
    return p.all_black_piece;
}
template <Colour C>
inline uint64_t All_pieces(const T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.all_white_piece;
  else
    return p.all_black_piece;
}
template <Colour C>
inline int32_t* Names(T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.white_name_from_coord;
  else
    return p.black_name_from_coord;
}
template <Colour C>
inline const int32_t* Names(const T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.white_name_from_coord;
  else
    return p.black_name_from_coord;
}
template <Colour C>
inline bool& Castling_long(T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.castling_Q;
  else
    return p.castling_q;
}
template <Colour C>
inline bool& Castling_short(T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.castling_K;
  else
    return p.castling_k;
}
template <Colour C>
inline bool Castling_long(const T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.castling_Q;
  else
    return p.castling_q;
}
template <Colour C>
inline bool Castling_short(const T_Bitboard& p) {
  if constexpr (C == WHITE)
    return p.castling_K;
  else
    return p.castling_k;
}
