#include "search/kept_lines.h"

#include <cstring>

namespace {

// Kept lines stand one after another from head to tail, each ending in its
// NUL. The store is compacted when a line does not fit behind the tail.
struct T_Kept_lines {
  int32_t head;
  int32_t tail;
  bool ended;
  char text[KEPT_LINES_CAPACITY];
};

T_Kept_lines kept;

void Compact() {
  if (kept.head == 0) return;
  std::memmove(kept.text, kept.text + kept.head, static_cast<size_t>(kept.tail - kept.head));
  kept.tail -= kept.head;
  kept.head = 0;
}

}  // namespace

bool Kept_lines_have_room() { return KEPT_LINES_CAPACITY - (kept.tail - kept.head) >= LINE_CAPACITY; }

bool Kept_lines_add(const char* line) {
  const int32_t size = static_cast<int32_t>(std::strlen(line)) + 1;
  if (size > KEPT_LINES_CAPACITY - kept.tail) Compact();
  if (size > KEPT_LINES_CAPACITY - kept.tail) return false;
  std::memcpy(kept.text + kept.tail, line, static_cast<size_t>(size));
  kept.tail += size;
  return true;
}

bool Kept_lines_empty() { return kept.head == kept.tail; }

void Kept_lines_mark_end() { kept.ended = true; }

bool Kept_lines_ended() { return kept.ended; }

bool Next_command_line(char* text) {
  if (!Kept_lines_empty()) {
    const size_t size = std::strlen(kept.text + kept.head) + 1;
    std::memcpy(text, kept.text + kept.head, size);
    kept.head += static_cast<int32_t>(size);
    if (kept.head == kept.tail) kept.head = kept.tail = 0;
    return true;
  }
  if (kept.ended) return false;
  return Read_line(text);
}

void Kept_lines_clear() {
  kept.head = kept.tail = 0;
  kept.ended = false;
}
