#include "eval/evaluation.h"
#include "search/nodes.h"
#include "search/ordering.h"
#include "search/pv.h"

namespace {

// The quiescence search has no depth limit, so a position rich in captures
// and promotions can keep it busy for a long time. It polls the input and
// the clock on a counter of its own and gives up at once once the stop flag
// is set; the interrupted result is discarded by the root.
constexpr int32_t QUIESCENCE_POLL_INTERVAL = 100000;
int32_t quiescence_poll_count = 0;

template <Colour Us>
int quiescence(T_Bitboard* position, int alpha, int beta, int ply) {
  constexpr Colour Them = Other(Us);
  if (++quiescence_poll_count > QUIESCENCE_POLL_INTERVAL) {
    quiescence_poll_count = 0;
    Poll(&search_control);
  }
  if (search_control.stop_search) return 0;

  // The evaluation's slider reach, handed over to this node's capture
  // generator below (it looks every line up again otherwise).
  T_Slider_reach reach;
  const int stand = Static_score(position, &reach);
  if (ply >= QUIESCENCE_PLY_LIMIT) return stand;

  bool raised = false;
  if (Better<Us>(stand, Us == WHITE ? alpha : beta)) {
    if (Us == WHITE ? stand >= beta : stand <= alpha) return stand;
    (Us == WHITE ? alpha : beta) = stand;
    raised = true;
  }
  int best = stand;

  // The captures are sorted one pass per move searched, so a cut-off leaves
  // the rest unsorted.
  T_List_moves list;
  Generate_captures<Us>(list, *position, reach);
  T_Sort_walk walk;
  Sort_walk_start(&walk, &list, 0, list.end_captures);

  T_PV line;
  T_Undo undo;
  for (int i = 0; i < list.end_captures; ++i) {
    Sort_pass(&list, &walk, i);
    const int32_t move = list.move[i];
    current_line[ply] = move;
    // Taking the king ends the line; the board is not needed for that.
    if (Move_captured(move) == PIECE_KING) {
      const int s = Mated_score<Them>(ply);
      Pv_from_line(ply, s);
      return s;
    }
    Make_noisy<Us>(move, *position, undo);
    const int v = quiescence<Them>(position, alpha, beta, ply + 1);
    Unmake_noisy<Us>(move, *position, undo);
    if (Better<Us>(v, best)) {
      best = v;
      if (Better<Us>(v, Us == WHITE ? alpha : beta)) {
        if (Us == WHITE ? v >= beta : v <= alpha) return v;
        (Us == WHITE ? alpha : beta) = v;
        Pv_take_returned(&line);
        raised = true;
      }
    }
  }
  if (!raised) return best;
  if (best == stand)
    Pv_from_line(ply, stand);
  else
    Pv_give_returned(&line);
  return best;
}

template <Colour Us>
int horizon(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
            int ply) {
  if (control->nodes_poll > 50000) {
    Poll(control);
    control->nodes_poll = 0;
  }
  control->nodes_poll += 1;
  if (Repetition_test(last_moves)) {
    Pv_from_line(ply, 0);
    return 0;
  }
  return quiescence<Us>(position, alpha, beta, ply);
}

}  // namespace

bool Repetition_test(const T_Last_moves* last_moves) {
  if (key_path[0] == key_path[4] && key_path[4] == key_path[8]) return true;
  if (key_path[1] == key_path[5] && key_path[5] == key_path[9]) return true;
  const int32_t* from = last_moves->from_square;
  const int32_t* to = last_moves->to_square;
  return to[2] == from[0] && from[2] == to[0] && from[1] == to[3] && to[1] == from[3] &&
         Move_from(current_line[0]) == to[2] && Move_to(current_line[0]) == from[2];
}

int Horizon_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
                  int ply) {
  return horizon<WHITE>(control, position, last_moves, alpha, beta, ply);
}
int Horizon_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int alpha, int beta,
                  int ply) {
  return horizon<BLACK>(control, position, last_moves, alpha, beta, ply);
}
int Quiescence_white(T_Bitboard* position, int alpha, int beta, int ply) {
  return quiescence<WHITE>(position, alpha, beta, ply);
}
int Quiescence_black(T_Bitboard* position, int alpha, int beta, int ply) {
  return quiescence<BLACK>(position, alpha, beta, ply);
}
