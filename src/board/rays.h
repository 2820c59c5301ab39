// The eight sliding directions: which ray table each uses and how the square
// nearest to the origin is found in a subset of that ray.
#pragma once
#include <cstdint>

#include "board/tables.h"

enum Direction : int { DIR_N, DIR_W, DIR_S, DIR_E, DIR_NE, DIR_NW, DIR_SW, DIR_SE };

template <Direction D>
constexpr const tables_detail::Table& Ray() {
  if constexpr (D == DIR_N)
    return ray_N;
  else if constexpr (D == DIR_W)
    return ray_W;
  else if constexpr (D == DIR_S)
    return ray_S;
  else if constexpr (D == DIR_E)
    return ray_E;
  else if constexpr (D == DIR_NE)
    return ray_NE;
  else if constexpr (D == DIR_NW)
    return ray_NW;
  else if constexpr (D == DIR_SW)
    return ray_SW;
  else
    return ray_SE;
}

// Rays going up the board (N, E, NE, NW) meet their nearest square at the
// lowest bit, the others at the highest.
template <Direction D>
constexpr bool Ray_ascends() {
  return D == DIR_N || D == DIR_E || D == DIR_NE || D == DIR_NW;
}

// Nearest square to the origin within a non-empty subset of a ray.
template <Direction D>
inline int Nearest(uint64_t subset) {
  if constexpr (Ray_ascends<D>())
    return first_one(subset);
  else
    return last_one(subset);
}

// The nearest occupied square along D from s, or -1 when the ray is empty.
template <Direction D>
inline int First_blocker(int s, uint64_t occupied) {
  const uint64_t hit = Ray<D>()[s] & occupied;
  return hit == 0 ? -1 : Nearest<D>(hit);
}
