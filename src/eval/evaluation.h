// Positional score of a position, White-positive, material excluded.
#pragma once
#include "board/bitboard.h"

int Evaluation(const T_Bitboard* position);

// The same score, always computed without the population-count instruction
// (which Evaluation uses when the processor has it); the two must agree.
int Evaluation_portable(const T_Bitboard* position);

// The evaluation keeps scores of pawn structures between calls. Whatever
// changes the weights in eval_parameters must call this before the next
// evaluation; the parameter loaders do.
void Evaluation_parameters_changed();
