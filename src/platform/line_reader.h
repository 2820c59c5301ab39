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

// Read_line_from (platform/input_buffer.h) over the reader's descriptor.
bool Line_reader_read(T_Line_reader* reader, char* text);

// Nonzero when Line_reader_read would find a first byte without waiting:
// bytes already held count, then the descriptor is polled without waiting.
// A hung-up or failing descriptor counts as input waiting, so that the next
// read reports the end.
unsigned Line_reader_available(T_Line_reader* reader);
