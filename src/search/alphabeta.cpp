#include <climits>

#include "eval/evaluation.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "search/nodes.h"
#include "search/ordering.h"
#include "search/pv.h"

namespace {

// Each interior node's plan of its quiet moves, by ply (a line has one node
// at each ply).
T_Quiet_plan quiet_plans[INTERIOR_PLY_LIMIT];

// The shared late-move limit of a node whose quiet moves are only planned
// depends on their number; it is counted only if a node reads the limit.
// LMR_FROM_PLAN in the limit stands for that count from lmr_plan, the plan
// of the last node that set the limit (a later node at the same ply, the
// only one to reuse that plan, sets the limit again).
constexpr int32_t LMR_FROM_PLAN = INT32_MIN;
T_Quiet_plan* lmr_plan = nullptr;

inline int32_t Late_move_limit(int32_t end_captures, int quiets) {
  return end_captures - static_cast<int32_t>(quiets * (-0.3)) + 3;
}

inline int32_t Lmr_limit(T_Search_control* control) {
  if (control->lmr_limit == LMR_FROM_PLAN)
    control->lmr_limit = Late_move_limit(lmr_plan->begin, Planned_quiet_count(lmr_plan));
  return control->lmr_limit;
}

// Fail-soft alpha-beta node with White maximising and Black minimising; no
// sign is flipped between plies. depth is the ply at which the horizon lies.
template <Colour Us>
int alpha_beta(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
               int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null) {
  constexpr Colour Them = Other(Us);
  if (control->stop_search) return 0;
  if (ply >= depth || ply >= INTERIOR_PLY_LIMIT) return Horizon<Us>(control, position, last_moves, alpha, beta, ply);

  const int remaining = depth - ply;

  // Static cut one ply above the horizon.
  if (remaining == 1 && last_kind != KIND_CAPTURE && !in_check && !pv) {
    const int s = Static_score(position);
    if constexpr (Us == WHITE) {
      if (s - 100 >= beta) return beta;
    } else {
      if (s + 100 <= alpha) return alpha;
    }
  }

  // Null move: the same position handed to the other side, four plies deeper.
  if (control->null_move_on && !in_null && remaining >= 2 && !pv && last_kind != KIND_CAPTURE && !in_check) {
    const bool passage_yes = position->taking_passage_yes;
    const int32_t passage_x = position->taking_passage_x;
    const int32_t passage_y = position->taking_passage_y;
    position->taking_passage_yes = false;
    const int64_t nodes = control->nodes;
    int v;
    if constexpr (Us == WHITE)
      v = Alpha_beta<Them>(control, position, last_moves, alpha, alpha + 1, depth, ply + 4, last_kind, false, false,
                           true);
    else
      v = Alpha_beta<Them>(control, position, last_moves, beta - 1, beta, depth, ply + 4, last_kind, false, false,
                           true);
    control->nodes = nodes;
    position->taking_passage_yes = passage_yes;
    position->taking_passage_x = passage_x;
    position->taking_passage_y = passage_y;
    if (Us == WHITE ? v >= beta : v <= alpha) return v;
  }

  // Moves in the order of the sort, the killers and the hash move, sorted
  // only as far as the loop below gets; the quiet moves are only planned,
  // and written when the loop gets to them, which most nodes never do.
  T_List_moves list;
  Generate_captures<Us>(list, *position);
  T_Quiet_plan& plan = quiet_plans[ply];
  const bool planned = Plan_quiet<Us>(plan, list, *position);
  T_Move_order order;
  Move_order_start(&order, &list, ply, Hash_probe(position->hash_key) ? Hash_stored_move(position->hash_key) : 0,
                   planned ? &plan : nullptr);

  // Shared late-move limit: every interior node overwrites it, and the loop
  // below reads whatever value the last node to get here left.
  if (planned) {
    control->lmr_limit = LMR_FROM_PLAN;
    lmr_plan = &plan;
  } else {
    control->lmr_limit = Late_move_limit(list.end_captures, list.end_list - list.end_captures);
  }

  int best = Worst_score<Us>();
  int32_t best_move = 0;
  bool raised = false;
  bool legal_move = false;
  T_PV line;
  T_Undo undo;
  const T_Legality legality = Legality<Us>(*position);
  const T_Check_test checks = Check_test<Us>(*position);
  for (int i = 0;; ++i) {
    const int32_t move = Move_order_next(&order);
    if (move == 0) break;
    if (i == 0) best_move = move;
    if (!Make_legal<Us>(move, *position, undo, legality)) continue;
    control->nodes += 1;
    current_line[ply] = move;
    const uint64_t key = position->hash_key;
    Hash_key_move_word(Us, move, position);
    legal_move = true;
    key_path[ply] = position->hash_key;

    const bool gives_check = Gives_check<Us>(move, *position, checks);
    int new_depth = gives_check ? depth + 1 : depth;
    const int kind = Move_kind(move);
    if (pv && kind == KIND_CAPTURE && last_kind == KIND_CAPTURE) new_depth = depth + 1;
    // A child above the horizon probes the table for its key.
    if (ply + 1 < new_depth) Hash_prefetch(position->hash_key);

    // Zero window at the bound this side moves.
    const int zero_alpha = Us == WHITE ? alpha : beta - 1;
    const int zero_beta = Us == WHITE ? alpha + 1 : beta;
    int v;
    if (i == 0) {
      v = Alpha_beta<Them>(control, position, last_moves, alpha, beta, new_depth, ply + 1, kind, pv, gives_check,
                           in_null);
    } else {
      if (!pv && remaining >= 3 && !gives_check && i > Lmr_limit(control))
        v = Alpha_beta<Them>(control, position, last_moves, zero_alpha, zero_beta, new_depth - 1, ply + 1, kind, false,
                             false, in_null);
      else
        v = Us == WHITE ? alpha + 1 : beta - 1;
      if (Us == WHITE ? v > alpha : v < beta) {
        v = Alpha_beta<Them>(control, position, last_moves, zero_alpha, zero_beta, new_depth, ply + 1, kind, false,
                             gives_check, in_null);
        if (alpha < v && v < beta)
          v = Alpha_beta<Them>(control, position, last_moves, alpha, beta, new_depth, ply + 1, kind, pv, gives_check,
                               in_null);
      }
    }

    Unmake<Us>(move, *position, undo);
    position->hash_key = key;

    if (Better<Us>(v, best)) {
      best = v;
      best_move = move;
      if (Better<Us>(v, Us == WHITE ? alpha : beta)) {
        if (Us == WHITE ? v >= beta : v <= alpha) {
          Move_order_finish(&order);
          if (kind != KIND_CAPTURE) {
            killer_2[ply] = killer_1[ply];
            killer_1[ply] = move;
            History_add(move);
          }
          Hash_save_move(control->depth_max, v, ply, BOUND_CUT_OFF, move, position->hash_key);
          return v;
        }
        (Us == WHITE ? alpha : beta) = v;
        raised = true;
        Pv_take_returned(&line);
      }
    }
  }

  Move_order_finish(&order);
  if (legal_move) {
    if (raised) Pv_give_returned(&line);
    Hash_save_move(control->depth_max, best, ply, raised ? BOUND_EXACT : BOUND_NOT_RAISED, best_move,
                   position->hash_key);
    return best;
  }
  const int s = King_attacked<Us>(*position) ? Mated_score<Us>(ply) : 0;
  Pv_from_line(ply, s);
  return s;
}

}  // namespace

int Alpha_beta_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha,
                     int beta, int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null) {
  return alpha_beta<WHITE>(control, position, last_moves, alpha, beta, depth, ply, last_kind, pv, in_check, in_null);
}
int Alpha_beta_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha,
                     int beta, int depth, int ply, int last_kind, bool pv, bool in_check, bool in_null) {
  return alpha_beta<BLACK>(control, position, last_moves, alpha, beta, depth, ply, last_kind, pv, in_check, in_null);
}
