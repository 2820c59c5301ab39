#include "eval/evaluation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../board/board_helpers.h"
#include "board/tables.h"
#include "eval/parameters.h"
#include "uci/uci.h"

namespace {

// Groups of weights; a case switches on only the groups it is about, so that
// each expected value follows from one term.
enum Terms : unsigned {
  SHELTER = 1,        // BONUS_SHIELD and both castling bonuses
  KING_END = 2,       // king_center_end
  PAWN_TABLES = 4,    // pawn_advance_middle and pawn_advance_end
  PASSED = 8,         // PERSPECTIVE_PAWNN
  DOUBLED = 16,       // BONUS_PAWNN
  MOBILITY = 32,      // Z
  KNIGHT_TABLE = 64,  // knight_center
  ATTACK = 128,       // ATAK_KING
  ALL = 255,
};

void Use_terms(unsigned terms) {
  Eval_parameters_default();
  T_Eval_parameters& p = eval_parameters;
  if (!(terms & SHELTER)) p.BONUS_SHIELD = p.BONUS_CASTLING_O_O = p.BONUS_CASTLING_O_O_O = 0;
  if (!(terms & KING_END)) std::memset(p.king_center_end, 0, sizeof p.king_center_end);
  if (!(terms & PAWN_TABLES)) {
    std::memset(p.pawn_advance_middle, 0, sizeof p.pawn_advance_middle);
    std::memset(p.pawn_advance_end, 0, sizeof p.pawn_advance_end);
  }
  if (!(terms & PASSED)) p.PERSPECTIVE_PAWNN = 0;
  if (!(terms & DOUBLED)) p.BONUS_PAWNN = 0;
  if (!(terms & MOBILITY)) p.Z = 0;
  if (!(terms & KNIGHT_TABLE)) std::memset(p.knight_center, 0, sizeof p.knight_center);
  if (!(terms & ATTACK)) p.ATAK_KING = 0;
  Evaluation_parameters_changed();
}

int Evaluate(const char* fen) {
  T_Bitboard position;
  std::memset(&position, 0, sizeof position);
  Fen_to_bitboard(&position, (std::string("fen ") + fen).c_str());
  return Evaluation(&position);
}

struct Case {
  const char* what;
  unsigned terms;
  const char* fen;
  int expected;
};

void Check(const Case* cases, int count) {
  for (int i = 0; i < count; ++i) {
    Use_terms(cases[i].terms);
    EXPECT_EQ(Evaluate(cases[i].fen), cases[i].expected) << cases[i].what << ": " << cases[i].fen;
  }
}

// In these positions the opponent's queen and rooks keep the king out of the
// endgame manner, while the other king is scored as in the endgame.
TEST(Evaluation, KingShelterAndCastling) {
  const Case cases[] = {
      {"castled short, full shelter", SHELTER, "r2qk2r/8/8/8/8/8/5PPP/5RK1 w - - 0 1", 30},
      {"one shelter pawn advanced", SHELTER, "r2qk2r/8/8/8/8/7P/5PP1/5RK1 w - - 0 1", 10},
      {"rook not on f1", SHELTER, "r2qk2r/8/8/8/8/8/5PPP/4R1K1 w - - 0 1", 0},
      {"h1 king: third square wraps to a3", SHELTER, "r2qk2r/8/8/8/8/8/6PP/7K w - - 0 1", -20},
      {"h1 king, a3 covered", SHELTER, "r2qk2r/8/8/8/8/P7/6PP/7K w - - 0 1", 0},
      {"enemy pawn does not shelter", SHELTER, "r2qk2r/8/8/8/8/8/5PpP/6K1 w - - 0 1", -20},
      {"own knight shelters", SHELTER, "r2qk2r/8/8/8/8/8/5PNP/6K1 w - - 0 1", 0},
      {"black castled short", SHELTER, "5rk1/5ppp/8/8/8/8/8/R2QK2R w - - 0 1", -30},
      {"black castled long", SHELTER, "2kr4/1ppp4/8/8/8/8/8/R2QK2R w - - 0 1", -30},
      {"white castled long", SHELTER, "r2qk2r/8/8/8/8/8/1PPP4/2KR4 w - - 0 1", 30},
      {"h8 king: a8 is a shelter square", SHELTER, "7k/6pp/8/8/8/8/8/R2QK2R w - - 0 1", 20},
      {"white king on rank 8: off-board squares are empty", SHELTER, "K6R/8/8/7k/8/8/8/r2q3r w - - 0 1", -40},
      {"black king on rank 1: off-board squares are empty", SHELTER, "R2QK2R/8/8/8/8/8/8/7k w - - 0 1", 60},
      {"black king h1 with a1 covered", SHELTER, "R2QK2R/8/8/8/8/8/8/n6k w - - 0 1", 40},
      {"no white king: black king alone scored", SHELTER | ATTACK, "r2qk2r/8/8/8/8/8/8/3q4 w - - 0 1", 0},
      {"no black king", SHELTER | ATTACK, "rr1q4/8/8/5N2/8/8/5PPP/5RK1 w - - 0 1", 30},
  };
  Check(cases, sizeof cases / sizeof cases[0]);
}

TEST(Evaluation, EndgameSwitchAtRubikon) {
  // Black's rooks and bishop are worth exactly 1600.
  Use_terms(SHELTER | KING_END);
  EXPECT_EQ(Evaluate("r1b1k2r/8/8/8/4K3/8/8/8 w - - 0 1"), 10);  // centralised king
  eval_parameters.rubikon = 1599;
  EXPECT_EQ(Evaluate("r1b1k2r/8/8/8/4K3/8/8/8 w - - 0 1"), -60);  // d5, e5, f5 uncovered
  // Each side switches on the other side's material: Black's king is in the
  // endgame manner (White has 600), White's is not (Black has 2300).
  Use_terms(SHELTER | KING_END);
  EXPECT_EQ(Evaluate("r2q3r/8/8/8/3k4/8/8/R3K3 w - - 0 1"), -60 - 10);
}

TEST(Evaluation, PawnStructure) {
  const Case cases[] = {
      {"free pawn e5", PAWN_TABLES | PASSED, "4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", 70},
      {"free black pawn e4", PAWN_TABLES | PASSED, "4k3/8/8/8/4p3/8/8/4K3 w - - 0 1", -70},
      {"free rook's pawn a5", PAWN_TABLES | PASSED, "4k3/8/8/P7/8/8/8/4K3 w - - 0 1", 30},
      {"blocked on its file (black e6: -5)", PAWN_TABLES | PASSED, "4k3/8/4p3/4P3/8/8/8/4K3 w - - 0 1", 15},
      {"free on own and f-file", PAWN_TABLES | PASSED, "4k3/3p4/8/4P3/8/8/8/R2QK2R w - - 0 1", 30},
      {"free on own file only", PAWN_TABLES | PASSED, "4k3/3p1p2/8/4P3/8/8/8/R2QK2R w - - 0 1", 25},
      {"pawn behind does not block (black d4: -10)", PAWN_TABLES | PASSED, "4k3/8/8/4P3/3p4/8/8/R2QK2R w - - 0 1", 60},
      {"end table: white e7", PAWN_TABLES | PASSED, "4k3/4P3/8/8/8/8/8/4K3 w - - 0 1", 250},
      {"end table mirrored: black e2", PAWN_TABLES | PASSED, "4k3/8/8/8/8/8/4p3/4K3 w - - 0 1", -250},
      {"middle table: black e5", PAWN_TABLES, "4k3/8/8/4p3/8/8/8/R2QK2R w - - 0 1", -10},
      {"middle table: black f6", PAWN_TABLES, "4k3/8/5p2/8/8/8/8/R2QK2R w - - 0 1", -5},
      {"middle table same index: black f3", PAWN_TABLES, "4k3/8/8/8/8/5p2/8/R2QK2R w - - 0 1", 3},
      {"doubled: 3 on a, 2 on c, black 2 on h", DOUBLED, "4k3/7p/7p/P7/P1P5/P1P5/8/4K3 w - - 0 1", -20},
  };
  Check(cases, sizeof cases / sizeof cases[0]);
}

TEST(Evaluation, MobilityAndKnights) {
  const Case cases[] = {
      {"white pieces of the start position", MOBILITY, "4k3/8/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1", 12},
      {"black pieces of the start position", MOBILITY, "rnbqkbnr/pppppppp/8/8/8/8/8/4K3 w - - 0 1", -12},
      {"rook e1 on an open file (7), knight g1 (3)", MOBILITY, "7k/8/8/8/8/8/8/3KR1N1 w - - 0 1", 7 + 3},
      {"rook behind own pawn", MOBILITY, "7k/8/8/8/8/8/P7/R6K w - - 0 1", 1},
      {"rook between two blockers", MOBILITY, "7k/8/4p3/8/4R3/8/4P3/7K w - - 0 1", 4},
      {"bishop d4, blockers included", MOBILITY, "7k/8/8/8/3B4/8/8/K7 w - - 0 1", 13},
      {"rook a1 up to the king a8", MOBILITY, "k7/8/8/8/8/8/8/R6K w - - 0 1", 7},
      {"rook a8 down to the king a1", MOBILITY, "R6k/8/8/8/8/8/8/K7 w - - 0 1", 7},
      {"rook a4 between kings a8 and a1", MOBILITY, "k7/8/8/8/R7/8/8/K7 w - - 0 1", 7},
      {"bishop h8 down to the king a1", MOBILITY, "7B/8/8/8/8/8/8/K6k w - - 0 1", 7},
      {"bishop a1 blocked at once", MOBILITY, "7k/8/8/8/8/8/1p6/B6K w - - 0 1", 1},
      {"queen worth 0 with Z = 1", MOBILITY, "7k/8/8/8/3Q4/8/8/K7 w - - 0 1", 0},
      {"knight a1", MOBILITY | KNIGHT_TABLE, "7k/8/8/8/8/8/8/N6K w - - 0 1", 2},
      {"knight d4", MOBILITY | KNIGHT_TABLE, "7k/8/8/8/3N4/8/8/7K w - - 0 1", 16},
      {"black knight d5, same table index", MOBILITY | KNIGHT_TABLE, "7k/8/8/3n4/8/8/8/7K w - - 0 1", -16},
  };
  Check(cases, sizeof cases / sizeof cases[0]);

  // The queen's weight is Z / 2, truncated toward zero.
  const int z_values[] = {2, 3, -1, -3};
  const int expected[] = {27, 27, 0, -27};
  for (int i = 0; i < 4; ++i) {
    Use_terms(MOBILITY);
    eval_parameters.Z = z_values[i];
    EXPECT_EQ(Evaluate("7k/8/8/8/3Q4/8/8/K7 w - - 0 1"), expected[i]) << "Z = " << z_values[i];
  }

  // A queen in the corner reaches along its file, rank and one diagonal.
  Use_terms(MOBILITY);
  eval_parameters.Z = 2;
  EXPECT_EQ(Evaluate("7Q/8/8/8/8/8/8/K6k w - - 0 1"), 21);
}

TEST(Evaluation, KingAttack) {
  const Case cases[] = {
      {"knight f5 on the g8 king", ATTACK, "6k1/8/8/5N2/8/8/8/K7 w - - 0 1", 3},
      {"black knight f4 on the g1 king", ATTACK, "k7/8/8/8/5n2/8/8/6K1 w - - 0 1", -3},
      {"rook behind own pawn does not reach", ATTACK, "6k1/8/8/8/8/8/6P1/K5R1 w - - 0 1", 0},
      {"rook on the open g-file", ATTACK, "6k1/8/8/8/8/8/8/K5R1 w - - 0 1", 3},
      {"rook's rank is not looked at", ATTACK, "7k/R7/8/8/8/8/8/K7 w - - 0 1", 0},
      {"a piece counts once", ATTACK, "6k1/8/6Q1/8/8/8/8/K7 w - - 0 1", 3},
      {"both sides attack", ATTACK, "6k1/8/8/5N2/5n2/8/8/6K1 w - - 0 1", 0},
  };
  Check(cases, sizeof cases / sizeof cases[0]);
}

TEST(Evaluation, WholeScoreWithDefaults) {
  const Case cases[] = {
      {"start position", ALL, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},
      {"mirrored pawn endings cancel", ALL, "7k/6pp/8/8/8/8/PP6/K7 w - - 0 1", 0},
      // King +30; rook f1 mobility +1; black rooks -7 and -6; the h8 rook
      // reaches h2 next to the white king: -3.
      {"castled king against queen and rooks", ALL, "r2qk2r/8/8/8/8/8/5PPP/5RK1 w - - 0 1", 15},
  };
  Check(cases, sizeof cases / sizeof cases[0]);
}

// The evaluation counts squares with the processor's instruction where it
// has one; the portable count must give the same score on any position.
TEST(Evaluation, PortableCountGivesTheSameScore) {
  std::mt19937 random(2024);
  const char pieces[] = "PNBRQKpnbrqk";
  for (int trial = 0; trial < 3000; ++trial) {
    Use_terms(ALL);
    if (trial % 2) eval_parameters.Z = static_cast<int32_t>(random() % 41) - 20;
    // A random placement with up to about half of the board occupied.
    const unsigned density = 2 + random() % 6;
    std::string fen = Random_placement(random, pieces, density);
    fen += " w - - 0 1";
    T_Bitboard position;
    std::memset(&position, 0, sizeof position);
    Fen_to_bitboard(&position, ("fen " + fen).c_str());
    ASSERT_EQ(Evaluation(&position), Evaluation_portable(&position)) << fen;
  }
}

// The evaluation rules computed the plain way: square by square over the two
// maps, rays walked one step at a time, per-file pawn counters, nothing kept
// between calls. The engine's evaluation (table lookups, counts weighted once
// per kind, pawn structures remembered between calls) must agree with it.
int Direct_evaluation(const T_Bitboard& b) {
  const T_Eval_parameters& p = eval_parameters;
  int64_t score = 0;
  int64_t material[2] = {0, 0};  // White, Black
  for (int s = 0; s < 64; ++s) {
    material[0] += p.cost_figure_rubikon[b.white_name_from_coord[s]];
    material[1] += p.cost_figure_rubikon[b.black_name_from_coord[s]];
  }
  const bool endgame[2] = {material[1] <= p.rubikon, material[0] <= p.rubikon};
  const uint64_t* pieces[2] = {b.white_piece, b.black_piece};
  const int32_t* names[2] = {b.white_name_from_coord, b.black_name_from_coord};
  const int sign[2] = {1, -1};
  int king[2] = {-10, -10};

  for (int c = 0; c < 2; ++c) {
    if (pieces[c][PIECE_KING] == 0) continue;
    const int k = king[c] = first_one(pieces[c][PIECE_KING]);
    if (endgame[c]) {
      score += sign[c] * int64_t{p.king_center_end[k]};
      continue;
    }
    for (int d = 7; d <= 9; ++d) {
      const int t = c == 0 ? k + d : k - d;
      if (t < 0 || t > 63 || names[c][t] == 0) score -= sign[c] * int64_t{p.BONUS_SHIELD};
    }
    const int rank = c == 0 ? 0 : 56;
    if (k == rank + 6 && names[c][rank + 5] == PIECE_ROOK) score += sign[c] * int64_t{p.BONUS_CASTLING_O_O};
    if (k == rank + 2 && names[c][rank + 3] == PIECE_ROOK) score += sign[c] * int64_t{p.BONUS_CASTLING_O_O_O};
  }

  for (int c = 0; c < 2; ++c) {
    int file_count[8] = {};
    for (int s = 0; s < 64; ++s) {
      if (names[c][s] != PIECE_PAWN) continue;
      ++file_count[s % 8];
      if (!endgame[c]) {
        score += sign[c] * int64_t{p.pawn_advance_middle[s]};
        continue;
      }
      score += sign[c] * int64_t{p.pawn_advance_end[c == 0 ? s : 63 - s]};
      // Whether the file holds an enemy pawn ahead of the pawn's rank.
      auto free_file = [&](int file) {
        for (int r = s / 8 + (c == 0 ? 1 : -1); r >= 0 && r < 8; r += c == 0 ? 1 : -1) {
          if (names[1 - c][r * 8 + file] == PIECE_PAWN) return false;
        }
        return true;
      };
      if (!free_file(s % 8)) continue;
      int count = 1;
      if (s % 8 != 7 && free_file(s % 8 + 1)) ++count;
      if (s % 8 != 0 && free_file(s % 8 - 1)) ++count;
      score += sign[c] * int64_t{p.PERSPECTIVE_PAWNN} * (count == 3 ? 10 : count);
    }
    for (int file = 0; file < 8; ++file) {
      if (file_count[file] >= 2) score -= sign[c] * int64_t{p.BONUS_PAWNN};
    }
  }

  const int all_rays[8][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
  const int knight_steps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  int attackers[2] = {0, 0};
  for (int c = 0; c < 2; ++c) {
    const int them = king[1 - c];
    for (int s = 0; s < 64; ++s) {
      const int piece = names[c][s];
      int first = 0, last = 0;  // the rays of all_rays the piece uses
      if (piece == PIECE_QUEEN) last = 8;
      if (piece == PIECE_ROOK) last = 2;
      if (piece == PIECE_BISHOP) first = 4, last = 8;
      int squares = 0;
      bool bears = false;
      auto reach = [&](int file, int rank) {
        ++squares;
        if (them >= 0 && std::max(std::abs(file - them % 8), std::abs(rank - them / 8)) == 1) bears = true;
      };
      for (int r = first; r < last; ++r) {
        int file = s % 8 + all_rays[r][0], rank = s / 8 + all_rays[r][1];
        for (; file >= 0 && file < 8 && rank >= 0 && rank < 8; file += all_rays[r][0], rank += all_rays[r][1]) {
          reach(file, rank);
          if (names[0][rank * 8 + file] || names[1][rank * 8 + file]) break;
        }
      }
      if (piece == PIECE_KNIGHT) {
        for (const auto& step : knight_steps) {
          const int file = s % 8 + step[0], rank = s / 8 + step[1];
          if (file >= 0 && file < 8 && rank >= 0 && rank < 8) reach(file, rank);
        }
        score += sign[c] * int64_t{p.knight_center[s]};
      }
      const int64_t weight = piece == PIECE_QUEEN ? p.Z / 2 : p.Z;
      score += sign[c] * squares * weight;
      attackers[c] += bears;
    }
  }
  score += int64_t{p.ATAK_KING} * (attackers[0] - attackers[1]);
  return static_cast<int32_t>(static_cast<uint32_t>(score));
}

void Put(T_Bitboard& b, bool white, int piece, int s) {
  (white ? b.white_piece : b.black_piece)[piece] |= uint64_t{1} << s;
  (white ? b.white_name_from_coord : b.black_name_from_coord)[s] = piece;
  (white ? b.all_white_piece : b.all_black_piece) |= uint64_t{1} << s;
  b.all_piece |= uint64_t{1} << s;
  (white ? b.white_non_pawn : b.black_non_pawn) += eval_parameters.cost_figure_rubikon[piece];
}

// Random weights: mostly small, sometimes at the 32-bit limits.
int32_t Random_weight(std::mt19937& random) {
  switch (random() % 8) {
    case 0:
      return INT32_MAX;
    case 1:
      return INT32_MIN;
    case 2:
      return static_cast<int32_t>(random());
    default:
      return static_cast<int32_t>(random() % 201) - 100;
  }
}

void Random_weights(std::mt19937& random) {
  T_Eval_parameters& p = eval_parameters;
  int32_t* scalars[] = {&p.BONUS_CASTLING_O_O, &p.BONUS_CASTLING_O_O_O, &p.BONUS_SHIELD,
                        &p.BONUS_PAWNN,        &p.PERSPECTIVE_PAWNN,    &p.Z,
                        &p.ATAK_KING};
  for (int32_t* scalar : scalars) *scalar = Random_weight(random);
  for (int s = 0; s < 64; ++s) {
    p.knight_center[s] = Random_weight(random);
    p.pawn_advance_middle[s] = Random_weight(random);
    p.pawn_advance_end[s] = Random_weight(random);
    p.king_center_end[s] = Random_weight(random);
  }
  // Piece values and threshold near each other, so that both manners occur.
  const int32_t rubikon[7] = {0,
                              0,
                              static_cast<int32_t>(random() % 500),
                              static_cast<int32_t>(random() % 500),
                              static_cast<int32_t>(random() % 800),
                              static_cast<int32_t>(random() % 1200),
                              0};
  std::memcpy(p.cost_figure_rubikon, rubikon, sizeof rubikon);
  p.rubikon = static_cast<int32_t>(random() % 2500);
  Evaluation_parameters_changed();
}

// Pawn structures are remembered between calls; the remembered sum must be
// the one the direct computation gives: for positions that share their pawns
// but not their pieces (and so maybe not their endgame manner), for more
// structures than the store holds (so entries are replaced and indices
// shared), when a structure comes back, and after the weights change.
TEST(Evaluation, AgreesWithTheDirectComputation) {
  std::mt19937 random(77);
  for (int round = 0; round < 4; ++round) {
    Random_weights(random);
    std::vector<T_Bitboard> positions;
    for (int structure = 0; structure < 12000; ++structure) {
      T_Bitboard pawns;
      std::memset(&pawns, 0, sizeof pawns);
      const int pawn_count = static_cast<int>(random() % 17);
      for (int i = 0; i < pawn_count; ++i) {
        const int s = static_cast<int>(random() % 64);
        if (!(pawns.all_piece >> s & 1)) Put(pawns, random() % 2, PIECE_PAWN, s);
      }
      for (int variant = 0; variant < 2; ++variant) {
        T_Bitboard b = pawns;
        const int piece_count = static_cast<int>(random() % 12);
        for (int i = 0; i < piece_count + 2; ++i) {
          const int s = static_cast<int>(random() % 64);
          // The first two are the kings, one of which is sometimes missing.
          const int king = random() % 16 ? PIECE_KING : PIECE_NONE;
          const int piece = i < 2 ? king : PIECE_KNIGHT + static_cast<int>(random() % 4);
          if (piece != PIECE_NONE && !(b.all_piece >> s & 1)) Put(b, i == 0 || (i > 1 && random() % 2), piece, s);
        }
        positions.push_back(b);
      }
    }
    for (int pass = 0; pass < 3; ++pass) {
      std::shuffle(positions.begin(), positions.end(), random);
      for (const T_Bitboard& b : positions) {
        ASSERT_EQ(Evaluation(&b), Direct_evaluation(b)) << "round " << round << " pass " << pass;
        ASSERT_EQ(Evaluation_portable(&b), Direct_evaluation(b)) << "round " << round << " pass " << pass;
      }
    }
  }
  Eval_parameters_default();
}

}  // namespace
