#pragma once

// The column-width rule shared by the grids: on screens wider than 1152 pixels every visible
// column gets its weight times a unit, the unit being (grid width - 30) / (sum of the visible
// weights) truncated; on narrower screens each column is fitted to its content. Plain
// functions so that the numbers can be checked without a window.

#include <vector>

namespace vexor {

inline constexpr int kNarrowScreenWidth = 1152;
// Room left for the row indicator and the vertical scroll bar.
inline constexpr int kWidthRuleMargin = 30;

enum class WidthMode { Proportional, BestFit };

// Proportional only when the screen is wider than 1152 pixels.
WidthMode widthModeForScreen(int screenWidth);

// truncate((gridWidth - 30) / weightSum); 0 when nothing is left to share or no weight is
// given (a grid narrower than its margin must not get negative widths, an empty sum must not
// divide by zero).
int widthUnit(int gridWidth, int weightSum);

// The width of each column from its weight: weight x unit over the columns with a weight
// above 0. Columns without a weight (0 or less) take no share and get -1: they keep whatever
// width they have.
std::vector<int> proportionalWidths(const std::vector<int> &weights, int gridWidth);

} // namespace vexor
