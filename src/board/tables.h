// Constant square-set tables, computed at compile time, and the two bit scans.
#pragma once
#include <array>
#include <cstdint>

namespace tables_detail {

using Table = std::array<uint64_t, 64>;

constexpr bool on_board(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

constexpr uint64_t bit(int file, int rank) { return uint64_t{1} << (rank * 8 + file); }

constexpr Table make_steps(const int (&df)[8], const int (&dr)[8]) {
  Table t{};
  for (int s = 0; s < 64; ++s) {
    uint64_t set = 0;
    for (int k = 0; k < 8; ++k) {
      int f = s % 8 + df[k], r = s / 8 + dr[k];
      if (on_board(f, r)) set |= bit(f, r);
    }
    t[s] = set;
  }
  return t;
}

constexpr Table make_ray(int df, int dr) {
  Table t{};
  for (int s = 0; s < 64; ++s) {
    uint64_t set = 0;
    int f = s % 8 + df, r = s / 8 + dr;
    while (on_board(f, r)) {
      set |= bit(f, r);
      f += df;
      r += dr;
    }
    t[s] = set;
  }
  return t;
}

// Pawn captures exist only from ranks 2..7.
constexpr Table make_pawn_captures(int dr) {
  Table t{};
  for (int s = 0; s < 64; ++s) {
    int f = s % 8, r = s / 8;
    uint64_t set = 0;
    if (r >= 1 && r <= 6) {
      if (f > 0) set |= bit(f - 1, r + dr);
      if (f < 7) set |= bit(f + 1, r + dr);
    }
    t[s] = set;
  }
  return t;
}

constexpr Table make_one_bit() {
  Table t{};
  for (int s = 0; s < 64; ++s) t[s] = uint64_t{1} << s;
  return t;
}

constexpr int king_df[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
constexpr int king_dr[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
constexpr int knight_df[8] = {-2, -1, 1, 2, -2, -1, 1, 2};
constexpr int knight_dr[8] = {-1, -2, -2, -1, 1, 2, 2, 1};

}  // namespace tables_detail

inline constexpr tables_detail::Table one_bit = tables_detail::make_one_bit();
inline constexpr tables_detail::Table king_moves =
    tables_detail::make_steps(tables_detail::king_df, tables_detail::king_dr);
inline constexpr tables_detail::Table knight_moves =
    tables_detail::make_steps(tables_detail::knight_df, tables_detail::knight_dr);
inline constexpr tables_detail::Table ray_N = tables_detail::make_ray(0, 1);
inline constexpr tables_detail::Table ray_S = tables_detail::make_ray(0, -1);
inline constexpr tables_detail::Table ray_W = tables_detail::make_ray(-1, 0);
inline constexpr tables_detail::Table ray_E = tables_detail::make_ray(1, 0);
inline constexpr tables_detail::Table ray_NE = tables_detail::make_ray(1, 1);
inline constexpr tables_detail::Table ray_NW = tables_detail::make_ray(-1, 1);
inline constexpr tables_detail::Table ray_SE = tables_detail::make_ray(1, -1);
inline constexpr tables_detail::Table ray_SW = tables_detail::make_ray(-1, -1);
inline constexpr tables_detail::Table white_pawn_captures = tables_detail::make_pawn_captures(1);
inline constexpr tables_detail::Table black_pawn_captures = tables_detail::make_pawn_captures(-1);

// Lowest square of a non-empty set.
inline int first_one(uint64_t set) {
#if defined(__x86_64__) || defined(__aarch64__)
  return __builtin_ctzll(set);
#else
  uint32_t low = static_cast<uint32_t>(set);
  if (low != 0) return __builtin_ctz(low);
  return 32 + __builtin_ctz(static_cast<uint32_t>(set >> 32));
#endif
}

// Highest square of a non-empty set.
inline int last_one(uint64_t set) {
#if defined(__x86_64__) || defined(__aarch64__)
  return 63 - __builtin_clzll(set);
#else
  uint32_t high = static_cast<uint32_t>(set >> 32);
  if (high != 0) return 63 - __builtin_clz(high);
  return 31 - __builtin_clz(static_cast<uint32_t>(set));
#endif
}

// Number of squares in a set. Without a population-count instruction the
// compiler's builtin becomes a library call; this bit-parallel sum is a
// dozen plain operations.
inline int popcount(uint64_t set) {
#if defined(__POPCNT__)
  return __builtin_popcountll(set);
#else
  set = set - ((set >> 1) & 0x5555555555555555ull);
  set = (set & 0x3333333333333333ull) + ((set >> 2) & 0x3333333333333333ull);
  set = (set + (set >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((set * 0x0101010101010101ull) >> 56);
#endif
}
