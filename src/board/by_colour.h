// The one way to reach the board operations that exist for each colour:
// templates on the side, used by the search, perft, the move replay and the
// tests. The White and Black procedures of movegen.h, attack.h and
// makemove.h are one-line entry points onto these.
#pragma once
#include <type_traits>

#include "board/attack.h"  // King_attacked<C>, inline: the legality test runs in the move loops
#include "board/bitboard.h"
#include "board/colour.h"
#include "board/makemove.h"  // Make<C> and Unmake<C>, inline: quiet moves are made at the caller
#include "board/move.h"
#include "board/movegen.h"
#include "board/sliders.h"

// Side C's captures, en-passant captures and promotions, written to the
// list from its start (end_captures = end_list = their count).
template <Colour C>
void Generate_captures(T_List_moves& list, const T_Bitboard& pos);

// The same list, with the sliders' reach taken from what the evaluation of
// this position found (a record of another position is not used).
template <Colour C>
void Generate_captures(T_List_moves& list, const T_Bitboard& pos, const T_Slider_reach& evaluated);

// Side C's quiet moves and castling, appended behind the captures that
// Generate_captures<C> listed for the same position.
template <Colour C>
void Generate_quiet(T_List_moves& list, const T_Bitboard& pos);

// Plans side C's quiet moves behind the captures already in the list (see
// T_Quiet_plan); end_list is left at the captures. A list that might come
// close to its capacity gets its quiet moves written at once instead (the
// plan is then written and counted), and false is returned.
template <Colour C>
bool Plan_quiet(T_Quiet_plan& plan, T_List_moves& list, const T_Bitboard& pos);

// Every pseudo-legal move of side C: captures and promotions, then quiet moves.
template <Colour C>
inline void Generate_all(T_List_moves& list, const T_Bitboard& pos) {
  Generate_captures<C>(list, pos);
  Generate_quiet<C>(list, pos);
}

// Makes a move of side C unless it leaves C's own king attacked; returns
// whether it did. legality is Legality<C> of the position before the move:
// the attack test is made only for the moves it names; another move is
// legal exactly when it goes to one of its evasions, and is not made when
// it does not. Always inlined: called, it cost perft a call and the saved
// registers per move (6% of perft 5's instructions).
template <Colour C>
__attribute__((always_inline)) inline bool Make_legal(int32_t move, T_Bitboard& pos, T_Undo& undo,
                                                      const T_Legality& legality) {
  if (((legality.tested_from >> Move_from(move)) & 1) == 0) {
    if (((legality.evasions >> Move_to(move)) & 1) == 0) return false;
    Make<C>(move, pos, undo);
    return true;
  }
  Make<C>(move, pos, undo);
  if (!King_attacked<C>(pos)) return true;
  Unmake<C>(move, pos, undo);
  return false;
}

// Is square s on C's back rank attacked by the other side (the castling
// test)? The attacker's type code, or 0.
template <Colour C>
int Castling_square_attacked(const T_Bitboard& pos, int s);

// For a caller that knows the side only at run time: calls action with the
// side as a compile-time constant, e.g.
//   With_colour(Side_to_move(pos), [&](auto us) { Generate_all<us>(list, pos); });
template <class Action>
decltype(auto) With_colour(Colour side, Action&& action) {
  if (side == WHITE) return action(std::integral_constant<Colour, WHITE>{});
  return action(std::integral_constant<Colour, BLACK>{});
}
