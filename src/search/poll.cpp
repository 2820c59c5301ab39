#include <cstring>

#include "hash/table.h"
#include "platform/io.h"
#include "search/kept_lines.h"
#include "search/search.h"

void Poll(T_Search_control* control) {
  // Once the input has ended, or while the kept lines leave no room for one
  // more, nothing is read: the lines behind wait in the input, in order.
  if (!Kept_lines_ended() && Kept_lines_have_room() && Input_available() != 0) {
    if (!Read_line(control->line_poll)) {
      // The end of the input, or a line too long for the reader: the command
      // loop ends there once the lines kept before it have run.
      Kept_lines_mark_end();
    } else if (std::strcmp(control->line_poll, "quit") == 0) {
      Hash_free();
      Engine_exit(1);
    } else if (std::strcmp(control->line_poll, "stop") == 0) {
      control->stop_search = true;
    } else if (std::strcmp(control->line_poll, "isready") == 0 && Kept_lines_empty()) {
      // A GUI waits for this reply even while the engine thinks; the
      // parameters are not reloaded in the middle of a search. Behind kept
      // lines it waits its turn, so that "readyok" still follows every
      // command sent before it.
      Out("readyok \n");
      Out("\n");
    } else {
      // Any other command runs after "bestmove", in the order it came.
      Kept_lines_add(control->line_poll);
    }
  }
  if (control->stop_at_input_end && Kept_lines_ended()) control->stop_search = true;
  control->clock_now = Clock_ms();
  control->time_elapsed = (control->clock_now - control->clock_start) / 1000.0;
  if (control->time_elapsed < 0.01) control->time_elapsed = 0.01;
  if (control->time_limit > 0 && control->time_elapsed > control->time_limit) control->stop_search = true;
}
