// Recognition of the interface's command lines and the replies given at once.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "eval/parameters.h"
#include "hash/table.h"
#include "hash/zobrist.h"
#include "platform/io.h"
#include "uci/uci.h"

// go_text belongs to the "go" command's own file, which cuts it into tokens.
char line_text[LINE_CAPACITY];
char moves_text[LINE_CAPACITY];

namespace {

// Set once "isready" (or a "go" that came first) has loaded the evaluation parameters.
bool eval_parameters_loaded = false;

bool Equals(const char* line, const char* text) { return std::strcmp(line, text) == 0; }

bool Begins_with(const char* line, const char* text) { return std::strncmp(line, text, std::strlen(text)) == 0; }

// A decimal integer read like atoi, except that values beyond the int range
// saturate instead of wrapping (so a huge Hash value means the maximum).
int Read_int(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void Identify() {
  Out("id name Tavox_j1_3_Beta_18_8_2009\n");
  Out("id author Oskelvar\n");
  Out("option name Hash type spin default 1 min 1 max 1024\n");
  Hash_alloc_default();
  Hash_clear();
  Out("uciok \n");
}

void Ready() {
  if (Read_parameters_eval() == 0) Eval_parameters_default();
  eval_parameters_loaded = true;
  Out("readyok \n");
  Out("\n");
}

void Set_option(const char* line) {
  static const char hash_value[] = "Hash value ";
  const char* found = std::strstr(line, hash_value);
  if (found == nullptr) return;
  int megabytes = Read_int(found + sizeof hash_value - 1);
  if (megabytes == -1) return;
  Hash_resize(megabytes);
  Hash_clear();
}

}  // namespace

void Ensure_search_ready() {
  if (hash_table == nullptr) {
    Hash_alloc_default();
    Hash_clear();
  }
  if (!eval_parameters_loaded) {
    Eval_parameters_default();
    eval_parameters_loaded = true;
  }
}

void Uci_command(const char* line, char* moves, T_Bitboard* position, int64_t* nodes_counter) {
  if (Equals(line, "uci")) {
    Identify();
  } else if (Equals(line, "isready")) {
    Ready();
  } else if (Begins_with(line, "setoption ")) {
    Set_option(line);
  } else if (Begins_with(line, "position ")) {
    Position_command(line, position);
    Copy_moves_text(line, moves);
  } else if (Begins_with(line, "go")) {
    // A "go" before "uci" or "isready" still searches, with the default table and weights.
    Ensure_search_ready();
    Start_hash_key(position);
    Go_command(line, position, moves, nodes_counter);
  } else if (Equals(line, "quit")) {
    Hash_free();
    Engine_exit(1);
  } else if (Equals(line, "ucinewgame") || Begins_with(line, "debug ") || Equals(line, "ponderhit") ||
             Equals(line, "stop")) {
    // Accepted and ignored.
  } else {
    Out("WARNING ! Unknown command\n");
  }
}
