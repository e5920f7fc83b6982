#include "LineNumberGutter.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>

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
        if (newFont == font && std::equal(results.begin(), results.end(), newResults.begin(), newResults.end(), same)) {
            return;
        }
        QRegion dirty = area(results);
        font = newFont;
        results = std::move(newResults);
        dirty += area(results);
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
            const QRectF box(result.position, QSizeF(metrics.horizontalAdvance(result.text), metrics.height()));
            if (event->region().intersects(box.toAlignedRect())) {
                painter.drawText(result.position + QPointF(0, metrics.ascent()), result.text);
            }
        }
    }

private:
    QRegion area(const std::vector<LineNumberGutter::Label>& labels) const
    {
        const QFontMetricsF metrics(font);
        QRegion region;
        for (const auto& label : labels) {
            region += QRectF(label.position, QSizeF(metrics.horizontalAdvance(label.text), metrics.height()))
                          .toAlignedRect()
                          .adjusted(-1, -1, 1, 1);
        }
        return region;
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
    // Every repaint of the text (typing, scrolling, the caret) redraws the
    // ruler: it walks only the visible lines.
    connect(textView, &QPlainTextEdit::updateRequest, this, [this] { update(); });
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
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(foregroundColor_);
    // The ruler's top is the viewport's top, so viewport y is ruler y.
    const qreal verticalOffset = textView_->verticalOffset();
    const qreal resultX = Layout::rulerResultX(textView_->textAreaWidth(), gutterWidth_);
    QWidget* host = resultLayer_ ? resultLayer_->parentWidget() : nullptr;
    std::vector<Label> results;

    for (const VisibleLine& line : textView_->visibleLines()) {
        const QString number = QString::number(line.index + 1);
        const QPointF position(Layout::lineNumberLabelX(gutterWidth_, metrics.horizontalAdvance(number)), line.top);
        painter.drawText(position + QPointF(0, metrics.ascent()), number);
        drawnLineNumbers_.push_back({line.index, number, position});
        if (lineNumberPosition_) {
            lineNumberPosition_(line.index, line.top + verticalOffset);
        }
        if (lineNumberToResult_ && host) {
            results.push_back({line.index, lineNumberToResult_(line.index),
                               mapTo(host, QPointF(resultX, line.top))});
        }
    }
    if (resultLayer_) {
        resultLayer_->setResults(std::move(results), font);
    }
}

} // namespace tarvine
