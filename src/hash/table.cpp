#include "hash/table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "platform/io.h"

T_hash_entry* hash_table = nullptr;
uint32_t hash_mask = 0;

namespace {

// The allocated block; the table starts at its first cache-line boundary.
void* hash_block = nullptr;
constexpr uintptr_t CACHE_LINE = 64;

constexpr uint32_t EMPTY_KEY = 0xFFFFFFFFu;
constexpr uint32_t DEFAULT_ENTRIES = 32768;  // 1 MiB of the "Hash" setting
constexpr int64_t ENTRIES_PER_MEGABYTE = 32768;

// "памяти нет " and "освобождать нечего " in CP1251.
const char* const NO_MEMORY = "\xEF\xE0\xEC\xFF\xF2\xE8 \xED\xE5\xF2 ";
const char* const NOTHING_TO_FREE = "\xEE\xF1\xE2\xEE\xE1\xEE\xE6\xE4\xE0\xF2\xFC \xED\xE5\xF7\xE5\xE3\xEE ";

[[noreturn]] void Fail(const char* message) {
  Out(message);
  Out("\n");
  Engine_exit(1);
}

#if defined(__linux__)
// On Linux the block is aligned to and rounded up to whole 2 MiB huge pages
// and the kernel is asked to back it with them. Clearing the default 1 MiB
// table in 4 KiB pages took 256 page faults, about 3 ms of every engine
// start on a virtual machine (a large share of a short search run in a
// process of its own); one huge page takes one fault, and a large table
// also needs far fewer translation-cache entries while searching. Where
// the kernel has no huge pages to give, the block is used as it is.
constexpr size_t HUGE_PAGE = size_t{2} << 20;

void* Allocate_block(size_t bytes) {
  const size_t rounded = (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  void* block = nullptr;
  if (posix_memalign(&block, HUGE_PAGE, rounded) != 0) return nullptr;
  madvise(block, rounded, MADV_HUGEPAGE);
  std::memset(block, 0, bytes);
  return block;
}
#else
void* Allocate_block(size_t bytes) { return std::calloc(bytes + CACHE_LINE, 1); }
#endif

// Allocates a zero-filled table of `entries` entries (a power of two).
void Allocate(uint32_t entries) {
  hash_block = Allocate_block(size_t{entries} * sizeof(T_hash_entry));
  if (hash_block == nullptr) {
    hash_table = nullptr;
    hash_mask = 0;
    Fail(NO_MEMORY);
  }
  const uintptr_t start = (reinterpret_cast<uintptr_t>(hash_block) + CACHE_LINE - 1) & ~(CACHE_LINE - 1);
  hash_table = reinterpret_cast<T_hash_entry*>(start);
  hash_mask = entries - 1;
}

inline T_hash_entry& Slot(uint64_t key) { return hash_table[static_cast<uint32_t>(key) & hash_mask]; }

inline bool Is_empty(const T_hash_entry& entry) { return (entry.key_lo & entry.key_hi) == EMPTY_KEY; }

}  // namespace

void Hash_alloc_default() {
  Hash_free();
  Allocate(DEFAULT_ENTRIES);
}

void Hash_resize(int megabytes) {
  if (hash_table == nullptr) Fail(NOTHING_TO_FREE);
  Hash_free();
  if (megabytes < 1) megabytes = 1;
  if (megabytes > 1024) megabytes = 1024;
  // The largest power of two not above the target, so that the index is a
  // single AND with the mask.
  const int64_t target = megabytes * ENTRIES_PER_MEGABYTE;
  uint32_t entries = 2;
  while (int64_t{entries} * 2 <= target) entries *= 2;
  Allocate(entries);
}

void Hash_clear() {
  if (hash_table == nullptr) return;
  for (uint32_t i = 0;; ++i) {
    hash_table[i].key_lo = EMPTY_KEY;
    hash_table[i].key_hi = EMPTY_KEY;
    if (i == hash_mask) break;
  }
}

void Hash_free() {
  std::free(hash_block);
  hash_block = nullptr;
  hash_table = nullptr;
  hash_mask = 0;
}

namespace {
// An index outside the list stores no move (0 is never a move of a list).
inline int32_t Move_at(int index, const T_List_moves* list) {
  return (index >= 0 && index < LIST_CAPACITY) ? list->move[index] : 0;
}
}  // namespace

void Hash_save(int depth, int score, int ply, int bound, int index, uint64_t key, const T_List_moves* list) {
  if (hash_table == nullptr) return;
  Hash_save_move(depth, score, ply, bound, Move_at(index, list), key);
}

void Hash_write(int depth, int score, int ply, int bound, int index, uint64_t key, const T_List_moves* list) {
  Hash_write_move(depth, score, ply, bound, Move_at(index, list), key);
}

void Hash_save_move(int depth, int score, int ply, int bound, int32_t move, uint64_t key) {
  if (hash_table == nullptr) return;
  const T_hash_entry& slot = Slot(key);
  // A smaller bound code is the more valuable kind of result; it must also
  // come from a search at least as deep as the one stored.
  if (Is_empty(slot) || (bound <= slot.hash_bound && depth - ply >= slot.hash_depth - slot.hash_ply)) {
    Hash_write_move(depth, score, ply, bound, move, key);
  }
}

void Hash_write_move(int depth, int score, int ply, int bound, int32_t move, uint64_t key) {
  if (hash_table == nullptr) return;
  T_hash_entry& slot = Slot(key);
  slot.key_lo = static_cast<uint32_t>(key);
  slot.key_hi = static_cast<uint32_t>(key >> 32);
  slot.hash_move = move;
  slot.hash_score = score;
  slot.hash_bound = bound;
  slot.hash_ply = ply;
  slot.hash_depth = depth;
}

int32_t Hash_stored_move(uint64_t key) { return hash_table == nullptr ? 0 : Slot(key).hash_move; }

void Hash_move_first(T_List_moves* list, bool* found, uint64_t key) {
  *found = false;
  if (hash_table == nullptr) return;
  const int32_t move = Slot(key).hash_move;
  const int end = list->end_list < LIST_CAPACITY ? list->end_list : LIST_CAPACITY;
  for (int i = 0; i < end; ++i) {
    if (list->move[i] != move) continue;
    const int32_t sort = list->sort[i];
    for (int j = i; j > 0; --j) {
      list->move[j] = list->move[j - 1];
      list->sort[j] = list->sort[j - 1];
    }
    list->move[0] = move;
    list->sort[0] = sort;
    *found = true;
    return;
  }
}

bool Hash_probe(uint64_t key) {
  if (hash_table == nullptr) return false;
  const T_hash_entry& slot = Slot(key);
  return slot.key_lo == static_cast<uint32_t>(key) && slot.key_hi == static_cast<uint32_t>(key >> 32);
}
