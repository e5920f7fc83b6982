#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <vector>

#include "Appearance.h"
#include "BridgeAdapter.h"
#include "ContentView.h"
#include "DocumentWindow.h"
#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"
#include "LineNumberGutter.h"
#include "ResultsGutter.h"
#include "SettingsWindow.h"
#include "StatusBar.h"
#include "TarvineApp.h"
#include "core/Layout.h"

using namespace tarvine;

namespace {

const QString showCacheInfoKey = QStringLiteral("A84AB174-2733-4445-AC2C-08E63B5244F1");
const QString autoExecuteKey = QStringLiteral("2D134E93-DE61-4BC6-AED2-3476E927586A");

// Key clicks into the window's editor; a line feed is a Return.
void type(const ContentView* view, const QString& text)
{
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            QTest::keyClick(view->textView(), Qt::Key_Return);
        }
        QTest::keyClicks(view->textView(), lines[i]);
    }
}

bool idle(const ContentView* view)
{
    return !view->executionRunning() && !view->runningBar()->isVisible();
}

QStringList results(const ContentView* view)
{
    return view->bridge().renderedOutputList();
}

// Result rows or ruler labels as "line:text@x,y".
template <typename Labels>
QStringList drawn(const Labels& labels)
{
    QStringList shown;
    for (const auto& label : labels) {
        shown << QStringLiteral("%1:%2@%3,%4").arg(label.line).arg(label.text).arg(label.position.x()).arg(label.position.y());
    }
    return shown;
}

// The ruler's label y of each line it drew last.
QHash<int, qreal> rulerLabelTops(const ContentView* view)
{
    QHash<int, qreal> tops;
    for (const auto& label : view->ruler()->drawnLineNumbers()) {
        tops.insert(label.line, label.position.y());
    }
    return tops;
}

// Whether the window shows what a fresh rendering of it paints: the pixels
// of its last repaints against the whole window painted anew.
bool showsAFreshPaint(QWidget* window)
{
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return !shown.isNull() && shown == fresh;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TarvineApp> app;

    ContentView* openWindow()
    {
        DocumentWindow* window = app->newWindow();
        window->resize(800, 500);
        if (!QTest::qWaitForWindowActive(window)) {
            return nullptr;
        }
        ContentView* view = window->contentView();
        // The ruler is set up one turn after an empty document opens.
        return QTest::qWaitFor([view] { return view->ruler() != nullptr; }) ? view : nullptr;
    }

private slots:
    void init()
    {
        QSettings().clear();
        app = std::make_unique<TarvineApp>();
    }

    void cleanup()
    {
        app.reset();
    }

    void typingShowsResultsBesideTheirLines()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        type(view, QStringLiteral("1 + 2\n\nx = 1000 * 1000"));
        // The evaluation waits one turn; the running bar shows first.
        QVERIFY(view->runningBar()->isVisible());
        QCOMPARE(view->runningBar()->content(), QStringLiteral("Execution running, please wait."));
        QVERIFY(results(view).isEmpty());
        QTRY_VERIFY(idle(view));
        QVERIFY(!view->errorBar()->isVisible());

        // Each result sits at its line's top, the widest ending 5 from the
        // right edge; an empty one is a space, so that its row exists.
        QTRY_COMPARE(rulerLabelTops(view).size(), 3);
        const auto tops = rulerLabelTops(view);
        QVERIFY(tops.value(0) < tops.value(1) && tops.value(1) < tops.value(2));
        const qreal widest =
            std::ceil(QFontMetricsF(view->resultsGutter()->font()).horizontalAdvance(QStringLiteral("1000000")));
        const int width = view->editorArea()->width();
        const auto at = [&](int line, const char* text) {
            return QStringLiteral("%1:%2@%3,%4").arg(line).arg(text).arg(Layout::resultsX(width, widest)).arg(tops.value(line));
        };
        QTRY_COMPARE(drawn(view->resultsGutter()->rows()), (QStringList{at(0, "3"), at(1, " "), at(2, "1000000")}));
        QCOMPARE(view->editor()->width(), width - int(Layout::editorTrailingPadding(widest)));
        // Shortening the widest result narrows the column again.
        QTest::keyClick(view->textView(), Qt::Key_Backspace);
        QTest::keyClick(view->textView(), Qt::Key_Backspace);
        QTRY_VERIFY(idle(view));
        QTRY_COMPARE(results(view).value(2), QStringLiteral("10000"));
        const qreal narrower =
            std::ceil(QFontMetricsF(view->resultsGutter()->font()).horizontalAdvance(QStringLiteral("10000")));
        QTRY_COMPARE(view->editor()->width(), width - int(Layout::editorTrailingPadding(narrower)));
        type(view, QStringLiteral("00"));
        QTRY_VERIFY(idle(view));
        QTRY_COMPARE(view->editor()->width(), width - int(Layout::editorTrailingPadding(widest)));
        // The ruler's own results land on the gutter's.
        QTRY_COMPARE(drawn(view->ruler()->drawnResults()), (QStringList{at(0, "3"), at(1, ""), at(2, "1000000")}));
        QCOMPARE(view->resultsGutter()->textColor(), QColor(Qt::blue));

        // Without the first results display the ruler only reports positions.
        app->settings().setResultsGutterVersionOne(false);
        QTRY_VERIFY(view->ruler()->drawnResults().empty());
        QVERIFY(view->resultsGutter()->textColor() != QColor(Qt::blue));
        QVERIFY(view->resultsGutter()->isVisible());
        app->settings().setResultsGutterVersionTwo(false);
        QVERIFY(!view->resultsGutter()->isVisible());
    }

    void aKeystrokesEvaluationLeavesTheEditorItsSize()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        type(view, QStringLiteral("x = 1"));
        QTRY_VERIFY(idle(view));
        const QRect editorArea = view->editorArea()->geometry();
        struct ResizeCounter : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                count += event->type() == QEvent::Resize ? 1 : 0;
                return false;
            }
        } resizes;
        view->editorArea()->installEventFilter(&resizes);
        const auto evaluated = view->bridge().bridge().interpretationCount();

        // Evaluated before anything is painted: the bar comes and goes
        // without squeezing the editor.
        type(view, QStringLiteral("2"));
        QVERIFY(view->runningBar()->isVisible());
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->bridge().bridge().interpretationCount(), evaluated + 1);
        QCOMPARE(resizes.count, 0);
        QCOMPARE(view->editorArea()->geometry(), editorArea);

        // Laid out before the evaluation, as for a paint, the bar sits right
        // below the editor, which gives up the bar's height for it.
        type(view, QStringLiteral("3"));
        QVERIFY(view->runningBar()->isVisible());
        view->layout()->activate();
        const QRect bar = view->runningBar()->geometry();
        QCOMPARE(bar.top(), view->editorArea()->geometry().bottom() + 1);
        QCOMPARE(view->editorArea()->height() + bar.height(), editorArea.height());
        QVERIFY(bar.height() > 0 && view->rect().contains(bar));
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->editorArea()->geometry(), editorArea);
        view->editorArea()->removeEventFilter(&resizes);
    }

    void manyErrorsScrollInABarThatLeavesTheEditorItsRoom()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        const int editorHeight = view->textView()->height();
        QStringList lines;
        for (int i = 0; i < 1200; ++i) {
            lines << QStringLiteral("a%1 = 1 + \"s\"").arg(i);
        }
        QApplication::clipboard()->setText(lines.join(u'\n'));
        QTest::keyClick(view->textView(), Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY(view->errorBar()->isVisible() && idle(view));

        StatusBar* bar = view->errorBar();
        QCOMPARE(bar->content(), view->bridge().errorOutput());
        QCOMPARE(bar->content().count(u'\n'), 1199);
        QVERIFY(bar->shownText().endsWith(QStringLiteral("\nInvalid operation between number and string\n… and 200 more")));
        const int lineSpacing = QFontMetrics(Appearance::monospacedFont()).lineSpacing();
        QVERIFY(bar->textAreaHeight() <= 6 * lineSpacing);
        QVERIFY(view->textView()->height() >= editorHeight - 7 * lineSpacing);

        // One message takes one line, whatever came before.
        QTest::keyClick(view->textView(), Qt::Key_A, Qt::ControlModifier);
        type(view, QStringLiteral("1 + \"s\""));
        QTRY_COMPARE(bar->content(), QStringLiteral("Invalid operation between number and string"));
        QCOMPARE(bar->shownText(), bar->content());
        QCOMPARE(bar->textAreaHeight(), lineSpacing);
    }

    void manualModeMarksThePendingEvaluation()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        type(view, QStringLiteral("\"oops"));
        QTRY_VERIFY(view->errorBar()->isVisible());
        const QString error = view->bridge().errorOutput();
        QCOMPARE(view->errorBar()->content(), error);

        SettingsWindow* settings = app->showSettings();
        settings->autoExecuteSwitch()->click();
        settings->close();
        view->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view->window()));
        QTest::keyClick(view->textView(), Qt::Key_A, Qt::ControlModifier);
        type(view, QStringLiteral("1 + 2"));
        QCOMPARE(view->pendingBar()->content(), QStringLiteral("Execution pending"));
        QVERIFY(view->pendingBar()->isVisible());
        QVERIFY(!view->runningBar()->isVisible());
        QCOMPARE(view->errorBar()->content(), QStringLiteral("[stale] ") + error);
        QTest::qWait(20);
        QCOMPARE(view->bridge().errorOutput(), error);

        QTest::keyClick(view->textView(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!view->pendingBar()->isVisible());
        QTRY_VERIFY(idle(view));
        QCOMPARE(results(view), QStringList{"3"});
        QVERIFY(!view->errorBar()->isVisible());
        QCOMPARE(view->source(), QStringLiteral("1 + 2"));

        // Turning automatic execution back on runs nothing by itself.
        type(view, QStringLiteral("4"));
        app->settings().setAutoExecute(true);
        QVERIFY(!view->pendingBar()->isVisible());
        QTest::qWait(20);
        QCOMPARE(results(view), QStringList{"3"});
        type(view, QStringLiteral("5"));
        QTRY_COMPARE(results(view), QStringList{"246"});
    }

    void theRulerWidensWithTheLineCount()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        QCOMPARE(view->ruler()->width(), 40);
        type(view, QString(8, u'\n'));
        QCOMPARE(text->blockCount(), 9);
        QCOMPARE(view->ruler()->width(), 30);
        QCOMPARE(text->viewport()->x(), 30);
        type(view, QStringLiteral("\n"));
        QCOMPARE(view->ruler()->width(), 40);
        QCOMPARE(text->viewport()->x(), 40);

        QTRY_COMPARE(view->ruler()->drawnLineNumbers().size(), std::size_t(10));
        const QFontMetricsF metrics(text->font());
        for (const auto& label : view->ruler()->drawnLineNumbers()) {
            QCOMPARE(label.text, QString::number(label.line + 1));
            QCOMPARE(label.position.x(), Layout::lineNumberLabelX(40, metrics.horizontalAdvance(label.text)));
        }

        // Another window's ruler follows its own document.
        ContentView* other = openWindow();
        QVERIFY(other);
        type(other, QStringLiteral("7"));
        QCOMPARE(other->ruler()->width(), 30);
        QCOMPARE(view->ruler()->width(), 40);
    }

    void positionsAgreeAfterScrollingAndTypingKeepsThem()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        QStringList lines;
        for (int i = 0; i < 300; ++i) {
            lines << QStringLiteral("%1 + 1").arg(i);
        }
        QApplication::clipboard()->setText(lines.join(u'\n'));
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(results(view).size(), 300);
        QCOMPARE(results(view).at(299), QStringLiteral("300"));
        QCOMPARE(view->ruler()->width(), 50);

        for (int top : {0, 120, 297, 3}) {
            text->verticalScrollBar()->setValue(top);
            QTRY_VERIFY(!view->ruler()->drawnLineNumbers().empty()
                        && view->ruler()->drawnLineNumbers().front().line == text->visibleLines().front().index);
            QTest::qWait(10);
            const qreal offset = view->scrollWatcher().verticalOffset();
            QCOMPARE(offset, text->verticalOffset());
            // Reported positions are document ys; less the offset they are
            // where the ruler drew.
            const auto tops = rulerLabelTops(view);
            for (auto line = tops.cbegin(); line != tops.cend(); ++line) {
                QCOMPARE(Layout::resultsY(view->lineNumberYOffset().value(line.key()), offset), line.value());
            }
            int shown = 0;
            for (const auto& row : view->resultsGutter()->rows()) {
                if (tops.contains(row.line)) {
                    QCOMPARE(row.position.y(), tops.value(row.line));
                    QCOMPARE(row.text, QString::number(row.line + 1));
                    ++shown;
                } else {
                    // Lines out of view stay out of view.
                    QVERIFY(row.position.y() < 0 || row.position.y() > view->editorArea()->height());
                }
            }
            QCOMPARE(shown, tops.size());
        }
        // Lines never drawn have no row.
        QVERIFY(view->lineNumberYOffset().size() < 300);

        // Typing keeps the cursor and the scroll position.
        text->verticalScrollBar()->setValue(100);
        QTextCursor cursor(text->document()->findBlockByNumber(110));
        cursor.movePosition(QTextCursor::EndOfBlock);
        text->setTextCursor(cursor);
        const int scroll = text->verticalScrollBar()->value();
        const int position = cursor.position();
        type(view, QStringLiteral("0"));
        QTRY_VERIFY(idle(view));
        QCOMPARE(results(view).at(110), QStringLiteral("120"));
        QCOMPARE(text->verticalScrollBar()->value(), scroll);
        QCOMPARE(text->textCursor().position(), position + 1);

        // A keystroke repaints only what it changed: here the colour of a
        // whole line and its result. The window must still show all of it.
        QTest::keyClick(text, Qt::Key_Home);
        type(view, QStringLiteral("#"));
        QTRY_VERIFY(idle(view));
        QCOMPARE(results(view).at(110), QString());
        QTRY_VERIFY(showsAFreshPaint(view->window()));
        QTest::keyClick(text, Qt::Key_Backspace);
        QTRY_VERIFY(idle(view));
        QCOMPARE(results(view).at(110), QStringLiteral("120"));
        QTRY_VERIFY(showsAFreshPaint(view->window()));
    }

    void undoRestoresThePreviousText()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        type(view, QStringLiteral("2 * 21"));
        QTRY_COMPARE(results(view), QStringList{"42"});
        type(view, QStringLiteral("\n\"a\" # note"));
        QTRY_VERIFY(idle(view));
        while (text->text() != QStringLiteral("2 * 21\n") && text->document()->isUndoAvailable()) {
            QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(view->source(), QStringLiteral("2 * 21\n"));
        QTRY_COMPARE(results(view), (QStringList{"42", ""}));
        while (text->document()->isUndoAvailable()) {
            QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(view->source(), QString());
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!view->source().isEmpty());
        QCOMPARE(view->source(), text->text());
    }

    void theCacheBarAndItsCloseButtonWriteTheSetting()
    {
        ContentView* first = openWindow();
        ContentView* second = openWindow();
        QVERIFY(first && second);
        QVERIFY(!first->cacheBar()->isVisible());

        SettingsWindow* settings = app->showSettings();
        settings->showCacheInfoSwitch()->click();
        QCOMPARE(QSettings().value(showCacheInfoKey).toBool(), true);
        QVERIFY(first->cacheBar()->isVisible() && second->cacheBar()->isVisible());
        QCOMPARE(first->cacheBar()->content(), QStringLiteral("Cache Size: 0 entries"));
        type(first, QStringLiteral("8"));
        QTRY_COMPARE(first->cacheBar()->content(), QStringLiteral("Cache Size: 1 entries"));
        QCOMPARE(second->cacheBar()->content(), QStringLiteral("Cache Size: 0 entries"));

        first->closeCacheButton()->click();
        QCOMPARE(QSettings().value(showCacheInfoKey).toBool(), false);
        QVERIFY(!first->cacheBar()->isVisible() && !second->cacheBar()->isVisible());
        QVERIFY(!settings->showCacheInfoSwitch()->isChecked());
        ContentView* third = openWindow();
        QVERIFY(third && !third->cacheBar()->isVisible());

        // A count that changed while the bar was hidden shows when it comes
        // back.
        type(first, QStringLiteral("9"));
        QTRY_VERIFY(idle(first));
        settings->showCacheInfoSwitch()->click();
        QVERIFY(first->cacheBar()->isVisible());
        QCOMPARE(first->cacheBar()->content(), QStringLiteral("Cache Size: 2 entries"));
        QCOMPARE(first->cacheBar()->shownText(), QStringLiteral("Cache Size: 2 entries"));
    }

    void settingsSurviveARestart()
    {
        const SettingsStore& defaults = app->settings();
        QVERIFY(!defaults.showCacheInfo() && defaults.autoExecute());
        QVERIFY(defaults.resultsGutterVersionOne() && defaults.resultsGutterVersionTwo());
        SettingsWindow* settings = app->showSettings();
        settings->showCacheInfoSwitch()->click();
        settings->autoExecuteSwitch()->click();
        app.reset();
        QCOMPARE(QSettings().value(autoExecuteKey).toBool(), false);

        app = std::make_unique<TarvineApp>();
        settings = app->showSettings();
        QVERIFY(settings->showCacheInfoSwitch()->isChecked());
        QVERIFY(!settings->autoExecuteSwitch()->isChecked());
        ContentView* view = openWindow();
        QVERIFY(view);
        QVERIFY(view->cacheBar()->isVisible());
        type(view, QStringLiteral("1"));
        QVERIFY(view->pendingBar()->isVisible());
    }

    void aFocusedWindowWithTextIsTornDownCleanly()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        type(view, QStringLiteral("1 + 1"));
        QVERIFY(view->textView()->hasFocus());
        // Losing focus during the teardown used to write the text into a
        // destroyed view.
        QWidget* window = view->window();
        delete view;
        delete window;
        QTRY_VERIFY(app->windows().isEmpty());
    }

    // Whatever the line breaks and wherever they fall, the text has every
    // line and the ruler is as wide as their count needs, also after lines
    // went away.
    void theTextAndTheRulerFindEveryLine()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        const auto lines = [](int count) {
            QStringList lines;
            for (int i = 0; i < count; ++i) {
                lines << QString(i % 7, QChar(u'a' + i % 5));
            }
            return lines.join(u'\n');
        };
        struct Case {
            QString pasted;
            QString text;
            std::size_t lineCount;
        };
        const std::vector<Case> cases = {
            {lines(9), lines(9), 9},
            {lines(10), lines(10), 10},
            {lines(99), lines(99), 99},
            {lines(100), lines(100), 100},
            {lines(101), lines(101), 101},
            {QStringLiteral("1\n"), QStringLiteral("1\n"), 2},
            {lines(1000), lines(1000), 1000},
            {QStringLiteral("1\r\n2\r\n"), QStringLiteral("1\n2\n"), 3},
            {QStringLiteral("1\r2\n\n"), QStringLiteral("1\n2\n\n"), 4},
            {QString(), QString(), 1},
            {QStringLiteral("\n").repeated(10), QStringLiteral("\n").repeated(10), 11},
            {QStringLiteral("7"), QStringLiteral("7"), 1},
        };
        for (const Case& c : cases) {
            QTest::keyClick(view->textView(), Qt::Key_A, Qt::ControlModifier);
            if (c.pasted.isEmpty()) {
                QTest::keyClick(view->textView(), Qt::Key_Delete);
            } else {
                QApplication::clipboard()->setText(c.pasted);
                QTest::keyClick(view->textView(), Qt::Key_V, Qt::ControlModifier);
            }
            QCOMPARE(view->source(), c.text);
            QCOMPARE(view->textView()->text(), c.text);
            QCOMPARE(view->gutterWidth(), Layout::gutterWidth(c.lineCount));
            QCOMPARE(view->ruler()->width(), int(Layout::gutterWidth(c.lineCount)));
        }
    }

    // Only the lines whose results changed are converted again; the list
    // must still be the bridge's texts, line for line.
    void theAdapterFollowsTheBridgeLineByLine()
    {
        BridgeAdapter adapter;
        const auto converted = [&adapter] {
            QStringList all;
            for (const auto& text : adapter.bridge().renderedOutputList()) {
                all << QString::fromStdString(text);
            }
            return all;
        };
        struct Step {
            const char* source;
            std::vector<qsizetype> changed;
        };
        const std::vector<Step> steps = {
            {"1\n2\n3", {0, 1, 2}},
            {"1\n5\n3\n4", {1, 3}},
            {"1\n5\n3\n4", {}},
            {"1", {}},
            {"\"open", {}},
            {"1\n\n\"\u00e9\"", {0, 1, 2}},
            {"1\n2\n\"\u00e9\"", {1}},
        };
        for (const auto& step : steps) {
            adapter.execute(QString::fromUtf8(step.source));
            QCOMPARE(adapter.renderedOutputList(), converted());
            QCOMPARE(adapter.changedLines(), step.changed);
        }
    }

    void theFunctionListShowsEveryBuiltInSorted()
    {
        const QStringList expected = {
            "describe(_)", "list_flatmap(over:using)", "list_map(over:using)", "list_reduce(over:from:using)",
            "magnitude(of)", "map_values(over:using:returning)", "match(if:then:else)", "round(_:to)",
            "table_get(key:from)", "table_new()", "table_set(key:of:to)",
        };
        QCOMPARE(app->showSettings()->functionRows(), expected);
    }
};

int main(int argc, char** argv)
{
    // Never the user's preferences: a private folder, set before any
    // QSettings exists.
    QTemporaryDir preferences;
    if (!preferences.isValid()) {
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", preferences.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, preferences.path());

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarvine"));
    QApplication::setApplicationName(QStringLiteral("TarvineTests"));
    if (!QSettings().fileName().startsWith(preferences.path())) {
        qCritical("Settings would go to %s", qPrintable(QSettings().fileName()));
        return 1;
    }
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"
