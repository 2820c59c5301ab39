// What the search's nodes share. Each node kind is written once as a
// template on the colour to move; the board operations come from
// board/by_colour.h, and these helpers give the score comparisons by colour
// and each node kind's White or Black entry point at compile time.
#pragma once
#include "board/by_colour.h"
#include "board/colour.h"
#include "eval/evaluation.h"
#include "search/search.h"

// Score comparisons: White maximises, Black minimises; "better" is strict.
template <Colour C>
constexpr bool Better(int a, int b) {
  if constexpr (C == WHITE)
    return a > b;
  else
    return a < b;
}
// The worst score for C, a node's starting best value.
template <Colour C>
constexpr int Worst_score() {
  if constexpr (C == WHITE)
    return -INFINITE_SCORE;
  else
    return INFINITE_SCORE;
}
// Score of C's king being taken or mated at ply, from White's point of view.
template <Colour C>
constexpr int Mated_score(int ply) {
  if constexpr (C == WHITE)
    return 1000 * ply - MATE;
  else
    return MATE - 1000 * ply;
}

// The static score of a leaf: the evaluation plus the material balance. The
// weights are not range-checked, so the sum is held within the mate
// threshold: the margins and bounds added to it cannot overflow, and it is
// never taken for a mate score. reach receives what the position's sliders
// reach, for its capture generator.
constexpr int STATIC_SCORE_LIMIT = MATE_THRESHOLD;
inline int Static_score(const T_Bitboard* position, T_Slider_reach* reach) {
  const int64_t sum = int64_t{Evaluation(position, reach)} + position->eval;
  if (sum > STATIC_SCORE_LIMIT) return STATIC_SCORE_LIMIT;
  if (sum < -STATIC_SCORE_LIMIT) return -STATIC_SCORE_LIMIT;
  return static_cast<int>(sum);
}
inline int Static_score(const T_Bitboard* position) {
  T_Slider_reach unused;
  return Static_score(position, &unused);
}

template <Colour C>
inline int Alpha_beta(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha,
                      int beta, int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null) {
  if constexpr (C == WHITE)
    return Alpha_beta_white(control, position, last_moves, alpha, beta, depth, ply, last_kind, pv, in_check, in_null);
  else
    return Alpha_beta_black(control, position, last_moves, alpha, beta, depth, ply, last_kind, pv, in_check, in_null);
}
template <Colour C>
inline int Horizon(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
                   int ply) {
  if constexpr (C == WHITE)
    return Horizon_white(control, position, last_moves, alpha, beta, ply);
  else
    return Horizon_black(control, position, last_moves, alpha, beta, ply);
}
template <Colour C>
inline int Quiescence(T_Bitboard* position, int alpha, int beta, int ply) {
  if constexpr (C == WHITE)
    return Quiescence_white(position, alpha, beta, ply);
  else
    return Quiescence_black(position, alpha, beta, ply);
}

// Plies beyond which a node no longer searches moves: interior nodes become
// horizon nodes, quiescence nodes return their static value. They keep every
// per-ply array (current line 103, key path 120, killers 100, lines 101)
// within bounds, however long the checks and captures run.
constexpr int INTERIOR_PLY_LIMIT = 90;
constexpr int QUIESCENCE_PLY_LIMIT = 99;
