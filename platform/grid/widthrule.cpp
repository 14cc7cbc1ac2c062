#include "widthrule.h"

namespace vexor {

WidthMode widthModeForScreen(int screenWidth)
{
    return screenWidth > kNarrowScreenWidth ? WidthMode::Proportional : WidthMode::BestFit;
}

int widthUnit(int gridWidth, int weightSum)
{
    if (weightSum <= 0 || gridWidth <= kWidthRuleMargin)
        return 0;
    return (gridWidth - kWidthRuleMargin) / weightSum;  // integer division truncates
}

std::vector<int> proportionalWidths(const std::vector<int> &weights, int gridWidth)
{
    int sum = 0;
    for (int w : weights) {
        if (w > 0)
            sum += w;
    }
    const int unit = widthUnit(gridWidth, sum);
    std::vector<int> widths;
    widths.reserve(weights.size());
    for (int w : weights)
        widths.push_back(w > 0 ? w * unit : -1);
    return widths;
}

} // namespace vexor
