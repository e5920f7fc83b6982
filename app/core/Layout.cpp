#include "core/Layout.h"

#include <algorithm>

namespace tarvine {

std::size_t Layout::lineCount(std::string_view source)
{
    return static_cast<std::size_t>(std::count(source.begin(), source.end(), '\n')) + 1;
}

double Layout::gutterWidth(std::size_t lineCount)
{
    std::size_t digits = 1;
    for (std::size_t rest = lineCount / 10; rest != 0; rest /= 10) {
        ++digits;
    }
    return static_cast<double>(digits + 1) * 10 + 10;
}

double Layout::lineNumberLabelX(double gutterWidth, double labelWidth)
{
    return gutterWidth - (labelWidth + labelInset);
}

double Layout::rulerResultX(double textAreaWidth, double gutterWidth)
{
    return textAreaWidth + gutterWidth + labelInset;
}

double Layout::widestResult(std::span<const double> widths)
{
    return widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
}

double Layout::editorTrailingPadding(double widestResult)
{
    return widestResult + resultsMargin;
}

double Layout::resultsX(double containerWidth, double rightPadding)
{
    return containerWidth - rightPadding - labelInset;
}

double Layout::resultsY(double lineY, double verticalOffset)
{
    return lineY - verticalOffset;
}

} // namespace tarvine
