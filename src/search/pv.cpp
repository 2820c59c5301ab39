#include "search/pv.h"

#include <cstdlib>

#include "platform/io.h"
#include "search/control.h"

T_PV PV_returned;

namespace {

void Copy_line(T_PV* destination, const T_PV* source) {
  for (int k = 0; k < source->length; ++k) destination->moves[k] = source->moves[k];
  destination->length = source->length;
  destination->score_move = source->score_move;
}

// Last values printed by Info_root_line; -999999993 is never a score.
constexpr int NO_SCORE = -999999993;
int last_printed_score = NO_SCORE;
int last_printed_depth = 0;

}  // namespace

void Pv_take_returned(T_PV* destination) { Copy_line(destination, &PV_returned); }

void Pv_give_returned(const T_PV* source) { Copy_line(&PV_returned, source); }

void Pv_from_line(int ply, int score) {
  for (int k = 0; k < ply; ++k) PV_returned.moves[k] = current_line[k];
  PV_returned.score_move = score;
  PV_returned.length = ply;
}

int Mate_in_moves(int score) {
  // The side mated at ply p scores MATE - 1000 * p against it: the side to
  // move (root ply 0) mates with its move at ply p - 1, or is mated by the
  // opponent's move at ply p - 1. Scores outside the mate range (only weights
  // far beyond the usual) still keep their sign.
  if (score > 0) {
    const int ply = (MATE - score) / 1000;
    return ply < 1 ? 1 : (ply + 1) / 2;
  }
  const int ply = (MATE + score) / 1000;
  return ply < 0 ? 0 : -(ply / 2);
}

bool Out_score(int score) {
  if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) {
    Out(" score mate ");
    Out_int(Mate_in_moves(score));
    return true;
  }
  Out(" score cp ");
  Out_int(score);
  return false;
}

void Info_currmove(const T_List_moves* list, int index, int number, int depth) {
  Out("info currmove ");
  Out(Move_text(list->move[index], false).text);
  Out(" currmovenumber ");
  Out_int(number);
  Out(" depth ");
  Out_int(depth);
  Out("\n");
}

void Info_root_line(int score, const T_PV* line, int depth, int colour_flag, int64_t nodes, double seconds) {
  if (depth != last_printed_depth) last_printed_score = NO_SCORE;
  if (score == last_printed_score) {
    Out("\n");
    return;
  }
  last_printed_score = score;
  last_printed_depth = depth;

  Out("info ");
  Out(" nps ");
  Out_int(static_cast<int64_t>(static_cast<double>(nodes) / seconds));
  Out(" depth ");
  Out_int(depth);
  Out(" seldepth ");
  Out_int(line->length);
  Out_score(colour_flag == 1 ? score : -score);
  Out(" nodes ");
  Out_int(nodes);
  if (std::abs(line->score_move) == std::abs(score)) {
    Out(" pv ");
    // Each move is followed by a blank, and before it by the promoted
    // piece's letter after a promotion, by nothing after an en-passant
    // capture and by one more blank after any other move.
    for (int k = 0; k < line->length && k < PV_CAPACITY; ++k) {
      const int32_t move = line->moves[k];
      const int kind = Move_kind(move);
      Out(Move_text(move).text);
      if (!Kind_is_promotion(kind) && kind != KIND_TAKING_PASSAGE) Out(" ");
      Out(" ");
    }
  } else {
    Out("\n");
    Out("ERROR LINE ");
    Out("\n");
    Out(" value = ");
    Out_int(score);
    Out("\n");
    Out(" p_PV_best_point.score_move = ");
    Out_int(line->score_move);
    Out("\n");
    Out("**********************");
    Out("\n");
    Out("  ");
    Out("\n");
  }
  Out("\n");
}
