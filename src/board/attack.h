// Is a king attacked? The type code of the first attacker found, or 0.
// King_attacked<C> is inline, so that the legality test after each move is
// compiled into the search's and perft's move loops; King_white_check and
// King_black_check are one line each onto it.
#pragma once
#include <cstdint>
#include <type_traits>

#include "board/bitboard.h"
#include "board/colour.h"
#include "board/move.h"
#include "board/rays.h"
#include "board/sliders.h"
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

// Calls look.template Along<D>(k, sliders) for each ray D from k on which
// an enemy slider that moves along D stands (sliders: those of them), in a
// fixed order: rook lines N, W, S, E, then diagonals NE, NW, SW, SE; stops
// at the first call that returns true and returns whether one did. Each
// group of four is passed over at once when no such slider stands on it.
// (The directions reach the lambda as types: as a function template it
// was inlined less, for 0.5% more instructions in the bench.)
template <Colour Us, class Look>
inline bool Look_along_lines(const T_Bitboard& pos, int k, Look& look) {
  const uint64_t* their = Pieces<Other(Us)>(pos);
  const auto along = [&](auto direction, uint64_t sliders) {
    constexpr Direction D = decltype(direction)::value;
    return (Ray<D>()[k] & sliders) != 0 && look.template Along<D>(k, sliders);
  };
  using N = std::integral_constant<Direction, DIR_N>;
  using W = std::integral_constant<Direction, DIR_W>;
  using S = std::integral_constant<Direction, DIR_S>;
  using E = std::integral_constant<Direction, DIR_E>;
  using NE = std::integral_constant<Direction, DIR_NE>;
  using NW = std::integral_constant<Direction, DIR_NW>;
  using SW = std::integral_constant<Direction, DIR_SW>;
  using SE = std::integral_constant<Direction, DIR_SE>;
  const uint64_t straight = their[PIECE_ROOK] | their[PIECE_QUEEN];
  if ((rook_lines[k] & straight) &&
      (along(N{}, straight) || along(W{}, straight) || along(S{}, straight) || along(E{}, straight)))
    return true;
  const uint64_t diagonal = their[PIECE_BISHOP] | their[PIECE_QUEEN];
  return (diagonals[k] & diagonal) &&
         (along(NE{}, diagonal) || along(NW{}, diagonal) || along(SW{}, diagonal) || along(SE{}, diagonal));
}

// King_attacked's look: the first enemy slider that is the nearest piece on
// its ray, by its type code.
template <Colour Us>
struct First_attacker {
  const T_Bitboard& pos;
  int code = 0;

  template <Direction D>
  bool Along(int k, uint64_t sliders) {
    const int b = Nearest<D>(Ray<D>()[k] & pos.all_piece);
    if ((sliders >> b) & 1) code = Names<Other(Us)>(pos)[b];
    return code != 0;
  }
};

// Legality's look, over every ray: an enemy slider as the nearest piece
// goes to attackers, with the squares from the king up to it to line; a
// piece of own as the nearest, with an enemy slider right behind it, to
// pinned.
struct Attackers_and_pins {
  const T_Bitboard& pos;
  uint64_t own;
  uint64_t attackers = 0, line = 0, pinned = 0;

  template <Direction D>
  bool Along(int k, uint64_t sliders) {
    const uint64_t blockers = Ray<D>()[k] & pos.all_piece;
    const int b = Nearest<D>(blockers);
    if ((sliders >> b) & 1) {
      attackers |= one_bit[b];
      line |= Ray<D>()[k] ^ Ray<D>()[b];
    } else if ((own >> b) & 1) {
      // A slider stands behind b, so the rest is not empty.
      if ((sliders >> Nearest<D>(blockers ^ one_bit[b])) & 1) pinned |= one_bit[b];
    }
    return false;
  }
};

}  // namespace attack_detail

// The attackers are looked for in a fixed order (the rook lines and the
// diagonals as Look_along_lines takes them, knights, king, pawns) and the
// first one found is named.
template <Colour Us>
inline int King_attacked(const T_Bitboard& pos) {
  using namespace attack_detail;
  const uint64_t kings = Pieces<Us>(pos)[PIECE_KING];
  if (kings == 0) return 0;  // no king, nothing to attack
  const int k = first_one(kings);
  First_attacker<Us> first{pos};
  if (Look_along_lines<Us>(pos, k, first)) return first.code;
  const uint64_t* their = Pieces<Other(Us)>(pos);
  if (knight_moves[k] & their[PIECE_KNIGHT]) return PIECE_KNIGHT;
  if (king_moves[k] & their[PIECE_KING]) return PIECE_KING;
  if (pawn_attackers<Us>[k] & their[PIECE_PAWN]) return PIECE_PAWN;
  return 0;
}

// What the legality test of side C's moves needs from the position before
// them, found in one look at the lines through C's king (the lowest one,
// as King_attacked takes it):
// - tested_from: the squares whose moves get the attack test: C's kings,
//   C's pieces pinned to the king (the only piece between it and an enemy
//   slider that moves along that line) and, while an en-passant square is
//   set, C's pawns on the rank that takes en passant (the taken pawn
//   leaves a square too). Any other move opens no line to the king, puts
//   no enemy piece anywhere and takes at most one away.
// - evasions: where such another move must go to leave the king
//   unattacked: anywhere when it is not attacked; onto the one attacker or
//   between it and the king (a slider's line); nowhere when two attack.
struct T_Legality {
  uint64_t tested_from;
  uint64_t evasions;
};

template <Colour Us>
inline T_Legality Legality(const T_Bitboard& pos) {
  using namespace attack_detail;
  const uint64_t kings = Pieces<Us>(pos)[PIECE_KING];
  if (kings == 0) return {0, ~uint64_t{0}};  // no king, none to leave attacked
  const int k = first_one(kings);
  Attackers_and_pins look{pos, All_pieces<Us>(pos)};
  Look_along_lines<Us>(pos, k, look);
  const uint64_t* their = Pieces<Other(Us)>(pos);
  const uint64_t attackers = look.attackers | (knight_moves[k] & their[PIECE_KNIGHT]) |
                             (king_moves[k] & their[PIECE_KING]) | (pawn_attackers<Us>[k] & their[PIECE_PAWN]);
  uint64_t tested = kings | look.pinned;
  if (pos.taking_passage_yes)
    tested |= Pieces<Us>(pos)[PIECE_PAWN] & (uint64_t{0xFF} << (8 * Colour_traits<Us>::en_passant_rank));
  if (attackers == 0) return {tested, ~uint64_t{0}};
  if (attackers & (attackers - 1)) return {tested, 0};
  return {tested, attackers | look.line};
}

// What the check test after each move of side C needs from the position
// before the moves: checks_from, by piece type, the squares from which
// such a piece of C attacks the opponent's king (the lowest one, as
// King_attacked<Other(C)> takes it), for the occupied squares before the
// moves. A move lands its piece there exactly when it gives check, unless
// it leaves a square on a line through that king (it may uncover a
// slider) or is an en-passant capture, castling or a promotion: those, in
// tested_from or by their kind, get the attack test itself; so does every
// move while the opponent's king is attacked already (only then can a move
// take it and bring a second king of a set-up position into question).
struct T_Check_test {
  uint64_t tested_from;
  uint64_t checks_from[7];
};

template <Colour Us>
inline T_Check_test Check_test(const T_Bitboard& pos) {
  using namespace attack_detail;
  constexpr Colour Them = Other(Us);
  T_Check_test test{};
  const uint64_t kings = Pieces<Them>(pos)[PIECE_KING];
  if (kings == 0) return test;  // no king, never attacked
  if (King_attacked<Them>(pos) != 0) {
    test.tested_from = ~uint64_t{0};
    return test;
  }
  const int k = first_one(kings);
  const uint64_t occupied = pos.all_piece;
  const uint64_t diagonal = Diagonal_reach(k, occupied), straight = File_reach(k, occupied) | Rank_reach(k, occupied);
  test.tested_from = rook_lines[k] | diagonals[k];
  test.checks_from[PIECE_PAWN] = pawn_attackers<Them>[k];
  test.checks_from[PIECE_KNIGHT] = knight_moves[k];
  test.checks_from[PIECE_BISHOP] = diagonal;
  test.checks_from[PIECE_ROOK] = straight;
  test.checks_from[PIECE_QUEEN] = diagonal | straight;
  test.checks_from[PIECE_KING] = king_moves[k];
  return test;
}

// Does move, just made by side Us on pos, attack the opponent's king?
// test is Check_test<Us> of the position before the move.
template <Colour Us>
inline bool Gives_check(int32_t move, const T_Bitboard& pos, const T_Check_test& test) {
  const int kind = Move_kind(move);
  if (((test.tested_from >> Move_from(move)) & 1) != 0 || (kind != KIND_QUIET && kind != KIND_CAPTURE))
    return King_attacked<Other(Us)>(pos) != 0;
  return ((test.checks_from[Move_piece(move)] >> Move_to(move)) & 1) != 0;
}

int King_white_check(const T_Bitboard* position);
int King_black_check(const T_Bitboard* position);
