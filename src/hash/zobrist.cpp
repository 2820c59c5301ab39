#include "hash/zobrist.h"

#include "board/colour.h"

uint64_t zobrist_key[2][7][64];

int Zobrist_draw(uint32_t* state) {
  *state = *state * 214013u + 2531011u;
  return static_cast<int>((*state >> 16) & 0x7FFFu);
}

void Init_zobrist() {
  // The generator starts afresh on every call so the table is always the same.
  uint32_t state = 1;
  for (int colour = 0; colour < 2; ++colour) {
    for (int piece = 1; piece <= 6; ++piece) {
      for (int square = 0; square < 64; ++square) {
        uint64_t k = static_cast<uint64_t>(Zobrist_draw(&state)) << 12;
        k ^= static_cast<uint64_t>(Zobrist_draw(&state));
        k <<= 16;
        k ^= static_cast<uint64_t>(Zobrist_draw(&state));
        k <<= 16;
        k ^= static_cast<uint64_t>(Zobrist_draw(&state));
        k <<= 15;
        k ^= static_cast<uint64_t>(Zobrist_draw(&state));
        zobrist_key[colour][piece][square] = k;
      }
    }
  }
}

void Start_hash_key(T_Bitboard* position) {
  uint64_t k = ZOBRIST_START;
  for (int s = 0; s < 64; ++s) {
    const int white = position->white_name_from_coord[s];
    const int black = position->black_name_from_coord[s];
    if (white != 0) k ^= zobrist_key[1][white][s];
    if (black != 0) k ^= zobrist_key[0][black][s];
  }
  position->hash_key = k;
}

namespace {

template <Colour Us>
uint64_t Key_change(int32_t move) {
  using T = Colour_traits<Us>;
  constexpr int c = Us, o = Other(Us);
  const int from = Move_from(move), to = Move_to(move), kind = Move_kind(move);
  const int piece = Move_piece(move), captured = Move_captured(move);
  // Quiet moves and captures, the common kinds, before the switch.
  if (kind == KIND_QUIET) return zobrist_key[c][piece][from] ^ zobrist_key[c][piece][to];
  if (kind == KIND_CAPTURE)
    return zobrist_key[c][piece][from] ^ zobrist_key[c][piece][to] ^ zobrist_key[o][captured][to];
  switch (kind) {
    case KIND_O_O_O:
      return zobrist_key[c][piece][from] ^ zobrist_key[c][piece][to] ^ zobrist_key[c][PIECE_ROOK][T::long_rook_from] ^
             zobrist_key[c][PIECE_ROOK][T::long_rook_to];
    case KIND_O_O:
      return zobrist_key[c][piece][from] ^ zobrist_key[c][piece][to] ^ zobrist_key[c][PIECE_ROOK][T::short_rook_from] ^
             zobrist_key[c][PIECE_ROOK][T::short_rook_to];
    case KIND_TAKING_PASSAGE:
      return zobrist_key[c][piece][from] ^ zobrist_key[c][piece][to] ^
             zobrist_key[o][captured][to + T::ep_victim_offset];
    case KIND_PROMO_N:
    case KIND_PROMO_B:
    case KIND_PROMO_R:
    case KIND_PROMO_Q:
      return zobrist_key[c][PIECE_PAWN][from] ^ zobrist_key[c][kind - 10][to];
    case KIND_CAPTURE_PROMO_N:
    case KIND_CAPTURE_PROMO_B:
    case KIND_CAPTURE_PROMO_R:
    case KIND_CAPTURE_PROMO_Q:
      return zobrist_key[c][PIECE_PAWN][from] ^ zobrist_key[c][kind - 20][to] ^ zobrist_key[o][captured][to];
    default:
      return 0;
  }
}

}  // namespace

void Hash_key_move(int colour, const T_List_moves* list, int index, T_Bitboard* position) {
  Hash_key_move_word(colour, list->move[index], position);
}

void Hash_key_move_word(int colour, int32_t move, T_Bitboard* position) {
  position->hash_key ^= colour != 0 ? Key_change<WHITE>(move) : Key_change<BLACK>(move);
}
