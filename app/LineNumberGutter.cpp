#include "LineNumberGutter.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

#include "Appearance.h"
#include "HighlightingEditor/TextView.h"
#include "core/Layout.h"

namespace tarvine {

// A transparent layer over the whole host that shows the results the ruler
// drew: they lie outside the ruler, where it cannot paint.
class ResultLayer : public QWidget {
public:
    explicit ResultLayer(QWidget* host)
        : QWidget(host)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(host->rect());
        host->installEventFilter(this);
        show();
    }

    std::vector<LineNumberGutter::Label> results;
    QFont font;

    // Takes the results of a pass and repaints only what changed.
    void setResults(std::vector<LineNumberGutter::Label> newResults, const QFont& newFont)
    {
        const auto same = [](const LineNumberGutter::Label& a, const LineNumberGutter::Label& b) {
            return a.line == b.line && a.text == b.text && a.position == b.position;
        };
        QRegion dirty;
        if (newFont == font && results.size() == newResults.size()) {
            // Typing changes a result or two of the same lines.
            for (std::size_t i = 0; i < results.size(); ++i) {
                if (!same(results[i], newResults[i])) {
                    dirty += area(results[i]);
                    dirty += area(newResults[i]);
                }
            }
            if (dirty.isEmpty()) {
                return;
            }
        } else {
            for (const auto& label : results) {
                dirty += area(label);
            }
            for (const auto& label : newResults) {
                dirty += area(label);
            }
        }
        font = newFont;
        results = std::move(newResults);
        update(dirty);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.setFont(font);
        painter.setPen(Appearance::labelColor());
        const QFontMetricsF metrics(font);
        for (const auto& result : results) {
            if (event->region().intersects(area(result))) {
                painter.drawText(result.position + QPointF(0, metrics.ascent()), result.text);
            }
        }
    }

private:
    // A result's row, from its left edge to the layer's right edge, where
    // every result ends: cheaper than shaping its text to measure it.
    QRect area(const LineNumberGutter::Label& label) const
    {
        const QFontMetricsF metrics(font);
        const qreal left = label.position.x();
        return QRectF(left, label.position.y(), std::max<qreal>(width() - left, 0), metrics.height())
            .toAlignedRect()
            .adjusted(-1, -1, 1, 1);
    }
};

LineNumberGutter::LineNumberGutter(TextView* textView, QColor foregroundColor, QColor backgroundColor,
                                   LineNumberToResult lineNumberToResult, LineNumberPosition lineNumberPosition,
                                   qreal gutterWidth, QWidget* resultLayerHost)
    : QWidget(textView)
    , textView_(textView)
    , foregroundColor_(foregroundColor)
    , backgroundColor_(backgroundColor)
    , lineNumberToResult_(std::move(lineNumberToResult))
    , lineNumberPosition_(std::move(lineNumberPosition))
    , gutterWidth_(gutterWidth)
    , resultLayer_(new ResultLayer(resultLayerHost))
{
    textView->setVerticalRuler(this);
    textView->setRulerThickness(static_cast<int>(std::ceil(gutterWidth_)));
    // Every repaint of the text (typing, scrolling, the caret) repaints the
    // ruler beside it: all of it when the text scrolled, else the same band.
    connect(textView, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0) {
            update();
        } else {
            update(0, rect.y(), width(), rect.height());
        }
    });
}

LineNumberGutter::~LineNumberGutter()
{
    delete resultLayer_;
}

const std::vector<LineNumberGutter::Label>& LineNumberGutter::drawnResults() const
{
    static const std::vector<Label> none;
    return resultLayer_ ? resultLayer_->results : none;
}

void LineNumberGutter::setGutterWidth(qreal gutterWidth)
{
    if (gutterWidth_ == gutterWidth) {
        return;
    }
    gutterWidth_ = gutterWidth;
    if (textView_) {
        textView_->setRulerThickness(static_cast<int>(std::ceil(gutterWidth_)));
    }
    update();
}

void LineNumberGutter::setColors(QColor foregroundColor, QColor backgroundColor)
{
    foregroundColor_ = foregroundColor;
    backgroundColor_ = backgroundColor;
    update();
}

void LineNumberGutter::setLineNumberToResult(LineNumberToResult lineNumberToResult)
{
    lineNumberToResult_ = std::move(lineNumberToResult);
    update();
}

void LineNumberGutter::refreshResults()
{
    if (!textView_ || !resultLayer_) {
        return;
    }
    const QFont font = textView_->font();
    resultLayer_->setResults(resultsOf(textView_->visibleLines()), font);
}

std::vector<LineNumberGutter::Label> LineNumberGutter::resultsOf(const std::vector<VisibleLine>& lines) const
{
    std::vector<Label> results;
    QWidget* host = resultLayer_ ? resultLayer_->parentWidget() : nullptr;
    if (!lineNumberToResult_ || !host || !textView_) {
        return results;
    }
    const qreal resultX = Layout::rulerResultX(textView_->textAreaWidth(), gutterWidth_);
    results.reserve(lines.size());
    for (const VisibleLine& line : lines) {
        results.push_back({line.index, lineNumberToResult_(line.index), mapTo(host, QPointF(resultX, line.top))});
    }
    return results;
}

qreal LineNumberGutter::labelWidth(const QFontMetricsF& metrics, const QString& number)
{
    // The same few numbers are drawn on every keystroke; shaping them each
    // time cost more than the rest of the ruler.
    if (const auto known = labelWidths_.constFind(number); known != labelWidths_.constEnd()) {
        return *known;
    }
    constexpr qsizetype maxKnownWidths = 1000;
    if (labelWidths_.size() >= maxKnownWidths) {
        labelWidths_.clear();
    }
    const qreal width = metrics.horizontalAdvance(number);
    labelWidths_.insert(number, width);
    return width;
}

void LineNumberGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect r = event->rect();
    painter.fillRect(QRectF(r.x(), r.y(), gutterWidth_, r.height()), backgroundColor_);
    drawnLineNumbers_.clear();
    if (!textView_) {
        return;
    }

    const QFont font = textView_->font();
    if (font != labelFont_) {
        labelFont_ = font;
        labelWidths_.clear();
    }
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(foregroundColor_);
    // The ruler's top is the viewport's top, so viewport y is ruler y.
    const qreal verticalOffset = textView_->verticalOffset();
    const std::vector<VisibleLine> lines = textView_->visibleLines();

    for (const VisibleLine& line : lines) {
        const QString number = QString::number(line.index + 1);
        const QPointF position(Layout::lineNumberLabelX(gutterWidth_, labelWidth(metrics, number)), line.top);
        // Every visible line is laid out and reported; only those in the
        // repainted band are drawn.
        if (event->region().intersects(QRectF(0, line.top, width(), metrics.height()).toAlignedRect())) {
            painter.drawText(position + QPointF(0, metrics.ascent()), number);
        }
        drawnLineNumbers_.push_back({line.index, number, position});
        if (lineNumberPosition_) {
            lineNumberPosition_(line.index, line.top + verticalOffset);
        }
    }
    if (resultLayer_) {
        resultLayer_->setResults(resultsOf(lines), font);
    }
}

} // namespace tarvine
