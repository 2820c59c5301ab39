// Reach of sliding pieces from table lookups instead of ray walks. The sets
// are those of the ray tables: along each direction up to and including the
// first occupied square, or to the board edge.
//
// - Diagonals (bishop): the blockers on the square's diagonals, minus the
//   edge squares (a piece there changes nothing), are multiplied by a
//   per-square constant whose top bits then form a table index that is
//   unique for every arrangement of those blockers ("magic" multipliers).
// - A file: one multiplication gathers the file's six inner squares into
//   the top six bits; the reach found for file a is moved over to the file
//   by a second multiplication (by the file's bit on rank 1).
// - A rank: its six inner squares are six adjacent bits already; a
//   multiplication by a power of two moves them to the top, and the reach
//   along rank 1 is moved up by another.
//
// For files and ranks, each square's mask, multipliers and table row are
// kept together in one record, so that a lookup needs no shift by a variable
// count (which on x86 must first be moved into one particular register).
//
// All tables are computed at compile time; a multiplier that mapped two
// different reaches to one index would fail the build, and so would a file
// or rank lookup that differed from the ray walk.
#pragma once
#include <array>
#include <cstdint>

#include "board/tables.h"

namespace sliders_detail {

// Reach of a slider on s along the given rays with the given blockers, by
// walking the rays (used only to fill the tables).
constexpr uint64_t Walk(int s, uint64_t occupied, const tables_detail::Table* const* rays, int ray_count,
                        const bool* ascending) {
  uint64_t reach = 0;
  for (int i = 0; i < ray_count; ++i) {
    const uint64_t ray = (*rays[i])[s];
    const uint64_t hit = ray & occupied;
    if (hit == 0) {
      reach |= ray;
      continue;
    }
    int b = 0;
    if (ascending[i]) {
      while (!((hit >> b) & 1)) ++b;
    } else {
      b = 63;
      while (!((hit >> b) & 1)) --b;
    }
    reach |= ray ^ (*rays[i])[b];
  }
  return reach;
}

constexpr const tables_detail::Table* diagonal_rays[4] = {&ray_NE, &ray_NW, &ray_SE, &ray_SW};
constexpr bool diagonal_ascending[4] = {true, true, false, false};

constexpr uint64_t EDGES = 0xFF818181818181FFull;

// Blockers that can change a bishop's reach from s: its diagonals without
// the board edge.
constexpr uint64_t Diagonal_mask(int s) { return (ray_NE[s] | ray_NW[s] | ray_SE[s] | ray_SW[s]) & ~EDGES; }

// Found by trying sparse random numbers until every blocker arrangement of
// the square got an index of its own (or shared one with an arrangement of
// the same reach).
constexpr uint64_t diagonal_magic[64] = {
    0x08a0081000808010ull, 0x2442100141130000ull, 0x4004110409020040ull, 0x00020a02082008c4ull, 0x0082021000044018ull,
    0x4412014422100020ull, 0x2824841028040000ull, 0x1821490801012002ull, 0x1800102108010040ull, 0x2002900102240045ull,
    0x401004080089002cull, 0x8f00440506008230ull, 0x0530240420000240ull, 0x0000410442402002ull, 0x0002084a0220a040ull,
    0x0840a20046480480ull, 0x2040502208020080ull, 0x0042060488180110ull, 0x1004018800302201ull, 0x0008000420411000ull,
    0x3404806400a04000ull, 0x0002000901008202ull, 0x00a4000100d65000ull, 0xa02980204c0c2109ull, 0x2284851010200800ull,
    0x0401200004043400ull, 0x0108404024011202ull, 0x8008080000220020ull, 0x0420020001405010ull, 0x107000802c104400ull,
    0x6802440002090101ull, 0x80020080004c0084ull, 0x0218051002842084ull, 0x6a0801088030aa41ull, 0x0000802088100880ull,
    0x0480042008040100ull, 0x1010120080001004ull, 0x40a0008882010800ull, 0x21104102110100a2ull, 0x8000a40110044105ull,
    0x1204018440001001ull, 0x48c0480808100424ull, 0x8802002201000800ull, 0x2600006058000100ull, 0x0c09400101008211ull,
    0x1001210102020100ull, 0x0220042100620200ull, 0x021202044110aa09ull, 0x4084288410082007ull, 0x40444a0a90180188ull,
    0x001405048ad00000ull, 0x0000149c6a080008ull, 0x2000029020484400ull, 0x0400092008808400ull, 0x0010202801047007ull,
    0x1811500200404000ull, 0x030201008e212010ull, 0x0000010100822041ull, 0x0900000422011004ull, 0x2000000000840400ull,
    0x0400100940882200ull, 0x0090042444184201ull, 0x180120040400e400ull, 0x80846012004b0100ull,
};

constexpr int Bits(uint64_t set) {
  int n = 0;
  for (; set; set &= set - 1) ++n;
  return n;
}

// Where each square's entries start in the shared reach table, its blocker
// mask, multiplier and shift, together so that one lookup fetches them.
struct Diagonal_square {
  uint64_t mask;
  uint64_t magic;
  uint32_t offset;
  uint32_t shift;
};

constexpr auto diagonal_squares = [] {
  std::array<Diagonal_square, 64> squares{};
  uint32_t offset = 0;
  for (int s = 0; s < 64; ++s) {
    const int bits = Bits(Diagonal_mask(s));
    squares[s] = {Diagonal_mask(s), diagonal_magic[s], offset, static_cast<uint32_t>(64 - bits)};
    offset += uint32_t{1} << bits;
  }
  return squares;
}();

constexpr uint32_t DIAGONAL_ENTRIES = diagonal_squares[63].offset + (uint32_t{1} << (64 - diagonal_squares[63].shift));

struct Diagonal_table {
  std::array<uint64_t, DIAGONAL_ENTRIES> reach;
  bool exact;  // no index is shared by two different reaches
};

constexpr Diagonal_table diagonal_table = [] {
  Diagonal_table table{};
  std::array<bool, DIAGONAL_ENTRIES> filled{};
  table.exact = true;
  for (int s = 0; s < 64; ++s) {
    const Diagonal_square& q = diagonal_squares[s];
    uint64_t blockers = 0;
    do {
      const uint32_t index = q.offset + static_cast<uint32_t>((blockers * q.magic) >> q.shift);
      const uint64_t reach = Walk(s, blockers, diagonal_rays, 4, diagonal_ascending);
      if (filled[index] && table.reach[index] != reach) table.exact = false;
      filled[index] = true;
      table.reach[index] = reach;
      blockers = (blockers - q.mask) & q.mask;  // next subset of the mask
    } while (blockers);
  }
  return table;
}();
static_assert(diagonal_table.exact, "a diagonal multiplier maps two different reaches to one index");

// The same per-square data for the lookups, with the square's part of the
// reach table as a pointer: 32 bytes each, so that finding a square's record
// is a plain shift.
struct Diagonal_lookup {
  uint64_t mask;
  uint64_t magic;
  const uint64_t* reach;
  uint32_t shift;
};

constexpr auto diagonal_lookups = [] {
  std::array<Diagonal_lookup, 64> lookups{};
  for (int s = 0; s < 64; ++s) {
    const Diagonal_square& q = diagonal_squares[s];
    lookups[s] = {q.mask, q.magic, diagonal_table.reach.data() + q.offset, q.shift};
  }
  return lookups;
}();

// File a's inner squares (a2..a7) and the multiplier that carries the one on
// rank r (bit 8r) to bit 57 + r: the six products land on distinct bits, so
// no carry disturbs the top six.
constexpr uint64_t FILE_A_INNER = 0x0001010101010100ull;
constexpr uint64_t FILE_GATHER =
    (1ull << 50) | (1ull << 43) | (1ull << 36) | (1ull << 29) | (1ull << 22) | (1ull << 15);

constexpr const tables_detail::Table* file_rays[2] = {&ray_N, &ray_S};
constexpr bool file_ascending[2] = {true, false};

// Reach along file a from rank r for each arrangement of a2..a7 (bit i of
// the index stands for rank i + 1).
constexpr auto file_a_reach = [] {
  std::array<std::array<uint64_t, 64>, 8> table{};
  for (int rank = 0; rank < 8; ++rank) {
    for (int index = 0; index < 64; ++index) {
      uint64_t blockers = 0;
      for (int i = 0; i < 6; ++i) {
        if ((index >> i) & 1) blockers |= uint64_t{1} << (8 * (i + 1));
      }
      table[rank][index] = Walk(8 * rank, blockers, file_rays, 2, file_ascending);
    }
  }
  return table;
}();

// Reach along rank 1 from file f for each arrangement of b1..g1, as a byte.
constexpr auto rank_1_reach = [] {
  const tables_detail::Table* rays[2] = {&ray_E, &ray_W};
  const bool ascending[2] = {true, false};
  std::array<std::array<uint8_t, 64>, 8> table{};
  for (int file = 0; file < 8; ++file) {
    for (int index = 0; index < 64; ++index) {
      table[file][index] = static_cast<uint8_t>(Walk(file, static_cast<uint64_t>(index) << 1, rays, 2, ascending));
    }
  }
  return table;
}();

// Everything a file or rank lookup needs for one square: the inner squares
// of the line, the multiplier that gathers them into the top six bits, the
// square's row of file_a_reach or rank_1_reach, and the multiplier that
// moves a reach found on file a or rank 1 over to the square's line.
// 32 bytes each, so that finding a square's record is a plain shift.
template <typename Reach>
struct Line_square {
  uint64_t mask;
  uint64_t gather;
  uint64_t unit;
  const Reach* row;
};

constexpr auto file_squares = [] {
  std::array<Line_square<uint64_t>, 64> squares{};
  for (int s = 0; s < 64; ++s) {
    const int file = s & 7;
    // The products of the file's bits land where those of file a land: the
    // multiplier is shifted down by as much as the bits are shifted up.
    squares[s] = {FILE_A_INNER << file, FILE_GATHER >> file, uint64_t{1} << file, file_a_reach[s >> 3].data()};
  }
  return squares;
}();

constexpr auto rank_squares = [] {
  std::array<Line_square<uint8_t>, 64> squares{};
  for (int s = 0; s < 64; ++s) {
    const int rank_shift = s & 56;
    squares[s] = {uint64_t{63} << (rank_shift + 1), uint64_t{1} << (57 - rank_shift), uint64_t{1} << rank_shift,
                  rank_1_reach[s & 7].data()};
  }
  return squares;
}();

template <typename Reach>
constexpr uint64_t Line_lookup(const Line_square<Reach>& q, uint64_t occupied) {
  return uint64_t{q.row[((occupied & q.mask) * q.gather) >> 58]} * q.unit;
}

// Both lookups give the ray walk's reach for every square and every
// arrangement of the six inner squares of its line (the masks take out
// everything else, and a blocker on an edge square ends its ray there
// anyway).
constexpr bool Line_lookups_exact() {
  const tables_detail::Table* rank_rays[2] = {&ray_E, &ray_W};
  const bool rank_ascending[2] = {true, false};
  for (int s = 0; s < 64; ++s) {
    for (int index = 0; index < 64; ++index) {
      uint64_t on_file = 0, on_rank = 0;
      for (int i = 0; i < 6; ++i) {
        if ((index >> i) & 1) {
          on_file |= uint64_t{1} << (8 * (i + 1) + (s & 7));
          on_rank |= uint64_t{1} << ((s & 56) + i + 1);
        }
      }
      if (Line_lookup(file_squares[s], on_file) != Walk(s, on_file, file_rays, 2, file_ascending)) return false;
      if (Line_lookup(rank_squares[s], on_rank) != Walk(s, on_rank, rank_rays, 2, rank_ascending)) return false;
    }
  }
  return true;
}
static_assert(Line_lookups_exact(), "a file or rank lookup differs from the ray walk");

}  // namespace sliders_detail

// Squares a bishop on s reaches.
inline uint64_t Diagonal_reach(unsigned s, uint64_t occupied) {
  const sliders_detail::Diagonal_lookup& q = sliders_detail::diagonal_lookups[s];
  return q.reach[((occupied & q.mask) * q.magic) >> q.shift];
}

// Squares a slider on s reaches along its file.
inline uint64_t File_reach(unsigned s, uint64_t occupied) {
  return sliders_detail::Line_lookup(sliders_detail::file_squares[s], occupied);
}

// Squares a slider on s reaches along its rank.
inline uint64_t Rank_reach(unsigned s, uint64_t occupied) {
  return sliders_detail::Line_lookup(sliders_detail::rank_squares[s], occupied);
}

// What the evaluation found its sliders reach, handed to the capture
// generator of the same position so that it need not look the lines up
// again: for each queen every line, for each rook its file, for each bishop
// its diagonals (each line up to and including its first piece), indexed by
// the piece's square. Entries for other squares are not set. The reach of a
// line depends only on the occupied squares, and every move changes them,
// so the record belongs to the position whose occupied squares it names
// and serves no other; occupied = 0 (no position with a slider) until the
// evaluation fills it.
struct T_Slider_reach {
  uint64_t occupied = 0;
  uint64_t square[64];
};
