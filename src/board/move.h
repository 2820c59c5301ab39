// The packed move word and the move list.
#pragma once
#include <cstdint>

enum : int {
  KIND_QUIET = 1,
  KIND_CAPTURE = 2,
  KIND_O_O_O = 3,
  KIND_O_O = 4,
  KIND_TAKING_PASSAGE = 5,
  KIND_PROMO_N = 12,
  KIND_PROMO_B = 13,
  KIND_PROMO_R = 14,
  KIND_PROMO_Q = 15,
  KIND_CAPTURE_PROMO_N = 22,
  KIND_CAPTURE_PROMO_B = 23,
  KIND_CAPTURE_PROMO_R = 24,
  KIND_CAPTURE_PROMO_Q = 25,
};

// captured bits 0-5, kind 6-11, from 12-17, to 18-23, piece 24-31.
constexpr int32_t Move_word(int piece, int from, int to, int kind, int captured) {
  return static_cast<int32_t>(static_cast<uint32_t>(captured) | static_cast<uint32_t>(kind) << 6 |
                              static_cast<uint32_t>(from) << 12 | static_cast<uint32_t>(to) << 18 |
                              static_cast<uint32_t>(piece) << 24);
}
constexpr int Move_captured(int32_t m) { return m & 63; }
constexpr int Move_kind(int32_t m) { return (m >> 6) & 63; }
constexpr int Move_from(int32_t m) { return (m >> 12) & 63; }
constexpr int Move_to(int32_t m) { return (m >> 18) & 63; }
constexpr int Move_piece(int32_t m) { return (static_cast<uint32_t>(m) >> 24) & 255; }

constexpr bool Kind_is_promotion(int kind) { return (kind >= 12 && kind <= 15) || (kind >= 22 && kind <= 25); }
// Piece code a promotion creates (2 knight .. 5 queen).
constexpr int Kind_promotion_piece(int kind) { return kind > 15 ? kind - 20 : kind - 10; }

// A square and a move as the engine writes them: "e4"; "e2e4", with the
// promoted piece's letter after a promotion ("e7e8q") when with_promotion.
struct T_Square_text {
  char text[3];
};
struct T_Move_text {
  char text[6];
};
constexpr T_Square_text Square_text(int square) {
  return {{static_cast<char>('a' + square % 8), static_cast<char>('1' + square / 8), '\0'}};
}
constexpr T_Move_text Move_text(int32_t move, bool with_promotion = true) {
  const T_Square_text from = Square_text(Move_from(move)), to = Square_text(Move_to(move));
  const int kind = Move_kind(move);
  const char letter = with_promotion && Kind_is_promotion(kind) ? "??nbrq"[Kind_promotion_piece(kind)] : '\0';
  return {{from.text[0], from.text[1], to.text[0], to.text[1], letter, '\0'}};
}

constexpr int LIST_CAPACITY = 256;

struct T_List_moves {
  int32_t move[LIST_CAPACITY];
  int32_t sort[LIST_CAPACITY];
  int32_t end_captures;
  int32_t end_list;
};
