#include "fuzz_support.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "eval/parameters.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "search/control.h"
#include "search/kept_lines.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "uci/uci.h"

namespace {

jmp_buf exit_point;
bool exit_armed = false;
// In memory where possible, so that the parameter file target is not paced
// by the disk.
char scratch_directory[32];

// The write end of the pipe that is the engine's standard input.
int input_pipe = -1;

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

// libFuzzer's flags whose value is a path (or, for artifact_prefix, the
// start of one).
const char* const PATH_FLAGS[] = {
    "-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-features_dir=", "-merge_control_file="};

void Make_paths_absolute(int* argc, char*** argv) {
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    std::perror("fuzz: working directory");
    std::abort();
  }
  const std::string here = std::string(cwd) + "/";
  auto absolute = [&](const std::string& path) { return path.empty() || path[0] == '/' ? path : here + path; };
  bool prefix_given = false;
  for (int i = 0; i < *argc; ++i) {
    std::string text = (*argv)[i];
    if (i > 0 && text[0] != '-') text = absolute(text);
    for (const char* flag : PATH_FLAGS) {
      const size_t length = std::strlen(flag);
      if (text.compare(0, length, flag) == 0) {
        text = flag + absolute(text.substr(length));
        if (std::strcmp(flag, "-artifact_prefix=") == 0) prefix_given = true;
      }
    }
    texts.push_back(text);
  }
  if (!prefix_given) texts.push_back("-artifact_prefix=" + here);
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  *argc = static_cast<int>(texts.size());
  *argv = pointers.data();
}

}  // namespace

void Fuzz_init(int* argc, char*** argv) {
  Make_paths_absolute(argc, argv);
  std::strcpy(scratch_directory, "/dev/shm/engine-fuzz-XXXXXX");
  if (mkdtemp(scratch_directory) == nullptr) {
    std::strcpy(scratch_directory, "/tmp/engine-fuzz-XXXXXX");
    if (mkdtemp(scratch_directory) == nullptr) scratch_directory[0] = '\0';
  }
  if (scratch_directory[0] == '\0' || chdir(scratch_directory) != 0) {
    std::perror("fuzz: scratch directory");
    std::abort();
  }
  std::atexit(Remove_scratch_directory);
  int ends[2];
  if (pipe(ends) != 0 || dup2(ends[0], 0) < 0) {
    std::perror("fuzz: a pipe as standard input");
    std::abort();
  }
  close(ends[0]);
  input_pipe = ends[1];
  out_silent = true;
  engine_exit_handler = Exit_to_harness;
  Init_zobrist();
}

void Fuzz_reset_engine(bool default_table) {
  static uint32_t default_mask = 0;
  if (!default_table) {
    Hash_free();
  } else if (hash_table == nullptr || hash_mask != default_mask) {
    Hash_alloc_default();
    Hash_clear();
    default_mask = hash_mask;
  }
  Eval_parameters_default();
  std::memset(moves_text, 0, sizeof moves_text);
  std::memset(&search_control, 0, sizeof search_control);
  std::memset(current_line, 0, sizeof current_line);
  std::memset(key_path, 0, sizeof key_path);
  std::memset(killer_1, 0, sizeof killer_1);
  std::memset(killer_2, 0, sizeof killer_2);
  History_clear();
  std::memset(&PV_returned, 0, sizeof PV_returned);
  // Lines a search kept for the command loop, and an end of input it saw.
  Kept_lines_clear();
  // The diagnostics append to it; it must not grow over a long run.
  unlink("_TEST_BITBOARD.txt");
}

std::string Fuzz_go_line(const std::string& line, int max_depth) {
  std::string text = line;
  long depth = 1;
  size_t start = 0;
  while (start < text.size()) {
    if (text[start] == ' ') {
      ++start;
      continue;
    }
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (max_depth == 0 && text.compare(start, end - start, "infinite") == 0) {
      text[start] = 'I';
    } else if (text.compare(start, end - start, "depth") == 0 && end < text.size()) {
      const size_t value = text.find_first_not_of(' ', end);
      if (value != std::string::npos) depth = std::strtol(text.c_str() + value, nullptr, 10);
    }
    start = end;
  }
  if (depth < 0) depth = 0;
  if (depth > max_depth) depth = max_depth;
  const std::string suffix = " 0 wtime -1000 btime -1000 movetime -1000 depth " + std::to_string(depth);
  // The "go" command keeps 65,535 characters; the suffix must survive that cut.
  const size_t keep = LINE_CAPACITY - 1 - suffix.size();
  if (text.size() > keep) text.resize(keep);
  return text + suffix;
}

void Fuzz_bound_next_search(int32_t nodes) {
  // One "stop" waits at a time: a search too short to poll leaves it for the next.
  int waiting = 0;
  if (ioctl(0, FIONREAD, &waiting) != 0) {
    std::perror("fuzz: standard input");
    std::abort();
  }
  if (waiting == 0 && write(input_pipe, "stop\n", 5) != 5) {
    std::perror("fuzz: stop for the search");
    std::abort();
  }
  Fuzz_quiescence_poll_after(nodes);
}

bool Fuzz_uci_command(const char* line, T_Bitboard* position, int64_t* nodes_counter) {
  if (setjmp(exit_point) != 0) return false;
  exit_armed = true;
  Uci_command(line, moves_text, position, nodes_counter);
  exit_armed = false;
  return true;
}

// The two record checks run after every make and unmake of the round trips,
// more often than anything else in the targets. They only read the record,
// so they are left out of the sanitizers and of the coverage count, which
// would otherwise cost more than the engine code they check.
#define FUZZ_UNINSTRUMENTED __attribute__((no_sanitize("address", "undefined", "coverage")))

FUZZ_UNINSTRUMENTED std::string Record_fault(const T_Bitboard& b) {
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
  // Every piece of a set is named on its square by its code, and the maps
  // name no more squares than the sets hold: then nothing else is named.
  bool consistent = true;
  int named = 0;
  for (int code = PIECE_PAWN; code <= PIECE_KING; ++code) {
    for (uint64_t set = b.white_piece[code]; set; set &= set - 1)
      consistent = consistent && b.white_name_from_coord[__builtin_ctzll(set)] == code;
    for (uint64_t set = b.black_piece[code]; set; set &= set - 1)
      consistent = consistent && b.black_name_from_coord[__builtin_ctzll(set)] == code;
  }
  for (int s = 0; s < 64; ++s) named += (b.white_name_from_coord[s] != 0) + (b.black_name_from_coord[s] != 0);
  consistent = consistent && named == __builtin_popcountll(white) + __builtin_popcountll(black);
  if (!consistent) {
    for (int s = 0; s < 64; ++s) {
      const uint64_t bit = uint64_t{1} << s;
      const int32_t w = b.white_name_from_coord[s], k = b.black_name_from_coord[s];
      const bool white_ok =
          w >= PIECE_NONE && w <= PIECE_KING && (w != PIECE_NONE ? (b.white_piece[w] & bit) != 0 : (white & bit) == 0);
      const bool black_ok =
          k >= PIECE_NONE && k <= PIECE_KING && (k != PIECE_NONE ? (b.black_piece[k] & bit) != 0 : (black & bit) == 0);
      if (!white_ok || !black_ok) {
        std::snprintf(text, sizeof text, "square %d: maps say %d/%d, the sets disagree", s, w, k);
        return text;
      }
    }
  }
  return std::string();
}

namespace {

// Field by field without memcmp, whose sanitizer interceptor would cost more
// than the comparison on every make and unmake.
template <typename T>
FUZZ_UNINSTRUMENTED bool Same(const T& x, const T& y) {
  return x == y;
}

template <typename T, size_t N>
FUZZ_UNINSTRUMENTED bool Same(const T (&x)[N], const T (&y)[N]) {
  T difference = 0;
  for (size_t i = 0; i < N; ++i) difference |= x[i] ^ y[i];
  return difference == 0;
}

}  // namespace

FUZZ_UNINSTRUMENTED std::string Record_difference(const T_Bitboard& e, const T_Bitboard& a, bool board_only) {
#define FUZZ_FIELD(name) \
  if (!Same(e.name, a.name)) return #name;
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
  if (board_only) return std::string();
  FUZZ_FIELD(hash_key)
  FUZZ_FIELD(eval)
  FUZZ_FIELD(white_non_pawn)
  FUZZ_FIELD(black_non_pawn)
#undef FUZZ_FIELD
  return std::string();
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
