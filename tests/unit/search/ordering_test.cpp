#include "search/ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "../board/board_helpers.h"
#include "board/by_colour.h"
#include "board/move.h"
#include "hash/table.h"

namespace {

T_List_moves List_of(std::initializer_list<int> capture_keys, std::initializer_list<int> quiet_keys) {
  T_List_moves list;
  std::memset(&list, 0, sizeof list);
  int n = 0;
  for (int key : capture_keys) {
    list.move[n] = Move_word(2, n, n + 1, KIND_CAPTURE, 1);
    list.sort[n++] = key;
  }
  list.end_captures = n;
  for (int key : quiet_keys) {
    list.move[n] = Move_word(2, n, n + 1, KIND_QUIET, 0);
    list.sort[n++] = key;
  }
  list.end_list = n;
  return list;
}

int From_at(const T_List_moves& list, int i) { return Move_from(list.move[i]); }

TEST(Sorting, ExchangeSortKeepsCapturesAheadAndReproducesItsOrderForEqualKeys) {
  // Captures with keys 2, 5, 5, 1 (moves 0..3) and quiet moves with a key
  // higher than every capture.
  T_List_moves list = List_of({2, 5, 5, 1}, {0, 9, 0, 9});
  Sort_list(&list);
  EXPECT_EQ(list.sort[0], 5);
  EXPECT_EQ(list.sort[1], 5);
  EXPECT_EQ(list.sort[2], 2);
  EXPECT_EQ(list.sort[3], 1);
  // The exchange sort swaps entry 0 with 1 first, then 0 (now key 5) stays;
  // entry 1 (key 2) is swapped with entry 2 (key 5): move 1, then move 2.
  EXPECT_EQ(From_at(list, 0), 1);
  EXPECT_EQ(From_at(list, 1), 2);
  EXPECT_EQ(From_at(list, 2), 0);
  EXPECT_EQ(From_at(list, 3), 3);
  // Quiet moves sorted among themselves only, behind every capture.
  EXPECT_EQ(list.sort[4], 9);
  EXPECT_EQ(list.sort[5], 9);
  EXPECT_EQ(From_at(list, 4), 5);
  EXPECT_EQ(From_at(list, 5), 7);
  EXPECT_EQ(From_at(list, 6), 6);
  EXPECT_EQ(From_at(list, 7), 4);
}

TEST(Sorting, ExchangeSortIsNotStable) {
  // Keys 3, 1, 3, 5 for moves 0..3: the two moves of key 3 end up in the
  // reverse of their generation order.
  T_List_moves list = List_of({3, 1, 3, 5}, {});
  Sort_captures(&list);
  EXPECT_EQ(From_at(list, 0), 3);
  EXPECT_EQ(From_at(list, 1), 2);
  EXPECT_EQ(From_at(list, 2), 0);
  EXPECT_EQ(From_at(list, 3), 1);
}

// The textbook exchange sort, swapping in place at every comparison. The
// engine's sort holds one entry in registers and ends once the rest is in
// order; both must leave every list in the same order.
void Reference_exchange_sort(int32_t* moves, int32_t* keys, int begin, int end) {
  for (int p = begin; p < end - 1; ++p)
    for (int q = p + 1; q < end; ++q)
      if (keys[p] < keys[q]) {
        std::swap(moves[p], moves[q]);
        std::swap(keys[p], keys[q]);
      }
}

TEST(Sorting, MatchesThePlainExchangeSortOnRandomLists) {
  std::mt19937 random(12345);
  for (int trial = 0; trial < 20000; ++trial) {
    T_List_moves list;
    std::memset(&list, 0, sizeof list);
    const int length = static_cast<int>(random() % 120);
    list.end_captures = length == 0 ? 0 : static_cast<int>(random() % (length + 1));
    list.end_list = length;
    // Few distinct keys make many ties, which is where exchange orders differ.
    const int spread = 1 + static_cast<int>(random() % (trial % 3 == 0 ? 3 : 1000));
    for (int i = 0; i < length; ++i) {
      list.move[i] = i;
      list.sort[i] = static_cast<int32_t>(random() % spread) - (trial % 5 == 0 ? spread / 2 : 0);
    }
    if (trial % 7 == 0) std::sort(list.sort, list.sort + length, std::greater<int32_t>());
    // Even trials sort both parts; odd ones only the captures, leaving the
    // quiet moves as generated.
    const bool whole_list = trial % 2 == 0;
    T_List_moves expected = list;
    Reference_exchange_sort(expected.move, expected.sort, 0, expected.end_captures);
    if (whole_list) {
      Reference_exchange_sort(expected.move, expected.sort, expected.end_captures, expected.end_list);
      Sort_list(&list);
    } else {
      Sort_captures(&list);
    }
    for (int i = 0; i < length; ++i) {
      ASSERT_EQ(list.move[i], expected.move[i]) << "trial " << trial << ", entry " << i;
      ASSERT_EQ(list.sort[i], expected.sort[i]) << "trial " << trial << ", entry " << i;
    }
  }
}

// Random lists with many ties, the capture walk alone or the whole list;
// the search walks one pass at a time and must see what the whole sort gives.
TEST(Sorting, PassByPassGivesTheWholeSortAtEveryStep) {
  std::mt19937 random(777);
  for (int trial = 0; trial < 5000; ++trial) {
    T_List_moves list;
    std::memset(&list, 0, sizeof list);
    const int length = static_cast<int>(random() % 60);
    list.end_captures = list.end_list = length;
    const int spread = 1 + static_cast<int>(random() % (trial % 2 == 0 ? 3 : 100));
    for (int i = 0; i < length; ++i) {
      list.move[i] = i + 1;
      list.sort[i] = static_cast<int32_t>(random() % spread) - spread / 2;
    }
    T_List_moves expected = list;
    Sort_captures(&expected);
    T_Sort_walk walk;
    Sort_walk_start(&walk, &list, 0, length);
    for (int i = 0; i < length; ++i) {
      Sort_pass(&list, &walk, i);
      ASSERT_EQ(list.move[i], expected.move[i]) << "trial " << trial << ", entry " << i;
      ASSERT_EQ(list.sort[i], expected.sort[i]) << "trial " << trial << ", entry " << i;
    }
  }
}

// The interior node's order (sort, killers, hash move) handed out move by
// move must be the one the three whole-list steps give, whatever the keys,
// the killers (absent, equal, among the captures, first after sorting) and
// the hash move (absent, a killer, the best capture).
TEST(MoveOrder, MatchesSortKillersAndHashMoveOnRandomLists) {
  std::mt19937 random(4242);
  Hash_alloc_default();
  Hash_clear();
  const uint64_t key = 0x123456789ABCDEF0ull;
  const int ply = 5;
  for (int trial = 0; trial < 20000; ++trial) {
    T_List_moves list;
    std::memset(&list, 0, sizeof list);
    const int length = static_cast<int>(random() % 50);
    list.end_list = length;
    list.end_captures = length == 0 ? 0 : static_cast<int>(random() % (std::min(length, 8) + 1));
    const int spread = 1 + static_cast<int>(random() % (trial % 3 == 0 ? 3 : 30));
    for (int i = 0; i < length; ++i) {
      list.move[i] = Move_word(2, i, (i * 7) % 64, i < list.end_captures ? KIND_CAPTURE : KIND_QUIET, 0);
      list.sort[i] = static_cast<int32_t>(random() % spread) - spread / 2;
    }
    // A special move is absent, or any entry of the list.
    auto pick = [&]() -> int32_t {
      if (length == 0 || random() % 4 == 0) return Move_word(5, 63, 62, KIND_QUIET, 0);
      return list.move[random() % length];
    };
    killer_1[ply] = pick();
    killer_2[ply] = random() % 5 == 0 ? killer_1[ply] : pick();
    const int32_t hash_move = random() % 5 == 0 ? killer_1[ply] : pick();
    const bool hash_hit = random() % 4 != 0;

    T_List_moves expected = list;
    Sort_list(&expected);
    Killers_first(&expected, (expected.end_captures > 0 && expected.sort[0] >= 0) ? 1 : 0, ply);
    if (hash_hit) {
      Hash_write_move(1, 0, 0, 1, hash_move, key);
      bool found;
      Hash_move_first(&expected, &found, key);
    }

    T_Move_order order;
    Move_order_start(&order, &list, ply, hash_hit ? hash_move : 0);
    for (int i = 0; i < length; ++i) {
      ASSERT_EQ(Move_order_next(&order), expected.move[i]) << "trial " << trial << ", entry " << i;
    }
    ASSERT_EQ(Move_order_next(&order), 0) << "trial " << trial;  // every move given out once
    Move_order_finish(&order);
  }
  Hash_free();
}

// A node's quiet moves are only planned, and written when its order gets to
// them or when the history table is about to change (a cut-off further down
// the line). A node and its child, both planned, must hand out the moves of
// their whole lists generated at once, whenever the table changes (halving
// included).
TEST(MoveOrder, PlannedQuietMovesGiveTheOrderOfTheWholeList) {
  std::mt19937 random(5);
  const char pieces[] = "PNBRQKpnbrqk";
  int32_t table[64][64];
  for (int trial = 0; trial < 3000; ++trial) {
    T_Bitboard positions[2];
    for (T_Bitboard& position : positions)
      position = From_fen((Random_placement(random, pieces, 3 + trial % 4) + " w - - 0 1").c_str());
    for (auto& row : table)
      for (auto& h : row) h = static_cast<int32_t>(random() % 9) - 4;
    T_List_moves whole[2]{};
    for (int n = 0; n < 2; ++n) {
      std::memcpy(history, table, sizeof table);
      testing::internal::CaptureStdout();
      With_colour(n == 0 ? WHITE : BLACK, [&](auto us) { Generate_all<us>(whole[n], positions[n]); });
      testing::internal::GetCapturedStdout();
    }
    // Killers and hash moves from the lists, or moves of neither.
    const auto pick = [&](const T_List_moves& list) -> int32_t {
      if (list.end_list == 0 || random() % 4 == 0) return Move_word(PIECE_QUEEN, 63, 62, KIND_QUIET, 0);
      return list.move[random() % list.end_list];
    };
    int32_t killers[2][2], hash_moves[2];
    for (int n = 0; n < 2; ++n) killers[n][0] = pick(whole[n]), killers[n][1] = pick(whole[n]);
    for (int n = 0; n < 2; ++n) hash_moves[n] = random() % 3 ? pick(whole[n]) : 0;
    const int child_after = static_cast<int>(random() % (whole[0].end_list + 1));
    const int change_after = static_cast<int>(random() % (whole[1].end_list + 1));
    const int32_t changed = pick(whole[1]);
    if (trial % 5 == 0) table[Move_from(changed)][Move_to(changed)] = 100000;  // the change halves the table

    // The parent hands out child_after moves, then the child hands out all of
    // its moves, with the table changed after change_after of them; then the
    // parent hands out the rest.
    const auto run = [&](bool planned) {
      std::memcpy(history, table, sizeof table);
      T_List_moves lists[2];
      T_Quiet_plan plans[2];
      T_Move_order orders[2];
      std::vector<int32_t> given;
      const auto start = [&](int n) {
        killer_1[n] = killers[n][0];
        killer_2[n] = killers[n][1];
        testing::internal::CaptureStdout();
        bool is_planned = false;
        With_colour(n == 0 ? WHITE : BLACK, [&](auto us) {
          Generate_captures<us>(lists[n], positions[n]);
          if (planned)
            is_planned = Plan_quiet<us>(plans[n], lists[n], positions[n]);
          else
            Generate_quiet<us>(lists[n], positions[n]);
        });
        testing::internal::GetCapturedStdout();
        Move_order_start(&orders[n], &lists[n], n, hash_moves[n], is_planned ? &plans[n] : nullptr);
      };
      const auto hand_out = [&](int n, int count, int change_at) {
        for (int i = 0; i < count; ++i) {
          if (i == change_at) History_add(changed);
          const int32_t m = Move_order_next(&orders[n]);
          if (m == 0) break;
          given.push_back(m);
        }
      };
      start(0);
      hand_out(0, child_after, -1);
      start(1);
      hand_out(1, LIST_CAPACITY + 1, change_after);
      Move_order_finish(&orders[1]);
      hand_out(0, LIST_CAPACITY + 1, -1);
      Move_order_finish(&orders[0]);
      return given;
    };
    const std::vector<int32_t> expected = run(false);
    ASSERT_EQ(expected.size(), static_cast<size_t>(whole[0].end_list + whole[1].end_list)) << "trial " << trial;
    ASSERT_EQ(run(true), expected) << "trial " << trial;
  }
  History_clear();
}

TEST(Killers, PlacedAtStartAndShiftOthersUp) {
  T_List_moves list = List_of({}, {0, 0, 0, 0, 0});
  const int32_t k1 = list.move[3];
  const int32_t k2 = list.move[4];
  killer_1[7] = k1;
  killer_2[7] = k2;
  Killers_first(&list, 0, 7);
  EXPECT_EQ(list.move[0], k1);
  EXPECT_EQ(list.move[1], k2);
  EXPECT_EQ(From_at(list, 2), 0);
  EXPECT_EQ(From_at(list, 3), 1);
  EXPECT_EQ(From_at(list, 4), 2);
}

TEST(Killers, StartOneKeepsBestCaptureFirstAndIgnoresAbsentKillers) {
  T_List_moves list = List_of({3}, {0, 0, 0});
  killer_1[2] = Move_word(5, 60, 61, KIND_QUIET, 0);  // not in this list
  killer_2[2] = list.move[3];
  Killers_first(&list, 1, 2);
  EXPECT_EQ(From_at(list, 0), 0);
  EXPECT_EQ(From_at(list, 1), 1);  // killer 1 absent: nothing moved
  EXPECT_EQ(From_at(list, 2), 3);  // killer 2 brought to start + 1
  EXPECT_EQ(From_at(list, 3), 2);
}

TEST(Killers, SameMoveInBothSlotsIsPlacedOnce) {
  T_List_moves list = List_of({}, {0, 0, 0});
  killer_1[0] = killer_2[0] = list.move[2];
  Killers_first(&list, 0, 0);
  EXPECT_EQ(From_at(list, 0), 2);
  EXPECT_EQ(From_at(list, 1), 0);
  EXPECT_EQ(From_at(list, 2), 1);
}

TEST(History, HalvesTheWholeTableWhenOneCounterPasses100000) {
  History_clear();
  const int32_t move = Move_word(2, 1, 18, KIND_QUIET, 0);
  history[5][6] = 7;
  history[0][1] = -3;
  history[1][18] = 100000;
  History_add(move);  // 100001 > 100000: everything halves
  EXPECT_EQ(history[1][18], 50000);
  EXPECT_EQ(history[5][6], 3);
  EXPECT_EQ(history[0][1], -1);  // rounds toward zero
  History_add(move);
  EXPECT_EQ(history[1][18], 50001);
  History_clear();
  EXPECT_EQ(history[1][18], 0);
}

}  // namespace
