// The window's own costs on a long document: a keystroke, a scroll, the
// highlighting of a line. Runs on the offscreen platform.
#include <algorithm>
#include <chrono>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "ContentView.h"
#include "DocumentGenerator.h"
#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"
#include "SettingsStore.h"

using namespace tarvine;

namespace {

// The long document of the responsiveness target.
constexpr int documentLines = 10'000;

QString longDocument() { return QString::fromStdString(DocumentGenerator::typical(documentLines)); }

// A window showing the long document, evaluated once.
struct Window {
    SettingsStore settings;
    ContentView view{&settings};

    explicit Window(bool autoExecute)
    {
        settings.setAutoExecute(autoExecute);
        view.resize(1000, 800);
        view.show();
        QTextCursor cursor(view.textView()->document());
        cursor.insertText(longDocument());
        view.run();
        // The first evaluation belongs to the setup, not to the first
        // keystroke timed.
        do {
            settle();
        } while (view.executionRunning());
    }

    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

// One key typed and everything it causes, out of line so that a profiler can
// collect just this (valgrind --toggle-collect='*typeOneKey*').
[[gnu::noinline]] void typeOneKey(Window& window, TextView* text)
{
    QTest::keyClick(text, Qt::Key_1);
    window.settle();
}

// One keystroke in the middle of the document, with its repaint: the
// editor, ruler and gutters; with argument 1 the whole document is evaluated
// too, as automatic execution does. It types into a string, so every
// evaluation succeeds and changes a result.
void BM_Keystroke(benchmark::State& state)
{
    Window window(state.range(0) != 0);
    TextView* text = window.view.textView();
    const auto typingAt = *DocumentGenerator::typingPosition(documentLines);
    QTextCursor cursor(text->document()->findBlockByNumber(typingAt.line));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, typingAt.column);
    text->setTextCursor(cursor);
    text->centerCursor();
    // The scroll's repaint belongs to the setup too: a profile of a single
    // keystroke should see a keystroke's repaint, not the whole window's.
    window.settle();
    const auto& bridge = window.view.bridge();
    const auto interpretedBefore = bridge.bridge().interpretationCount();
    std::vector<double> milliseconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        typeOneKey(window, text);
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    // The target is on the median keystroke, which one slow repaint or a
    // busy machine does not move as it moves the mean.
    std::nth_element(milliseconds.begin(), milliseconds.begin() + milliseconds.size() / 2, milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
    const auto interpreted = bridge.bridge().interpretationCount() - interpretedBefore;
    const auto expected = state.range(0) != 0 ? static_cast<std::size_t>(state.iterations()) : 0;
    if (!bridge.errorOutput().isEmpty())
        state.SkipWithError(bridge.errorOutput().toStdString().c_str());
    else if (interpreted != expected)
        state.SkipWithError("the keystrokes were not each evaluated once, as this benchmark assumes");
}
BENCHMARK(BM_Keystroke)->ArgName("evaluating")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scrolling by a page, with the repaint of everything visible.
void BM_ScrollAPage(benchmark::State& state)
{
    Window window(false);
    QScrollBar* bar = window.view.textView()->verticalScrollBar();
    int top = 0;
    for (auto _ : state) {
        top = (top + bar->pageStep()) % bar->maximum();
        bar->setValue(top);
        window.view.repaint();
    }
}
BENCHMARK(BM_ScrollAPage)->Unit(benchmark::kMillisecond);

void BM_HighlightALine(benchmark::State& state)
{
    const QString line = QStringLiteral("total = \"net\" + price * 3 kg # a \"quoted\" note");
    for (auto _ : state) {
        benchmark::DoNotOptimize(getHighlightedText(line, ContentView::highlightRules()));
    }
}
BENCHMARK(BM_HighlightALine);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir preferences;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
