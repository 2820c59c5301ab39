#include "board/makemove.h"
#include "board/move.h"
#include "board/tables.h"
#include "eval/parameters.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/root_result.h"
#include "search/search.h"
#include "uci/uci.h"

int64_t deepening_nodes_total = 0;

namespace {

constexpr int MAX_ITERATIONS = 50;

// What the driver announces: the best move and line of the last iteration
// that searched at least one root move to the end.
struct Search_result {
  bool valid;
  int32_t best_from;
  int32_t best_to;
  T_PV line;
};

void Print_info_line(int depth, int score, bool white_to_move, int64_t nodes, double seconds, bool* mate_found) {
  Out("info ");
  Out(" nps ");
  Out_int(static_cast<int64_t>(static_cast<double>(nodes) / seconds));
  Out(" depth ");
  Out_int(depth);
  *mate_found = Out_score(white_to_move ? score : -score);
  const int n = PV_returned.length;
  Out(" nodes ");
  Out_int(nodes);
  Out(" pv ");
  for (int k = 0; k < n && k < PV_CAPACITY; ++k) {
    Out(Move_text(PV_returned.moves[k]).text);
    Out(" ");
  }
  Out("\n");
}

}  // namespace

int Start_material(const T_Bitboard* position) {
  // Summed in 64 bits and wrapped like the balance that make and unmake keep
  // (Material_add): the piece values are not range-checked.
  auto side = [](const uint64_t* pieces) {
    const T_Eval_parameters& p = eval_parameters;
    int64_t sum = pieces[PIECE_KING] != 0 ? p.KING : 0;
    sum += int64_t{p.QUEEN} * popcount(pieces[PIECE_QUEEN]);
    sum += int64_t{p.ROOK} * popcount(pieces[PIECE_ROOK]);
    sum += int64_t{p.BISHOP} * popcount(pieces[PIECE_BISHOP]);
    sum += int64_t{p.KNIGHT} * popcount(pieces[PIECE_KNIGHT]);
    sum += int64_t{p.PAWN} * popcount(pieces[PIECE_PAWN]);
    return sum;
  };
  return Material_add(0, side(position->white_piece) - side(position->black_piece));
}

void Deepening(T_Bitboard* position, T_Last_moves* last_moves, int64_t* nodes_counter, int depth, bool infinite,
               double wtime, double btime, double movetime) {
  T_Search_control* control = &search_control;

  // Time allocation: a hundredth of the side's clock, or the fixed move time.
  const double clock_left = position->colour_move ? wtime : btime;
  double time_move = -1.0;
  if (clock_left != -1.0) time_move = clock_left / 100;
  if (movetime != -1.0) time_move = movetime;
  int depth_limit = depth;
  if (time_move != -1.0) depth_limit = MAX_ITERATIONS;
  if (infinite)
    depth_limit = MAX_ITERATIONS;
  else if (depth_limit == -1)
    depth_limit = 1;

  *nodes_counter = 0;
  History_clear();
  control->nodes_poll = 0;
  control->lmr_limit = 0;
  control->stop_search = false;
  control->depth_max = depth_limit;

  const int test_eval = Start_material(position);
  position->eval = test_eval;
  Non_pawn_material_count(position);
  control->time_limit = 50 * time_move;
  control->stop_at_input_end = infinite && time_move == -1.0;
  bool mate_found = false;

  Search_result completed = {false, control->best_from, control->best_to, PV_returned};

  for (int i = 1; i <= depth_limit; ++i) {
    if (mate_found || i > MAX_ITERATIONS || control->stop_search) break;
    *nodes_counter = 0;
    control->nodes_poll = 0;
    control->lmr_limit = 0;
    control->stop_search = false;
    control->depth_max = i;
    control->clock_start = Clock_ms();

    const int score = position->colour_move ? Root_white(control, position, last_moves, i, nodes_counter)
                                            : Root_black(control, position, last_moves, i, nodes_counter);

    control->clock_now = Clock_ms();
    control->time_elapsed = (control->clock_now - control->clock_start) / 1000.0;
    if (control->time_elapsed < 0.01) control->time_elapsed = 0.01;
    *nodes_counter = control->nodes;
    deepening_nodes_total += *nodes_counter;

    if (position->eval != test_eval) Out("ERROR test_eval != bitboard->eval\n");

    // An iteration cut short before any root move was searched to the end
    // has nothing to report: the last completed iteration's result stands.
    // If there is none, the first legal root move is played.
    if (control->stop_search && root_result.finished_moves == 0) {
      if (!completed.valid && root_result.first_legal_move != 0) {
        completed.best_from = Move_from(root_result.first_legal_move);
        completed.best_to = Move_to(root_result.first_legal_move);
        completed.line.moves[0] = root_result.first_legal_move;
        completed.line.length = 1;
        completed.line.score_move = 0;
        completed.valid = true;
      }
      control->best_from = completed.best_from;
      control->best_to = completed.best_to;
      PV_returned = completed.line;
      break;
    }

    Print_info_line(i, score, position->colour_move, *nodes_counter, control->time_elapsed, &mate_found);
    completed = {true, control->best_from, control->best_to, PV_returned};

    if (time_move != -1.0 && time_move < control->time_elapsed) break;
  }

  // The best move's squares, with the promotion letter of the line's first move.
  const int32_t first = PV_returned.moves[0];
  Out("bestmove ");
  Out(Move_text(Move_word(0, control->best_from, control->best_to, Move_kind(first), 0)).text);
  Out("\n");

  if (Move_from(first) != control->best_from) Out("ERROR from(Deepening)\n");
  if (Move_to(first) != control->best_to) Out("ERROR to(Deepening)\n");
}
