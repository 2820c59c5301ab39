// Positional score of a position, White-positive, material excluded.
#pragma once
#include "board/bitboard.h"

int Evaluation(const T_Bitboard* position);

// What the last evaluation found each slider reaches, by square: for a
// queen every line, for a rook its file, for a bishop its diagonals (each
// line up to and including its first piece). Entries for other squares are
// left over from earlier positions. The capture search generates its
// captures right after evaluating and takes the reach from here.
extern uint64_t evaluated_reach[64];

// The same score, always computed without the population-count instruction
// (which Evaluation uses when the processor has it); the two must agree.
int Evaluation_portable(const T_Bitboard* position);

// The evaluation keeps scores of pawn structures between calls. Whatever
// changes the weights in eval_parameters must call this before the next
// evaluation; the parameter loaders do.
void Evaluation_parameters_changed();
