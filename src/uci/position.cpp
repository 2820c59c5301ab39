#include <cstring>

#include "board/makemove.h"
#include "board/move.h"
#include "board/movegen.h"
#include "platform/io.h"
#include "uci/uci.h"

namespace {

const char* const START_TEXT = "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 ";

int Piece_code(char c) {
  switch (c) {
    case 'P':
    case 'p':
      return 1;
    case 'N':
    case 'n':
      return 2;
    case 'B':
    case 'b':
      return 3;
    case 'R':
    case 'r':
      return 4;
    case 'Q':
    case 'q':
      return 5;
    case 'K':
    case 'k':
      return 6;
    default:
      return 0;
  }
}

int File_value(char c) { return (c >= 'a' && c <= 'h') ? c - 'a' : -1; }
int Rank_value(char c) { return (c >= '1' && c <= '8') ? c - '1' : -1; }

const char* Skip_blanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

void Warn_moves() { Out("WARNING ! moves error\n"); }

// Plays the move texts of a moves list one after the other.
void Replay_moves(T_Bitboard* position, const char* p) {
  while (*p != '\0') {
    // A move text needs four characters; a shorter tail ends the replay.
    if (p[1] == '\0' || p[2] == '\0' || p[3] == '\0') {
      Warn_moves();
      return;
    }
    const char from_file = p[0], from_rank = p[1], to_file = p[2], to_rank = p[3];
    p += 4;
    char promotion = '\0';
    if (*p != '\0' && *p != ' ') promotion = *p++;
    Move_from_text(position, from_file, from_rank, to_file, to_rank, promotion);
    p = Skip_blanks(p);
  }
}

}  // namespace

void Position_command(const char* line, T_Bitboard* position) {
  const char* fen = std::strstr(line, "fen ");
  const char* moves = std::strstr(line, "moves ");
  Fen_to_bitboard(position, fen != nullptr ? fen : START_TEXT);
  if (moves != nullptr) Replay_moves(position, moves + 6);
}

void Fen_to_bitboard(T_Bitboard* position, const char* fen) {
  position->all_piece = 0;
  position->all_white_piece = 0;
  position->all_black_piece = 0;
  for (int t = 0; t < 7; ++t) {
    position->white_piece[t] = 0;
    position->black_piece[t] = 0;
  }
  for (int s = 0; s < 64; ++s) {
    position->white_name_from_coord[s] = 0;
    position->black_name_from_coord[s] = 0;
  }

  const char* p = fen;
  while (*p != '\0' && *p != ' ') ++p;  // the leading word
  p = Skip_blanks(p);

  // Placement. Squares beyond the eighth file or below the first rank are
  // dropped, so an over-long field never writes outside the board.
  int rank_base = 56, file = 0;
  for (; *p != '\0' && *p != ' '; ++p) {
    const char c = *p;
    const int code = Piece_code(c);
    if (code != 0) {
      if (file >= 0 && file < 8 && rank_base >= 0) {
        const int s = rank_base + file;
        const uint64_t bit = uint64_t{1} << s;
        if (c >= 'A' && c <= 'Z') {
          position->all_white_piece |= bit;
          position->white_piece[code] |= bit;
          position->white_name_from_coord[s] = code;
        } else {
          position->all_black_piece |= bit;
          position->black_piece[code] |= bit;
          position->black_name_from_coord[s] = code;
        }
      }
      ++file;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
    } else if (c == '/') {
      rank_base -= 8;
      file = 0;
    } else {
      ++file;
    }
  }
  position->all_piece = position->all_white_piece | position->all_black_piece;
  Non_pawn_material_count(position);

  // Side to move, then past the letter and one blank.
  p = Skip_blanks(p);
  if (*p == 'w')
    position->colour_move = true;
  else if (*p == 'b')
    position->colour_move = false;
  for (int step = 0; step < 2 && *p != '\0'; ++step) ++p;

  position->castling_K = false;
  position->castling_Q = false;
  position->castling_k = false;
  position->castling_q = false;
  for (; *p != '\0' && *p != ' '; ++p) {
    switch (*p) {
      case 'K':
        position->castling_K = true;
        break;
      case 'Q':
        position->castling_Q = true;
        break;
      case 'k':
        position->castling_k = true;
        break;
      case 'q':
        position->castling_q = true;
        break;
      default:
        break;
    }
  }

  p = Skip_blanks(p);
  position->taking_passage_yes = false;
  position->taking_passage_x = 0;
  position->taking_passage_y = 0;
  if (*p == '\0' || *p == '-') return;
  position->taking_passage_yes = true;
  position->taking_passage_x = File_value(p[0]);
  position->taking_passage_y = Rank_value(p[1]);
}

void Copy_moves_text(const char* line, char* moves) {
  std::memset(moves, 0, LINE_CAPACITY);
  const char* found = std::strstr(line, "moves ");
  if (found == nullptr) return;
  std::strncpy(moves, found + 6, LINE_CAPACITY - 1);
}

void Move_from_text(T_Bitboard* position, char from_file, char from_rank, char to_file, char to_rank, char promotion) {
  const int from = File_value(from_file) + 8 * Rank_value(from_rank);
  const int to = File_value(to_file) + 8 * Rank_value(to_rank);
  const bool white = position->colour_move;

  // The White and Black entry points, not the templates of board/by_colour.h:
  // the search is then the only direct caller of those, and the compiler
  // keeps them specialized for the search (0.8% fewer instructions in the
  // bench than with the replay calling the templates).
  T_List_moves list;
  if (white) {
    Generator_captures_white(&list, position);
    Generator_move_white(position, &list);
  } else {
    Generator_captures_black(&list, position);
    Generator_move_black(position, &list);
  }

  int index = -1;
  for (int i = 0; i < list.end_list; ++i) {
    if (Move_from(list.move[i]) == from && Move_to(list.move[i]) == to) {
      index = i;
      break;
    }
  }
  if (index < 0) {
    Warn_moves();
    return;
  }

  // The four promotions of one pawn move follow each other as queen, rook,
  // bishop, knight. A letter is only meaningful on such an entry.
  int offset;
  switch (promotion) {
    case '\0':
    case 'q':
      offset = 0;
      break;
    case 'r':
      offset = 1;
      break;
    case 'b':
      offset = 2;
      break;
    case 'n':
      offset = 3;
      break;
    default:
      offset = -1;
      break;
  }
  if (offset < 0 || index + offset >= list.end_list ||
      (promotion != '\0' && !Kind_is_promotion(Move_kind(list.move[index])))) {
    Warn_moves();
    return;
  }

  T_Undo undo;
  if (white)
    Make_move_white(index + offset, position, &undo, &list);
  else
    Make_move_black(index + offset, position, &undo, &list);
  position->colour_move = !white;
}
