// The engine's own line reader over a file descriptor. Standard input is read
// through one instance of it (Read_line, Input_available); tests run it over
// pipes of their own.
#pragma once
#include "platform/input_buffer.h"

struct T_Line_reader {
  int fd;
  T_Input_buffer held;
};

// Starts a reader on fd with nothing held (an all-zero record is a reader on fd 0).
void Line_reader_init(T_Line_reader* reader, int fd);

// Reads one line into text (LINE_CAPACITY bytes), without its line feed and
// without a carriage return just before the line feed. A last line that ends
// at the end of input is a good read. Returns false at the end of input before
// any character, on a read error, or when 65,535 characters are stored and the
// next is not the line end.
bool Line_reader_read(T_Line_reader* reader, char* text);

// Nonzero when Line_reader_read would find a first byte without waiting:
// bytes already held count, then the descriptor is polled without waiting.
// A hung-up or failing descriptor counts as input waiting, so that the next
// read reports the end.
unsigned Line_reader_available(T_Line_reader* reader);
