// Searches a fixed list of positions to a fixed depth and prints the total
// node count (the search's signature) and the speed.
//
//   bench [depth] [file]
//
// With a file, its positions are searched instead: one FEN a line, empty
// lines and lines starting with '#' skipped (the profile-guided build trains
// on such a file as well as on the fixed list).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "eval/parameters.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "uci/uci.h"

extern int64_t deepening_nodes_total;

namespace {

constexpr int DEFAULT_DEPTH = 7;

// Openings, middlegames with tactics, endgames, promotions, checks, and
// positions with castling and en-passant rights.
const char* const positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 1 3",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "2kr3r/pp1q1ppp/2n1bn2/2bpp3/4P3/2PP1N2/PPBN1PPP/R1BQ1RK1 b - - 3 11",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 3 8",
    "r2qr1k1/1b1nbppp/p2p1n2/1p2p3/3PP3/1BN2N1P/PP3PP1/R1BQR1K1 w - - 2 13",
    "3r1rk1/p1q2ppp/1pn1p3/2b5/2P1N3/1P3N2/P2Q1PPP/3R1RK1 w - - 4 18",
    "r1b2rk1/2q1b1pp/p2ppn2/1p6/3QP3/1BN1B3/PPP3PP/R4RK1 w - - 0 14",
    "2r3k1/pp3ppp/2n1b3/3p4/3P4/2PB1N2/P4PPP/4R1K1 b - - 1 22",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/8/4k3/8/2P5/3K4/8/8 w - - 0 1",
    "8/5k2/8/3K4/8/8/1P6/8 b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "8/8/8/8/5k2/8/3Kp3/8 b - - 0 1",
    "1k6/8/8/8/8/8/6PP/5QK1 w - - 0 1",
    "6k1/1P6/8/8/8/8/5K2/8 w - - 0 1",
    "3r2k1/1P3ppp/8/8/8/8/5PPP/6K1 w - - 0 1",
    "rnbqkbnr/ppp2ppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
    "rnbqkbnr/pp1ppppp/8/8/2pPP3/8/PPP2PPP/RNBQKBNR b KQkq d3 0 3",
    "r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4",
    "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3",
    "6k1/5ppp/8/8/8/8/r4PPP/1R4K1 w - - 0 1",
    "r1bqk2r/ppp2ppp/2n5/2bpp3/4n3/2NP1N2/PPP1BPPP/R1BQK2R w KQkq - 0 6",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
    "2rq1rk1/pp1bppbp/3p1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 6 12",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq - 1 7",
};

// The FEN lines of a positions file; false when it cannot be read.
bool Read_positions(const char* name, std::vector<std::string>& fens) {
  FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return false;
  std::string text;
  for (int c; (c = std::getc(file)) != EOF;) {
    if (c != '\n') {
      if (c != '\r') text += static_cast<char>(c);
      continue;
    }
    if (!text.empty() && text[0] != '#') fens.push_back(text);
    text.clear();
  }
  if (!text.empty() && text[0] != '#') fens.push_back(text);
  std::fclose(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int depth = DEFAULT_DEPTH;
  if (argc > 1) depth = std::atoi(argv[1]);
  if (depth < 1) depth = 1;
  std::vector<std::string> fens(std::begin(positions), std::end(positions));
  if (argc > 2) {
    fens.clear();
    if (!Read_positions(argv[2], fens)) {
      std::fprintf(stderr, "bench: cannot read %s\n", argv[2]);
      return 2;
    }
  }

  Io_init();
  Init_zobrist();
  Hash_alloc_default();
  Eval_parameters_default();

  static T_Bitboard position;
  static char line[LINE_CAPACITY];
  static char moves[LINE_CAPACITY];
  int64_t nodes_counter = 0;
  int64_t total = 0;
  char go_line[64];
  std::snprintf(go_line, sizeof go_line, "go depth %d", depth);

  const auto start = std::chrono::steady_clock::now();
  int index = 0;
  for (const std::string& text : fens) {
    const char* fen = text.c_str();
    ++index;
    Hash_clear();
    std::snprintf(line, sizeof line, "position fen %s", fen);
    Position_command(line, &position);
    Copy_moves_text(line, moves);
    Start_hash_key(&position);
    const int64_t before = deepening_nodes_total;
    out_silent = true;
    Go_command(go_line, &position, moves, &nodes_counter);
    out_silent = false;
    const int64_t nodes = deepening_nodes_total - before;
    total += nodes;
    std::printf("%2d %12lld  %s\n", index, static_cast<long long>(nodes), fen);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("Bench: %lld nodes %lld nps\n", static_cast<long long>(total),
              static_cast<long long>(seconds > 0 ? total / seconds : 0));
  return 0;
}
