// State shared by the iterative-deepening driver and the whole search.
#pragma once
#include <cstdint>

#include "platform/io.h"

constexpr int INFINITE_SCORE = 9999999;
constexpr int MATE = 1000000;
// A score beyond +-MATE_THRESHOLD is a mate: a side mated at ply p scores
// MATE - 1000 p against it, beyond the threshold at every ply the search
// reaches (fewer than 100).
constexpr int MATE_THRESHOLD = 900000;

constexpr int CURRENT_LINE_SIZE = 103;
constexpr int KEY_PATH_SIZE = 120;

struct T_Search_control {
  int32_t nodes_poll;
  int32_t depth_max;
  int32_t lmr_limit;
  bool stop_search;
  int64_t nodes;
  char line_poll[LINE_CAPACITY];
  int32_t best_from;
  int32_t best_to;
  bool null_move_on;
  double time_limit;
  int32_t clock_start;
  int32_t clock_now;
  double time_elapsed;
  // Set for a search without a depth or time limit: once the input has ended
  // no "stop" can come, so the end of input stops it instead.
  bool stop_at_input_end;
};

struct T_Last_moves {
  int32_t from_square[101];
  int32_t to_square[101];
};

extern T_Search_control search_control;
extern int32_t current_line[CURRENT_LINE_SIZE];
extern uint64_t key_path[KEY_PATH_SIZE];
