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

namespace {

void Move_text(int32_t move, char* text) {
  const int from = Move_from(move), to = Move_to(move), kind = Move_kind(move);
  text[0] = static_cast<char>('a' + from % 8);
  text[1] = static_cast<char>('1' + from / 8);
  text[2] = static_cast<char>('a' + to % 8);
  text[3] = static_cast<char>('1' + to / 8);
  text[4] = '\0';
  if (Kind_is_promotion(kind)) {
    text[4] = "??nbrq"[Kind_promotion_piece(kind)];
    text[5] = '\0';
  }
}

}  // namespace

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
    char name[8];
    Move_text(moves[i], name);
    Out(name);
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
