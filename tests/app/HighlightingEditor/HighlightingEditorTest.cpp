#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <functional>
#include <vector>

#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"

using namespace tarvine;

namespace {

const QColor commentColor(0, 128, 0);

QList<HighlightRule> commentRule()
{
    return {HighlightRule(QRegularExpression(QStringLiteral("#.*$"), QRegularExpression::MultilineOption),
                          TextFormattingRule(QTextFormat::ForegroundBrush, QBrush(commentColor)))};
}

// An editor bound to `text`, recording every callback.
struct Harness {
    QString text;
    QStringList changes;
    QList<QList<TextRange>> selections;
    int beginnings = 0;
    int commits = 0;
    int introspections = 0;
    HighlightingEditor editor;

    Harness()
        : editor({[this] { return text; }, [this](const QString& value) { text = value; }}, commentRule())
    {
        editor.onTextChange([this](const QString& value) { changes << value; })
            .onSelectionChange([this](const QList<TextRange>& ranges) { selections << ranges; })
            .onEditingChanged([this] { ++beginnings; })
            .onCommit([this] { ++commits; })
            .introspect([this](const Internals& internals) {
                QVERIFY(internals.textView == editor.textView());
                QVERIFY(internals.scrollView == editor.textView());
                ++introspections;
            });
        editor.resize(400, 300);
        editor.show();
        editor.activateWindow();
        editor.textView()->setFocus();
    }
};

// The colour the layout shows at `position` of `line`.
QColor colourAt(const TextView* view, int line, int position)
{
    const QTextBlock block = view->document()->findBlockByNumber(line);
    for (const auto& range : block.layout()->formats()) {
        if (position >= range.start && position < range.start + range.length && range.format.hasProperty(QTextFormat::ForegroundBrush)) {
            return range.format.foreground().color();
        }
    }
    return {};
}

// Whether the window shows what a fresh rendering of it paints: the pixels
// of its last repaints against the whole editor painted anew.
bool showsAFreshPaint(QWidget* window)
{
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return !shown.isNull() && shown == fresh;
}

} // namespace

class HighlightingEditorTest : public QObject {
    Q_OBJECT
private slots:
    void typingWritesTheTextOnceAndReportsTheSelectionLater()
    {
        Harness h;
        QVERIFY(QTest::qWaitForWindowActive(&h.editor));
        QTest::keyClick(h.editor.textView(), Qt::Key_A);
        QCOMPARE(h.text, QStringLiteral("a"));
        QCOMPARE(h.changes, QStringList{"a"});
        QCOMPARE(h.beginnings, 1);
        // The selection report is queued, not sent during the keystroke.
        QVERIFY(h.selections.isEmpty());
        QTRY_COMPARE(h.selections.size(), 1);
        QCOMPARE(h.selections.back(), (QList<TextRange>{{1, 0}}));

        QTest::keyClicks(h.editor.textView(), QStringLiteral("bc"));
        QCOMPARE(h.changes, (QStringList{"a", "ab", "abc"}));
        // Losing focus commits without another text change.
        h.editor.textView()->clearFocus();
        QCOMPARE(h.commits, 1);
        QCOMPARE(h.changes.size(), 3);
        h.editor.textView()->setFocus();
        QCOMPARE(h.beginnings, 1);
    }

    void updatesKeepTheTextTheHistoryAndTheSelection()
    {
        Harness h;
        TextView* view = h.editor.textView();
        h.text = QStringLiteral("hello world");
        h.editor.updateView();
        QCOMPARE(h.introspections, 1);
        QCOMPARE(view->text(), h.text);
        // No change yet: whatever the view selects stays.
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(2);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        h.editor.updateView();
        QCOMPARE(view->textCursor().selectionStart(), 2);
        QCOMPARE(view->textCursor().selectionEnd(), 5);

        // After a change (and a quiet move), an update puts the last selection
        // back, reports no selection and adds no undo step.
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_Exclam);
        QTRY_VERIFY(!h.selections.isEmpty());
        const auto reported = h.selections.size();
        const auto undoSteps = view->document()->availableUndoSteps();
        cursor.setPosition(0);
        view->blockSignals(true);
        view->setTextCursor(cursor);
        view->blockSignals(false);
        h.editor.updateView();
        QCOMPARE(h.introspections, 3);
        QCOMPARE(view->textCursor().position(), 12);
        QTest::qWait(20);
        QCOMPARE(h.selections.size(), reported);
        QCOMPARE(view->text(), QStringLiteral("hello world!"));
        QCOMPARE(view->document()->availableUndoSteps(), undoSteps);
        QVERIFY(!h.editor.isUpdating());

        // A new bound text is one undoable step.
        h.text = QStringLiteral("new\ntext");
        h.editor.updateView();
        QCOMPARE(view->text(), QStringLiteral("new\ntext"));
        view->undo();
        QCOMPARE(view->text(), QStringLiteral("hello world!"));
    }

    void highlightingIsAppliedAsFormats()
    {
        Harness h;
        QTest::keyClicks(h.editor.textView(), QStringLiteral("1 # a"));
        QTest::keyClick(h.editor.textView(), Qt::Key_Return);
        QTest::keyClicks(h.editor.textView(), QStringLiteral("2"));
        const TextView* view = h.editor.textView();
        QCOMPARE(colourAt(view, 0, 2), commentColor);
        QCOMPARE(colourAt(view, 0, 4), commentColor);
        QVERIFY(colourAt(view, 0, 0) != commentColor);
        QVERIFY(colourAt(view, 1, 0) != commentColor);
        // The editor's own font is kept; the rules only colour.
        h.editor.textView()->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 17));
        QCOMPARE(QFontInfo(view->document()->findBlockByNumber(0).charFormat().font()).family(),
                 QFontInfo(view->font()).family());
    }

    // An edit that keeps its line's height repaints only that line: whatever
    // it changes must still all reach the screen.
    void everyEditRepaintsWhatItChanged()
    {
        Harness h;
        TextView* view = h.editor.textView();
        QVERIFY(QTest::qWaitForWindowExposed(&h.editor));
        QStringList lines;
        for (int i = 0; i < 40; ++i) {
            lines << (i % 3 == 0 ? QStringLiteral("%1 # note").arg(i) : QStringLiteral("x%1 = %1").arg(i));
        }
        h.text = lines.join(u'\n');
        h.editor.updateView();
        const auto moveTo = [view](int line, QTextCursor::MoveOperation where) {
            QTextCursor cursor(view->document()->findBlockByNumber(line));
            cursor.movePosition(where);
            view->setTextCursor(cursor);
        };
        struct Edit {
            const char* what;
            int line;
            QTextCursor::MoveOperation where;
            std::function<void()> keys;
        };
        const auto type = [view](const QString& text) { return [view, text] { QTest::keyClicks(view, text); }; };
        const auto key = [view](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            return [view, key, modifiers] { QTest::keyClick(view, key, modifiers); };
        };
        const std::vector<Edit> edits = {
            {"inside a comment", 3, QTextCursor::EndOfBlock, type(QStringLiteral("abc"))},
            {"a plain line", 4, QTextCursor::EndOfBlock, type(QStringLiteral("1"))},
            {"a line that becomes a comment", 5, QTextCursor::StartOfBlock, type(QStringLiteral("#"))},
            {"a comment that goes", 5, QTextCursor::StartOfBlock, key(Qt::Key_Delete)},
            {"a line that wraps", 6, QTextCursor::EndOfBlock, type(QStringLiteral(" # ").repeated(60))},
            {"a line that unwraps", 6, QTextCursor::EndOfBlock, key(Qt::Key_Z, Qt::ControlModifier)},
            {"two lines joined", 7, QTextCursor::StartOfBlock, key(Qt::Key_Backspace)},
            {"a line split", 2, QTextCursor::StartOfBlock, key(Qt::Key_Return)},
        };
        for (const Edit& edit : edits) {
            moveTo(edit.line, edit.where);
            QTRY_VERIFY2(showsAFreshPaint(&h.editor), edit.what);
            edit.keys();
            QTRY_VERIFY2(showsAFreshPaint(&h.editor), edit.what);
        }
        QCOMPARE(view->blockCount(), 40);
    }

    // The text follows the document edit by edit: after every kind of edit
    // it must be the document's text.
    void theTextFollowsEveryEdit()
    {
        Harness h;
        TextView* view = h.editor.textView();
        const auto documentText = [view] {
            return view->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
        };
        const auto at = [view](int position, int anchor = -1) {
            QTextCursor cursor(view->document());
            cursor.setPosition(anchor < 0 ? position : anchor);
            cursor.setPosition(position, QTextCursor::KeepAnchor);
            view->setTextCursor(cursor);
        };
        const auto end = [view] { return view->document()->characterCount() - 1; };
        struct Edit {
            const char* what;
            std::function<void()> apply;
        };
        const std::vector<Edit> edits = {
            {"typing", [&] { QTest::keyClicks(view, QStringLiteral("ab # cd")); }},
            {"a new line", [&] { QTest::keyClick(view, Qt::Key_Return); }},
            {"typing on it", [&] { QTest::keyClicks(view, QStringLiteral("x = 1")); }},
            {"a line split", [&] { at(3); QTest::keyClick(view, Qt::Key_Return); }},
            {"lines joined backwards", [&] { at(4); QTest::keyClick(view, Qt::Key_Backspace); }},
            {"lines joined forwards", [&] { at(3); QTest::keyClick(view, Qt::Key_Delete); }},
            {"a pasted text", [&] {
                 QApplication::clipboard()->setText(QStringLiteral("p\r\nq\rr\u00a0s\n"));
                 at(2);
                 QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
             }},
            {"a selection across lines typed over", [&] { at(7, 1); QTest::keyClicks(view, QStringLiteral("Z")); }},
            {"the last character deleted", [&] { at(end()); QTest::keyClick(view, Qt::Key_Backspace); }},
            {"typing at the end", [&] { at(end()); QTest::keyClick(view, Qt::Key_Exclam); QTest::keyClick(view, Qt::Key_Return); }},
            {"undo", [&] { view->undo(); view->undo(); }},
            {"redo", [&] { view->redo(); }},
            {"two edits in one step", [&] {
                 QTextCursor cursor(view->document());
                 cursor.beginEditBlock();
                 cursor.insertText(QStringLiteral("first\n"));
                 cursor.movePosition(QTextCursor::End);
                 cursor.insertText(QStringLiteral("\nlast"));
                 cursor.setPosition(8);
                 cursor.deletePreviousChar();
                 cursor.endEditBlock();
             }},
            {"a format only", [&] {
                 QTextCursor cursor(view->document());
                 cursor.setPosition(1);
                 cursor.setPosition(end(), QTextCursor::KeepAnchor);
                 QTextCharFormat bold;
                 bold.setFontWeight(QFont::Bold);
                 cursor.mergeCharFormat(bold);
             }},
            {"everything deleted", [&] { QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier); QTest::keyClick(view, Qt::Key_Delete); }},
            {"a new bound text", [&] { h.text = QStringLiteral("bound\ntext"); h.editor.updateView(); }},
            {"set as plain text", [&] { view->setPlainText(QStringLiteral("plain\n\ntext")); }},
            {"a paragraph appended", [&] { view->appendPlainText(QStringLiteral("more")); }},
            {"cleared", [&] { view->clear(); }},
            {"typing into the empty view", [&] { QTest::keyClicks(view, QStringLiteral("1")); }},
        };
        for (const Edit& edit : edits) {
            edit.apply();
            QVERIFY2(view->text() == documentText(), edit.what);
        }
        QCOMPARE(view->text(), QStringLiteral("1"));
        QCOMPARE(h.text, QStringLiteral("1"));
    }

    void lineBreaksAlwaysBecomeLines()
    {
        Harness h;
        TextView* view = h.editor.textView();
        QTest::keyClicks(view, QStringLiteral("a"));
        QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
        QApplication::clipboard()->setText(QStringLiteral("b\r\nc\rd\u2028e\u00a0f"));
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(view->text(), QStringLiteral("a\nb\nc\nd\ne\u00a0f"));
        QCOMPARE(view->blockCount(), 5);
    }

    void visibleLinesFollowScrolling()
    {
        Harness h;
        TextView* view = h.editor.textView();
        h.text = QStringLiteral("x\n").repeated(300);
        h.editor.updateView();
        QVERIFY(QTest::qWaitForWindowExposed(&h.editor));
        const auto top = view->visibleLines();
        QVERIFY(top.size() > 3);
        QCOMPARE(top.front().index, 0);
        const qreal lineHeight = top[1].top - top[0].top;
        QVERIFY(lineHeight > 0);
        // A line's document y (viewport y plus the offset) stays put while
        // the view scrolls.
        view->verticalScrollBar()->setValue(120);
        const auto scrolled = view->visibleLines();
        QCOMPARE(scrolled.front().index, 120);
        QCOMPARE(scrolled.front().top + view->verticalOffset(), top[0].top + 120 * lineHeight);
        // Only what fits is walked.
        QVERIFY(scrolled.size() <= top.size() + 1);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    HighlightingEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HighlightingEditorTest.moc"
