#include "search/control.h"

T_Search_control search_control;
int32_t current_line[CURRENT_LINE_SIZE];
uint64_t key_path[KEY_PATH_SIZE];
