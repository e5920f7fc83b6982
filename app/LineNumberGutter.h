#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace tarvine {

class TextView;
class ResultLayer;
struct VisibleLine;

// The ruler in the text view's left margin. It numbers the visible lines,
// reports where each one lies, and may draw each line's result just right of
// the text area.
class LineNumberGutter : public QWidget {
    Q_OBJECT
public:
    // The result text of a 0-based line.
    using LineNumberToResult = std::function<QString(int line)>;
    // A drawn line's 0-based index and the top of its first line fragment in
    // document coordinates.
    using LineNumberPosition = std::function<void(int line, qreal y)>;

    // A text drawn by the last pass, at its top-left corner.
    struct Label {
        int line = 0;
        QString text;
        QPointF position;
    };

    // Installs itself as `textView`'s ruler, `gutterWidth` thick. Results are
    // drawn in a layer over `resultLayerHost`, which must contain the text
    // view and the area right of it.
    LineNumberGutter(TextView* textView, QColor foregroundColor, QColor backgroundColor,
                     LineNumberToResult lineNumberToResult, LineNumberPosition lineNumberPosition,
                     qreal gutterWidth, QWidget* resultLayerHost);
    ~LineNumberGutter() override;

    qreal gutterWidth() const { return gutterWidth_; }
    void setGutterWidth(qreal gutterWidth);
    void setColors(QColor foregroundColor, QColor backgroundColor);
    void setLineNumberToResult(LineNumberToResult lineNumberToResult);

    // Hands the results of the visible lines to the layer that shows them,
    // without repainting the ruler: for new results on unchanged lines.
    void refreshResults();

    // The line numbers of the last pass, in ruler coordinates.
    const std::vector<Label>& drawnLineNumbers() const { return drawnLineNumbers_; }
    // The results of the last pass, in the host's coordinates.
    const std::vector<Label>& drawnResults() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Label> resultsOf(const std::vector<VisibleLine>& lines) const;
    qreal labelWidth(const QFontMetricsF& metrics, const QString& number);

    QPointer<TextView> textView_;
    QColor foregroundColor_;
    QColor backgroundColor_;
    LineNumberToResult lineNumberToResult_;
    LineNumberPosition lineNumberPosition_;
    qreal gutterWidth_;
    QPointer<ResultLayer> resultLayer_;
    std::vector<Label> drawnLineNumbers_;
    // The widths of line-number labels in labelFont_.
    QHash<QString, qreal> labelWidths_;
    QFont labelFont_;
};

} // namespace tarvine
