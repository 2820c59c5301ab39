// Zobrist keys of positions: the key table, the key from scratch and per move.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "board/move.h"

// [colour][piece code][square]; colour 1 = White, 0 = Black.
extern uint64_t zobrist_key[2][7][64];

constexpr uint64_t ZOBRIST_START = 0xF3218F1C9510786Cull;

void Init_zobrist();
void Start_hash_key(T_Bitboard* position);
void Hash_key_move(int colour, const T_List_moves* list, int index, T_Bitboard* position);
// The same for a move word held outside a list.
void Hash_key_move_word(int colour, int32_t move, T_Bitboard* position);

// The key generator's draw, exposed for tests: a fresh generator state starts at 1.
int Zobrist_draw(uint32_t* state);
