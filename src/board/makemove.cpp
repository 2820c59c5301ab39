#include "board/makemove.h"

#include "board/colour.h"
#include "board/tables.h"
#include "eval/parameters.h"

namespace {

template <Colour C>
inline bool& Undo_long(T_Undo& u) {
  if constexpr (C == WHITE)
    return u.castling_Q;
  else
    return u.castling_q;
}
template <Colour C>
inline bool& Undo_short(T_Undo& u) {
  if constexpr (C == WHITE)
    return u.castling_K;
  else
    return u.castling_k;
}
template <Colour C>
inline bool Undo_long(const T_Undo& u) {
  if constexpr (C == WHITE)
    return u.castling_Q;
  else
    return u.castling_q;
}
template <Colour C>
inline bool Undo_short(const T_Undo& u) {
  if constexpr (C == WHITE)
    return u.castling_K;
  else
    return u.castling_k;
}

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

// Removes (or adds: the same XOR) the piece of side C named by its map at s.
template <Colour C>
inline void Toggle(T_Bitboard& pos, int s) {
  All_pieces<C>(pos) ^= one_bit[s];
  Pieces<C>(pos)[Names<C>(pos)[s]] ^= one_bit[s];
}

// Moves a piece of side C from f to t, maps included.
template <Colour C>
inline void Relocate(T_Bitboard& pos, int f, int t) {
  int32_t* names = Names<C>(pos);
  Toggle<C>(pos, f);
  names[t] = names[f];
  names[f] = 0;
  Toggle<C>(pos, t);
}

// A king or rook of ours leaving its square takes the matching rights with it.
template <Colour Us>
inline void Clear_own_rights(T_Bitboard& pos, T_Undo& undo, int piece, int f) {
  using T = Colour_traits<Us>;
  if (piece == PIECE_KING) {
    Undo_short<Us>(undo) = Castling_short<Us>(pos);
    Undo_long<Us>(undo) = Castling_long<Us>(pos);
    Castling_short<Us>(pos) = false;
    Castling_long<Us>(pos) = false;
  } else if (piece == PIECE_ROOK) {
    if (f == T::long_rook_from) {
      Undo_long<Us>(undo) = Castling_long<Us>(pos);
      Castling_long<Us>(pos) = false;
    } else if (f == T::short_rook_from) {
      Undo_short<Us>(undo) = Castling_short<Us>(pos);
      Castling_short<Us>(pos) = false;
    }
  }
}

template <Colour Us>
inline void Restore_own_rights(T_Bitboard& pos, const T_Undo& undo, int piece, int f) {
  using T = Colour_traits<Us>;
  if (piece == PIECE_KING) {
    Castling_short<Us>(pos) = Undo_short<Us>(undo);
    Castling_long<Us>(pos) = Undo_long<Us>(undo);
  } else if (piece == PIECE_ROOK) {
    if (f == T::long_rook_from)
      Castling_long<Us>(pos) = Undo_long<Us>(undo);
    else if (f == T::short_rook_from)
      Castling_short<Us>(pos) = Undo_short<Us>(undo);
  }
}

// Capturing a rook in its corner takes the opponent's right on that side.
template <Colour Us>
inline void Clear_their_rights(T_Bitboard& pos, T_Undo& undo, int captured, int t) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  if (captured != PIECE_ROOK) return;
  if (t == T::their_long_rook) {
    Undo_long<Them>(undo) = Castling_long<Them>(pos);
    Castling_long<Them>(pos) = false;
  } else if (t == T::their_short_rook) {
    Undo_short<Them>(undo) = Castling_short<Them>(pos);
    Castling_short<Them>(pos) = false;
  }
}

template <Colour Us>
inline void Restore_their_rights(T_Bitboard& pos, const T_Undo& undo, int captured, int t) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  if (captured != PIECE_ROOK) return;
  if (t == T::their_long_rook)
    Castling_long<Them>(pos) = Undo_long<Them>(undo);
  else if (t == T::their_short_rook)
    Castling_short<Them>(pos) = Undo_short<Them>(undo);
}

template <Colour Us>
void Make(int32_t move, T_Bitboard& pos, T_Undo& undo) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move), kind = Move_kind(move);
  int32_t* own_names = Names<Us>(pos);
  int32_t* their_names = Names<Them>(pos);
  const int32_t* cost = eval_parameters.cost_figure;

  undo.taking_passage_yes = pos.taking_passage_yes;
  pos.taking_passage_yes = false;

  switch (kind) {
    case KIND_QUIET: {
      Relocate<Us>(pos, f, t);
      const int piece = own_names[t];
      if (piece == PIECE_PAWN && t - f == 2 * T::forward) {
        undo.taking_passage_x = pos.taking_passage_x;
        undo.taking_passage_y = pos.taking_passage_y;
        pos.taking_passage_yes = true;
        pos.taking_passage_x = (f + T::forward) % 8;
        pos.taking_passage_y = (f + T::forward) / 8;
      } else {
        Clear_own_rights<Us>(pos, undo, piece, f);
      }
      break;
    }
    case KIND_CAPTURE:
      Toggle<Us>(pos, f);
      Toggle<Them>(pos, t);
      pos.eval = Material_add(pos.eval, T::sign * int64_t{cost[their_names[t]]});
      their_names[t] = 0;
      own_names[t] = own_names[f];
      own_names[f] = 0;
      Toggle<Us>(pos, t);
      Clear_own_rights<Us>(pos, undo, own_names[t], f);
      Clear_their_rights<Us>(pos, undo, Move_captured(move), t);
      break;
    case KIND_O_O_O:
      Relocate<Us>(pos, f, t);
      Relocate<Us>(pos, T::long_rook_from, T::long_rook_to);
      Clear_own_rights<Us>(pos, undo, PIECE_KING, f);
      break;
    case KIND_O_O:
      Relocate<Us>(pos, f, t);
      Relocate<Us>(pos, T::short_rook_from, T::short_rook_to);
      Clear_own_rights<Us>(pos, undo, PIECE_KING, f);
      break;
    case KIND_TAKING_PASSAGE: {
      const int victim = t + T::ep_victim_offset;
      Relocate<Us>(pos, f, t);
      All_pieces<Them>(pos) ^= one_bit[victim];
      Pieces<Them>(pos)[PIECE_PAWN] ^= one_bit[victim];
      their_names[victim] = 0;
      pos.eval = Material_add(pos.eval, T::sign * int64_t{eval_parameters.PAWN});
      break;
    }
    case KIND_PROMO_N:
    case KIND_PROMO_B:
    case KIND_PROMO_R:
    case KIND_PROMO_Q: {
      const int piece = kind - 10;
      Toggle<Us>(pos, f);
      own_names[t] = piece;
      own_names[f] = 0;
      Toggle<Us>(pos, t);
      pos.eval = Material_add(pos.eval, T::sign * (int64_t{Named_value(piece)} - eval_parameters.PAWN));
      break;
    }
    case KIND_CAPTURE_PROMO_N:
    case KIND_CAPTURE_PROMO_B:
    case KIND_CAPTURE_PROMO_R:
    case KIND_CAPTURE_PROMO_Q: {
      const int piece = kind - 20;
      Toggle<Us>(pos, f);
      Toggle<Them>(pos, t);
      pos.eval =
          Material_add(pos.eval, T::sign * (int64_t{cost[their_names[t]]} + Named_value(piece) - eval_parameters.PAWN));
      own_names[t] = piece;
      their_names[t] = 0;
      own_names[f] = 0;
      Toggle<Us>(pos, t);
      Clear_their_rights<Us>(pos, undo, Move_captured(move), t);
      break;
    }
    default:
      break;
  }
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
}

template <Colour Us>
void Unmake(T_Bitboard& pos, int32_t move, const T_Undo& undo) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int f = Move_from(move), t = Move_to(move), kind = Move_kind(move);
  const int captured = Move_captured(move);
  int32_t* own_names = Names<Us>(pos);
  int32_t* their_names = Names<Them>(pos);
  const int32_t* cost = eval_parameters.cost_figure;

  pos.taking_passage_yes = undo.taking_passage_yes;

  switch (kind) {
    case KIND_QUIET: {
      const int piece = own_names[t];
      if (piece == PIECE_PAWN && t - f == 2 * T::forward) {
        pos.taking_passage_x = undo.taking_passage_x;
        pos.taking_passage_y = undo.taking_passage_y;
      } else {
        Restore_own_rights<Us>(pos, undo, piece, f);
      }
      Relocate<Us>(pos, t, f);
      break;
    }
    case KIND_CAPTURE:
      Restore_own_rights<Us>(pos, undo, own_names[t], f);
      Restore_their_rights<Us>(pos, undo, captured, t);
      Relocate<Us>(pos, t, f);
      their_names[t] = captured;
      Toggle<Them>(pos, t);
      pos.eval = Material_add(pos.eval, -T::sign * int64_t{cost[captured]});
      break;
    case KIND_O_O_O:
      Restore_own_rights<Us>(pos, undo, PIECE_KING, f);
      Relocate<Us>(pos, t, f);
      Relocate<Us>(pos, T::long_rook_to, T::long_rook_from);
      break;
    case KIND_O_O:
      Restore_own_rights<Us>(pos, undo, PIECE_KING, f);
      Relocate<Us>(pos, t, f);
      Relocate<Us>(pos, T::short_rook_to, T::short_rook_from);
      break;
    case KIND_TAKING_PASSAGE: {
      const int victim = t + T::ep_victim_offset;
      Relocate<Us>(pos, t, f);
      their_names[victim] = captured;
      All_pieces<Them>(pos) ^= one_bit[victim];
      Pieces<Them>(pos)[PIECE_PAWN] ^= one_bit[victim];
      pos.eval = Material_add(pos.eval, -T::sign * int64_t{eval_parameters.PAWN});
      break;
    }
    case KIND_PROMO_N:
    case KIND_PROMO_B:
    case KIND_PROMO_R:
    case KIND_PROMO_Q:
      Toggle<Us>(pos, t);
      pos.eval = Material_add(pos.eval, T::sign * (int64_t{eval_parameters.PAWN} - cost[own_names[t]]));
      own_names[f] = PIECE_PAWN;
      own_names[t] = 0;
      Toggle<Us>(pos, f);
      break;
    case KIND_CAPTURE_PROMO_N:
    case KIND_CAPTURE_PROMO_B:
    case KIND_CAPTURE_PROMO_R:
    case KIND_CAPTURE_PROMO_Q:
      Restore_their_rights<Us>(pos, undo, captured, t);
      Toggle<Us>(pos, t);
      pos.eval =
          Material_add(pos.eval, T::sign * (int64_t{eval_parameters.PAWN} - cost[own_names[t]] - cost[captured]));
      own_names[f] = PIECE_PAWN;
      own_names[t] = 0;
      their_names[t] = captured;
      Toggle<Them>(pos, t);
      Toggle<Us>(pos, f);
      break;
    default:
      break;
  }
  pos.all_piece = pos.all_white_piece | pos.all_black_piece;
}

}  // namespace

template <Colour Us>
void Make_move(int32_t move, T_Bitboard* position, T_Undo* undo) {
  Make<Us>(move, *position, *undo);
}
template <Colour Us>
void Unmake_move(int32_t move, T_Bitboard* position, const T_Undo* undo) {
  Unmake<Us>(*position, move, *undo);
}
template void Make_move<WHITE>(int32_t, T_Bitboard*, T_Undo*);
template void Make_move<BLACK>(int32_t, T_Bitboard*, T_Undo*);
template void Unmake_move<WHITE>(int32_t, T_Bitboard*, const T_Undo*);
template void Unmake_move<BLACK>(int32_t, T_Bitboard*, const T_Undo*);

void Make_move_white(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list) {
  Make<WHITE>(list->move[index], *position, *undo);
}
void Make_move_black(int index, T_Bitboard* position, T_Undo* undo, const T_List_moves* list) {
  Make<BLACK>(list->move[index], *position, *undo);
}
void Unmake_move_white(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list) {
  Unmake<WHITE>(*position, list->move[index], *undo);
}
void Unmake_move_black(T_Bitboard* position, int index, const T_Undo* undo, const T_List_moves* list) {
  Unmake<BLACK>(*position, list->move[index], *undo);
}
