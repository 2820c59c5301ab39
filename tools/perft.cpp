// perft "<FEN>" <depth>: prints the leaf count below each legal root move,
// then the total, using the engine's own generators, make/unmake and attack test.
#include "board/perft.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/bitboard.h"
#include "board/move.h"
#include "eval/parameters.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "uci/uci.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: perft \"<FEN>\" <depth>\n");
    return 2;
  }
  const int depth = std::atoi(argv[2]);
  Eval_parameters_default();
  Init_zobrist();

  static T_Bitboard position;
  const std::string text = std::string("fen ") + argv[1];
  Fen_to_bitboard(&position, text.c_str());
  Start_hash_key(&position);

  int32_t moves[LIST_CAPACITY];
  uint64_t leaves[LIST_CAPACITY];
  const int n = Perft_divide(&position, depth, moves, leaves);
  uint64_t total = depth <= 0 ? 1 : 0;
  for (int i = 0; i < n; ++i) {
    Out(Move_text(moves[i]).text);
    Out(": ");
    Out_int(static_cast<int64_t>(leaves[i]));
    Out("\n");
    total += leaves[i];
  }
  Out("\nNodes searched: ");
  Out_int(static_cast<int64_t>(total));
  Out("\n");
  return 0;
}
