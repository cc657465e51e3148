// What the units of the sheet's layout share beyond sheet.h: rounding as the window rounds,
// points to pixels, and the room a page gives each problem. Not part of the public API.
#pragma once

#include <cmath>

#include "sheet.h"

namespace kolvara::layout {

// Rounds halves to the even neighbour (the default floating-point rounding mode).
inline int R(double x) { return int(std::nearbyint(x)); }

inline constexpr double PixelsPerPoint = 96.0 / 72.0;

// The room every problem gets, when the page gives the widest.
WritingRoom roomOf(const Sheet &sheet);

}  // namespace kolvara::layout
