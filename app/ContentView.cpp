#include "ContentView.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetricsF>
#include <QKeySequence>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Appearance.h"
#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"
#include "LineNumberGutter.h"
#include "ResultsGutter.h"
#include "SettingsStore.h"
#include "StatusBar.h"
#include "core/Layout.h"

namespace tarvine {

namespace {

// The ruler width before the first text change.
constexpr qreal initialGutterWidth = 40;
// The editor keeps at least this width however wide a result is, so that a
// long result cannot squeeze the text out of sight.
constexpr int minimumEditorWidth = 120;
// An evaluation at least this slow (milliseconds) is worth showing the
// running bar for before the next one blocks the window.
constexpr qint64 slowEvaluationMilliseconds = 100;

QRegularExpression lineAnchored(const QString& pattern)
{
    QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    if (!expression.isValid()) {
        qFatal("Invalid highlight pattern %s", qPrintable(pattern));
    }
    return expression;
}

QToolButton* accessoryButton(const QIcon& icon, const QString& toolTip)
{
    auto* button = new QToolButton;
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

const QList<HighlightRule>& ContentView::highlightRules()
{
    static const QList<HighlightRule> rules{
        HighlightRule(lineAnchored(QStringLiteral("\".*\"")),
                      TextFormattingRule(QTextFormat::ForegroundBrush,
                                         [](const QString&, TextRange) {
                                             return QVariant(QBrush(Appearance::labelColor()));
                                         })),
        HighlightRule(lineAnchored(QStringLiteral("#.*$")),
                      TextFormattingRule(QTextFormat::ForegroundBrush,
                                         [](const QString&, TextRange) {
                                             return QVariant(QBrush(Appearance::secondaryLabelColor()));
                                         })),
    };
    return rules;
}

ContentView::ContentView(SettingsStore* settings, QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , gutterWidth_(initialGutterWidth)
    , editorArea_(new QWidget(this))
    , editor_(new HighlightingEditor({[this] { return source_; }, [this](const QString& text) { source_ = text; }},
                                     highlightRules(), editorArea_))
    , resultsGutter_(new ResultsGutter(&bridge_, &scrollWatcher_, &lineNumberYOffset_, editorArea_))
    , errorBar_(new StatusBar(StatusType::error))
    , runningBar_(new StatusBar(StatusType::warning))
    , pendingBar_(new StatusBar(StatusType::warning))
    , cacheBar_(new StatusBar(StatusType::info))
    , runButton_(accessoryButton(QIcon::fromTheme(QStringLiteral("view-refresh"),
                                                  style()->standardIcon(QStyle::SP_BrowserReload)),
                                 tr("Evaluate now")))
    , closeCacheButton_(accessoryButton(QIcon::fromTheme(QStringLiteral("window-close"),
                                                         style()->standardIcon(QStyle::SP_DialogCloseButton)),
                                        tr("Hide the cache info")))
{
    editorArea_->setAutoFillBackground(true);
    editorArea_->installEventFilter(this);
    editor_->onTextChange([this](const QString& text) { textChanged(text); })
        .introspect([this](const Internals& internals) { setUpEditor(internals); });

    runningBar_->setContent(tr("Execution running, please wait."));
    pendingBar_->setContent(tr("Execution pending"));
    // Ctrl+Return runs at once (a button's own shortcut waits for its click
    // animation), and only while the run button is shown.
    auto* runAction = new QAction(runButton_);
    runAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    runButton_->addAction(runAction);
    connect(runAction, &QAction::triggered, this, [this] { run(); });
    runButton_->setToolTip(tr("Evaluate now (%1)").arg(runAction->shortcut().toString(QKeySequence::NativeText)));
    pendingBar_->setAccessory(runButton_);
    cacheBar_->setAccessory(closeCacheButton_);
    connect(runButton_, &QAbstractButton::clicked, this, [this] { run(); });
    connect(closeCacheButton_, &QAbstractButton::clicked, this, [this] { settings_->setShowCacheInfo(false); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(editorArea_, 1);
    for (StatusBar* bar : {errorBar_, runningBar_, pendingBar_, cacheBar_}) {
        column->addWidget(bar);
    }

    connect(&bridge_, &BridgeAdapter::resultsChanged, this, [this] { resultsChanged(); });
    connect(&bridge_, &BridgeAdapter::cacheInfoChanged, this, [this] { refreshStatus(); });
    connect(settings_, &SettingsStore::changed, this, [this] { settingsChanged(); });

    editor_->updateView();
    settingsChanged();
    setFocusProxy(editor_);
}

ContentView::~ContentView()
{
    // The editor and the gutters read this view's members, and losing focus
    // while the widget tree is torn down makes the editor write its text:
    // they go first, while everything they use still exists.
    delete editorArea_;
}

LineNumberGutter* ContentView::ruler() const
{
    return ruler_;
}

TextView* ContentView::textView() const
{
    return editor_->textView();
}

qreal ContentView::editorTrailingPadding() const
{
    return Layout::editorTrailingPadding(rightPadding_);
}

void ContentView::textChanged(const QString& text)
{
    source_ = text;
    updateGutterWidth();
    if (settings_->autoExecute()) {
        executionRunning_ = true;
        scheduleEvaluation();
    } else {
        executionPending_ = true;
    }
    refreshStatus();
}

void ContentView::run()
{
    executionPending_ = false;
    executionRunning_ = true;
    refreshStatus();
    scheduleEvaluation();
    updateGutterWidth();
}

void ContentView::scheduleEvaluation()
{
    // One turn of the event loop later, so that the running bar comes first;
    // each run evaluates the text current when it starts.
    QTimer::singleShot(0, this, [this] {
        if (lastEvaluationDuration_ >= slowEvaluationMilliseconds) {
            // This one will block the window for a while: put the running
            // bar on screen before it does.
            layout()->activate();
            repaint();
        }
        QElapsedTimer clock;
        clock.start();
        bridge_.execute(source_);
        lastEvaluationDuration_ = clock.elapsed();
        executionRunning_ = false;
        refreshStatus();
    });
}

void ContentView::updateGutterWidth()
{
    // Every line is one block of the editor's document, which keeps their
    // count: counting the line feeds of the text cost a pass over all of it
    // on every keystroke.
    gutterWidth_ = Layout::gutterWidth(static_cast<std::size_t>(textView()->document()->blockCount()));
    if (ruler_) {
        ruler_->setGutterWidth(gutterWidth_);
    }
}

void ContentView::setUpEditor(const Internals& internals)
{
    TextView* textView = internals.textView;
    textView->setFont(Appearance::monospacedFont());
    if (source_.isEmpty()) {
        QTimer::singleShot(0, this, [this, view = QPointer<TextView>(textView)] {
            if (view) {
                setUpRuler(view);
            }
        });
    } else {
        setUpRuler(textView);
    }
    textView->setUndoRedoEnabled(true);
    QPalette palette = textView->palette();
    palette.setColor(QPalette::Base, Appearance::editorBackgroundColor(Appearance::colorScheme(this->palette())));
    palette.setColor(QPalette::Text, Appearance::labelColor());
    textView->setPalette(palette);
}

void ContentView::setUpRuler(TextView* textView)
{
    // The typing font is the text view's own font, set above; setting it on
    // the cursor would reformat a selection and fill the undo history.
    LineNumberGutter::LineNumberToResult lineNumberToResult;
    if (settings_->resultsGutterVersionOne()) {
        lineNumberToResult = [this](int line) {
            const QStringList& results = bridge_.renderedOutputList();
            return line >= 0 && line < results.size() ? results[line] : QString();
        };
    }
    if (!ruler_) {
        ruler_ = new LineNumberGutter(
            textView, Appearance::secondaryLabelColor(), Appearance::windowBackgroundColor(),
            std::move(lineNumberToResult),
            [this](int line, qreal y) {
                const auto known = lineNumberYOffset_.constFind(line);
                if (known == lineNumberYOffset_.constEnd() || *known != y) {
                    lineNumberYOffset_.insert(line, y);
                    resultsGutter_->update();
                }
            },
            gutterWidth_, editorArea_);
        // The gutter's results are drawn over the ruler's.
        resultsGutter_->raise();
    } else {
        ruler_->setColors(Appearance::secondaryLabelColor(), Appearance::windowBackgroundColor());
        ruler_->setLineNumberToResult(std::move(lineNumberToResult));
        ruler_->setGutterWidth(gutterWidth_);
    }
    scrollWatcher_.watch(textView);
    if (textView->window()) {
        textView->setFocus();
    }
}

void ContentView::resultsChanged()
{
    // Measured once per evaluation, never while painting, and only the
    // results that changed: shaping ten thousand texts anew would cost more
    // than evaluating them.
    const QFontMetricsF metrics(Appearance::monospacedFont());
    const QStringList& results = bridge_.renderedOutputList();
    resultWidths_.resize(static_cast<std::size_t>(results.size()));
    for (const qsizetype line : bridge_.changedLines()) {
        resultWidths_[static_cast<std::size_t>(line)] = metrics.horizontalAdvance(results[line]);
    }
    // Whole pixels: widgets are laid out on them, and the editor's padding
    // and the results column must agree exactly.
    const qreal widest = std::ceil(Layout::widestResult(resultWidths_));
    if (widest != rightPadding_) {
        rightPadding_ = widest;
        resultsGutter_->setRightPadding(widest);
        layoutEditorArea();
    }
    if (ruler_) {
        ruler_->refreshResults();
    }
    refreshStatus();
}

void ContentView::settingsChanged()
{
    resultsGutter_->setResultsGutterVersionOne(settings_->resultsGutterVersionOne());
    resultsGutter_->setVisible(settings_->resultsGutterVersionTwo());
    if (ruler_) {
        setUpRuler(textView());
    }
    refreshStatus();
}

void ContentView::refreshStatus()
{
    const QString& error = bridge_.errorOutput();
    errorBar_->setContent(executionPending_ ? tr("[stale] ") + error : error);
    errorBar_->setVisible(!error.isEmpty());
    if (executionRunning_ && !runningBar_->isVisible()) {
        // A keystroke's evaluation usually ends before anything is painted:
        // laying the column out at once would shrink the editor for the bar
        // and grow it back, repainting all of it. The layout runs from the
        // queue instead, after the evaluation already queued and before any
        // paint; till then the bar waits below the window's edge, where
        // showing and hiding it dirties nothing.
        runningBar_->move(0, height());
        layout()->setEnabled(false);
        runningBar_->setVisible(true);
        layout()->setEnabled(true);
    } else {
        runningBar_->setVisible(executionRunning_);
    }
    pendingBar_->setVisible(!settings_->autoExecute() && executionPending_);
    // Fitting the bar to a new text lays the text out: the count changes with
    // most keystrokes, and the bar is usually hidden.
    if (settings_->showCacheInfo()) {
        cacheBar_->setContent(bridge_.cacheInfo());
    }
    cacheBar_->setVisible(settings_->showCacheInfo());
}

void ContentView::layoutEditorArea()
{
    const QRect area = editorArea_->rect();
    const int trailing = static_cast<int>(std::ceil(editorTrailingPadding()));
    const int editorWidth = std::max(std::min(minimumEditorWidth, area.width()), area.width() - trailing);
    editor_->setGeometry(0, 0, editorWidth, area.height());
    resultsGutter_->setGeometry(area);
}

bool ContentView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editorArea_ && event->type() == QEvent::Resize) {
        layoutEditorArea();
    }
    return QWidget::eventFilter(watched, event);
}

void ContentView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        editor_->updateView();
    }
    QWidget::changeEvent(event);
}

} // namespace tarvine
