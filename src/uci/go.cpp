#include <cstdlib>
#include <cstring>

#include "uci/uci.h"

char go_text[LINE_CAPACITY];

namespace {

// Cuts text in place into tokens separated by runs of blanks.
int Tokenize(char* text, char** tokens, int capacity) {
  int count = 0;
  char* p = text;
  while (*p != '\0') {
    while (*p == ' ') ++p;
    if (*p == '\0') break;
    if (count < capacity) tokens[count++] = p;
    while (*p != '\0' && *p != ' ') ++p;
    if (*p == ' ') *p++ = '\0';
  }
  return count;
}

int Square_of(char file, char rank) {
  const int f = (file >= 'a' && file <= 'h') ? file - 'a' : -1;
  const int r = (rank >= '1' && rank <= '8') ? rank - '1' : -1;
  return f + 8 * r;
}

}  // namespace

void Last_moves_from_text(const char* moves, T_Last_moves* last_moves) {
  const int n = static_cast<int>(std::strlen(moves));
  const int start = n >= 20 ? n - 19 : 0;
  for (int j = 0; j < 4; ++j) {
    last_moves->from_square[j] = j + 1;
    last_moves->to_square[j] = j + 1;
  }
  // Steps of five characters: four-character move texts and one blank.
  for (int j = 0; start + 5 * j < n && j < 101; ++j) {
    const int k = start + 5 * j;
    const char c1 = moves[k];
    const char c2 = k + 1 < n ? moves[k + 1] : '\0';
    const char c3 = k + 2 < n ? moves[k + 2] : '\0';
    const char c4 = k + 3 < n ? moves[k + 3] : '\0';
    last_moves->from_square[j] = Square_of(c1, c2);
    last_moves->to_square[j] = Square_of(c3, c4);
  }
}

void Go_command(const char* line, T_Bitboard* position, const char* moves, int64_t* nodes_counter) {
  // The line and its NUL only (strncpy would fill the rest of the 64 KiB
  // buffer with zeros).
  const size_t length = strnlen(line, LINE_CAPACITY - 1);
  std::memcpy(go_text, line, length);
  go_text[length] = '\0';

  // A line of 65,535 characters holds at most 32,768 tokens.
  static char* tokens[LINE_CAPACITY / 2 + 1];
  const int count = Tokenize(go_text, tokens, LINE_CAPACITY / 2 + 1);

  T_Go_limits limits = {-1, -1.0, -1.0, -1.0, false};
  // The first token is the command word itself. A keyword that needs a
  // value but ends the line counts as absent.
  for (int t = 1; t < count; ++t) {
    const char* token = tokens[t];
    const bool has_value = t + 1 < count;
    if (std::strcmp(token, "depth") == 0) {
      if (has_value) limits.depth = std::atoi(tokens[++t]);
    } else if (std::strcmp(token, "wtime") == 0) {
      if (has_value) limits.wtime = std::atoi(tokens[++t]) / 1000.0;
    } else if (std::strcmp(token, "btime") == 0) {
      if (has_value) limits.btime = std::atoi(tokens[++t]) / 1000.0;
    } else if (std::strcmp(token, "movetime") == 0) {
      if (has_value) limits.movetime = std::atoi(tokens[++t]) / 1000.0;
    } else if (std::strcmp(token, "winc") == 0 || std::strcmp(token, "binc") == 0 ||
               std::strcmp(token, "movestogo") == 0) {
      if (has_value) ++t;
    } else if (std::strcmp(token, "infinite") == 0) {
      limits.infinite = true;
    }
  }

  T_Last_moves last_moves;
  Last_moves_from_text(moves, &last_moves);
  Deepening(position, &last_moves, nodes_counter, limits.depth, limits.infinite, limits.wtime, limits.btime,
            limits.movetime);
}
