// Arbitrary bytes as the evaluation parameter file: "isready" reads it (and
// writes the control file), then a handful of positions are evaluated and one
// of them is searched briefly with the weights it produced.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "eval/evaluation.h"
#include "fuzz_support.h"
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
constexpr int POSITION_COUNT = sizeof POSITIONS / sizeof POSITIONS[0];

T_Bitboard position;
int64_t nodes_counter;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz_init();
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
    Start_material(&position);
  }
  // The weights decide how the search prunes; one brief search per input.
  Fuzz_uci_command(POSITIONS[size % POSITION_COUNT], &position, &nodes_counter);
  if (!Fuzz_uci_command(("go" + Fuzz_go_suffix(10)).c_str(), &position, &nodes_counter))
    Fuzz_fail("the search ended the engine", position);
  return 0;
}
