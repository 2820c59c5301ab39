#include "board/attack.h"

#include "board/colour.h"
#include "board/rays.h"
#include "board/tables.h"

namespace {

// The attacker along D, if the nearest piece on that ray is an enemy slider
// of the kind that moves along it (rook-like or bishop-like, or a queen).
template <Colour Us, Direction D>
inline int Slider_attacker(const T_Bitboard& pos, int k, int slider) {
  // Most rays hold no enemy piece that could attack along them at all.
  const uint64_t* their = Pieces<Other(Us)>(pos);
  if ((Ray<D>()[k] & (their[slider] | their[PIECE_QUEEN])) == 0) return 0;
  const int b = First_blocker<D>(k, pos.all_piece);
  if (b < 0 || (one_bit[b] & All_pieces<Other(Us)>(pos)) == 0) return 0;
  const int c = Names<Other(Us)>(pos)[b];
  return (c == slider || c == PIECE_QUEEN) ? c : 0;
}

template <Colour Us>
int King_attacked(const T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const uint64_t kings = Pieces<Us>(pos)[PIECE_KING];
  if (kings == 0) return 0;  // no king, nothing to attack
  const int k = first_one(kings);
  int c;
  if ((c = Slider_attacker<Us, DIR_N>(pos, k, PIECE_ROOK))) return c;
  if ((c = Slider_attacker<Us, DIR_W>(pos, k, PIECE_ROOK))) return c;
  if ((c = Slider_attacker<Us, DIR_S>(pos, k, PIECE_ROOK))) return c;
  if ((c = Slider_attacker<Us, DIR_E>(pos, k, PIECE_ROOK))) return c;
  if ((c = Slider_attacker<Us, DIR_NE>(pos, k, PIECE_BISHOP))) return c;
  if ((c = Slider_attacker<Us, DIR_NW>(pos, k, PIECE_BISHOP))) return c;
  if ((c = Slider_attacker<Us, DIR_SW>(pos, k, PIECE_BISHOP))) return c;
  if ((c = Slider_attacker<Us, DIR_SE>(pos, k, PIECE_BISHOP))) return c;
  const uint64_t* their = Pieces<Them>(pos);
  if (knight_moves[k] & their[PIECE_KNIGHT]) return PIECE_KNIGHT;
  if (king_moves[k] & their[PIECE_KING]) return PIECE_KING;
  if (T::King_pawn_test(k)) {
    const int32_t* names = Names<Them>(pos);
    if (k % 8 != T::king_pawn_first_bad_file && names[k + T::king_pawn_first] == PIECE_PAWN) return PIECE_PAWN;
    if (k % 8 != T::king_pawn_second_bad_file && names[k + T::king_pawn_second] == PIECE_PAWN) return PIECE_PAWN;
  }
  return 0;
}

}  // namespace

int King_white_check(const T_Bitboard* position) { return King_attacked<WHITE>(*position); }
int King_black_check(const T_Bitboard* position) { return King_attacked<BLACK>(*position); }
