#include <cstring>

#include "hash/table.h"
#include "platform/io.h"
#include "search/search.h"

void Poll(T_Search_control* control) {
  if (Input_available() != 0) {
    if (!Read_line(control->line_poll)) control->line_poll[0] = '\0';
    if (std::strcmp(control->line_poll, "quit") == 0) {
      Hash_free();
      Engine_exit(1);
    } else if (std::strcmp(control->line_poll, "stop") == 0) {
      control->stop_search = true;
    } else if (std::strcmp(control->line_poll, "isready") == 0) {
      // A GUI waits for this reply even while the engine thinks; the
      // parameters are not reloaded in the middle of a search.
      Out("readyok \n");
      Out("\n");
    }
    // Any other line read during a search is dropped.
  }
  control->clock_now = Clock_ms();
  control->time_elapsed = (control->clock_now - control->clock_start) / 1000.0;
  if (control->time_elapsed < 0.01) control->time_elapsed = 0.01;
  if (control->time_limit > 0 && control->time_elapsed > control->time_limit) control->stop_search = true;
}
