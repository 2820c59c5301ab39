// The position record shared by every part of the engine.
#pragma once
#include <cstdint>

enum : int {
  PIECE_NONE = 0,
  PIECE_PAWN = 1,
  PIECE_KNIGHT = 2,
  PIECE_BISHOP = 3,
  PIECE_ROOK = 4,
  PIECE_QUEEN = 5,
  PIECE_KING = 6,
};

// Squares: rank * 8 + file, a1 = 0, h1 = 7, a8 = 56, h8 = 63.
struct T_Bitboard {
  uint64_t all_piece;
  uint64_t all_white_piece;
  uint64_t all_black_piece;
  uint64_t white_piece[7];
  uint64_t black_piece[7];
  int32_t white_name_from_coord[64];
  int32_t black_name_from_coord[64];
  bool colour_move;  // 1 = White to move
  bool taking_passage_yes;
  int32_t taking_passage_x;
  int32_t taking_passage_y;
  bool castling_Q;
  bool castling_K;
  bool castling_q;
  bool castling_k;
  uint64_t hash_key;
  int32_t eval;
  // Each side's knights, bishops, rooks and queens at their
  // cost_figure_rubikon weights: what decides whether the other side is
  // scored in the endgame manner. Counted afresh by Non_pawn_material_count
  // (when a record is built from a FEN and when a search starts, the weights
  // being those loaded then); make and unmake keep it current.
  int64_t white_non_pawn;
  int64_t black_non_pawn;
};

// Adds delta to a material balance (the eval field). The piece values come
// from the parameter file without a range check, so a balance can need more
// than 32 bits; it then wraps around instead of overflowing, which keeps
// make and unmake exact inverses of each other.
constexpr int32_t Material_add(int32_t balance, int64_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(balance) + static_cast<uint32_t>(delta));
}

// Copies every field of source into destination.
void Bitboard_copy(T_Bitboard* destination, const T_Bitboard* source);
