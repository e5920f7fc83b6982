#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "ContentView.h"
#include "DocumentWindow.h"
#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"
#include "LineNumberGutter.h"
#include "ResultsGutter.h"
#include "SettingsWindow.h"
#include "StatusBar.h"
#include "TarvineApp.h"
#include "core/Settings.h"

using namespace tarvine;

namespace {

const QString showCacheInfoKey = QStringLiteral("A84AB174-2733-4445-AC2C-08E63B5244F1");
const QString autoExecuteKey = QStringLiteral("2D134E93-DE61-4BC6-AED2-3476E927586A");

// The rows of the results gutter as "line:text".
QStringList shownResults(const ContentView* view)
{
    QStringList shown;
    for (const auto& row : view->resultsGutter()->rows()) {
        shown << QStringLiteral("%1:%2").arg(row.line).arg(row.text);
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

void paste(TextView* view, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << QStringLiteral("%1 + 1").arg(i);
    }
    return lines.join(u'\n');
}

bool idle(const ContentView* view)
{
    return !view->executionRunning() && !view->runningBar()->isVisible();
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
        if (!QTest::qWaitFor([view] { return view->ruler() != nullptr; })) {
            return nullptr;
        }
        return view;
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

    void aFirstStartUsesTheDefaults()
    {
        const SettingsStore& settings = app->settings();
        QVERIFY(!settings.showCacheInfo());
        QVERIFY(settings.autoExecute());
        QVERIFY(settings.resultsGutterVersionOne());
        QVERIFY(settings.resultsGutterVersionTwo());
        ContentView* view = openWindow();
        QVERIFY(view);
        QVERIFY(!view->cacheBar()->isVisible());
        QVERIFY(view->resultsGutter()->isVisible());
        QCOMPARE(view->gutterWidth(), 40.0);
    }

    void typingShowsResultsBesideTheirLines()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();

        QTest::keyClick(text, Qt::Key_1);
        // The evaluation waits one turn; the running bar shows first.
        QVERIFY(view->runningBar()->isVisible());
        QCOMPARE(view->runningBar()->content(), QStringLiteral("Execution running, please wait."));
        QVERIFY(view->bridge().renderedOutputList().isEmpty());
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->bridge().renderedOutputList(), QStringList{"1"});

        QTest::keyClicks(text, QStringLiteral(" + 2"));
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, QStringLiteral("x = 3 * 4"));
        QVERIFY(view->runningBar()->isVisible());
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->bridge().renderedOutputList(), (QStringList{"3", "", "12"}));
        QVERIFY(view->bridge().errorOutput().isEmpty());
        QVERIFY(!view->errorBar()->isVisible());

        // Each result sits at its line's height; an empty one is a space.
        QTRY_COMPARE(shownResults(view), (QStringList{"0:3", "1: ", "2:12"}));
        const auto tops = rulerLabelTops(view);
        for (const auto& row : view->resultsGutter()->rows()) {
            QCOMPARE(row.position.y(), tops.value(row.line, -1));
        }
        QVERIFY(tops.value(0) < tops.value(1));
        QVERIFY(tops.value(1) < tops.value(2));
    }

    void resultsFormAColumnRightOfTheEditor()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        QTest::keyClicks(view->textView(), QStringLiteral("1"));
        QTest::keyClick(view->textView(), Qt::Key_Return);
        QTest::keyClicks(view->textView(), QStringLiteral("1000 * 1000"));
        QTRY_COMPARE(shownResults(view), (QStringList{"0:1", "1:1000000"}));

        const qreal widest =
            std::ceil(QFontMetricsF(view->resultsGutter()->font()).horizontalAdvance(QStringLiteral("1000000")));
        QCOMPARE(view->resultsGutter()->rightPadding(), widest);
        QCOMPARE(view->editorTrailingPadding(), widest + 10);
        const int width = view->editorArea()->width();
        QCOMPARE(view->resultsGutter()->width(), width);
        QCOMPARE(view->editor()->width(), width - int(widest) - 10);
        for (const auto& row : view->resultsGutter()->rows()) {
            QCOMPARE(row.position.x(), width - widest - 5);
            // Both results column start 5 to the right of the editor.
            QVERIFY(row.position.x() >= view->editor()->geometry().right());
        }
        // The ruler's own results land on the gutter's.
        QTRY_COMPARE(int(view->ruler()->drawnResults().size()), 2);
        const auto rows = view->resultsGutter()->rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(view->ruler()->drawnResults()[i].position, rows[i].position);
        }
        QCOMPARE(view->resultsGutter()->textColor(), QColor(Qt::blue));
    }

    void withoutTheFirstResultsDisplayTheRulerOnlyReports()
    {
        app->settings().setResultsGutterVersionOne(false);
        ContentView* view = openWindow();
        QVERIFY(view);
        QTest::keyClicks(view->textView(), QStringLiteral("2 + 2"));
        QTRY_COMPARE(shownResults(view), QStringList{"0:4"});
        QVERIFY(view->ruler()->drawnResults().empty());
        QVERIFY(view->resultsGutter()->textColor() != QColor(Qt::blue));
        app->settings().setResultsGutterVersionTwo(false);
        QVERIFY(!view->resultsGutter()->isVisible());
    }

    void manualModeMarksThePendingEvaluation()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        QTest::keyClicks(text, QStringLiteral("\"oops"));
        QTRY_VERIFY(view->errorBar()->isVisible());
        const QString error = view->bridge().errorOutput();
        QVERIFY(!error.isEmpty());
        QCOMPARE(view->errorBar()->content(), error);

        // Turn automatic execution off in the settings window.
        SettingsWindow* settings = app->showSettings();
        QVERIFY(settings->autoExecuteSwitch()->isChecked());
        settings->autoExecuteSwitch()->click();
        QVERIFY(!app->settings().autoExecute());
        settings->close();
        view->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view->window()));

        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(text, QStringLiteral("1 + 2"));
        QVERIFY(view->executionPending());
        QVERIFY(view->pendingBar()->isVisible());
        QCOMPARE(view->pendingBar()->content(), QStringLiteral("Execution pending"));
        QVERIFY(!view->runningBar()->isVisible());
        QCOMPARE(view->errorBar()->content(), QStringLiteral("[stale] ") + error);
        QTest::qWait(20);
        QCOMPARE(view->bridge().errorOutput(), error);

        QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!view->executionPending());
        QVERIFY(!view->pendingBar()->isVisible());
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->bridge().renderedOutputList(), QStringList{"3"});
        QVERIFY(!view->errorBar()->isVisible());
        QCOMPARE(text->text(), QStringLiteral("1 + 2"));
    }

    void turningAutomaticExecutionOnRunsNothingByItself()
    {
        app->settings().setAutoExecute(false);
        ContentView* view = openWindow();
        QVERIFY(view);
        QTest::keyClicks(view->textView(), QStringLiteral("5"));
        QVERIFY(view->pendingBar()->isVisible());
        app->settings().setAutoExecute(true);
        QVERIFY(!view->pendingBar()->isVisible());
        QTest::qWait(20);
        QVERIFY(view->bridge().renderedOutputList().isEmpty());
        QVERIFY(view->executionPending());
        QTest::keyClicks(view->textView(), QStringLiteral("6"));
        QTRY_COMPARE(view->bridge().renderedOutputList(), QStringList{"56"});
    }

    void theRulerWidensWithTheLineCount()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        QCOMPARE(view->gutterWidth(), 40.0);
        for (int line = 1; line < 9; ++line) {
            QTest::keyClick(text, Qt::Key_Return);
        }
        QCOMPARE(text->blockCount(), 9);
        QCOMPARE(view->gutterWidth(), 30.0);
        QCOMPARE(view->ruler()->width(), 30);
        QCOMPARE(text->viewport()->x(), 30);
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(view->gutterWidth(), 40.0);
        QCOMPARE(view->ruler()->width(), 40);
        QCOMPARE(text->viewport()->x(), 40);

        // Labels end 5 inside the ruler.
        QTRY_COMPARE(int(view->ruler()->drawnLineNumbers().size()), 10);
        const QFontMetricsF metrics(text->font());
        for (const auto& label : view->ruler()->drawnLineNumbers()) {
            QCOMPARE(label.text, QString::number(label.line + 1));
            QCOMPARE(label.position.x() + metrics.horizontalAdvance(label.text), 40.0 - 5);
        }

        // Another window's ruler follows its own document.
        ContentView* other = openWindow();
        QVERIFY(other);
        QTest::keyClick(other->textView(), Qt::Key_7);
        QCOMPARE(other->gutterWidth(), 30.0);
        QCOMPARE(view->gutterWidth(), 40.0);
    }

    void positionsAgreeAfterScrolling()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        paste(text, numberedLines(300));
        QTRY_COMPARE(view->bridge().renderedOutputList().size(), 300);
        QCOMPARE(view->bridge().renderedOutputList().at(299), QStringLiteral("300"));
        QCOMPARE(view->gutterWidth(), 50.0);

        for (int top : {0, 120, 297, 3}) {
            text->verticalScrollBar()->setValue(top);
            QTRY_VERIFY(!view->ruler()->drawnLineNumbers().empty()
                        && view->ruler()->drawnLineNumbers().front().line == text->visibleLines().front().index);
            QTest::qWait(10);
            const qreal offset = view->scrollWatcher().verticalOffset();
            QCOMPARE(offset, text->verticalOffset());
            const auto tops = rulerLabelTops(view);
            // Reported positions are document ys; less the offset they are
            // where the ruler drew.
            for (auto line = tops.cbegin(); line != tops.cend(); ++line) {
                QCOMPARE(view->lineNumberYOffset().value(line.key()) - offset, line.value());
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
    }

    void typingKeepsTheCursorAndTheScrollPosition()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        paste(text, numberedLines(200));
        QTRY_VERIFY(idle(view));
        text->verticalScrollBar()->setValue(100);
        QTextCursor cursor(text->document()->findBlockByNumber(110));
        cursor.movePosition(QTextCursor::EndOfBlock);
        text->setTextCursor(cursor);
        const int scroll = text->verticalScrollBar()->value();
        const int position = cursor.position();
        QTest::keyClicks(text, QStringLiteral("0"));
        QTRY_VERIFY(idle(view));
        QCOMPARE(view->bridge().renderedOutputList().at(110), QStringLiteral("120"));
        QCOMPARE(text->verticalScrollBar()->value(), scroll);
        QCOMPARE(text->textCursor().position(), position + 1);
    }

    void undoRestoresThePreviousText()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        TextView* text = view->textView();
        QTest::keyClicks(text, QStringLiteral("2 * 21"));
        QTRY_COMPARE(view->bridge().renderedOutputList(), QStringList{"42"});
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, QStringLiteral("\"a\" # note"));
        QTRY_VERIFY(idle(view));
        while (text->text() != QStringLiteral("2 * 21\n") && text->document()->isUndoAvailable()) {
            QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(text->text(), QStringLiteral("2 * 21\n"));
        QCOMPARE(view->source(), text->text());
        QTRY_COMPARE(view->bridge().renderedOutputList(), (QStringList{"42", ""}));
        while (text->document()->isUndoAvailable()) {
            QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(text->text(), QString());
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!text->text().isEmpty());
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
        QVERIFY(app->settings().showCacheInfo());
        QCOMPARE(QSettings().value(showCacheInfoKey).toBool(), true);
        QVERIFY(first->cacheBar()->isVisible());
        QVERIFY(second->cacheBar()->isVisible());
        QCOMPARE(first->cacheBar()->content(), QStringLiteral("Cache Size: 0 entries"));

        QTest::keyClicks(first->textView(), QStringLiteral("8"));
        QTRY_COMPARE(first->cacheBar()->content(), QStringLiteral("Cache Size: 1 entries"));
        QCOMPARE(second->cacheBar()->content(), QStringLiteral("Cache Size: 0 entries"));

        first->closeCacheButton()->click();
        QVERIFY(!app->settings().showCacheInfo());
        QCOMPARE(QSettings().value(showCacheInfoKey).toBool(), false);
        QVERIFY(!first->cacheBar()->isVisible());
        QVERIFY(!second->cacheBar()->isVisible());
        QVERIFY(!settings->showCacheInfoSwitch()->isChecked());
        ContentView* third = openWindow();
        QVERIFY(third);
        QVERIFY(!third->cacheBar()->isVisible());
    }

    void settingsSurviveARestart()
    {
        SettingsWindow* settings = app->showSettings();
        settings->showCacheInfoSwitch()->click();
        settings->autoExecuteSwitch()->click();
        app.reset();
        QCOMPARE(QSettings().value(autoExecuteKey).toBool(), false);

        app = std::make_unique<TarvineApp>();
        QVERIFY(app->settings().showCacheInfo());
        QVERIFY(!app->settings().autoExecute());
        settings = app->showSettings();
        QVERIFY(settings->showCacheInfoSwitch()->isChecked());
        QVERIFY(!settings->autoExecuteSwitch()->isChecked());
        ContentView* view = openWindow();
        QVERIFY(view);
        QVERIFY(view->cacheBar()->isVisible());
        QTest::keyClicks(view->textView(), QStringLiteral("1"));
        QVERIFY(view->pendingBar()->isVisible());
    }

    void aFocusedWindowWithTextIsTornDownCleanly()
    {
        ContentView* view = openWindow();
        QVERIFY(view);
        QTest::keyClicks(view->textView(), QStringLiteral("1 + 1"));
        QVERIFY(view->textView()->hasFocus());
        // Losing focus during the teardown used to write the text into a
        // destroyed view.
        QWidget* window = view->window();
        delete view;
        delete window;
        QTRY_VERIFY(app->windows().isEmpty());
    }

    void theFunctionListShowsEveryBuiltInSorted()
    {
        SettingsWindow* settings = app->showSettings();
        const QStringList expected = {
            "describe(_)",
            "list_flatmap(over:using)",
            "list_map(over:using)",
            "list_reduce(over:from:using)",
            "magnitude(of)",
            "map_values(over:using:returning)",
            "match(if:then:else)",
            "round(_:to)",
            "table_get(key:from)",
            "table_new()",
            "table_set(key:of:to)",
        };
        QCOMPARE(settings->functionRows(), expected);
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
