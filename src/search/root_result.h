// What the root search tells the driver beyond its score, so that a search
// ended by "stop" or by the clock announces only moves searched to the end.
#pragma once
#include <cstdint>

struct T_Root_result {
  int32_t finished_moves;    // legal root moves whose search ended before any stop
  int32_t first_legal_move;  // first legal root move of the iteration (0 when none)
};

extern T_Root_result root_result;
