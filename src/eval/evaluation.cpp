#include "eval/evaluation.h"

#include <cstdint>

#include "board/colour.h"
#include "board/tables.h"
#include "eval/parameters.h"

namespace {

constexpr int NO_KING = -10;

// The score is summed in 64 bits so that extreme weights read from the
// parameter file cannot overflow; the result wraps to 32 bits like a plain
// 32-bit sum would.
using Score = int64_t;

// Number of squares in a set. With Hardware the processor's population-count
// instruction is used; that instance only runs on processors that have it.
template <bool Hardware>
inline int Count(uint64_t set) {
  if constexpr (Hardware)
    return __builtin_popcountll(set);
  else
    return popcount(set);
}

// Non-pawn material of one side, weighted by cost_figure_rubikon.
template <Colour Us, bool Hardware>
Score Non_pawn_material(const T_Bitboard& position) {
  const uint64_t* pieces = Pieces<Us>(position);
  const int32_t* cost = eval_parameters.cost_figure_rubikon;
  Score material = 0;
  for (int code = PIECE_KNIGHT; code <= PIECE_QUEEN; ++code)
    material += Score{cost[code]} * Count<Hardware>(pieces[code]);
  return material;
}

// The three squares in front of a king on k, by plain square arithmetic
// (so they wrap around at the a- and h-files); a square off the board is
// left out of the set and so never counts as covered.
template <Colour Us>
constexpr auto shelter_squares = [] {
  tables_detail::Table table{};
  for (int k = 0; k < 64; ++k) {
    for (int d = Colour_traits<Us>::forward - 1; d <= Colour_traits<Us>::forward + 1; ++d) {
      const int s = k + d;
      if (s >= 0 && s <= 63) table[k] |= uint64_t{1} << s;
    }
  }
  return table;
}();

// King shelter and castling, or centralisation once the opponent's pieces
// are few. Returns the king square, or NO_KING.
template <Colour Us, bool Hardware>
int King_term(const T_Bitboard& position, bool endgame, Score& score) {
  using T = Colour_traits<Us>;
  const uint64_t king_set = Pieces<Us>(position)[PIECE_KING];
  if (king_set == 0) return NO_KING;
  const int k = first_one(king_set);
  const T_Eval_parameters& p = eval_parameters;

  if (endgame) {
    score += T::sign * Score{p.king_center_end[k]};
    return k;
  }

  // Each of the three shelter squares without a piece of the king's side
  // costs BONUS_SHIELD.
  const int uncovered = 3 - Count<Hardware>(shelter_squares<Us>[k] & All_pieces<Us>(position));
  score -= T::sign * uncovered * Score{p.BONUS_SHIELD};
  const uint64_t rooks = Pieces<Us>(position)[PIECE_ROOK];
  if (k == T::short_king_to && (rooks & one_bit[T::short_rook_to])) score += T::sign * Score{p.BONUS_CASTLING_O_O};
  if (k == T::long_king_to && (rooks & one_bit[T::long_rook_to])) score += T::sign * Score{p.BONUS_CASTLING_O_O_O};
  return k;
}

// Number of files holding two or more of the pawns.
inline uint64_t Doubled_files(uint64_t pawns) {
  uint64_t once = 0;
  uint64_t twice = 0;
  for (int rank = 0; rank < 8; ++rank) {
    const uint64_t row = (pawns >> (8 * rank)) & 0xFF;
    twice |= once & row;
    once |= row;
  }
  return twice;
}

// Pawn advancement and, in the endgame, passed-pawn steps.
template <Colour Us>
void Pawn_term(const T_Bitboard& position, bool endgame, Score& score) {
  using T = Colour_traits<Us>;
  const T_Eval_parameters& p = eval_parameters;
  const uint64_t their_pawns = Pieces<Other(Us)>(position)[PIECE_PAWN];
  const Score step = p.PERSPECTIVE_PAWNN;

  for (uint64_t pawns = Pieces<Us>(position)[PIECE_PAWN]; pawns; pawns &= pawns - 1) {
    const int s = first_one(pawns);
    const int file = s & 7;
    if (!endgame) {
      score += T::sign * Score{p.pawn_advance_middle[s]};
      continue;
    }
    score += T::sign * Score{p.pawn_advance_end[s ^ T::mirror]};
    if (T::ahead[s] & their_pawns) continue;
    score += T::sign * step;
    int free_neighbours = 0;
    if (file != 7 && !(T::ahead[s + 1] & their_pawns)) {
      score += T::sign * step;
      free_neighbours = 1;
    }
    if (file != 0 && !(T::ahead[s - 1] & their_pawns)) {
      score += T::sign * step;
      ++free_neighbours;
    }
    if (free_neighbours == 2) score += T::sign * 7 * step;
  }
}

// Squares a slider on s reaches along one line (two opposite rays), up to
// and including the first occupied square each way. The nearest blocker
// below s is the highest set bit of the lower ray's blockers; subtracting
// it from the upper blockers sets every bit from it up to the nearest
// blocker above s, which the line mask then trims. No branch is taken.
inline uint64_t Line_attack(const tables_detail::Table& lower_ray, const tables_detail::Table& upper_ray, int s,
                            uint64_t occupied) {
  const uint64_t lower = lower_ray[s] & occupied;
  const uint64_t upper = upper_ray[s] & occupied;
  const uint64_t nearest_below = 0x8000000000000000ull >> __builtin_clzll(lower | 1);
  return (lower_ray[s] | upper_ray[s]) & (upper ^ (upper - nearest_below));
}

inline uint64_t Rook_file_attack(int s, uint64_t occupied) { return Line_attack(ray_S, ray_N, s, occupied); }

inline uint64_t Bishop_attack(int s, uint64_t occupied) {
  return Line_attack(ray_SW, ray_NE, s, occupied) | Line_attack(ray_SE, ray_NW, s, occupied);
}

inline uint64_t Queen_attack(int s, uint64_t occupied) {
  return Rook_file_attack(s, occupied) | Line_attack(ray_W, ray_E, s, occupied) | Bishop_attack(s, occupied);
}

// Number of squares a knight reaches from each square.
constexpr auto knight_move_count = [] {
  struct {
    int count[64];
    constexpr int operator[](int s) const { return count[s]; }
  } table{};
  for (int s = 0; s < 64; ++s) {
    for (uint64_t set = knight_moves[s]; set; set &= set - 1) ++table.count[s];
  }
  return table;
}();

// Mobility of queens, rooks (along their file only), bishops and knights,
// the knight table, and the number of pieces bearing on the enemy king.
template <Colour Us, bool Hardware>
int Piece_term(const T_Bitboard& position, int their_king, Score& score) {
  using T = Colour_traits<Us>;
  const T_Eval_parameters& p = eval_parameters;
  const uint64_t* pieces = Pieces<Us>(position);
  const uint64_t occupied = position.all_piece;
  const uint64_t king_zone = their_king == NO_KING ? 0 : king_moves[their_king];
  const Score z = p.Z;
  int attackers = 0;

  for (uint64_t set = pieces[PIECE_QUEEN]; set; set &= set - 1) {
    const uint64_t attack = Queen_attack(first_one(set), occupied);
    score += T::sign * Count<Hardware>(attack) * Score{p.Z / 2};
    if (attack & king_zone) ++attackers;
  }
  for (uint64_t set = pieces[PIECE_ROOK]; set; set &= set - 1) {
    const uint64_t attack = Rook_file_attack(first_one(set), occupied);
    score += T::sign * Count<Hardware>(attack) * z;
    if (attack & king_zone) ++attackers;
  }
  for (uint64_t set = pieces[PIECE_BISHOP]; set; set &= set - 1) {
    const uint64_t attack = Bishop_attack(first_one(set), occupied);
    score += T::sign * Count<Hardware>(attack) * z;
    if (attack & king_zone) ++attackers;
  }
  for (uint64_t set = pieces[PIECE_KNIGHT]; set; set &= set - 1) {
    const int s = first_one(set);
    const uint64_t attack = knight_moves[s];
    score += T::sign * (Score{p.knight_center[s]} + knight_move_count[s] * z);
    if (attack & king_zone) ++attackers;
  }
  return attackers;
}

template <bool Hardware>
inline int Evaluate(const T_Bitboard& pos) {
  const T_Eval_parameters& p = eval_parameters;
  Score score = 0;

  // A side is scored in the endgame manner once the opponent's pieces other
  // than pawns and king are worth no more than rubikon.
  const bool white_endgame = Non_pawn_material<BLACK, Hardware>(pos) <= p.rubikon;
  const bool black_endgame = Non_pawn_material<WHITE, Hardware>(pos) <= p.rubikon;

  const int white_king = King_term<WHITE, Hardware>(pos, white_endgame, score);
  const int black_king = King_term<BLACK, Hardware>(pos, black_endgame, score);

  Pawn_term<WHITE>(pos, white_endgame, score);
  Pawn_term<BLACK>(pos, black_endgame, score);
  // Doubled pawns: BONUS_PAWNN for each file with two or more.
  score -= Score{p.BONUS_PAWNN} * Count<Hardware>(Doubled_files(pos.white_piece[PIECE_PAWN]));
  score += Score{p.BONUS_PAWNN} * Count<Hardware>(Doubled_files(pos.black_piece[PIECE_PAWN]));

  const int white_attackers = Piece_term<WHITE, Hardware>(pos, black_king, score);
  const int black_attackers = Piece_term<BLACK, Hardware>(pos, white_king, score);
  score += Score{p.ATAK_KING} * (white_attackers - black_attackers);

  return static_cast<int32_t>(static_cast<uint32_t>(score));
}

#if defined(__x86_64__) || defined(__i386__)
#define EVALUATION_DISPATCH 1
// Most of the evaluation's time goes into counting squares. The portable
// build cannot assume the population-count instruction, so the evaluation
// is compiled a second time with it and chosen once at start-up.
__attribute__((target("popcnt"))) int Evaluate_with_popcnt(const T_Bitboard& pos) { return Evaluate<true>(pos); }

bool Processor_has_popcnt() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt");
}

const bool has_popcnt = Processor_has_popcnt();
#endif

}  // namespace

int Evaluation(const T_Bitboard* position) {
#if defined(__POPCNT__)
  return Evaluate<true>(*position);
#elif defined(EVALUATION_DISPATCH)
  return has_popcnt ? Evaluate_with_popcnt(*position) : Evaluate<false>(*position);
#else
  return Evaluate<false>(*position);
#endif
}

int Evaluation_portable(const T_Bitboard* position) { return Evaluate<false>(*position); }
