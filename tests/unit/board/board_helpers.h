// Small helpers shared by the board tests: set-up from FEN and lists of moves.
#pragma once
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/bitboard.h"
#include "board/by_colour.h"
#include "board/move.h"
#include "uci/uci.h"

// The piece placement of a random FEN: each square holds a piece with
// chance 1 in one_in, drawn from pieces (FEN letters, repeats allowed).
inline std::string Random_placement(std::mt19937& random, const char* pieces, unsigned one_in) {
  const size_t kinds = std::strlen(pieces);
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      if (random() % one_in != 0) {
        ++empty;
        continue;
      }
      if (empty) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += pieces[random() % kinds];
    }
    if (empty) fen += static_cast<char>('0' + empty);
    if (rank) fen += '/';
  }
  return fen;
}

inline T_Bitboard From_fen(const std::string& fen) {
  T_Bitboard position{};
  Fen_to_bitboard(&position, ("fen " + fen).c_str());
  return position;
}

inline std::vector<std::string> Names_of(const T_List_moves& list, int begin, int end) {
  std::vector<std::string> names;
  for (int i = begin; i < end; ++i) names.push_back(Move_text(list.move[i]).text);
  return names;
}

// Captures then quiet moves of the given side, as the search builds its lists.
inline T_List_moves All_moves(const T_Bitboard& position, bool white) {
  T_List_moves list{};
  With_colour(white ? WHITE : BLACK, [&](auto us) { Generate_all<us>(list, position); });
  return list;
}

inline T_List_moves Captures_only(const T_Bitboard& position, bool white) {
  T_List_moves list{};
  With_colour(white ? WHITE : BLACK, [&](auto us) { Generate_captures<us>(list, position); });
  return list;
}
