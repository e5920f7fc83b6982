#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QTextDocument>

#include <vector>

namespace tarvine {

// A visible line: its 0-based index and the top of its first line fragment,
// in viewport coordinates.
struct VisibleLine {
    int index = 0;
    qreal top = 0;
};

// The editor's text view. In Qt the text view is its own scroll view; it can
// carry a vertical ruler in its left viewport margin. Lines are the text's
// pieces between line feeds: every line is one block of the document.
class TextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextView(QWidget* parent = nullptr);

    // The whole text, line feeds between lines. Unlike toPlainText() it keeps
    // no-break spaces as typed. Kept up to date edit by edit.
    QString text() const;

    // Installs `ruler` (owned by the caller; may be null) in the left margin.
    void setVerticalRuler(QWidget* ruler);
    QWidget* verticalRuler() const { return ruler_; }
    void setRulerThickness(int thickness);
    int rulerThickness() const { return rulerThickness_; }

    // The visible lines, top to bottom; walks only those.
    std::vector<VisibleLine> visibleLines() const;
    // The document y at the top of the viewport, in pixels: viewport y plus
    // this offset is a line's y in the document.
    qreal verticalOffset() const;
    // The width of the text area right of the ruler, its scroller included.
    qreal textAreaWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void placeRuler();
    // The text copied out of the document.
    QString wholeText() const;
    // Brings text_ up to an edit of the document (its contentsChange).
    void followEdit(int from, int charsRemoved, int charsAdded);

    QPointer<QWidget> ruler_;
    // The document whose edits text_ follows: the view's own.
    QPointer<QTextDocument> followed_;
    QString text_;
    int rulerThickness_ = 0;
};

// `text` with every line break (CR LF, CR, U+2028, U+2029) made a line feed,
// so that the document's lines are the lines the engine counts.
QString withLineFeeds(QString text);

} // namespace tarvine
