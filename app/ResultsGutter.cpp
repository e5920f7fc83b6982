#include "ResultsGutter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>

#include "Appearance.h"
#include "BridgeAdapter.h"
#include "ScrollWatcher.h"
#include "core/Layout.h"

#include <algorithm>

namespace tarvine {

ResultsGutter::ResultsGutter(const BridgeAdapter* bridge, const ScrollWatcher* scrollWatcher,
                             const QHash<int, qreal>* lineNumberYOffset, QWidget* parent)
    : QWidget(parent)
    , bridge_(bridge)
    , scrollWatcher_(scrollWatcher)
    , lineNumberYOffset_(lineNumberYOffset)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFont(Appearance::monospacedFont());
    connect(bridge, &BridgeAdapter::resultsChanged, this, [this] { resultsChanged(); });
    connect(scrollWatcher, &ScrollWatcher::verticalOffsetChanged, this, [this] { update(); });
}

void ResultsGutter::setRightPadding(qreal rightPadding)
{
    if (rightPadding_ != rightPadding) {
        rightPadding_ = rightPadding;
        update();
    }
}

void ResultsGutter::setResultsGutterVersionOne(bool on)
{
    if (resultsGutterVersionOne_ != on) {
        resultsGutterVersionOne_ = on;
        update();
    }
}

QColor ResultsGutter::textColor() const
{
    if (resultsGutterVersionOne_) {
        return Qt::blue;
    }
    // Black, unless black would vanish on a dark window.
    return Appearance::colorScheme(palette()) == ColorScheme::light ? QColor(Qt::black) : Appearance::labelColor();
}

std::vector<ResultsGutter::Row> ResultsGutter::rows() const
{
    std::vector<Row> rows;
    if (lineNumberYOffset_->isEmpty()) {
        return rows;
    }
    const QStringList& results = bridge_->renderedOutputList();
    const qreal x = Layout::resultsX(width(), rightPadding_);
    const qreal verticalOffset = scrollWatcher_->verticalOffset();
    const auto add = [&](int line, qreal y) {
        const QString& result = results[line];
        rows.push_back({line, result.isEmpty() ? QStringLiteral(" ") : result,
                        QPointF(x, Layout::resultsY(y, verticalOffset))});
    };
    // Usually few lines have been drawn: walk those rather than every line.
    if (lineNumberYOffset_->size() < results.size()) {
        for (auto y = lineNumberYOffset_->constBegin(); y != lineNumberYOffset_->constEnd(); ++y) {
            if (y.key() >= 0 && y.key() < results.size()) {
                add(y.key(), y.value());
            }
        }
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.line < b.line; });
        return rows;
    }
    for (int line = 0; line < results.size(); ++line) {
        const auto y = lineNumberYOffset_->constFind(line);
        if (y != lineNumberYOffset_->constEnd()) {
            add(line, *y);
        }
    }
    return rows;
}

QRect ResultsGutter::rowArea(QPointF position) const
{
    // From the row's left edge to the right edge, where every result ends:
    // cheaper than shaping the text to measure it.
    const qreal left = position.x();
    return QRectF(left, position.y(), std::max<qreal>(width() - left, 0), QFontMetricsF(font()).height())
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

void ResultsGutter::resultsChanged()
{
    // A keystroke changes a result or two: only their rows are repainted,
    // and with them nothing of the editor below. Fewer lines repaint all.
    // Past a screenful of rows, one rectangle is cheaper than many.
    constexpr std::size_t maxRowUpdates = 64;
    const qsizetype lineCount = bridge_->renderedOutputList().size();
    if (lineCount < shownLineCount_ || bridge_->changedLines().size() > maxRowUpdates) {
        update();
    } else {
        const qreal x = Layout::resultsX(width(), rightPadding_);
        const qreal verticalOffset = scrollWatcher_->verticalOffset();
        for (const qsizetype line : bridge_->changedLines()) {
            const auto y = lineNumberYOffset_->constFind(static_cast<int>(line));
            if (y != lineNumberYOffset_->constEnd()) {
                update(rowArea(QPointF(x, Layout::resultsY(*y, verticalOffset))));
            }
        }
    }
    shownLineCount_ = lineCount;
}

void ResultsGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setPen(textColor());
    const QFontMetricsF metrics(font());
    const QRegion& region = event->region();
    for (const Row& row : rows()) {
        if (region.intersects(rowArea(row.position))) {
            painter.drawText(row.position + QPointF(0, metrics.ascent()), row.text);
        }
    }
}

} // namespace tarvine
