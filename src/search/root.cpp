#include "board/diagnostics.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "search/nodes.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/root_result.h"

T_Root_result root_result;

namespace {

template <Colour Us>
int root(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int depth,
         int64_t* nodes_counter) {
  constexpr Colour Them = Other(Us);
  control->nodes = *nodes_counter;
  root_result.finished_moves = 0;
  root_result.first_legal_move = 0;
  if (control->stop_search) return 0;

  for (int i = 0; i < KEY_PATH_SIZE; ++i) key_path[i] = static_cast<uint64_t>(i);
  for (int i = 0; i < KILLER_PLIES; ++i) killer_1[i] = killer_2[i] = 0;

  T_List_moves list;
  Generate_all<Us>(list, *position);
  Sort_list(&list);
  if (Hash_probe(position->hash_key)) {
    bool found;
    Hash_move_first(&list, &found, position->hash_key);
  }

  T_Bitboard saved;
  Bitboard_copy(&saved, position);

  const uint64_t* ours = Pieces<Us>(*position);
  control->null_move_on = (ours[PIECE_BISHOP] | ours[PIECE_ROOK] | ours[PIECE_QUEEN]) != 0;

  // The root moves only its own bound; the other one stays at infinity.
  int bound = Worst_score<Us>();
  int best = Worst_score<Us>();
  T_PV PV_best_point;
  PV_best_point.score_move = 0;
  PV_best_point.length = 0;
  bool line_changed = false;
  bool legal_move = false;
  int number = 1;
  T_Undo undo;
  const T_Legality legality = Legality<Us>(*position);

  for (int i = 0; i < list.end_list; ++i) {
    const int32_t move = list.move[i];
    if (!Make_legal<Us>(move, *position, undo, legality)) continue;
    control->nodes += 1;
    if (!legal_move) root_result.first_legal_move = move;
    legal_move = true;
    Info_currmove(&list, i, number, depth);

    current_line[0] = move;
    Hash_key_move(Us, &list, i, position);
    const uint64_t saved_key = position->hash_key;
    key_path[0] = position->hash_key;
    const int32_t clock_move = Clock_ms();

    const bool gives_check = King_attacked<Them>(*position) != 0;
    const int new_depth = gives_check ? depth + 1 : depth;
    const int kind = Move_kind(move);
    const int full_alpha = Us == WHITE ? bound : -INFINITE_SCORE;
    const int full_beta = Us == WHITE ? INFINITE_SCORE : bound;
    int v;
    if (i == 0) {
      v = Alpha_beta<Them>(control, position, last_moves, full_alpha, full_beta, new_depth, 1, kind, true, gives_check,
                           false);
    } else {
      const int zero_alpha = Us == WHITE ? bound : bound - 1;
      const int zero_beta = Us == WHITE ? bound + 1 : bound;
      v = Alpha_beta<Them>(control, position, last_moves, zero_alpha, zero_beta, new_depth, 1, kind, false, gives_check,
                           false);
      if (full_alpha < v && v < full_beta)
        v = Alpha_beta<Them>(control, position, last_moves, full_alpha, full_beta, new_depth, 1, kind, true,
                             gives_check, false);
    }

    double seconds = (Clock_ms() - clock_move) / 1000.0;
    if (seconds < 0.01) seconds = 0.01;
    if (position->hash_key != saved_key) {
      Out("\n");
      Out("ERROR HESH ");
      Out("\n");
    }
    Unmake<Us>(move, *position, undo);
    Hash_key_move(Us, &list, i, position);

    // A move whose search was cut short by a stop has no trustworthy value:
    // interrupted nodes return 0. Only moves searched to the end compete.
    if (!control->stop_search) {
      root_result.finished_moves += 1;
      if (Better<Us>(v, best)) {
        best = v;
        control->best_from = Move_from(move);
        control->best_to = Move_to(move);
        Hash_save(control->depth_max, v, 0, BOUND_NOT_RAISED, i, position->hash_key, &list);
        if (Better<Us>(v, bound)) {
          bound = v;
          line_changed = true;
          PV_best_point = PV_returned;
          if (v != PV_best_point.score_move) Out(Us == WHITE ? "ERROR white value \n" : "ERROR black value \n");
          Hash_save(control->depth_max, v, 0, BOUND_EXACT, i, position->hash_key, &list);
        }
      }
      Info_root_line(best, &PV_best_point, depth, Us == WHITE ? 1 : 0, control->nodes, seconds);
      number += 1;
    }
  }

  Test_bitboard(&saved, position);

  if (!legal_move) {
    const int s = King_attacked<Us>(*position) ? Mated_score<Us>(0) : 0;
    Pv_from_line(0, s);
    return s;
  }
  if (line_changed) PV_returned = PV_best_point;
  return best;
}

}  // namespace

int Root_white(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int depth,
               int64_t* nodes_counter) {
  return root<WHITE>(control, position, last_moves, depth, nodes_counter);
}
int Root_black(T_Search_control* control, T_Bitboard* position, const T_Last_moves* last_moves, int depth,
               int64_t* nodes_counter) {
  return root<BLACK>(control, position, last_moves, depth, nodes_counter);
}
