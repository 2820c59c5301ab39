#include "board/movegen.h"

#include <array>

#include "board/by_colour.h"
#include "board/colour.h"
#include "board/diagnostics.h"
#include "board/rays.h"
#include "board/sliders.h"
#include "board/tables.h"
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

// A map entry less one: at most 5 for a piece code 1..6, which the capture
// self-check accepts, and more for any other entry.
inline uint32_t Name_less_one(int32_t name) { return static_cast<uint32_t>(name) - 1u; }

// What the capture walk does with each move's self-check. The walk runs
// first with Note_faults, which only notes whether any check would fail (a
// square map entry that is not a piece code; the count is looked at once,
// at the end). Only then is it run again with Report_faults, which makes
// the checks that report, at the same points of the same walk.
struct Note_faults {
  const int32_t* own_names;
  uint32_t largest = 0;  // of the map entries read, less one: a check fails when above 5

  // captured: the opponent's map entry at to, which the walk has just read.
  void Capture(int /*count*/, int from, int /*to*/, int captured, int /*name_figure*/) {
    const uint32_t own = Name_less_one(own_names[from]), their = Name_less_one(captured);
    largest = own > largest ? own : largest;
    largest = their > largest ? their : largest;
  }
  bool Any() const { return largest > 5; }
  void Promotion(int /*count*/, int /*from*/, int /*to*/) {}
};

template <Colour Us>
struct Report_faults {
  const T_Bitboard* pos;

  void Capture(int count, int from, int to, int /*captured*/, int name_figure) {
    if (!Capture_check_fails(count, from, to, Names<Us>(*pos), Names<Other(Us)>(*pos))) return;
    if constexpr (Us == WHITE)
      Error_generator_captures_white(count, from, to, pos, name_figure);
    else
      Error_generator_captures_black(count, from, to, pos, name_figure);
  }
  void Promotion(int count, int from, int to) { Check_generator_move(count, from, to); }
};

// The list being filled by the capture walk, with its self-check policy.
template <class Check>
struct T_Capture_walk {
  T_List_moves& list;
  const int32_t* their_names;
  Check check;
  int count = 0;

  // An ordinary capture by a piece of type code piece from f to t.
  __attribute__((always_inline)) void Capture(int piece, int f, int t) {
    const int captured = their_names[t];
    check.Capture(count, f, t, captured, piece);
    Append(list, count, Move_word(piece, f, t, KIND_CAPTURE, captured), captured - piece);
  }

  // The captures of a slider on f, given every enemy piece it reaches, in
  // the order of the directions listed. Each direction holds at most one of
  // them (its nearest piece); a single capture needs no sorting out. Always
  // inlined: the profile-guided build would call the queen's out of line,
  // for 0.2% more instructions in the bench.
  template <Direction... Ds>
  __attribute__((always_inline)) void Slider(int piece, int f, uint64_t hits) {
    if (hits == 0) return;
    if ((hits & (hits - 1)) == 0) {
      Capture(piece, f, first_one(hits));
      return;
    }
    const auto in_direction = [&](uint64_t ray) {
      if (hits & ray) Capture(piece, f, first_one(hits & ray));
    };
    (in_direction(Ray<Ds>()[f]), ...);
  }
};

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

// Our pawns that may take en passant. Its square e must be on the rank
// in front of them and empty, with the opponent's pawn behind it: a FEN may
// claim an en-passant square that no double step produced, and taking a
// pawn that is not there would corrupt the record.
template <Colour Us>
uint64_t En_passant_takers(const T_Bitboard& pos, uint64_t pawns) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  if (!pos.taking_passage_yes) return 0;
  const int e = pos.taking_passage_x + 8 * pos.taking_passage_y;
  if (static_cast<unsigned>(e) > 63 || e / 8 != T::en_passant_rank + T::forward / 8) return 0;
  if (Names<Them>(pos)[e + T::ep_victim_offset] != PIECE_PAWN || (pos.all_piece & one_bit[e])) return 0;
  return pawns & Colour_traits<Them>::pawn_captures[e];  // the squares from which a pawn of ours reaches e
}

// Captures, en-passant captures and promotions of side Us, in the fixed
// order: pawns, knights, bishops, rooks, queens, king. Returns the count of
// moves, which may exceed the list's capacity (the list then holds the
// first ones). With Reach_known the sliders' reach comes from
// evaluated_reach, what the evaluation of this same position found
// (T_Slider_reach), instead of the tables.
template <Colour Us, bool Reach_known, class Check>
int Walk_captures(T_List_moves& list, const T_Bitboard& pos, Check& check, const uint64_t* evaluated_reach) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const uint64_t* own = Pieces<Us>(pos);
  const int32_t* their_names = Names<Them>(pos);
  const uint64_t targets = All_pieces<Them>(pos);
  const uint64_t occupied = pos.all_piece;
  T_Capture_walk<Check> w{list, their_names, check};

  // Pawns: the ordinary captures of all pawns at once, as two sets of
  // targets (the lower diagonal square first, as the table lists them);
  // then pawn by pawn in increasing order, with the promotions and the
  // en-passant capture in their places. Pawns on the first or last rank
  // (only in a bogus set-up) capture nothing.
  constexpr int low = T::forward - 1, high = T::forward + 1;
  const uint64_t pawns = own[PIECE_PAWN];
  const uint64_t plain = pawns & ~(Rank_set(0) | Rank_set(7) | Rank_set(T::promotion_from_rank));
  const uint64_t low_hits = Shifted<low>(plain & ~FILE_A) & targets;
  const uint64_t high_hits = Shifted<high>(plain & ~FILE_H) & targets;
  const uint64_t ep_takers = En_passant_takers<Us>(pos, pawns);
  uint64_t movers =
      Shifted<-low>(low_hits) | Shifted<-high>(high_hits) | (pawns & Rank_set(T::promotion_from_rank)) | ep_takers;
  for (; movers; movers &= movers - 1) {
    const int f = first_one(movers);
    if (f / 8 == T::promotion_from_rank) {
      const int t = f + T::forward;
      if ((occupied & one_bit[t]) == 0) {
        const int32_t h = history[f][t];
        for (int kind = KIND_PROMO_Q; kind >= KIND_PROMO_N; --kind) {
          Append(list, w.count, Move_word(PIECE_PAWN, f, t, kind, 0), h + kind);
        }
        w.check.Promotion(w.count, f, t);
      }
      for (uint64_t hits = T::pawn_captures[f] & targets; hits; hits &= hits - 1) {
        const int c = first_one(hits);
        const int captured = their_names[c];
        const int32_t h = history[f][c];
        for (int kind = KIND_CAPTURE_PROMO_Q; kind >= KIND_CAPTURE_PROMO_N; --kind) {
          Append(list, w.count, Move_word(PIECE_PAWN, f, c, kind, captured), h + kind);
        }
        w.check.Capture(w.count, f, c, captured, 120);
      }
      continue;
    }
    if ((low_hits >> (f + low)) & 1) w.Capture(PIECE_PAWN, f, f + low);
    if ((high_hits >> (f + high)) & 1) w.Capture(PIECE_PAWN, f, f + high);
    if ((ep_takers >> f) & 1) {
      const int e = pos.taking_passage_x + 8 * pos.taking_passage_y;
      Append(list, w.count, Move_word(PIECE_PAWN, f, e, KIND_TAKING_PASSAGE, PIECE_PAWN),
             history[f][e] + KIND_TAKING_PASSAGE);
      w.check.Capture(w.count, f, e + T::ep_victim_offset, PIECE_PAWN, 130);
    }
  }

  for (uint64_t set = own[PIECE_KNIGHT]; set; set &= set - 1) {
    const int f = first_one(set);
    for (uint64_t hits = knight_moves[f] & targets; hits; hits &= hits - 1) {
      w.Capture(PIECE_KNIGHT, f, first_one(hits));
    }
  }

  for (uint64_t set = own[PIECE_BISHOP]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = Reach_known ? evaluated_reach[f] : Diagonal_reach(f, occupied);
    w.template Slider<DIR_NE, DIR_NW, DIR_SW, DIR_SE>(PIECE_BISHOP, f, reach & targets);
  }

  for (uint64_t set = own[PIECE_ROOK]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t file = Reach_known ? evaluated_reach[f] : File_reach(f, occupied);
    w.template Slider<DIR_N, DIR_W, DIR_S, DIR_E>(PIECE_ROOK, f, (file | Rank_reach(f, occupied)) & targets);
  }

  for (uint64_t set = own[PIECE_QUEEN]; set; set &= set - 1) {
    const int f = first_one(set);
    const uint64_t reach = Reach_known
                               ? evaluated_reach[f]
                               : Diagonal_reach(f, occupied) | File_reach(f, occupied) | Rank_reach(f, occupied);
    w.template Slider<DIR_N, DIR_W, DIR_S, DIR_E, DIR_NE, DIR_NW, DIR_SW, DIR_SE>(PIECE_QUEEN, f, reach & targets);
  }

  if (own[PIECE_KING]) {
    const int f = first_one(own[PIECE_KING]);
    for (uint64_t hits = king_moves[f] & targets; hits; hits &= hits - 1) {
      w.Capture(PIECE_KING, f, first_one(hits));
    }
  }

  list.end_captures = list.end_list = Clamp_count(w.count);
  check = w.check;
  return w.count;
}

// The walk with its reports, kept out of line (and out of the search's
// nodes that inline the quick walk): it runs only for a faulty position.
template <Colour Us, bool Reach_known>
__attribute__((noinline, cold)) void Walk_captures_reporting(T_List_moves& list, const T_Bitboard& pos,
                                                             const uint64_t* evaluated_reach) {
  Report_faults<Us> report{&pos};
  Walk_captures<Us, Reach_known>(list, pos, report, evaluated_reach);
}

// The capture generator: the walk without its reports, and again with
// them only when a self-check would fire (never in a sound position).
template <Colour Us, bool Reach_known>
void Captures(T_List_moves& list, const T_Bitboard& pos, const uint64_t* evaluated_reach) {
  Note_faults quick{Names<Us>(pos)};
  const int count = Walk_captures<Us, Reach_known>(list, pos, quick, evaluated_reach);
  if (quick.Any() || count > LIST_CAPACITY) Walk_captures_reporting<Us, Reach_known>(list, pos, evaluated_reach);
}

// The same with the reach from the tables, out of line: for a reach record
// of another position, which the search never hands over.
template <Colour Us>
__attribute__((noinline, cold)) void Captures_from_tables(T_List_moves& list, const T_Bitboard& pos) {
  Captures<Us, false>(list, pos, nullptr);
}

// Appends the quiet move word | to t with its key from keys (the history
// row of its from square f). Checked: the capacity test before the write
// and the range check after it; without, the move is written straight away.
template <bool Checked>
inline void Add_quiet(T_List_moves& list, int& n, int32_t word, const int32_t* keys, int f, unsigned t) {
  if (!Checked || n < LIST_CAPACITY) {
    list.move[n] = word | Move_word(0, 0, t, 0, 0);
    list.sort[n] = keys[t];
  }
  ++n;
  if constexpr (Checked) Check_generator_move(n, f, static_cast<int>(t));
}

// Quiet moves of one piece from f to every square of targets, in increasing
// order.
template <bool Checked>
inline void Quiet_moves(T_List_moves& list, int& count, int piece, int f, uint64_t targets) {
  const int32_t word = Move_word(piece, f, 0, KIND_QUIET, 0);
  const int32_t* keys = history[f];
  int n = count;
  for (; targets; targets &= targets - 1) {
    Add_quiet<Checked>(list, n, word, keys, f, static_cast<unsigned>(first_one(targets)));
  }
  count = n;
}

// No piece has more than 27 moves: while that many still fit, neither the
// capacity nor the range check (squares come from bit scans) can fail.
// The checked version is kept out of line: it runs only for a list close to full.
__attribute__((noinline, cold)) void Quiet_moves_checked(T_List_moves& list, int& count, int piece, int f,
                                                         uint64_t targets) {
  Quiet_moves<true>(list, count, piece, f, targets);
}

// Quiet moves of one piece from f to the squares of each set in turn;
// whether they fit is asked once for the piece.
template <class... Sets>
__attribute__((always_inline)) inline void Add_quiet_sets(T_List_moves& list, int& count, int piece, int f,
                                                          Sets... targets) {
  constexpr int MOST_MOVES_OF_A_PIECE = 27;
  if (count <= LIST_CAPACITY - MOST_MOVES_OF_A_PIECE)
    (Quiet_moves<false>(list, count, piece, f, targets), ...);
  else
    (Quiet_moves_checked(list, count, piece, f, targets), ...);
}

// Quiet moves of a slider on f along each direction listed in turn, from
// the squares it reaches (up to and including the first piece on each ray).
template <Direction... Ds>
__attribute__((always_inline)) inline void Slider_quiet(T_List_moves& list, int& count, int piece, int f,
                                                        uint64_t reach, uint64_t empty) {
  if ((reach & empty) == 0) return;  // a shut-in slider, common in the opening
  Add_quiet_sets(list, count, piece, f, reach & empty & Ray<Ds>()[f]...);
}

// The steps of the pawns on movers, pawn by pawn in increasing order and
// each pawn's in increasing order of their squares: its single step, and
// its double step when that square is in doubles.
template <Colour Us, bool Checked>
inline void Pawn_steps(T_List_moves& list, int& count, uint64_t movers, uint64_t doubles) {
  using T = Colour_traits<Us>;
  int n = count;
  for (; movers; movers &= movers - 1) {
    const int f = first_one(movers);
    const unsigned single = static_cast<unsigned>(f + T::forward), twice = single + T::forward;
    const int32_t word = Move_word(PIECE_PAWN, f, 0, KIND_QUIET, 0);
    const int32_t* keys = history[f];
    const bool double_step = (doubles >> twice) & 1;
    if (T::white) Add_quiet<Checked>(list, n, word, keys, f, single);
    if (double_step) Add_quiet<Checked>(list, n, word, keys, f, twice);
    if (!T::white) Add_quiet<Checked>(list, n, word, keys, f, single);
  }
  count = n;
}

// The same, kept out of line: it runs only for a list close to full.
template <Colour Us>
__attribute__((noinline, cold)) void Pawn_steps_checked(T_List_moves& list, int& count, uint64_t movers,
                                                        uint64_t doubles) {
  Pawn_steps<Us, true>(list, count, movers, doubles);
}

// The piece on the nearest occupied square along D from s when it is an
// enemy piece of type kind or a queen, else 0.
template <Direction D>
inline int Line_attacker(const T_Bitboard& pos, const int32_t* their_names, int s, int kind) {
  const int b = First_blocker<D>(s, pos.all_piece);
  return b >= 0 && (their_names[b] == kind || their_names[b] == PIECE_QUEEN) ? their_names[b] : 0;
}

}  // namespace

// Only the directions that can reach a back-rank square from the board are
// looked at.
template <Colour Us>
int Castling_square_attacked(const T_Bitboard& pos, int s) {
  using T = Colour_traits<Us>;
  constexpr Colour Them = Other(Us);
  const int32_t* their_names = Names<Them>(pos);
  const uint64_t* their = Pieces<Them>(pos);
  int c;
  if ((c = Line_attacker<T::castle_line_1>(pos, their_names, s, PIECE_ROOK))) return c;
  if ((c = Line_attacker<T::castle_line_2>(pos, their_names, s, PIECE_ROOK))) return c;
  if ((c = Line_attacker<T::castle_line_3>(pos, their_names, s, PIECE_ROOK))) return c;
  if ((c = Line_attacker<T::castle_diag_1>(pos, their_names, s, PIECE_BISHOP))) return c;
  if ((c = Line_attacker<T::castle_diag_2>(pos, their_names, s, PIECE_BISHOP))) return c;
  if (knight_moves[s] & their[PIECE_KNIGHT]) return PIECE_KNIGHT;
  if (king_moves[s] & their[PIECE_KING]) return PIECE_KING;
  const int left = s + T::pawn_attacker_left, right = s + T::pawn_attacker_right;
  if ((left >= 0 && left < 64 && (their[PIECE_PAWN] & one_bit[left])) ||
      (right >= 0 && right < 64 && (their[PIECE_PAWN] & one_bit[right])))
    return PIECE_PAWN;
  return 0;
}

namespace {

// Castling needs the right, our king on its home square and our rook in the
// corner (a set-up position may claim a right without them), the squares
// between them empty and the king's three squares unattacked. Gives the
// move, or 0. count: the list's running count, for the self-check.
template <Colour Us>
__attribute__((always_inline)) inline int32_t Castling_move(const T_Bitboard& pos, int count, int f, bool right,
                                                            int rook_from, int king_to, uint64_t must_be_empty,
                                                            int kind) {
  using T = Colour_traits<Us>;
  if (!right) return 0;
  Check_generator_move(count, f, king_to);
  if (f != T::king_home || Names<Us>(pos)[rook_from] != PIECE_ROOK) return 0;
  if (pos.all_piece & must_be_empty) return 0;
  const int low = king_to < f ? king_to : f;
  for (int s = low; s <= low + 2; ++s) {
    if (Castling_square_attacked<Us>(pos, s)) return 0;
  }
  return Move_word(PIECE_KING, f, king_to, kind, 0);
}

// Side Us's castling moves with a king on f, long first; 0 for each that
// cannot be made. count: the list's running count before them.
template <Colour Us>
inline std::array<int32_t, 2> Castling_moves(const T_Bitboard& pos, int count, int f) {
  using T = Colour_traits<Us>;
  const int32_t long_move = Castling_move<Us>(pos, count, f, Castling_long<Us>(pos), T::long_rook_from, T::long_king_to,
                                              T::long_empty, KIND_O_O_O);
  const int32_t short_move = Castling_move<Us>(pos, count + (long_move != 0), f, Castling_short<Us>(pos),
                                               T::short_rook_from, T::short_king_to, T::short_empty, KIND_O_O);
  return {long_move, short_move};
}

// A castling move is listed with key kind + history of its squares, as
// List_add_move lists it.
__attribute__((always_inline)) inline void Add_castling(T_List_moves& list, int& count, int32_t move) {
  if (move != 0) Append(list, count, move, Move_kind(move) + history[Move_from(move)][Move_to(move)]);
}

// Steppers, single and double steps of side Us's pawns: steps onto the last
// rank are promotions (capture generator); a pawn already on the last rank
// (only in a bogus set-up) has no step.
template <Colour Us>
struct Pawn_step_sets {
  uint64_t singles;  // squares reached by a single step
  uint64_t doubles;  // squares reached by a double step
};
template <Colour Us>
inline Pawn_step_sets<Us> Pawn_step_targets(uint64_t pawns, uint64_t empty) {
  using T = Colour_traits<Us>;
  const uint64_t steppers = pawns & ~(Rank_set(T::promotion_from_rank) | Rank_set(T::last_rank));
  const uint64_t singles = Shifted<T::forward>(steppers) & empty;
  const uint64_t doubles = Shifted<T::forward>(singles & Rank_set(T::double_step_rank + T::forward / 8)) & empty;
  return {singles, doubles};
}

// The quiet moves of side Us's pieces own (indexed by piece code) among the
// occupied squares, appended at count in the generator's order: the king's,
// then castling (written by castling(count, king square)), the queens',
// rooks', bishops' and knights', each piece's in the order of its
// directions, and the pawns' steps. This and the helpers it calls are
// always inlined: the profile-guided build called them out of line in one
// of its two callers, for 5% more instructions in perft.
template <Colour Us, class Castling>
__attribute__((always_inline)) inline void Quiet_moves_of(T_List_moves& list, int& count, const uint64_t* own,
                                                          uint64_t occupied, Castling castling) {
  using T = Colour_traits<Us>;
  const uint64_t empty = ~occupied;

  if (own[PIECE_KING]) {
    const int f = first_one(own[PIECE_KING]);
    Add_quiet_sets(list, count, PIECE_KING, f, king_moves[f] & empty);
    castling(count, f);
  }

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
    Add_quiet_sets(list, count, PIECE_KNIGHT, f, knight_moves[f] & empty);
  }

  // Pawns: the single steps of all of them at once, the double steps from
  // those that land on the third rank; then pawn by pawn in increasing
  // order.
  const Pawn_step_sets<Us> steps = Pawn_step_targets<Us>(own[PIECE_PAWN], empty);
  constexpr int MOST_PAWN_STEPS = 16;
  if (count <= LIST_CAPACITY - MOST_PAWN_STEPS)
    Pawn_steps<Us, false>(list, count, Shifted<-T::forward>(steps.singles), steps.doubles);
  else
    Pawn_steps_checked<Us>(list, count, Shifted<-T::forward>(steps.singles), steps.doubles);
}

// The squares a quiet move of side Us's piece of type piece on f goes to
// (own: the side's piece sets by piece code).
template <Colour Us>
inline uint64_t Quiet_targets(int piece, int f, const uint64_t* own, uint64_t occupied) {
  const uint64_t empty = ~occupied;
  switch (piece) {
    case PIECE_KING:
      return king_moves[f] & empty;
    case PIECE_QUEEN:
      return (File_reach(f, occupied) | Rank_reach(f, occupied) | Diagonal_reach(f, occupied)) & empty;
    case PIECE_ROOK:
      return (File_reach(f, occupied) | Rank_reach(f, occupied)) & empty;
    case PIECE_BISHOP:
      return Diagonal_reach(f, occupied) & empty;
    case PIECE_KNIGHT:
      return knight_moves[f] & empty;
    case PIECE_PAWN: {
      const Pawn_step_sets<Us> steps = Pawn_step_targets<Us>(one_bit[f] & own[PIECE_PAWN], empty);
      return steps.singles | steps.doubles;
    }
    default:
      return 0;
  }
}

// The squares of side Us's pieces of type piece that have quiet moves: of
// two kings (only in a bogus set-up), the first.
inline uint64_t Movers(int piece, const uint64_t* own) {
  return piece == PIECE_KING ? own[PIECE_KING] & (0 - own[PIECE_KING]) : own[piece];
}

// The number of quiet moves of side Us's pieces, castling left out.
template <Colour Us>
int Quiet_count(const uint64_t* own, uint64_t occupied) {
  int count = 0;
  for (int piece = PIECE_KNIGHT; piece <= PIECE_KING; ++piece) {
    for (uint64_t set = Movers(piece, own); set; set &= set - 1)
      count += popcount(Quiet_targets<Us>(piece, first_one(set), own, occupied));
  }
  const Pawn_step_sets<Us> steps = Pawn_step_targets<Us>(own[PIECE_PAWN], ~occupied);
  return count + popcount(steps.singles) + popcount(steps.doubles);
}

}  // namespace

template <Colour Us>
void Generate_quiet(T_List_moves& list, const T_Bitboard& pos) {
  int count = list.end_list;
  Quiet_moves_of<Us>(list, count, Pieces<Us>(pos), pos.all_piece, [&](int& n, int f) {
    const std::array<int32_t, 2> castling = Castling_moves<Us>(pos, n, f);
    Add_castling(list, n, castling[0]);
    Add_castling(list, n, castling[1]);
  });
  list.end_list = Clamp_count(count);
}

template <Colour Us>
void Generate_captures(T_List_moves& list, const T_Bitboard& pos) {
  Captures<Us, false>(list, pos, nullptr);
}

// The evaluation's record is used only for the position it was found for
// (the same occupied squares; every move changes them): one of another
// position, say one filled before a move was made, is passed over and the
// lines are looked up instead. The test costs 0.26% of the bench's
// instructions.
template <Colour Us>
void Generate_captures(T_List_moves& list, const T_Bitboard& pos, const T_Slider_reach& evaluated) {
  if (evaluated.occupied != pos.all_piece) {
    Captures_from_tables<Us>(list, pos);
    return;
  }
  Captures<Us, true>(list, pos, evaluated.square);
}

namespace {

// The castling moves of a plan, found as the generator finds them.
template <Colour Us>
__attribute__((noinline)) void Plan_castling(T_Quiet_plan& plan, const T_Bitboard& pos) {
  const int f = first_one(Pieces<Us>(pos)[PIECE_KING]);
  const std::array<int32_t, 2> castling =
      Castling_moves<Us>(pos, plan.begin + popcount(king_moves[f] & ~pos.all_piece), f);
  plan.castling[0] = castling[0];
  plan.castling[1] = castling[1];
}

}  // namespace

template <Colour Us>
bool Plan_quiet(T_Quiet_plan& plan, T_List_moves& list, const T_Bitboard& pos) {
  const uint64_t* own = Pieces<Us>(pos);
  const uint64_t occupied = pos.all_piece;
  const int begin = list.end_list;
  plan.list = &list;
  plan.begin = begin;
  // Only a list that surely stays clear of its capacity is planned: no
  // piece of it then comes to the checked writes, which report (a queen
  // has at most 27 moves, a rook 14, a bishop 13, a knight and the king 8,
  // castling 2, a pawn 2).
  constexpr int MOST_MOVES_OF_A_PIECE = 27, MOST_KING_MOVES = 10, MOST_PAWN_MOVES = 2;
  const int pieces = popcount(own[PIECE_QUEEN] | own[PIECE_ROOK] | own[PIECE_BISHOP] | own[PIECE_KNIGHT]);
  if (begin + MOST_MOVES_OF_A_PIECE * pieces + MOST_PAWN_MOVES * popcount(own[PIECE_PAWN]) + MOST_KING_MOVES >
      LIST_CAPACITY - MOST_MOVES_OF_A_PIECE) {
    Generate_quiet<Us>(list, pos);
    plan.count = list.end_list - begin;
    plan.counted = plan.written = true;
    return false;
  }
  for (int piece = 0; piece < 7; ++piece) plan.own[piece] = own[piece];
  plan.occupied = occupied;
  plan.castling[0] = plan.castling[1] = 0;
  if (own[PIECE_KING] && (Castling_long<Us>(pos) || Castling_short<Us>(pos))) Plan_castling<Us>(plan, pos);
  plan.white = Us == WHITE;
  plan.counted = plan.written = false;
  return true;
}

namespace {

template <Colour Us>
void Write_plan(T_Quiet_plan& plan) {
  T_List_moves& list = *plan.list;
  int count = plan.begin;
  Quiet_moves_of<Us>(list, count, plan.own, plan.occupied, [&](int& n, int) {
    Add_castling(list, n, plan.castling[0]);
    Add_castling(list, n, plan.castling[1]);
  });
  list.end_list = count;
  plan.count = count - plan.begin;
  plan.counted = plan.written = true;
}

template <Colour Us>
bool Is_planned(const T_Quiet_plan& plan, int32_t move) {
  const int kind = Move_kind(move);
  if (move == 0) return false;
  if (kind == KIND_O_O_O || kind == KIND_O_O) return move == plan.castling[0] || move == plan.castling[1];
  const int piece = Move_piece(move), from = Move_from(move);
  if (kind != KIND_QUIET || Move_captured(move) != 0 || piece < PIECE_PAWN || piece > PIECE_KING) return false;
  if ((Movers(piece, plan.own) & one_bit[from]) == 0) return false;
  return (Quiet_targets<Us>(piece, from, plan.own, plan.occupied) >> Move_to(move)) & 1;
}

}  // namespace

__attribute__((noinline)) void Write_planned_quiets(T_Quiet_plan* plan) {
  if (plan->written) return;
  if (plan->white)
    Write_plan<WHITE>(*plan);
  else
    Write_plan<BLACK>(*plan);
}

__attribute__((noinline)) bool Planned_quiet(const T_Quiet_plan* plan, int32_t move) {
  return plan->white ? Is_planned<WHITE>(*plan, move) : Is_planned<BLACK>(*plan, move);
}

__attribute__((noinline)) int Planned_quiet_count(T_Quiet_plan* plan) {
  if (!plan->counted) {
    plan->count =
        (plan->white ? Quiet_count<WHITE>(plan->own, plan->occupied) : Quiet_count<BLACK>(plan->own, plan->occupied)) +
        (plan->castling[0] != 0) + (plan->castling[1] != 0);
    plan->counted = true;
  }
  return plan->count;
}

template void Generate_captures<WHITE>(T_List_moves&, const T_Bitboard&);
template void Generate_captures<BLACK>(T_List_moves&, const T_Bitboard&);
template void Generate_captures<WHITE>(T_List_moves&, const T_Bitboard&, const T_Slider_reach&);
template void Generate_captures<BLACK>(T_List_moves&, const T_Bitboard&, const T_Slider_reach&);
template void Generate_quiet<WHITE>(T_List_moves&, const T_Bitboard&);
template void Generate_quiet<BLACK>(T_List_moves&, const T_Bitboard&);
template bool Plan_quiet<WHITE>(T_Quiet_plan&, T_List_moves&, const T_Bitboard&);
template bool Plan_quiet<BLACK>(T_Quiet_plan&, T_List_moves&, const T_Bitboard&);
template int Castling_square_attacked<WHITE>(const T_Bitboard&, int);
template int Castling_square_attacked<BLACK>(const T_Bitboard&, int);

void Generator_captures_white(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<WHITE>(*list, *position);
}
void Generator_captures_black(T_List_moves* list, const T_Bitboard* position) {
  Generate_captures<BLACK>(*list, *position);
}
void Generator_move_white(const T_Bitboard* position, T_List_moves* list) { Generate_quiet<WHITE>(*list, *position); }
void Generator_move_black(const T_Bitboard* position, T_List_moves* list) { Generate_quiet<BLACK>(*list, *position); }

void List_add_move(T_List_moves* list, int* count, int piece, int from, int to, int kind, int captured) {
  Append(*list, *count, Move_word(piece, from, to, kind, captured), kind + history[from][to]);
}

int White_castling_attacked(const T_Bitboard* position, int square) {
  return Castling_square_attacked<WHITE>(*position, square);
}
int Black_castling_attacked(const T_Bitboard* position, int square) {
  return Castling_square_attacked<BLACK>(*position, square);
}
