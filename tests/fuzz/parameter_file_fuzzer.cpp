// Arbitrary bytes as the evaluation parameter file: "isready" reads it (and
// writes the control file), then a handful of positions are set up and
// evaluated with the weights it produced, and every move of the side to move
// is made and taken back, its incremental material balance compared with the
// balance counted afresh (both wrap alike, whatever the weights) and the
// position after it scored as a search leaf would be. The file lives in the
// fuzz scratch directory, in memory where the system has one. No search: the
// search has a target of its own (uci_session).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/by_colour.h"
#include "eval/evaluation.h"
#include "fuzz_support.h"
#include "search/nodes.h"
#include "uci/uci.h"

namespace {

// Opening, middlegame with both castlings possible, a pawn ending with passed
// pawns, promotions on both sides, and one crowded with queens.
const char* const POSITIONS[] = {
    "position startpos",
    "position fen r3k2r/pppq1ppp/2npbn2/2b1p3/2B1P3/2NPBN2/PPPQ1PPP/R3K2R w KQkq - 0 1",
    "position fen 8/5k2/1p4p1/p1P4P/P7/5K2/8/8 b - - 0 1",
    "position fen 3r2k1/1P3ppp/8/8/8/8/pp3PPP/6K1 w - - 0 1",
    "position fen qqqqkqqq/8/8/8/8/8/8/QQQQKQQQ w - - 0 1",
};

T_Bitboard position;
int64_t nodes_counter;

template <Colour Us>
void Check_material_of_moves() {
  T_List_moves list;
  Generate_all<Us>(list, position);
  for (int i = 0; i < list.end_list; ++i) {
    T_Undo undo;
    Make<Us>(list.move[i], position, undo);
    if (position.eval != Start_material(&position))
      Fuzz_fail("move " + std::to_string(i) + " left a material balance of " + std::to_string(position.eval) +
                    " instead of " + std::to_string(Start_material(&position)),
                position);
    T_Bitboard counted = position;
    Non_pawn_material_count(&counted);
    if (counted.white_non_pawn != position.white_non_pawn || counted.black_non_pawn != position.black_non_pawn)
      Fuzz_fail("move " + std::to_string(i) + " left a non-pawn material other than a fresh count's", position);
    Static_score(&position);
    Unmake<Us>(list.move[i], position, undo);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  Fuzz_init(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_reset_engine();
  FILE* file = std::fopen("Parameters_Eval.txt", "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  std::memset(&position, 0, sizeof position);
  nodes_counter = 0;
  if (!Fuzz_uci_command("isready", &position, &nodes_counter)) Fuzz_fail("isready ended the engine", position);
  for (const char* line : POSITIONS) {
    if (!Fuzz_uci_command(line, &position, &nodes_counter)) Fuzz_fail("position ended the engine", position);
    Evaluation(&position);
    position.eval = Start_material(&position);
    With_colour(Side_to_move(position), [](auto us) { Check_material_of_moves<us>(); });
  }
  return 0;
}
