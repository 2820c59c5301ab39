// The transposition table: it remembers best moves to order the search.
#pragma once
#include <cstdint>

#include "board/move.h"

// What kind of result an entry holds (hash_bound); a smaller code is the
// more valuable kind.
enum : int32_t {
  BOUND_EXACT = 1,       // a move raised the window without a cut-off
  BOUND_NOT_RAISED = 2,  // no move raised the window
  BOUND_CUT_OFF = 3,     // a move caused a cut-off
};

// 32 bytes each (the last four are padding) in a table aligned to a cache
// line, so that no entry straddles two lines.
struct alignas(32) T_hash_entry {
  uint32_t key_lo;
  uint32_t key_hi;
  int32_t hash_move;
  int32_t hash_score;
  int32_t hash_bound;  // BOUND_EXACT, BOUND_NOT_RAISED or BOUND_CUT_OFF
  int32_t hash_ply;
  int32_t hash_depth;
};

extern T_hash_entry* hash_table;
extern uint32_t hash_mask;

void Hash_alloc_default();
void Hash_resize(int megabytes);
void Hash_clear();
// Releases the table (used on "quit"); safe when there is none.
void Hash_free();
void Hash_save(int depth, int score, int ply, int bound, int index, uint64_t key, const T_List_moves* list);
void Hash_write(int depth, int score, int ply, int bound, int index, uint64_t key, const T_List_moves* list);
// The same two, given the move to store itself.
void Hash_save_move(int depth, int score, int ply, int bound, int32_t move, uint64_t key);
void Hash_write_move(int depth, int score, int ply, int bound, int32_t move, uint64_t key);
// The move stored in the slot for key (whatever position it belongs to), 0 without a table.
int32_t Hash_stored_move(uint64_t key);
void Hash_move_first(T_List_moves* list, bool* found, uint64_t key);
// Starts loading the slot for key into the cache, so that a probe of it a
// little later does not wait for memory.
inline void Hash_prefetch(uint64_t key) {
  if (hash_table != nullptr) __builtin_prefetch(&hash_table[static_cast<uint32_t>(key) & hash_mask]);
}
// True when the table's slot for key holds that very key (both halves).
bool Hash_probe(uint64_t key);
