// A position from arbitrary text: the FEN parser, then both colours' move
// generators, make and unmake two plies deep with the record's invariants
// checked after every make and its exact restoration after every unmake, the
// king attack tests, and a short search whose end must leave the board as it
// found it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/attack.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "fuzz_support.h"
#include "hash/zobrist.h"
#include "uci/uci.h"

namespace {

// A FEN is short; longer texts only repeat what shorter ones reach.
constexpr size_t MAX_TEXT = 1024;

std::string Describe(const char* what, const T_List_moves& list, int index) {
  const int32_t m = list.move[index];
  return std::string(what) + " of move " + std::to_string(index) + " (piece " + std::to_string(Move_piece(m)) +
         " from " + std::to_string(Move_from(m)) + " to " + std::to_string(Move_to(m)) + " kind " +
         std::to_string(Move_kind(m)) + " captured " + std::to_string(Move_captured(m)) + ")";
}

void Generate(bool white, T_List_moves* list, const T_Bitboard* position) {
  if (white) {
    Generator_captures_white(list, position);
    Generator_move_white(position, list);
  } else {
    Generator_captures_black(list, position);
    Generator_move_black(position, list);
  }
}

// Makes and unmakes every generated move of one side, recursing `plies` deep.
void Round_trips(T_Bitboard* position, bool white, int plies) {
  T_List_moves list;
  Generate(white, &list, position);
  if (list.end_captures < 0 || list.end_captures > list.end_list || list.end_list > LIST_CAPACITY)
    Fuzz_fail("move list bounds " + std::to_string(list.end_captures) + "/" + std::to_string(list.end_list), *position);
  for (int i = 0; i < list.end_list; ++i) {
    const T_Bitboard saved = *position;
    T_Undo undo;
    if (white)
      Make_move_white(i, position, &undo, &list);
    else
      Make_move_black(i, position, &undo, &list);
    std::string fault = Record_fault(*position);
    if (!fault.empty()) Fuzz_fail(Describe("make", list, i) + ": " + fault, *position);
    King_white_check(position);
    King_black_check(position);
    if (plies > 1) Round_trips(position, !white, plies - 1);
    if (white)
      Unmake_move_white(position, i, &undo, &list);
    else
      Unmake_move_black(position, i, &undo, &list);
    fault = Record_difference(saved, *position);
    if (!fault.empty()) Fuzz_fail(Describe("unmake", list, i) + " left a different " + fault, saved);
  }
}

T_Bitboard position;
int64_t nodes_counter;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MAX_TEXT) return 0;
  Fuzz_reset_engine();
  std::string fen = "fen " + std::string(reinterpret_cast<const char*>(data), size);
  fen.resize(std::strlen(fen.c_str()));
  // An exact-size heap copy, so that reading past the text's end is caught.
  char* text = static_cast<char*>(std::malloc(fen.size() + 1));
  std::memcpy(text, fen.c_str(), fen.size() + 1);
  std::memset(&position, 0, sizeof position);
  Fen_to_bitboard(&position, text);
  std::free(text);

  const std::string fault = Record_fault(position);
  if (!fault.empty()) Fuzz_fail("set-up: " + fault, position);

  Round_trips(&position, true, 2);
  Round_trips(&position, false, 2);

  const T_Bitboard before = position;
  nodes_counter = 0;
  if (!Fuzz_uci_command(("go" + Fuzz_go_suffix(10)).c_str(), &position, &nodes_counter))
    Fuzz_fail("the search ended the engine", position);
  const std::string difference = Record_difference(before, position, true);
  if (!difference.empty()) Fuzz_fail("the search left a different " + difference, before);
  const int material = position.eval;
  if (material != Start_material(&position)) Fuzz_fail("the search left a different material balance", position);
  const uint64_t key = position.hash_key;
  Start_hash_key(&position);
  if (key != position.hash_key) Fuzz_fail("the search left a different hash key", position);
  return 0;
}
