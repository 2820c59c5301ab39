// Move ordering: the sorts, the killer moves and the history table.
#pragma once
#include <cstdint>

#include "board/move.h"

constexpr int KILLER_PLIES = 100;

extern int32_t killer_1[KILLER_PLIES];
extern int32_t killer_2[KILLER_PLIES];
extern int32_t history[64][64];

void Sort_list(T_List_moves* list);
void Sort_captures(T_List_moves* list);
void Killers_first(T_List_moves* list, int start, int ply);
void History_add(int32_t move);
void History_clear();
