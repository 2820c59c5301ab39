// Standard input as every platform layer reads it: bytes taken from the
// operating system a block at a time into a buffer of the engine's own, and
// split into lines there. A platform layer supplies only the read of one
// block; what a line is, and what ends or spoils one, is decided here once.
#pragma once
#include <cstdint>

#include "platform/io.h"

constexpr int LINE_MAX_CHARS = LINE_CAPACITY - 1;  // 65,535
constexpr int INPUT_BUFFER_BYTES = 4096;

// What a block read returns instead of the count of bytes read (at least
// one), and the byte functions below instead of a byte (0..255).
constexpr int END_OF_INPUT = -1;
constexpr int READ_ERROR = -2;

// All zero: nothing held.
struct T_Input_buffer {
  int32_t next;  // first byte of buffer not yet handed out
  int32_t end;   // one past the last byte held
  char buffer[INPUT_BUFFER_BYTES];
};

// Bytes held and not yet handed out: input that has already left the
// operating system, which an input test must count first.
inline unsigned Input_buffer_held(const T_Input_buffer& in) { return static_cast<unsigned>(in.end - in.next); }

namespace input_buffer_detail {

// The next byte without taking it, reading a block when none is held.
template <class Read_block>
int Peek_byte(T_Input_buffer& in, Read_block& read_block) {
  if (in.next >= in.end) {
    // The read may wait: whatever was written must be out first.
    Out_flush();
    const int got = read_block(in.buffer, INPUT_BUFFER_BYTES);
    if (got < 0) return got;
    in.next = 0;
    in.end = got;
  }
  return static_cast<unsigned char>(in.buffer[in.next]);
}

}  // namespace input_buffer_detail

// Reads one line into text (LINE_CAPACITY bytes), without its line feed and
// without a carriage return just before the line feed (interfaces on
// Windows end their lines with CR LF). A last line that ends at the end of
// input is a good read. Returns false at the end of input before any
// character, on a read error, or when 65,535 characters are stored and the
// next is not the line end.
//
// read_block(char* block, int size) reads at most size bytes, waiting for
// at least one, and returns their count, END_OF_INPUT or READ_ERROR.
template <class Read_block>
bool Read_line_from(T_Input_buffer& in, char* text, Read_block read_block) {
  using input_buffer_detail::Peek_byte;
  int count = 0;
  for (;;) {
    const int c = Peek_byte(in, read_block);
    if (c == READ_ERROR) {
      text[count] = '\0';
      return false;
    }
    if (c == END_OF_INPUT) {
      // A last line without a line feed is still a line (its line end below
      // included); nothing at all is the end.
      if (count == 0) {
        text[0] = '\0';
        return false;
      }
      break;
    }
    ++in.next;
    if (c == '\n') break;
    if (count == LINE_MAX_CHARS) {
      // The buffer is full: only the line end may follow. A CR LF pair still
      // ends the line, since the CR would be removed anyway.
      if (c == '\r' && Peek_byte(in, read_block) == '\n') {
        ++in.next;
        break;
      }
      text[count] = '\0';
      return false;
    }
    text[count++] = static_cast<char>(c);
  }
  if (count > 0 && text[count - 1] == '\r') --count;
  text[count] = '\0';
  return true;
}
