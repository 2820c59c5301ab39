// A position from arbitrary text, set up as the "position" command does it:
// the FEN parser and the replay of a moves list when the text holds one. Then
// both colours' move generators, make and unmake (two plies deep from the
// side to move after the moves that change rights or material, one from the
// other side) with the record's invariants checked after every make and its
// exact restoration after every unmake, and the king attack tests. No search: the search has a
// target of its own (uci_session).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/by_colour.h"
#include "fuzz_support.h"
#include "hash/zobrist.h"
#include "uci/uci.h"

namespace {

// A FEN is short and a moves list adds five characters a move; longer texts
// only repeat what shorter ones reach.
constexpr size_t MAX_TEXT = 2048;

std::string Describe(const char* what, const T_List_moves& list, int index) {
  const int32_t m = list.move[index];
  return std::string(what) + " of move " + std::to_string(index) + " (piece " + std::to_string(Move_piece(m)) +
         " from " + std::to_string(Move_from(m)) + " to " + std::to_string(Move_to(m)) + " kind " +
         std::to_string(Move_kind(m)) + " captured " + std::to_string(Move_captured(m)) + ")";
}

// True for the moves after which the replies meet something a FEN gives them
// only by chance: an en passant square, castling rights just lost, a capture
// or promotion to take back. A quiet knight, bishop or queen move only leaves
// another position, which the fuzzer sets up directly more cheaply.
bool Changes_rights_or_material(int32_t move) {
  const int piece = Move_piece(move);
  return Move_kind(move) != KIND_QUIET || piece == PIECE_PAWN || piece == PIECE_KING || piece == PIECE_ROOK;
}

// Makes and unmakes every generated move of one side, recursing `plies` deep
// after the moves that change rights or material.
template <Colour Us>
void Round_trips(T_Bitboard* position, int plies) {
  T_List_moves list;
  Generate_all<Us>(list, *position);
  if (list.end_captures < 0 || list.end_captures > list.end_list || list.end_list > LIST_CAPACITY)
    Fuzz_fail("move list bounds " + std::to_string(list.end_captures) + "/" + std::to_string(list.end_list), *position);
  for (int i = 0; i < list.end_list; ++i) {
    const T_Bitboard saved = *position;
    T_Undo undo;
    Make<Us>(list.move[i], *position, undo);
    std::string fault = Record_fault(*position);
    if (!fault.empty()) Fuzz_fail(Describe("make", list, i) + ": " + fault, *position);
    King_attacked<WHITE>(*position);
    King_attacked<BLACK>(*position);
    if (plies > 1 && Changes_rights_or_material(list.move[i])) Round_trips<Other(Us)>(position, plies - 1);
    Unmake<Us>(list.move[i], *position, undo);
    fault = Record_difference(saved, *position);
    if (!fault.empty()) Fuzz_fail(Describe("unmake", list, i) + " left a different " + fault, saved);
  }
}

T_Bitboard position;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  Fuzz_init(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MAX_TEXT) return 0;
  Fuzz_reset_engine();
  std::string line = "position fen " + std::string(reinterpret_cast<const char*>(data), size);
  line.resize(std::strlen(line.c_str()));
  // An exact-size heap copy, so that reading past the text's end is caught.
  char* text = static_cast<char*>(std::malloc(line.size() + 1));
  std::memcpy(text, line.c_str(), line.size() + 1);
  std::memset(&position, 0, sizeof position);
  Position_command(text, &position);
  std::free(text);

  const std::string fault = Record_fault(position);
  if (!fault.empty()) Fuzz_fail("set-up: " + fault, position);

  // The record's own material balance and key, which make and unmake keep.
  position.eval = Start_material(&position);
  Start_hash_key(&position);
  // Two plies from the side to move (a move and every reply), one from the
  // other side: the second ply of both would triple the time per input.
  const Colour side = Side_to_move(position);
  With_colour(side, [](auto us) { Round_trips<us>(&position, 2); });
  With_colour(Other(side), [](auto them) { Round_trips<them>(&position, 1); });
  return 0;
}
