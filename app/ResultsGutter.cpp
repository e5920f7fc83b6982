#include "ResultsGutter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>

#include "Appearance.h"
#include "BridgeAdapter.h"
#include "ScrollWatcher.h"
#include "core/Layout.h"

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
    connect(bridge, &BridgeAdapter::resultsChanged, this, [this] { update(); });
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
    for (int line = 0; line < results.size(); ++line) {
        const auto y = lineNumberYOffset_->constFind(line);
        if (y == lineNumberYOffset_->constEnd()) {
            continue;
        }
        const QString& result = results[line];
        rows.push_back({line, result.isEmpty() ? QStringLiteral(" ") : result,
                        QPointF(x, Layout::resultsY(*y, verticalOffset))});
    }
    return rows;
}

void ResultsGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setPen(textColor());
    const QFontMetricsF metrics(font());
    const QRectF visible = event->rect();
    for (const Row& row : rows()) {
        if (row.position.y() + metrics.height() < visible.top() || row.position.y() > visible.bottom()) {
            continue;
        }
        painter.drawText(row.position + QPointF(0, metrics.ascent()), row.text);
    }
}

} // namespace tarvine
