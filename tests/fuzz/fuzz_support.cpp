#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/parameters.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "search/control.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "uci/uci.h"

namespace {

jmp_buf exit_point;
bool exit_armed = false;
char scratch_directory[] = "/tmp/engine-fuzz-XXXXXX";

// Called by Engine_exit instead of exit(): back to the guarded call.
void Exit_to_harness(int status) {
  (void)status;
  if (!exit_armed) {
    std::fprintf(stderr, "engine exit with status %d outside a guarded call\n", status);
    std::abort();
  }
  exit_armed = false;
  std::longjmp(exit_point, 1);
}

const char* const FILES_WRITTEN[] = {"Parameters_Eval.txt", "Control_Parameters_Eval.txt", "_TEST_BITBOARD.txt"};

void Remove_scratch_directory() {
  if (chdir(scratch_directory) == 0) {
    for (const char* name : FILES_WRITTEN) unlink(name);
    if (chdir("/") == 0) rmdir(scratch_directory);
  }
}

}  // namespace

void Fuzz_init() {
  if (mkdtemp(scratch_directory) == nullptr || chdir(scratch_directory) != 0) {
    std::perror("fuzz: scratch directory");
    std::abort();
  }
  std::atexit(Remove_scratch_directory);
  const int null_input = open("/dev/null", O_RDONLY);
  if (null_input < 0 || dup2(null_input, 0) < 0) {
    std::perror("fuzz: /dev/null as standard input");
    std::abort();
  }
  close(null_input);
  out_silent = true;
  engine_exit_handler = Exit_to_harness;
  Init_zobrist();
}

void Fuzz_reset_engine() {
  Hash_free();
  Eval_parameters_default();
  std::memset(moves_text, 0, sizeof moves_text);
  std::memset(&search_control, 0, sizeof search_control);
  std::memset(current_line, 0, sizeof current_line);
  std::memset(key_path, 0, sizeof key_path);
  std::memset(killer_1, 0, sizeof killer_1);
  std::memset(killer_2, 0, sizeof killer_2);
  History_clear();
  std::memset(&PV_returned, 0, sizeof PV_returned);
  // The diagnostics append to it; it must not grow over a long run.
  unlink("_TEST_BITBOARD.txt");
}

std::string Fuzz_go_suffix(int default_milliseconds) {
  long milliseconds = default_milliseconds;
  if (const char* text = std::getenv("FUZZ_MOVETIME_MS")) milliseconds = std::strtol(text, nullptr, 10);
  if (milliseconds < 1 || milliseconds > 1000) milliseconds = default_milliseconds;
  return " 0 movetime " + std::to_string(milliseconds);
}

bool Fuzz_uci_command(const char* line, T_Bitboard* position, int64_t* nodes_counter) {
  if (setjmp(exit_point) != 0) return false;
  exit_armed = true;
  Uci_command(line, moves_text, position, nodes_counter);
  exit_armed = false;
  return true;
}

std::string Record_fault(const T_Bitboard& b) {
  char text[160];
  uint64_t white = 0, black = 0;
  if (b.white_piece[PIECE_NONE] != 0 || b.black_piece[PIECE_NONE] != 0) return "a set for piece code 0 is not empty";
  for (int code = PIECE_PAWN; code <= PIECE_KING; ++code) {
    if (white & b.white_piece[code]) return "two White piece sets share a square";
    if (black & b.black_piece[code]) return "two Black piece sets share a square";
    white |= b.white_piece[code];
    black |= b.black_piece[code];
  }
  if (white != b.all_white_piece) return "all_white_piece is not the union of the White sets";
  if (black != b.all_black_piece) return "all_black_piece is not the union of the Black sets";
  if (white & black) return "a square holds pieces of both colours";
  if (b.all_piece != (white | black)) return "all_piece is not the union of the colours";
  // Every piece of a set is named on its square, and nothing else is named.
  for (int code = PIECE_PAWN; code <= PIECE_KING; ++code) {
    for (int colour = 0; colour < 2; ++colour) {
      const int32_t* names = colour ? b.white_name_from_coord : b.black_name_from_coord;
      for (uint64_t set = colour ? b.white_piece[code] : b.black_piece[code]; set; set &= set - 1) {
        const int s = __builtin_ctzll(set);
        if (names[s] != code) {
          std::snprintf(text, sizeof text, "square %d holds piece %d of colour %d but its map says %d", s, code, colour,
                        names[s]);
          return text;
        }
      }
    }
  }
  for (int s = 0; s < 64; ++s) {
    if ((b.white_name_from_coord[s] != 0) != (white >> s & 1) ||
        (b.black_name_from_coord[s] != 0) != (black >> s & 1)) {
      std::snprintf(text, sizeof text, "square %d: maps say %d/%d, the sets disagree", s, b.white_name_from_coord[s],
                    b.black_name_from_coord[s]);
      return text;
    }
  }
  return "";
}

std::string Record_difference(const T_Bitboard& e, const T_Bitboard& a, bool board_only) {
#define FUZZ_FIELD(name) \
  if (std::memcmp(&e.name, &a.name, sizeof e.name) != 0) return #name;
  FUZZ_FIELD(all_piece)
  FUZZ_FIELD(all_white_piece)
  FUZZ_FIELD(all_black_piece)
  FUZZ_FIELD(white_piece)
  FUZZ_FIELD(black_piece)
  FUZZ_FIELD(white_name_from_coord)
  FUZZ_FIELD(black_name_from_coord)
  FUZZ_FIELD(colour_move)
  FUZZ_FIELD(taking_passage_yes)
  FUZZ_FIELD(taking_passage_x)
  FUZZ_FIELD(taking_passage_y)
  FUZZ_FIELD(castling_Q)
  FUZZ_FIELD(castling_K)
  FUZZ_FIELD(castling_q)
  FUZZ_FIELD(castling_k)
  if (board_only) return "";
  FUZZ_FIELD(hash_key)
  FUZZ_FIELD(eval)
#undef FUZZ_FIELD
  return "";
}

void Fuzz_fail(const std::string& message, const T_Bitboard& b) {
  std::fprintf(stderr, "\nFUZZ FAILURE: %s\n", message.c_str());
  for (int rank = 7; rank >= 0; --rank) {
    for (int file = 0; file < 8; ++file) {
      const int s = rank * 8 + file;
      const int w = b.white_name_from_coord[s], k = b.black_name_from_coord[s];
      char c = '.';
      if (w > 0 && w <= 6) c = " PNBRQK"[w];
      if (k > 0 && k <= 6) c = " pnbrqk"[k];
      std::fputc(c, stderr);
    }
    std::fputc('\n', stderr);
  }
  std::fprintf(stderr, "side %d castling KQkq %d%d%d%d en passant %d (%d,%d) eval %d\n", b.colour_move, b.castling_K,
               b.castling_Q, b.castling_k, b.castling_q, b.taking_passage_yes, b.taking_passage_x, b.taking_passage_y,
               b.eval);
  std::abort();
}
