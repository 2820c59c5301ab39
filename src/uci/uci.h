// The UCI front end: command dispatch, position set-up, "go" and the driver.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "platform/io.h"
#include "search/control.h"

struct T_Go_limits {
  int32_t depth;
  double wtime;
  double btime;
  double movetime;
  bool infinite;
};

extern char line_text[LINE_CAPACITY];
extern char moves_text[LINE_CAPACITY];
extern char go_text[LINE_CAPACITY];

void Uci_command(const char* line, char* moves, T_Bitboard* position, int64_t* nodes_counter);

void Position_command(const char* line, T_Bitboard* position);
void Fen_to_bitboard(T_Bitboard* position, const char* fen);
void Copy_moves_text(const char* line, char* moves);
void Move_from_text(T_Bitboard* position, char from_file, char from_rank, char to_file, char to_rank, char promotion);

void Go_command(const char* line, T_Bitboard* position, const char* moves, int64_t* nodes_counter);
void Last_moves_from_text(const char* moves, T_Last_moves* last_moves);
void Deepening(T_Bitboard* position, T_Last_moves* last_moves, int64_t* nodes_counter, int depth, bool infinite,
               double wtime, double btime, double movetime);
int Start_material(const T_Bitboard* position);

// The default table and parameters, made on demand when "go" comes before
// "uci" or "isready".
void Ensure_search_ready();
