#include "hash/table.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>

#include "board/bitboard.h"
#include "board/move.h"

namespace {

class HashTable : public ::testing::Test {
 protected:
  void SetUp() override {
    Hash_alloc_default();
    Hash_clear();
  }
  void TearDown() override { Hash_free(); }

  // A list of `count` distinct moves whose ordering keys are 100 + index.
  static T_List_moves List(int count) {
    T_List_moves list{};
    for (int i = 0; i < count; ++i) {
      list.move[i] = Move_word(PIECE_KNIGHT, i, i + 1, KIND_QUIET, 0);
      list.sort[i] = 100 + i;
    }
    list.end_list = count;
    return list;
  }
};

// Two keys that share a slot: the same low half, different high halves.
constexpr uint64_t KEY = 0x123456780000BEEFull;
constexpr uint64_t OTHER_KEY = 0x9ABCDEF00000BEEFull;

TEST_F(HashTable, DefaultTableIsClearedAndResizesToPowersOfTwo) {
  EXPECT_EQ(hash_mask, 32767u);
  for (uint32_t i = 0; i <= hash_mask; ++i) {
    ASSERT_EQ(hash_table[i].key_lo, 0xFFFFFFFFu);
    ASSERT_EQ(hash_table[i].key_hi, 0xFFFFFFFFu);
  }
  const struct {
    int megabytes;
    uint32_t entries;
  } sizes[] = {{3, 65536}, {0, 32768}, {-7, 32768}, {1, 32768}, {2, 65536}, {1000, 16777216}, {1025, 33554432}};
  for (const auto& size : sizes) {
    Hash_resize(size.megabytes);
    ASSERT_NE(hash_table, nullptr);
    EXPECT_EQ(hash_mask + 1, size.entries) << size.megabytes << " MiB";
  }
}

TEST_F(HashTable, ReplacementRule) {
  const T_List_moves list = List(4);
  auto stored_move = [] { return hash_table[KEY & hash_mask].hash_move; };

  // Empty slot: any result is written. Bound 1 with remaining depth 4.
  Hash_save(6, 55, 2, 1, 0, KEY, &list);
  const T_hash_entry& e = hash_table[KEY & hash_mask];
  EXPECT_EQ(e.key_lo, 0x0000BEEFu);
  EXPECT_EQ(e.key_hi, 0x12345678u);
  EXPECT_EQ(e.hash_score, 55);
  EXPECT_EQ(e.hash_bound, 1);
  EXPECT_EQ(e.hash_ply, 2);
  EXPECT_EQ(e.hash_depth, 6);
  EXPECT_EQ(stored_move(), list.move[0]);

  Hash_save(12, 0, 3, 2, 1, KEY, &list);  // bound 2, remaining 9: rejected
  EXPECT_EQ(stored_move(), list.move[0]);
  Hash_save(4, 0, 1, 1, 1, KEY, &list);  // bound 1, remaining 3: rejected
  EXPECT_EQ(stored_move(), list.move[0]);
  Hash_save(5, 0, 1, 1, 2, KEY, &list);  // bound 1, remaining 4: written
  EXPECT_EQ(stored_move(), list.move[2]);
  Hash_save(6, 0, 0, 1, 3, OTHER_KEY, &list);  // another position in the slot, remaining 6: written
  EXPECT_EQ(stored_move(), list.move[3]);
  EXPECT_FALSE(Hash_probe(KEY));  // both key halves are compared
  EXPECT_TRUE(Hash_probe(OTHER_KEY));

  // A cut-off entry gives way to bound 3, 2 or 1 of at least its remaining depth.
  for (int bound = 3; bound >= 1; --bound) {
    Hash_clear();
    Hash_save(5, 0, 0, 3, 0, KEY, &list);
    Hash_save(5, 0, 1, bound, 1, KEY, &list);  // remaining 4 < 5: rejected
    EXPECT_EQ(stored_move(), list.move[0]);
    Hash_save(7, 0, 2, bound, 1, KEY, &list);  // remaining 5: written
    EXPECT_EQ(stored_move(), list.move[1]) << "bound " << bound;
  }
}

TEST_F(HashTable, HashMoveFirst) {
  T_List_moves list = List(6);
  const T_List_moves original = list;
  bool found = true;
  Hash_save(3, 0, 0, 1, 4, KEY, &original);
  Hash_move_first(&list, &found, KEY);
  EXPECT_TRUE(found);
  const int order[6] = {4, 0, 1, 2, 3, 5};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(list.move[i], original.move[order[i]]) << i;
    EXPECT_EQ(list.sort[i], original.sort[order[i]]) << i;
  }

  // A move that is not in the list (here: beyond end_list) changes nothing.
  list = original;
  list.end_list = 4;
  Hash_move_first(&list, &found, KEY);
  EXPECT_FALSE(found);
  EXPECT_EQ(std::memcmp(list.move, original.move, sizeof list.move), 0);

  // A one-move list holding the stored move keeps its order.
  T_List_moves single = List(1);
  Hash_clear();
  Hash_save(3, 0, 0, 1, 0, KEY, &single);
  found = false;
  Hash_move_first(&single, &found, KEY);
  EXPECT_TRUE(found);
  EXPECT_EQ(single.move[0], List(1).move[0]);

  T_List_moves empty = List(0);
  Hash_move_first(&empty, &found, KEY);
  EXPECT_FALSE(found);
}

TEST_F(HashTable, NoTableIsHarmless) {
  Hash_free();
  const T_List_moves list = List(2);
  Hash_save(3, 0, 0, 1, 0, KEY, &list);
  Hash_clear();
  EXPECT_FALSE(Hash_probe(KEY));
  T_List_moves copy = list;
  bool found = true;
  Hash_move_first(&copy, &found, KEY);
  EXPECT_FALSE(found);
}

// Failures print their CP1251 message on standard output and end with
// status 1; the child sends its standard output to the checked stderr.
void Resize_without_table() {
  dup2(STDERR_FILENO, STDOUT_FILENO);
  Hash_free();
  Hash_resize(4);
}

TEST(HashTableDeathTest, ResizeWithoutTable) {
  EXPECT_EXIT(Resize_without_table(), testing::ExitedWithCode(1),
              "^\xEE\xF1\xE2\xEE\xE1\xEE\xE6\xE4\xE0\xF2\xFC \xED\xE5\xF7\xE5\xE3\xEE \n$");
}

// The address-space limit cannot be combined with AddressSanitizer's shadow memory.
#if !defined(__SANITIZE_ADDRESS__)
void Resize_without_memory() {
  dup2(STDERR_FILENO, STDOUT_FILENO);
  const rlimit limit{256u << 20, 256u << 20};
  setrlimit(RLIMIT_AS, &limit);
  Hash_alloc_default();
  Hash_resize(1024);
}

TEST(HashTableDeathTest, OutOfMemory) {
  EXPECT_EXIT(Resize_without_memory(), testing::ExitedWithCode(1), "^\xEF\xE0\xEC\xFF\xF2\xE8 \xED\xE5\xF2 \n$");
}
#endif

}  // namespace
