// Positional score of a position, White-positive, material excluded.
#pragma once
#include "board/bitboard.h"
#include "board/sliders.h"

int Evaluation(const T_Bitboard* position);

// The same score; reach receives what the sliders of the position reach
// (see T_Slider_reach), for the capture generator of this position.
int Evaluation(const T_Bitboard* position, T_Slider_reach* reach);

// The same score, always computed without the population-count instruction
// (which Evaluation uses when the processor has it); the two must agree.
int Evaluation_portable(const T_Bitboard* position);

// The evaluation keeps scores of pawn structures between calls. Whatever
// changes the weights in eval_parameters must call this before the next
// evaluation; the parameter loaders do.
void Evaluation_parameters_changed();
