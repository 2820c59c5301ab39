// The engine's entry point: one command loop over standard input.
#include <cstring>

#include "board/bitboard.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "search/kept_lines.h"
#include "uci/uci.h"

namespace {

// The one position record of the process and the node counter of the searches.
T_Bitboard position;
int64_t nodes_counter;

}  // namespace

int main() {
  std::memset(&position, 0, sizeof position);
  nodes_counter = 0;
  Io_init();
  Init_zobrist();
  while (Next_command_line(line_text)) Uci_command(line_text, moves_text, &position, &nodes_counter);
  return 0;
}
