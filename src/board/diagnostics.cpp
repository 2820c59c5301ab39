#include "board/diagnostics.h"

#include <cstdio>

#include "platform/io.h"

namespace {

void Say(const char* text, int64_t value) {
  Out(text);
  Out_int(value);
  Out("\n");
}

void Say(const char* text) {
  Out(text);
  Out("\n");
}

// One body for both colours: the caller passes the mover's map, the
// opponent's map and the texts that name them.
void Check_capture(int count, int from, int to, const T_Bitboard* position, int name_figure, const int32_t* own_names,
                   const int32_t* their_names, const char* own_text, const char* their_text) {
  if (count < 0 || count > 256) Say("ERROR Generator_captures p= ", count);
  const bool from_ok = from >= 0 && from <= 63;
  const bool to_ok = to >= 0 && to <= 63;
  if (!from_ok) Say("ERROR Generator_captures from= ", from);
  if (!to_ok) Say("ERROR Generator_captures to= ", to);
  // A square outside the board has no map entry to look at.
  if (from_ok && (own_names[from] < 1 || own_names[from] > 6)) Say(own_text, own_names[from]);
  if (to_ok && (their_names[to] < 1 || their_names[to] > 6)) {
    Say(their_text, their_names[to]);
    Say("ERROR Generator_captures from= ", from);
    Say("ERROR Generator_captures to= ", to);
    Say("ERROR Generator_captures name_figure= ", name_figure);
    Dump_bitboard(position);
  }
}

void Dump_grid(FILE* file, uint64_t set) {
  for (int rank = 7; rank >= 0; --rank) {
    for (int file_index = 0; file_index < 8; ++file_index) {
      std::fputs((set >> (rank * 8 + file_index)) & 1 ? "1 " : "0 ", file);
    }
    std::fputs("\n", file);
  }
}

void Compare(bool differs, const char* text) {
  if (differs) Say(text);
}

}  // namespace

void Error_generator_captures_white(int count, int from, int to, const T_Bitboard* position, int name_figure) {
  Check_capture(count, from, to, position, name_figure, position->white_name_from_coord,
                position->black_name_from_coord, "ERROR Generator_captures p_bitboard->white_name_from_coord[*from] = ",
                "ERROR Generator_captures p_bitboard->black_name_from_coord[*p_to]= ");
}

void Error_generator_captures_black(int count, int from, int to, const T_Bitboard* position, int name_figure) {
  Check_capture(count, from, to, position, name_figure, position->black_name_from_coord,
                position->white_name_from_coord,
                "ERROR Generator_captures p_bitboard->black_name_from_coord[*p_from] = ",
                "ERROR Generator_captures p_bitboard->white_name_from_coord[*p_to]= ");
}

void Error_generator_move(int count, int from, int to) {
  if (count < 0 || count > 256) Say("ERROR Generator_move p= ", count);
  if (from < 0 || from > 63) Say("ERROR Generator_move from= ", from);
  if (to < 0 || to > 63) Say("ERROR Generator_move to= ", to);
}

void Dump_bitboard(const T_Bitboard* position) {
  FILE* file = std::fopen("_TEST_BITBOARD.txt", "a");
  if (file == nullptr) return;  // nothing can be written this time; the next dump tries again
  std::fprintf(file, "bitboard->colour_move = %d\n", position->colour_move ? 1 : 0);
  std::fprintf(file, "\n");
  std::fprintf(file, "p_bitboard->taking_passage_yes= %d\n", position->taking_passage_yes ? 1 : 0);
  std::fprintf(file, "bitboard->taking_passage_x= %d\n", static_cast<int>(position->taking_passage_x));
  std::fprintf(file, "p_bitboard->taking_passage_y= %d\n", static_cast<int>(position->taking_passage_y));
  std::fprintf(file, "\n");
  std::fprintf(file, "p_bitboard->castling_K= %d\n", position->castling_K ? 1 : 0);
  std::fprintf(file, "p_bitboard->castling_Q= %d\n", position->castling_Q ? 1 : 0);
  std::fprintf(file, "p_bitboard->castling_k= %d\n", position->castling_k ? 1 : 0);
  std::fprintf(file, "p_bitboard->castling_q= %d\n", position->castling_q ? 1 : 0);
  std::fprintf(file, "------------------------\n");
  std::fprintf(file, "\n\n");
  std::fprintf(file, "all_white_piece\n");
  Dump_grid(file, position->all_white_piece);
  std::fprintf(file, "\n");
  std::fprintf(file, "all_black_piece\n");
  Dump_grid(file, position->all_black_piece);
  std::fprintf(file, "\n");
  std::fprintf(file, "white_piece\n");
  for (int n = 1; n <= 6; ++n) {
    std::fprintf(file, "\n%d\n", n);
    Dump_grid(file, position->white_piece[n]);
  }
  std::fprintf(file, "\n");
  std::fprintf(file, "black_piece\n");
  for (int n = 1; n <= 6; ++n) {
    std::fprintf(file, "\n%d\n", n);
    Dump_grid(file, position->black_piece[n]);
  }
  std::fprintf(file, "============================================\n");
  std::fclose(file);
}

void Test_bitboard(const T_Bitboard* saved, const T_Bitboard* position) {
  Compare(saved->all_piece != position->all_piece, "white test_all_piece != bitboard->all_piece");
  Compare(saved->all_white_piece != position->all_white_piece,
          "white test_all_white_piece != bitboard->all_white_piece");
  Compare(saved->all_black_piece != position->all_black_piece,
          "white test_all_black_piece != bitboard->all_black_piece");
  Compare(saved->colour_move != position->colour_move, "white test_colour_move != bitboard->colour_move");
  Compare(saved->taking_passage_yes != position->taking_passage_yes,
          "white test_taking_passage_yes != bitboard->taking_passage_yes");
  Compare(saved->taking_passage_x != position->taking_passage_x,
          "white test_taking_passage_x != bitboard->taking_passage_x");
  Compare(saved->taking_passage_y != position->taking_passage_y,
          "white test_taking_passage_y != bitboard->taking_passage_y");
  Compare(saved->castling_Q != position->castling_Q, "white test_castling_Q != bitboard->castling_Q");
  Compare(saved->castling_K != position->castling_K, "white test_castling_K != bitboard->castling_K");
  Compare(saved->castling_q != position->castling_q, "white test_castling_q != bitboard->castling_q");
  Compare(saved->castling_k != position->castling_k, "white test_castling_k != bitboard->castling_k");
  Compare(saved->hash_key != position->hash_key, "white test_hash_key !=  bitboard->hash_key");
  Compare(saved->eval != position->eval, "white test_eval != bitboard->eval");
  for (int n = 0; n <= 6; ++n) {
    if (saved->white_piece[n] != position->white_piece[n])
      Say("white test_white_piece[n] = bitboard->white_piece[n]", n);
    if (saved->black_piece[n] != position->black_piece[n])
      Say("white test_black_piece[n] = bitboard->black_piece[n]", n);
  }
  for (int k = 0; k < 64; ++k) {
    if (saved->white_name_from_coord[k] != position->white_name_from_coord[k])
      Say("white test_white_name_from_coord[k] = bitboard->white_name_from_coord[k]", k);
    if (saved->black_name_from_coord[k] != position->black_name_from_coord[k])
      Say("white test_black_name_from_coord[k] = bitboard->black_name_from_coord[k]", k);
  }
}
