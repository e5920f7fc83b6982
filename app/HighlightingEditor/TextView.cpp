#include "HighlightingEditor/TextView.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

namespace tarvine {

namespace {

// The plain-text layout repaints only the edited line when an edit inside a
// line keeps the line's height. Highlighting defeats that: re-applying a
// line's formats discards the line's layout and reports a change twice the
// line's length, so every keystroke repainted the whole viewport and the
// ruler. This layout notes the line's height before the highlighter runs and,
// when the edit stayed inside the line and its height did not change,
// repaints only the line, as the plain-text layout itself does without
// formats. Anything else goes the plain-text layout's way.
class LineLayout : public QPlainTextDocumentLayout {
public:
    explicit LineLayout(QTextDocument* document)
        : QPlainTextDocumentLayout(document)
    {
        // Connected before any highlighter, so it runs first.
        connect(document, &QTextDocument::contentsChange, this,
                [this](int from, int, int charsAdded) { noteEdit(from, charsAdded); });
    }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override
    {
        QTextDocument* doc = document();
        const Edit edit = std::exchange(edit_, Edit{});
        if (edit.height >= 0 && doc->blockCount() == blockCount_) {
            const QTextBlock block = doc->findBlock(from);
            if (block.isValid() && block.position() == edit.blockPosition && block.length() == edit.blockLength
                && from + charsAdded <= block.position() + block.length() && block.layout()->lineCount() == 0) {
                // Laid out again here, with the new formats.
                if (blockBoundingRect(block).height() == edit.height) {
                    emit updateBlock(block);
                    return;
                }
                block.layout()->clearLayout();
            }
        }
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        blockCount_ = doc->blockCount();
    }

private:
    // A single-line edit and the height its line had before it.
    struct Edit {
        int blockPosition = -1;
        int blockLength = -1;
        qreal height = -1;
    };

    void noteEdit(int from, int charsAdded)
    {
        edit_ = {};
        const QTextBlock block = document()->findBlock(from);
        if (!block.isValid() || document()->blockCount() != blockCount_ || block.layout()->lineCount() == 0
            || from + charsAdded >= block.position() + block.length()) {
            return;
        }
        edit_ = {block.position(), block.length(), blockBoundingRect(block).height()};
    }

    Edit edit_;
    // The line count as the layout last saw it.
    int blockCount_ = -1;
};

} // namespace

QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar separator : {QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)}) {
        text.replace(separator, QChar(u'\n'));
    }
    return text;
}

TextView::TextView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    auto* document = new QTextDocument(this);
    document->setDocumentLayout(new LineLayout(document));
    connect(document, &QTextDocument::contentsChange, this,
            [this](int from, int charsRemoved, int charsAdded) { followEdit(from, charsRemoved, charsAdded); });
    setDocument(document);
    followed_ = document;
    text_ = wholeText();
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QString TextView::text() const
{
    return document() == followed_ ? text_ : wholeText();
}

QString TextView::wholeText() const
{
    // Blocks end in paragraph separators.
    QString raw = document()->toRawText();
    const QChar separator(QChar::ParagraphSeparator);
    for (qsizetype at = raw.indexOf(separator); at >= 0; at = raw.indexOf(separator, at + 1)) {
        raw[at] = u'\n';
    }
    return raw;
}

void TextView::followEdit(int from, int charsRemoved, int charsAdded)
{
    // Copying the whole text out of the document cost more than anything
    // else the window does on a keystroke in a long document: only the
    // edited range is copied. A range that does not fit the text as it was
    // (the document's last separator is not part of the text) is cut to it;
    // one that disagrees with the document's length takes the whole text.
    const qsizetype length = document()->characterCount() - 1;
    if (from < 0 || from > text_.size() || from > length) {
        text_ = wholeText();
        return;
    }
    const qsizetype removed = std::clamp<qsizetype>(charsRemoved, 0, text_.size() - from);
    const qsizetype added = std::clamp<qsizetype>(charsAdded, 0, length - from);
    if (text_.size() - removed + added != length) {
        text_ = wholeText();
        return;
    }
    QString inserted;
    if (added > 0) {
        QTextCursor range(document());
        range.setPosition(from);
        range.setPosition(static_cast<int>(from + added), QTextCursor::KeepAnchor);
        inserted = range.selectedText();
        inserted.replace(QChar::ParagraphSeparator, u'\n');
    }
    text_.replace(from, removed, inserted);
}

void TextView::setVerticalRuler(QWidget* ruler)
{
    if (ruler_ == ruler) {
        return;
    }
    ruler_ = ruler;
    if (ruler_) {
        ruler_->setParent(this);
        ruler_->show();
    }
    placeRuler();
}

void TextView::setRulerThickness(int thickness)
{
    if (rulerThickness_ == thickness) {
        return;
    }
    rulerThickness_ = thickness;
    placeRuler();
}

void TextView::placeRuler()
{
    const int thickness = ruler_ ? rulerThickness_ : 0;
    setViewportMargins(thickness, 0, 0, 0);
    if (ruler_) {
        const QRect area = contentsRect();
        ruler_->setGeometry(area.left(), area.top(), thickness, area.height());
    }
}

void TextView::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    placeRuler();
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    // Shift+Return would insert a soft line break, which the ruler would not
    // count as a line but the user would see as one: insert a line feed.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::ShiftModifier) {
        textCursor().insertText(QStringLiteral("\n"));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextView::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText()) {
        textCursor().insertText(withLineFeeds(source->text()));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

std::vector<VisibleLine> TextView::visibleLines() const
{
    std::vector<VisibleLine> lines;
    const qreal bottom = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > bottom) {
            break;
        }
        if (!block.isVisible()) {
            continue;
        }
        qreal top = box.top();
        if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
            top += layout->lineAt(0).y();
        }
        lines.push_back({block.blockNumber(), top});
    }
    return lines;
}

qreal TextView::verticalOffset() const
{
    // The text scrolls by lines, so the document has no pixel coordinates of
    // its own. A line's document y is the margin plus one line spacing per
    // layout line above it; the offset is that y less the viewport y of the
    // top block, which keeps every line's document y fixed while scrolling.
    const QTextBlock top = firstVisibleBlock();
    if (!top.isValid()) {
        return 0;
    }
    qreal viewportTop = blockBoundingGeometry(top).translated(contentOffset()).top();
    if (const QTextLayout* layout = top.layout(); layout && layout->lineCount() > 0) {
        viewportTop += layout->lineAt(0).y();
    }
    const qreal documentTop = document()->documentMargin() + top.firstLineNumber() * fontMetrics().lineSpacing();
    return documentTop - viewportTop;
}

qreal TextView::textAreaWidth() const
{
    return width() - viewportMargins().left();
}

} // namespace tarvine
