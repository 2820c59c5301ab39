// Is a king attacked? The type code of the first attacker found, or 0.
// King_attacked<C> is inline, so that the legality test after each move is
// compiled into the search's and perft's move loops; King_white_check and
// King_black_check are one line each onto it.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "board/colour.h"
#include "board/rays.h"
#include "board/tables.h"

namespace attack_detail {

using tables_detail::Table;

// All four rook lines, and all four diagonals, through each square.
constexpr Table Union_of(const Table& a, const Table& b, const Table& c, const Table& d) {
  Table t{};
  for (int s = 0; s < 64; ++s) t[s] = a[s] | b[s] | c[s] | d[s];
  return t;
}
inline constexpr Table rook_lines = Union_of(ray_N, ray_W, ray_S, ray_E);
inline constexpr Table diagonals = Union_of(ray_NE, ray_NW, ray_SW, ray_SE);

// The squares from which an enemy pawn attacks a king of colour C on k:
// k + 7 and k + 9 for White's king, k - 9 and k - 7 for Black's (each but
// where it would wrap round the a- or h-file edge), for the kings that the
// pawn test looks at.
template <Colour C>
constexpr Table Make_pawn_attackers() {
  using T = Colour_traits<C>;
  Table t{};
  for (int k = 0; k < 64; ++k) {
    if (!T::King_pawn_test(k)) continue;
    if (k % 8 != 0) t[k] |= uint64_t{1} << (k + T::forward - 1);
    if (k % 8 != 7) t[k] |= uint64_t{1} << (k + T::forward + 1);
  }
  return t;
}
template <Colour C>
inline constexpr Table pawn_attackers = Make_pawn_attackers<C>();

// The attacker along D, if the nearest piece on that ray is an enemy slider
// of the kind that moves along it (rook-like or bishop-like, or a queen).
template <Colour Us, Direction D>
inline int Slider_attacker(const T_Bitboard& pos, int k, uint64_t sliders) {
  if ((Ray<D>()[k] & sliders) == 0) return 0;
  const int b = Nearest<D>(Ray<D>()[k] & pos.all_piece);
  if ((sliders >> b) & 1) return Names<Other(Us)>(pos)[b];
  return 0;
}

}  // namespace attack_detail

// The attackers are looked for in a fixed order (rook lines N, W, S, E,
// diagonals NE, NW, SW, SE, knights, king, pawns) and the first one found
// is named. Each group is skipped at once when no enemy piece that could
// attack that way stands on its lines.
template <Colour Us>
inline int King_attacked(const T_Bitboard& pos) {
  using namespace attack_detail;
  constexpr Colour Them = Other(Us);
  const uint64_t kings = Pieces<Us>(pos)[PIECE_KING];
  if (kings == 0) return 0;  // no king, nothing to attack
  const int k = first_one(kings);
  const uint64_t* their = Pieces<Them>(pos);
  const uint64_t straight = their[PIECE_ROOK] | their[PIECE_QUEEN];
  int c;
  if (rook_lines[k] & straight) {
    if ((c = Slider_attacker<Us, DIR_N>(pos, k, straight))) return c;
    if ((c = Slider_attacker<Us, DIR_W>(pos, k, straight))) return c;
    if ((c = Slider_attacker<Us, DIR_S>(pos, k, straight))) return c;
    if ((c = Slider_attacker<Us, DIR_E>(pos, k, straight))) return c;
  }
  const uint64_t diagonal = their[PIECE_BISHOP] | their[PIECE_QUEEN];
  if (diagonals[k] & diagonal) {
    if ((c = Slider_attacker<Us, DIR_NE>(pos, k, diagonal))) return c;
    if ((c = Slider_attacker<Us, DIR_NW>(pos, k, diagonal))) return c;
    if ((c = Slider_attacker<Us, DIR_SW>(pos, k, diagonal))) return c;
    if ((c = Slider_attacker<Us, DIR_SE>(pos, k, diagonal))) return c;
  }
  if (knight_moves[k] & their[PIECE_KNIGHT]) return PIECE_KNIGHT;
  if (king_moves[k] & their[PIECE_KING]) return PIECE_KING;
  if (pawn_attackers<Us>[k] & their[PIECE_PAWN]) return PIECE_PAWN;
  return 0;
}

int King_white_check(const T_Bitboard* position);
int King_black_check(const T_Bitboard* position);
