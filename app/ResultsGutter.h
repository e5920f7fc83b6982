#pragma once

#include <QHash>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <vector>

namespace tarvine {

class BridgeAdapter;
class ScrollWatcher;

// The column of results over the editor's right margin: each line's result
// at the height where the ruler last drew that line. It covers the editor
// area, whose top-left corner is the editor's.
class ResultsGutter : public QWidget {
    Q_OBJECT
public:
    // A result the gutter shows, at its top-left corner.
    struct Row {
        int line = 0;
        QString text;
        QPointF position;
    };

    // Reads the results from `bridge`, the scroll position from
    // `scrollWatcher` and the line positions from `lineNumberYOffset`, all
    // owned by the window.
    ResultsGutter(const BridgeAdapter* bridge, const ScrollWatcher* scrollWatcher,
                  const QHash<int, qreal>* lineNumberYOffset, QWidget* parent);

    // The widest result's width.
    qreal rightPadding() const { return rightPadding_; }
    void setRightPadding(qreal rightPadding);
    // Blue results while the ruler draws results too.
    void setResultsGutterVersionOne(bool on);
    QColor textColor() const;

    // The rows as laid out now: one per result whose line has a position.
    std::vector<Row> rows() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void resultsChanged();
    // Where a row whose text starts at `position` may paint.
    QRect rowArea(QPointF position) const;

    const BridgeAdapter* bridge_;
    const ScrollWatcher* scrollWatcher_;
    const QHash<int, qreal>* lineNumberYOffset_;
    qreal rightPadding_ = 0;
    bool resultsGutterVersionOne_ = true;
    // The number of lines with a result when the results last changed.
    qsizetype shownLineCount_ = 0;
};

} // namespace tarvine
