#include "eval/evaluation.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "board/colour.h"
#include "board/sliders.h"
#include "board/tables.h"
#include "eval/parameters.h"

namespace {

// Stands for the square of a missing king in the tables indexed by king square.
constexpr int NO_KING = 64;

// The result is the low 32 bits of the exact sum of the terms (the weights
// from the parameter file are not range-checked, so the sum may need more).
// Unsigned 32-bit arithmetic gives exactly those bits for every sum,
// difference and product, and its wrap-around is well defined; so the
// score is kept as such a value throughout. Only the material compared
// with rubikon needs its true value, and is summed in 64 bits.
using Score = uint32_t;

// Number of squares in a set. With Hardware the processor's population-count
// instruction is used; that instance only runs on processors that have it.
template <bool Hardware>
inline int Count(uint64_t set) {
  if constexpr (Hardware)
    return __builtin_popcountll(set);
  else
    return popcount(set);
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
    score += T::sign * static_cast<Score>(p.king_center_end[k]);
    return k;
  }

  // Each of the three shelter squares without a piece of the king's side
  // costs BONUS_SHIELD.
  const int uncovered = 3 - Count<Hardware>(shelter_squares<Us>[k] & All_pieces<Us>(position));
  score -= T::sign * uncovered * static_cast<Score>(p.BONUS_SHIELD);
  const uint64_t rooks = Pieces<Us>(position)[PIECE_ROOK];
  if (k == T::short_king_to && (rooks & one_bit[T::short_rook_to]))
    score += T::sign * static_cast<Score>(p.BONUS_CASTLING_O_O);
  if (k == T::long_king_to && (rooks & one_bit[T::long_rook_to]))
    score += T::sign * static_cast<Score>(p.BONUS_CASTLING_O_O_O);
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

// Squares that have one of the given pawns ahead of them on their file,
// ahead meaning side Us's direction of play: for White the squares strictly
// below one of the pawns, for Black those strictly above.
template <Colour Us>
inline uint64_t Covered_squares(uint64_t pawns) {
  uint64_t fill;
  if constexpr (Us == WHITE) {
    fill = pawns >> 8;
    fill |= fill >> 8;
    fill |= fill >> 16;
    fill |= fill >> 32;
  } else {
    fill = pawns << 8;
    fill |= fill << 8;
    fill |= fill << 16;
    fill |= fill << 32;
  }
  return fill;
}

constexpr uint64_t FILE_A_SET = 0x0101010101010101ull;
constexpr uint64_t FILE_H_SET = FILE_A_SET << 7;

// Pawn advancement and, in the endgame, passed-pawn steps: PERSPECTIVE_PAWNN
// for each pawn with no enemy pawn ahead on its file, once more for each
// neighbouring file with none ahead of the pawn's rank (there being a file
// on that side), and 7 times more when both neighbouring files are free.
// All pawns are tested at once against the squares that have an enemy pawn
// ahead of them on their file.
template <Colour Us, bool Hardware>
Score Pawn_term(uint64_t our_pawns, uint64_t their_pawns, bool endgame) {
  using T = Colour_traits<Us>;
  const T_Eval_parameters& p = eval_parameters;
  Score sum = 0;
  if (!endgame) {
    for (uint64_t pawns = our_pawns; pawns; pawns &= pawns - 1) sum += p.pawn_advance_middle[first_one(pawns)];
    return T::sign * sum;
  }
  for (uint64_t pawns = our_pawns; pawns; pawns &= pawns - 1) sum += p.pawn_advance_end[first_one(pawns) ^ T::mirror];

  const uint64_t covered = Covered_squares<Us>(their_pawns);
  const uint64_t free = our_pawns & ~covered;
  const uint64_t right_free = free & ~FILE_H_SET & ~(covered >> 1);
  const uint64_t left_free = free & ~FILE_A_SET & ~(covered << 1);
  const int steps = Count<Hardware>(free) + Count<Hardware>(right_free) + Count<Hardware>(left_free) +
                    7 * Count<Hardware>(right_free & left_free);
  return T::sign * (sum + static_cast<Score>(p.PERSPECTIVE_PAWNN) * steps);
}

// Everything the pawn term and the doubled pawns add depends only on the two
// pawn sets and on which sides are scored in the endgame manner, and the
// pawn sets change at few of the moves searched. So that sum is kept in a
// table keyed by exactly those inputs and recomputed only on a miss. With
// 8192 entries of 24 bytes (192 KiB) about 5% of the lookups in the bench
// searches miss; 2048 entries miss 8%, 32768 entries 4%, and neither size
// made the bench measurably faster or slower.
struct Pawn_entry {
  uint64_t white_pawns;
  uint64_t black_pawns;
  Score score;
  uint32_t manner;  // PAWN_ENTRY_USED, plus 1 for White's and 2 for Black's endgame manner
};
constexpr uint32_t PAWN_ENTRY_USED = 4;
constexpr int PAWN_CACHE_BITS = 13;
Pawn_entry pawn_cache[1 << PAWN_CACHE_BITS];

template <bool Hardware>
Score Pawn_structure(uint64_t white_pawns, uint64_t black_pawns, bool white_endgame, bool black_endgame) {
  const uint32_t manner = PAWN_ENTRY_USED | white_endgame | (uint32_t{black_endgame} << 1);
  const uint64_t mix = white_pawns * 0x9E3779B97F4A7C15ull ^ black_pawns * 0xC2B2AE3D27D4EB4Full;
  Pawn_entry& entry = pawn_cache[(mix >> (64 - PAWN_CACHE_BITS)) ^ (manner & 3)];
  if (entry.white_pawns == white_pawns && entry.black_pawns == black_pawns && entry.manner == manner)
    return entry.score;

  const T_Eval_parameters& p = eval_parameters;
  Score score = Pawn_term<WHITE, Hardware>(white_pawns, black_pawns, white_endgame) +
                Pawn_term<BLACK, Hardware>(black_pawns, white_pawns, black_endgame);
  // Doubled pawns: BONUS_PAWNN for each file with two or more.
  score -= static_cast<Score>(p.BONUS_PAWNN) * Count<Hardware>(Doubled_files(white_pawns));
  score += static_cast<Score>(p.BONUS_PAWNN) * Count<Hardware>(Doubled_files(black_pawns));
  entry = {white_pawns, black_pawns, score, manner};
  return score;
}

// Number of squares a knight reaches from each square.
constexpr auto knight_move_count = [] {
  std::array<int, 64> table{};
  for (int s = 0; s < 64; ++s) {
    for (uint64_t set = knight_moves[s]; set; set &= set - 1) ++table[s];
  }
  return table;
}();

// For a king on k, the squares next to it and the squares from which a
// knight reaches one of those; the entry NO_KING after the 64 squares, for a
// missing king, has neither.
struct King_surroundings {
  uint64_t zone;
  uint64_t knight_squares;
};
constexpr auto king_surroundings = [] {
  std::array<King_surroundings, NO_KING + 1> table{};
  for (int k = 0; k < 64; ++k) {
    table[k].zone = king_moves[k];
    for (int z = 0; z < 64; ++z) {
      if ((king_moves[k] >> z) & 1) table[k].knight_squares |= knight_moves[z];
    }
  }
  return table;
}();

// What one side's queens, rooks, bishops and knights add, before weighting:
// the weights are applied once to the difference between the two sides.
struct Piece_counts {
  int queen_squares;  // weighted by Z / 2
  int squares;        // weighted by Z
  Score knight_table;
  int attackers;  // pieces bearing on the enemy king, weighted by ATAK_KING
};

// Mobility of queens, rooks (along their file only), bishops and knights,
// the knight table, and the number of pieces bearing on the enemy king.
template <Colour Us, bool Hardware>
Piece_counts Piece_term(const T_Bitboard& position, const King_surroundings& their_king, T_Slider_reach& reach) {
  const T_Eval_parameters& p = eval_parameters;
  const uint64_t* pieces = Pieces<Us>(position);
  const uint64_t occupied = position.all_piece;
  const uint64_t king_zone = their_king.zone;
  Piece_counts counts{0, 0, 0, 0};

  for (uint64_t set = pieces[PIECE_QUEEN]; set; set &= set - 1) {
    const unsigned s = static_cast<unsigned>(first_one(set));
    const uint64_t attack = Diagonal_reach(s, occupied) | File_reach(s, occupied) | Rank_reach(s, occupied);
    reach.square[s] = attack;
    counts.queen_squares += Count<Hardware>(attack);
    counts.attackers += (attack & king_zone) != 0;
  }
  for (uint64_t set = pieces[PIECE_ROOK]; set; set &= set - 1) {
    const unsigned s = static_cast<unsigned>(first_one(set));
    const uint64_t attack = File_reach(s, occupied);
    reach.square[s] = attack;
    counts.squares += Count<Hardware>(attack);
    counts.attackers += (attack & king_zone) != 0;
  }
  for (uint64_t set = pieces[PIECE_BISHOP]; set; set &= set - 1) {
    const unsigned s = static_cast<unsigned>(first_one(set));
    const uint64_t attack = Diagonal_reach(s, occupied);
    reach.square[s] = attack;
    counts.squares += Count<Hardware>(attack);
    counts.attackers += (attack & king_zone) != 0;
  }
  const uint64_t knights = pieces[PIECE_KNIGHT];
  for (uint64_t set = knights; set; set &= set - 1) {
    const unsigned s = static_cast<unsigned>(first_one(set));
    counts.knight_table += p.knight_center[s];
    counts.squares += knight_move_count[s];
  }
  counts.attackers += Count<Hardware>(knights & their_king.knight_squares);
  return counts;
}

template <bool Hardware>
inline int Evaluate(const T_Bitboard& pos, T_Slider_reach& reach) {
  const T_Eval_parameters& p = eval_parameters;
  Score score = 0;

  // A side is scored in the endgame manner once the opponent's pieces other
  // than pawns and king are worth no more than rubikon (the record keeps
  // that material current).
  const bool white_endgame = pos.black_non_pawn <= p.rubikon;
  const bool black_endgame = pos.white_non_pawn <= p.rubikon;

  const int white_king = King_term<WHITE, Hardware>(pos, white_endgame, score);
  const int black_king = King_term<BLACK, Hardware>(pos, black_endgame, score);

  score +=
      Pawn_structure<Hardware>(pos.white_piece[PIECE_PAWN], pos.black_piece[PIECE_PAWN], white_endgame, black_endgame);

  reach.occupied = pos.all_piece;
  const Piece_counts white = Piece_term<WHITE, Hardware>(pos, king_surroundings[black_king], reach);
  const Piece_counts black = Piece_term<BLACK, Hardware>(pos, king_surroundings[white_king], reach);
  score += static_cast<Score>(white.queen_squares - black.queen_squares) * (p.Z / 2) +
           static_cast<Score>(white.squares - black.squares) * p.Z + (white.knight_table - black.knight_table) +
           static_cast<Score>(p.ATAK_KING) * (white.attackers - black.attackers);

  return static_cast<int32_t>(static_cast<uint32_t>(score));
}

#if defined(__x86_64__) || defined(__i386__)
#define EVALUATION_DISPATCH 1
// Most of the evaluation's time goes into counting squares and walking
// square sets. The portable build cannot assume the population-count
// instruction, nor the bit-manipulation set that clears and finds the lowest
// square in one instruction each (BMI1: blsr, tzcnt, andn), so the
// evaluation is compiled twice more, with population count alone and with
// both, and the fastest the processor has is chosen once at start-up. BMI1
// takes about 1% off the instructions of the bench and of position
// searches; BMI2 on top of it gained nothing.
__attribute__((target("popcnt"))) int Evaluate_with_popcnt(const T_Bitboard& pos, T_Slider_reach& reach) {
  return Evaluate<true>(pos, reach);
}
__attribute__((target("popcnt,bmi"))) int Evaluate_with_bmi(const T_Bitboard& pos, T_Slider_reach& reach) {
  return Evaluate<true>(pos, reach);
}

enum class Instruction_set { PORTABLE, POPCNT, POPCNT_BMI };

Instruction_set Processor_instruction_set() {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("popcnt")) return Instruction_set::PORTABLE;
  return __builtin_cpu_supports("bmi") ? Instruction_set::POPCNT_BMI : Instruction_set::POPCNT;
}

const Instruction_set instruction_set = Processor_instruction_set();
#endif

}  // namespace

int Evaluation(const T_Bitboard* position, T_Slider_reach* reach) {
#if defined(__POPCNT__)
  return Evaluate<true>(*position, *reach);
#elif defined(EVALUATION_DISPATCH)
  if (instruction_set == Instruction_set::POPCNT_BMI) return Evaluate_with_bmi(*position, *reach);
  return instruction_set == Instruction_set::POPCNT ? Evaluate_with_popcnt(*position, *reach)
                                                    : Evaluate<false>(*position, *reach);
#else
  return Evaluate<false>(*position, *reach);
#endif
}

int Evaluation(const T_Bitboard* position) {
  T_Slider_reach unused;
  return Evaluation(position, &unused);
}

int Evaluation_portable(const T_Bitboard* position) {
  T_Slider_reach unused;
  return Evaluate<false>(*position, unused);
}

void Evaluation_parameters_changed() { std::memset(pawn_cache, 0, sizeof pawn_cache); }
