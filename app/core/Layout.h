#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tarvine {

// The window's layout arithmetic, in device-independent pixels. Lines are
// 0-based; y values are document coordinates (the top of the document is 0).
struct Layout {
    // Padding between a ruler label and the ruler's right edge, and between
    // the text area (or the editor) and a result.
    static constexpr double labelInset = 5;
    // Space the editor leaves to the right of its widest result.
    static constexpr double resultsMargin = 10;

    // The number of lines of `source`: its pieces between line feeds, empty
    // ones included, so "" has 1 line and "a\n" has 2.
    static std::size_t lineCount(std::string_view source);
    // The ruler width for a document of `lineCount` lines: (d + 1) × 10 + 10,
    // d being the number of decimal digits of the count.
    static double gutterWidth(std::size_t lineCount);
    // x of a line-number label of width `labelWidth`, right-aligned 5 inside
    // the ruler.
    static double lineNumberLabelX(double gutterWidth, double labelWidth);
    // x, in ruler coordinates, of a result the ruler draws itself: 5 to the
    // right of the text area that follows the ruler.
    static double rulerResultX(double textAreaWidth, double gutterWidth);
    // The widest of the results' measured widths; 0 for none.
    static double widestResult(std::span<const double> widths);
    // The editor's trailing padding: room for the widest result and 10 more.
    static double editorTrailingPadding(double widestResult);
    // x of the results column in a container `containerWidth` wide, so that
    // the widest result ends 5 from the right edge.
    static double resultsX(double containerWidth, double rightPadding);
    // y, in the viewport, of a line whose top lies at document y `lineY`.
    static double resultsY(double lineY, double verticalOffset);
};

} // namespace tarvine
