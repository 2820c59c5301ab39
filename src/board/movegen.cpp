#include "board/movegen.h"

#include "board/colour.h"
#include "board/diagnostics.h"
#include "board/rays.h"
#include "board/sliders.h"
#include "board/tables.h"
#include "eval/evaluation.h"
#include "search/ordering.h"

namespace {

// Writes one entry while the list has room. The count goes on rising past
// the capacity so that the range checks report the overflow; the stored
// totals are clamped to the capacity.
inline void Append(T_List_moves& list, int& count, int32_t move, int32_t key) {
  if (count < LIST_CAPACITY) {
    list.move[count] = move;
    list.sort[count] = key;
  }
  ++count;
}

inline int Clamp_count(int count) { return count < LIST_CAPACITY ? count : LIST_CAPACITY; }

template <Colour Us>
inline void Capture_diagnostic(int count, int from, int to, const T_Bitboard& pos, int name_figure) {
  if (Capture_check_fails(count, from, to, Names<Us>(pos), Names<Other(Us)>(pos))) {
    if constexpr (Us == WHITE)
      Error_generator_captures_white(count, from, to, &pos, name_figure);
    else
      Error_generator_captures_black(count, from, to, &pos, name_figure);
  }
}

// An ordinary capture by a piece of type code piece from f to t.
template <Colour Us>
inline void Add_capture(T_List_moves& list, int& count, const T_Bitboard& pos, int piece, int f, int t) {
  Capture_diagnostic<Us>(count, f, t, pos, piece);
  const int captured = Names<Other(Us)>(pos)[t];
  Append(list, count, Move_word(piece, f, t, KIND_CAPTURE, captured), captured - piece);
}

// The capture, if any, of a slider on f along direction D.
template <Colour Us, Direction D>
inline void Slider_capture(T_List_moves& list, int& count, const T_Bitboard& pos, int piece, int f) {
  const int b = First_blocker<D>(f, pos.all_piece);
  if (b >= 0 && (one_bit[b] & All_pieces<Other(Us)>(pos))) Add_capture<Us>(list, count, pos, piece, f, b);
}

// The capture generator with its self-check on every move.
template <Colour Us>
void Generate_captures_checked(T_List_moves& list, const T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const uint64_t* own = Pieces<Us>(pos);
  const int32_t* their_names = Names<Them>(pos);
  const uint64_t targets = All_pieces<Them>(pos);
  int count = 0;

  for (uint64_t set = own[PIECE_PAWN]; set; set &= set - 1) {
    const int f = first_one(set);
    if (f / 8 == T::promotion_from_rank) {
      const int t = f + T::forward;
      if ((pos.all_piece & one_bit[t]) == 0) {
        const int32_t h = history[f][t];
        for (int kind = KIND_PROMO_Q; kind >= KIND_PROMO_N; --kind) {
          Append(list, count, Move_word(PIECE_PAWN, f, t, kind, 0), h + kind);
        }
        Check_generator_move(count, f, t);
      }
      for (uint64_t hits = T::pawn_captures[f] & targets; hits; hits &= hits - 1) {
        const int c = first_one(hits);
        const int captured = their_names[c];
        const int32_t h = history[f][c];
        for (int kind = KIND_CAPTURE_PROMO_Q; kind >= KIND_CAPTURE_PROMO_N; --kind) {
          Append(list, count, Move_word(PIECE_PAWN, f, c, kind, captured), h + kind);
        }
        Capture_diagnostic<Us>(count, f, c, pos, 120);
      }
    } else {
      for (uint64_t hits = T::pawn_captures[f] & targets; hits; hits &= hits - 1) {
        Add_capture<Us>(list, count, pos, PIECE_PAWN, f, first_one(hits));
      }
    }
    if (pos.taking_passage_yes && f / 8 == T::en_passant_rank) {
      // e can only match when it is one of the two diagonal squares ahead of
      // f, so a bogus en-passant field never leads outside the board.
      const int e = pos.taking_passage_x + 8 * pos.taking_passage_y;
      // The capture also needs the double-stepped pawn on its square and
      // the passed square empty: a FEN may claim an en-passant square that
      // no double step produced, and taking a pawn that is not there would
      // corrupt the record.
      auto possible = [&](int victim) {
        return their_names[victim] == PIECE_PAWN && (pos.all_piece & one_bit[e]) == 0;
      };
      for (const int d : {T::forward + 1, T::forward - 1}) {
        if (e == f + d && (T::pawn_captures[f] >> e & 1) && possible(e + T::ep_victim_offset)) {
          const int victim = e + T::ep_victim_offset;
          Append(list, count, Move_word(PIECE_PAWN, f, e, KIND_TAKING_PASSAGE, their_names[victim]),
                 history[f][e] + KIND_TAKING_PASSAGE);
          Capture_diagnostic<Us>(count, f, victim, pos, 130);
        }
      }
    }
  }

  for (uint64_t set = own[PIECE_KNIGHT]; set; set &= set - 1) {
    const int f = first_one(set);
    for (uint64_t hits = knight_moves[f] & targets; hits; hits &= hits - 1) {
      Add_capture<Us>(list, count, pos, PIECE_KNIGHT, f, first_one(hits));
    }
  }

  for (uint64_t set = own[PIECE_BISHOP]; set; set &= set - 1) {
    const int f = first_one(set);
    Slider_capture<Us, DIR_NE>(list, count, pos, PIECE_BISHOP, f);
    Slider_capture<Us, DIR_NW>(list, count, pos, PIECE_BISHOP, f);
    Slider_capture<Us, DIR_SW>(list, count, pos, PIECE_BISHOP, f);
    Slider_capture<Us, DIR_SE>(list, count, pos, PIECE_BISHOP, f);
  }

  for (uint64_t set = own[PIECE_ROOK]; set; set &= set - 1) {
    const int f = first_one(set);
    Slider_capture<Us, DIR_N>(list, count, pos, PIECE_ROOK, f);
    Slider_capture<Us, DIR_W>(list, count, pos, PIECE_ROOK, f);
    Slider_capture<Us, DIR_S>(list, count, pos, PIECE_ROOK, f);
    Slider_capture<Us, DIR_E>(list, count, pos, PIECE_ROOK, f);
  }

  for (uint64_t set = own[PIECE_QUEEN]; set; set &= set - 1) {
    const int f = first_one(set);
    Slider_capture<Us, DIR_N>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_W>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_S>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_E>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_NE>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_NW>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_SW>(list, count, pos, PIECE_QUEEN, f);
    Slider_capture<Us, DIR_SE>(list, count, pos, PIECE_QUEEN, f);
  }

  if (own[PIECE_KING]) {
    const int f = first_one(own[PIECE_KING]);
    for (uint64_t hits = king_moves[f] & targets; hits; hits &= hits - 1) {
      Add_capture<Us>(list, count, pos, PIECE_KING, f, first_one(hits));
    }
  }

  list.end_captures = list.end_list = Clamp_count(count);
}

// What the capture generator reads, for the helpers of its quick version.
struct T_Capture_walk {
  T_List_moves* list;
  const int32_t* own_names;
  const int32_t* their_names;
  uint64_t targets;
  uint64_t occupied;
  int count;
  uint32_t bad;  // non-zero once a square map entry fails the self-check
};

// A map entry that the capture self-check would report (not a piece code 1..6).
inline uint32_t Name_bad(int32_t name) { return static_cast<uint32_t>(name - 1) > 5u; }

inline void Quick_capture(T_Capture_walk& w, int piece, int f, int t) {
  const int captured = w.their_names[t];
  w.bad |= Name_bad(w.own_names[f]) | Name_bad(captured);
  Append(*w.list, w.count, Move_word(piece, f, t, KIND_CAPTURE, captured), captured - piece);
}

// The captures of a slider on f, given every enemy piece it reaches, in
// the order of the directions listed. Each direction holds at most one of
// them (its nearest piece); a single capture needs no sorting out.
template <Direction... Ds>
inline void Quick_slider(T_Capture_walk& w, int piece, int f, uint64_t hits) {
  if (hits == 0) return;
  if ((hits & (hits - 1)) == 0) {
    Quick_capture(w, piece, f, first_one(hits));
    return;
  }
  const auto in_direction = [&](uint64_t ray) {
    if (hits & ray) Quick_capture(w, piece, f, first_one(hits & ray));
  };
  (in_direction(Ray<Ds>()[f]), ...);
}

// Moves a set of squares by delta squares (up the board when positive).
template <int Delta>
constexpr uint64_t Shifted(uint64_t set) {
  if constexpr (Delta > 0)
    return set << Delta;
  else
    return set >> -Delta;
}

constexpr uint64_t FILE_A = 0x0101010101010101ull;
constexpr uint64_t FILE_H = FILE_A << 7;
constexpr uint64_t Rank_set(int rank) { return 0xFFull << (8 * rank); }

// The capture generator without its per-move self-checks: it makes the same
// list in the same order, and tells whether any self-check would have fired
// (a square map entry out of range or a count past the capacity). Then the
// caller makes the list again with the checks, which report as before.
//
// With Reach_known the sliders' reach comes from the evaluation of this
// same position (evaluated_reach) instead of the tables.
template <Colour Us, bool Reach_known = false>
bool Generate_captures_quick(T_List_moves& list, const T_Bitboard& pos) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const uint64_t* own = Pieces<Us>(pos);
  T_Capture_walk w{&list, Names<Us>(pos), Names<Them>(pos), All_pieces<Them>(pos), pos.all_piece, 0, 0};

  // Pawns: the ordinary captures of all pawns at once, as two sets of
  // targets (the lower diagonal square first, as the table lists them);
  // then pawn by pawn in increasing order, with the promotions and the
  // en-passant captures in their places. Pawns on the first or last rank
  // (only in a bogus set-up) capture nothing.
  constexpr int low = Us == WHITE ? 7 : -9, high = Us == WHITE ? 9 : -7;
  const uint64_t pawns = own[PIECE_PAWN];
  const uint64_t plain = pawns & ~(Rank_set(0) | Rank_set(7) | Rank_set(T::promotion_from_rank));
  const uint64_t low_hits = Shifted<low>(plain & ~FILE_A) & w.targets;
  const uint64_t high_hits = Shifted<high>(plain & ~FILE_H) & w.targets;
  uint64_t movers = Shifted<-low>(low_hits) | Shifted<-high>(high_hits) | (pawns & Rank_set(T::promotion_from_rank));
  if (pos.taking_passage_yes) movers |= pawns & Rank_set(T::en_passant_rank);
  const int32_t* their_names = w.their_names;
  for (; movers; movers &= movers - 1) {
    const int f = first_one(movers);
    if (f / 8 == T::promotion_from_rank) {
      const int t = f + T::forward;
      if ((pos.all_piece & one_bit[t]) == 0) {
        const int32_t h = history[f][t];
        for (int kind = KIND_PROMO_Q; kind >= KIND_PROMO_N; --kind) {
          Append(list, w.count, Move_word(PIECE_PAWN, f, t, kind, 0), h + kind);
        }
      }
      for (uint64_t hits = T::pawn_captures[f] & w.targets; hits; hits &= hits - 1) {
        const int c = first_one(hits);
        const int captured = their_names[c];
        w.bad |= Name_bad(w.own_names[f]) | Name_bad(captured);
        const int32_t h = history[f][c];
        for (int kind = KIND_CAPTURE_PROMO_Q; kind >= KIND_CAPTURE_PROMO_N; --kind) {
          Append(list, w.count, Move_word(PIECE_PAWN, f, c, kind, captured), h + kind);
        }
      }
      continue;
    }
    if ((low_hits >> (f + low)) & 1) Quick_capture(w, PIECE_PAWN, f, f + low);
    if ((high_hits >> (f + high)) & 1) Quick_capture(w, PIECE_PAWN, f, f + high);
    if (pos.taking_passage_yes && f / 8 == T::en_passant_rank) {
      const int e = pos.taking_passage_x + 8 * pos.taking_passage_y;
      // As in the checked version: the victim pawn on its square and the
      // passed square empty.
      auto possible = [&](int victim) {
        return their_names[victim] == PIECE_PAWN && (pos.all_piece & one_bit[e]) == 0;
      };
      for (const int d : {T::forward + 1, T::forward - 1}) {
        if (e == f + d && (T::pawn_captures[f] >> e & 1) && possible(e + T::ep_victim_offset)) {
          w.bad |= Name_bad(w.own_names[f]);
          Append(list, w.count, Move_word(PIECE_PAWN, f, e, KIND_TAKING_PASSAGE, PIECE_PAWN),
                 history[f][e] + KIND_TAKING_PASSAGE);
        }
      }
    }
  }

  for (uint64_t set = own[PIECE_KNIGHT]; set; set &= set - 1) {
    const int f = first_one(set);
    for (uint64_t hits = knight_moves[f] & w.targets; hits; hits &= hits - 1) {
      Quick_capture(w, PIECE_KNIGHT, f, first_one(hits));
    }
  }

  for (uint64_t set = own[PIECE_BISHOP]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = Reach_known ? evaluated_reach[f] : Diagonal_reach(f, w.occupied);
    Quick_slider<DIR_NE, DIR_NW, DIR_SW, DIR_SE>(w, PIECE_BISHOP, f, reach & w.targets);
  }

  for (uint64_t set = own[PIECE_ROOK]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t file = Reach_known ? evaluated_reach[f] : File_reach(f, w.occupied);
    Quick_slider<DIR_N, DIR_W, DIR_S, DIR_E>(w, PIECE_ROOK, f, (file | Rank_reach(f, w.occupied)) & w.targets);
  }

  for (uint64_t set = own[PIECE_QUEEN]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = Reach_known
                               ? evaluated_reach[f]
                               : Diagonal_reach(f, w.occupied) | File_reach(f, w.occupied) | Rank_reach(f, w.occupied);
    Quick_slider<DIR_N, DIR_W, DIR_S, DIR_E, DIR_NE, DIR_NW, DIR_SW, DIR_SE>(w, PIECE_QUEEN, f, reach & w.targets);
  }

  if (own[PIECE_KING]) {
    const int f = first_one(own[PIECE_KING]);
    for (uint64_t hits = king_moves[f] & w.targets; hits; hits &= hits - 1) {
      Quick_capture(w, PIECE_KING, f, first_one(hits));
    }
  }

  list.end_captures = list.end_list = Clamp_count(w.count);
  return w.bad == 0 && w.count <= LIST_CAPACITY;
}

template <Colour Us, bool Reach_known = false>
void Generate_captures(T_List_moves& list, const T_Bitboard& pos) {
  if (!Generate_captures_quick<Us, Reach_known>(list, pos)) Generate_captures_checked<Us>(list, pos);
}

// Quiet moves of one piece from f to every square of targets, in increasing order.
inline void Add_quiet_set(T_List_moves& list, int& count, int piece, int f, uint64_t targets) {
  // No piece has more than 27 moves: while that many still fit, neither the
  // capacity nor the range check (squares come from bit scans) can fail.
  constexpr int MOST_MOVES_OF_A_PIECE = 27;
  if (count <= LIST_CAPACITY - MOST_MOVES_OF_A_PIECE) {
    const int32_t word = Move_word(piece, f, 0, KIND_QUIET, 0);
    const int32_t* keys = history[f];
    int n = count;
    for (; targets; targets &= targets - 1) {
      const int t = first_one(targets);
      list.move[n] = word | Move_word(0, 0, t, 0, 0);
      list.sort[n] = keys[t];
      ++n;
    }
    count = n;
    return;
  }
  for (; targets; targets &= targets - 1) {
    const int t = first_one(targets);
    Append(list, count, Move_word(piece, f, t, KIND_QUIET, 0), history[f][t]);
    Check_generator_move(count, f, t);
  }
}

// Quiet moves of a slider on f along each direction listed in turn, from
// the squares it reaches (up to and including the first piece on each ray).
template <Direction... Ds>
inline void Slider_quiet(T_List_moves& list, int& count, int piece, int f, uint64_t reach, uint64_t empty) {
  (Add_quiet_set(list, count, piece, f, reach & empty & Ray<Ds>()[f]), ...);
}

// Is square s on our back rank attacked by the other side? Returns the
// attacker's type code or 0. Only the directions that can reach a back-rank
// square from the board are looked at.
template <Colour Us>
int Castling_square_attacked(const T_Bitboard& pos, int s) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int32_t* their_names = Names<Them>(pos);
  const uint64_t* their = Pieces<Them>(pos);
  int b = First_blocker<T::castle_line_1>(s, pos.all_piece);
  if (b >= 0 && (their_names[b] == PIECE_ROOK || their_names[b] == PIECE_QUEEN)) return their_names[b];
  b = First_blocker<T::castle_line_2>(s, pos.all_piece);
  if (b >= 0 && (their_names[b] == PIECE_ROOK || their_names[b] == PIECE_QUEEN)) return their_names[b];
  b = First_blocker<T::castle_line_3>(s, pos.all_piece);
  if (b >= 0 && (their_names[b] == PIECE_ROOK || their_names[b] == PIECE_QUEEN)) return their_names[b];
  b = First_blocker<T::castle_diag_1>(s, pos.all_piece);
  if (b >= 0 && (their_names[b] == PIECE_BISHOP || their_names[b] == PIECE_QUEEN)) return their_names[b];
  b = First_blocker<T::castle_diag_2>(s, pos.all_piece);
  if (b >= 0 && (their_names[b] == PIECE_BISHOP || their_names[b] == PIECE_QUEEN)) return their_names[b];
  if (knight_moves[s] & their[PIECE_KNIGHT]) return PIECE_KNIGHT;
  if (king_moves[s] & their[PIECE_KING]) return PIECE_KING;
  const int left = s + T::pawn_attacker_left, right = s + T::pawn_attacker_right;
  if ((left >= 0 && left < 64 && (their[PIECE_PAWN] & one_bit[left])) ||
      (right >= 0 && right < 64 && (their[PIECE_PAWN] & one_bit[right])))
    return PIECE_PAWN;
  return 0;
}

// Castling needs the right, our king on its home square and our rook in the
// corner (a set-up position may claim a right without them), the squares
// between them empty and the king's three squares unattacked.
template <Colour Us>
inline void Try_castling(T_List_moves& list, int& count, const T_Bitboard& pos, int f, bool right, int rook_from,
                         int king_to, uint64_t must_be_empty, int kind) {
  using T = Colour_traits<Us>;
  if (!right) return;
  Check_generator_move(count, f, king_to);
  if (f != T::king_home || Names<Us>(pos)[rook_from] != PIECE_ROOK) return;
  if (pos.all_piece & must_be_empty) return;
  const int low = king_to < f ? king_to : f;
  for (int s = low; s <= low + 2; ++s) {
    if (Castling_square_attacked<Us>(pos, s)) return;
  }
  List_add_move(&list, &count, PIECE_KING, f, king_to, kind, 0);
}

template <Colour Us>
void Generate_quiet(const T_Bitboard& pos, T_List_moves& list) {
  using T = Colour_traits<Us>;
  const uint64_t* own = Pieces<Us>(pos);
  const uint64_t empty = ~pos.all_piece;
  int count = list.end_list;

  if (own[PIECE_KING]) {
    const int f = first_one(own[PIECE_KING]);
    Add_quiet_set(list, count, PIECE_KING, f, king_moves[f] & empty);
    Try_castling<Us>(list, count, pos, f, Castling_long<Us>(pos), T::long_rook_from, T::long_king_to, T::long_empty,
                     KIND_O_O_O);
    Try_castling<Us>(list, count, pos, f, Castling_short<Us>(pos), T::short_rook_from, T::short_king_to, T::short_empty,
                     KIND_O_O);
  }

  const uint64_t occupied = pos.all_piece;
  for (uint64_t set = own[PIECE_QUEEN]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = File_reach(f, occupied) | Rank_reach(f, occupied) | Diagonal_reach(f, occupied);
    Slider_quiet<DIR_N, DIR_W, DIR_S, DIR_E, DIR_NE, DIR_NW, DIR_SW, DIR_SE>(list, count, PIECE_QUEEN, f, reach, empty);
  }

  for (uint64_t set = own[PIECE_ROOK]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = File_reach(f, occupied) | Rank_reach(f, occupied);
    Slider_quiet<DIR_N, DIR_W, DIR_S, DIR_E>(list, count, PIECE_ROOK, f, reach, empty);
  }

  for (uint64_t set = own[PIECE_BISHOP]; set; set &= set - 1) {
    const int f = first_one(set);
    Slider_quiet<DIR_NE, DIR_NW, DIR_SW, DIR_SE>(list, count, PIECE_BISHOP, f, Diagonal_reach(f, occupied), empty);
  }

  for (uint64_t set = own[PIECE_KNIGHT]; set; set &= set - 1) {
    const int f = first_one(set);
    Add_quiet_set(list, count, PIECE_KNIGHT, f, knight_moves[f] & empty);
  }

  for (uint64_t set = own[PIECE_PAWN]; set; set &= set - 1) {
    const int f = first_one(set);
    const int rank = f / 8;
    // Steps onto the last rank are promotions (capture generator); a pawn
    // already on the last rank (only in a bogus set-up) has no step at all.
    if (rank == T::promotion_from_rank || rank == T::last_rank) continue;
    const int single = f + T::forward;
    if (pos.all_piece & one_bit[single]) continue;
    uint64_t targets = one_bit[single];
    if (rank == T::double_step_rank && (pos.all_piece & one_bit[single + T::forward]) == 0)
      targets |= one_bit[single + T::forward];
    Add_quiet_set(list, count, PIECE_PAWN, f, targets);
  }

  list.end_list = Clamp_count(count);
}

}  // namespace

void Generator_captures_white(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<WHITE>(*list, *position);
}
void Generator_captures_black(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<BLACK>(*list, *position);
}
void Generator_captures_after_evaluation_white(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<WHITE, true>(*list, *position);
}
void Generator_captures_after_evaluation_black(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<BLACK, true>(*list, *position);
}
void Generator_move_white(const T_Bitboard* position, T_List_moves* list) { Generate_quiet<WHITE>(*position, *list); }
void Generator_move_black(const T_Bitboard* position, T_List_moves* list) { Generate_quiet<BLACK>(*position, *list); }

void List_add_move(T_List_moves* list, int* count, int piece, int from, int to, int kind, int captured) {
  Append(*list, *count, Move_word(piece, from, to, kind, captured), kind + history[from][to]);
}

int White_castling_attacked(const T_Bitboard* position, int square) {
  return Castling_square_attacked<WHITE>(*position, square);
}
int Black_castling_attacked(const T_Bitboard* position, int square) {
  return Castling_square_attacked<BLACK>(*position, square);
}
