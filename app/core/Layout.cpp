#include "core/Layout.h"

#include <algorithm>
#include <cstring>

namespace tarvine {

std::size_t Layout::lineCount(std::string_view source)
{
    // memchr skips a line at a time; counting byte by byte cost a whole
    // keystroke's percent on long documents.
    std::size_t lines = 1;
    const char* end = source.data() + source.size();
    for (const char* at = source.data(); at != end; ++at) {
        at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        if (!at)
            break;
        ++lines;
    }
    return lines;
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
