#include "board/makemove.h"

#include <cstddef>
#include <cstring>

#include "board/colour.h"
#include "board/tables.h"
#include "eval/parameters.h"

namespace {

// Material value of a promotion piece by its named weight.
inline int32_t Named_value(int code) {
  const T_Eval_parameters& p = eval_parameters;
  switch (code) {
    case PIECE_KNIGHT:
      return p.KNIGHT;
    case PIECE_BISHOP:
      return p.BISHOP;
    case PIECE_ROOK:
      return p.ROOK;
    default:
      return p.QUEEN;
  }
}

// The en-passant square (x, y) is written as one block.
static_assert(offsetof(T_Bitboard, taking_passage_y) == offsetof(T_Bitboard, taking_passage_x) + 4, "x, y adjacent");

// The en-passant square after a double step, both coordinates at once.
inline void Set_passage(T_Bitboard& pos, int x, int y) {
  const int32_t xy[2] = {x, y};
  std::memcpy(&pos.taking_passage_x, xy, 8);
}

// The rook's move in castling of kind KIND_O_O_O or KIND_O_O.
template <Colour Us>
constexpr int Castling_rook_from(int kind) {
  return kind == KIND_O_O_O ? Colour_traits<Us>::long_rook_from : Colour_traits<Us>::short_rook_from;
}
template <Colour Us>
constexpr int Castling_rook_to(int kind) {
  return kind == KIND_O_O_O ? Colour_traits<Us>::long_rook_to : Colour_traits<Us>::short_rook_to;
}

}  // namespace

namespace makemove_detail {

// A king or rook leaving f takes the matching rights with it; a pawn's
// double step leaves the square it passed as the en-passant square.
template <Colour Us>
void Quiet_move_state(T_Bitboard& pos, int piece, int f) {
  using T = Colour_traits<Us>;
  if (piece == PIECE_PAWN) {
    pos.taking_passage_yes = true;
    Set_passage(pos, (f + T::forward) % 8, (f + T::forward) / 8);
  } else {
    Clear_own_rights<Us>(pos, piece, f);
  }
}

template <Colour Us>
void Make_other_kinds(int32_t move, T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move), kind = Move_kind(move);
  int32_t* own_names = Names<Us>(pos);
  int32_t* their_names = Names<Them>(pos);
  const int32_t* cost = eval_parameters.cost_figure;
  // Zero for pawns and kings, so every capture can subtract its victim's.
  const int32_t* non_pawn_cost = eval_parameters.cost_figure_rubikon;

  // Captures are most of the moves that come here, so they are told apart
  // by one test.
  if (kind == KIND_CAPTURE) {
    Make_capture<Us>(move, pos);
    return;
  }
  pos.taking_passage_yes = false;

  // Castling, en passant and promotions; a word of any other kind changes
  // nothing more.
  if (kind == KIND_O_O_O || kind == KIND_O_O) {
    const int rook_from = Castling_rook_from<Us>(kind);
    Shift_piece<Us>(pos, own_names[f], f, t);
    Shift_piece<Us>(pos, own_names[rook_from], rook_from, Castling_rook_to<Us>(kind));
    Clear_own_rights<Us>(pos, PIECE_KING, f);
  } else if (kind == KIND_TAKING_PASSAGE) {
    const int victim = t + T::ep_victim_offset;
    Shift_piece<Us>(pos, own_names[f], f, t);
    Flip<Them>(pos, PIECE_PAWN, victim);
    their_names[victim] = 0;
    pos.eval = Material_add(pos.eval, T::sign * int64_t{eval_parameters.PAWN});
  } else if (Kind_is_promotion(kind)) {
    const int piece = Kind_promotion_piece(kind);
    int64_t gain = int64_t{Named_value(piece)} - eval_parameters.PAWN;
    if (kind >= KIND_CAPTURE_PROMO_N) {
      const int victim = their_names[t];
      Flip<Them>(pos, victim, t);
      their_names[t] = 0;
      gain += cost[victim];
      Non_pawn<Them>(pos) -= non_pawn_cost[victim];
      Clear_their_rights<Us>(pos, Move_captured(move), t);
    }
    Non_pawn<Us>(pos) += non_pawn_cost[piece];
    Flip<Us>(pos, own_names[f], f);
    Flip<Us>(pos, piece, t);
    own_names[t] = piece;
    own_names[f] = 0;
    pos.eval = Material_add(pos.eval, T::sign * gain);
  }
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
}

template <Colour Us>
void Unmake_other_kinds(int32_t move, T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move), kind = Move_kind(move);
  const int captured = Move_captured(move);
  int32_t* own_names = Names<Us>(pos);
  int32_t* their_names = Names<Them>(pos);
  const int32_t* cost = eval_parameters.cost_figure;
  const int32_t* non_pawn_cost = eval_parameters.cost_figure_rubikon;

  if (kind == KIND_CAPTURE) {
    Unmake_capture<Us>(move, pos);
    return;
  }
  if (kind == KIND_O_O_O || kind == KIND_O_O) {
    const int rook_to = Castling_rook_to<Us>(kind);
    Shift_piece<Us>(pos, own_names[t], t, f);
    Shift_piece<Us>(pos, own_names[rook_to], rook_to, Castling_rook_from<Us>(kind));
  } else if (kind == KIND_TAKING_PASSAGE) {
    const int victim = t + T::ep_victim_offset;
    Shift_piece<Us>(pos, own_names[t], t, f);
    their_names[victim] = captured;
    Flip<Them>(pos, PIECE_PAWN, victim);
    pos.eval = Material_add(pos.eval, -T::sign * int64_t{eval_parameters.PAWN});
  } else if (Kind_is_promotion(kind)) {
    int64_t gain = int64_t{cost[own_names[t]]} - eval_parameters.PAWN;
    Non_pawn<Us>(pos) -= non_pawn_cost[own_names[t]];
    Flip<Us>(pos, own_names[t], t);
    own_names[f] = PIECE_PAWN;
    own_names[t] = 0;
    Flip<Us>(pos, PIECE_PAWN, f);
    if (kind >= KIND_CAPTURE_PROMO_N) {
      their_names[t] = captured;
      Flip<Them>(pos, captured, t);
      gain += cost[captured];
      Non_pawn<Them>(pos) += non_pawn_cost[captured];
    }
    pos.eval = Material_add(pos.eval, -T::sign * gain);
  }
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
}

template void Quiet_move_state<WHITE>(T_Bitboard&, int, int);
template void Quiet_move_state<BLACK>(T_Bitboard&, int, int);
template void Make_other_kinds<WHITE>(int32_t, T_Bitboard&);
template void Make_other_kinds<BLACK>(int32_t, T_Bitboard&);
template void Unmake_other_kinds<WHITE>(int32_t, T_Bitboard&);
template void Unmake_other_kinds<BLACK>(int32_t, T_Bitboard&);

}  // namespace makemove_detail

void Non_pawn_material_count(T_Bitboard* position) {
  const int32_t* cost = eval_parameters.cost_figure_rubikon;
  auto side = [cost](const uint64_t* pieces) {
    int64_t material = 0;
    for (int code = PIECE_KNIGHT; code <= PIECE_QUEEN; ++code) material += int64_t{cost[code]} * popcount(pieces[code]);
    return material;
  };
  position->white_non_pawn = side(position->white_piece);
  position->black_non_pawn = side(position->black_piece);
}

void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list) {
  Make<WHITE>(list->move[index], *position, *undo);
}
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list) {
  Make<BLACK>(list->move[index], *position, *undo);
}
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list) {
  Unmake<WHITE>(list->move[index], *position, *undo);
}
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list) {
  Unmake<BLACK>(list->move[index], *position, *undo);
}
