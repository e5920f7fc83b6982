#pragma once

#include <vector>

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "BridgeAdapter.h"
#include "ScrollWatcher.h"
#include "HighlightingEditor/HighlightRule.h"

class QAbstractButton;

namespace tarvine {

class HighlightingEditor;
class LineNumberGutter;
class ResultsGutter;
class SettingsStore;
class StatusBar;
class TextView;
struct Internals;

// A document window's content: the highlighting editor with its ruler, the
// results gutter over the editor's right margin, and the status bars below.
// It owns the document text, one bridge and one scroll watcher, and decides
// when an evaluation runs.
class ContentView : public QWidget {
    Q_OBJECT
public:
    explicit ContentView(SettingsStore* settings, QWidget* parent = nullptr);
    ~ContentView() override;

    // The app's two rules: strings in the label colour, then comments in the
    // secondary label colour. Compiled once.
    static const QList<HighlightRule>& highlightRules();

    const QString& source() const { return source_; }
    bool executionPending() const { return executionPending_; }
    bool executionRunning() const { return executionRunning_; }
    // The ruler width, from this window's own line count.
    qreal gutterWidth() const { return gutterWidth_; }
    // The top of each line the ruler drew, in document coordinates.
    const QHash<int, qreal>& lineNumberYOffset() const { return lineNumberYOffset_; }
    // The editor's trailing padding: the widest result plus 10.
    qreal editorTrailingPadding() const;

    // The run button: evaluates a pending document.
    void run();

    HighlightingEditor* editor() const { return editor_; }
    TextView* textView() const;
    LineNumberGutter* ruler() const;
    ResultsGutter* resultsGutter() const { return resultsGutter_; }
    QWidget* editorArea() const { return editorArea_; }
    StatusBar* errorBar() const { return errorBar_; }
    StatusBar* runningBar() const { return runningBar_; }
    StatusBar* pendingBar() const { return pendingBar_; }
    StatusBar* cacheBar() const { return cacheBar_; }
    QAbstractButton* runButton() const { return runButton_; }
    QAbstractButton* closeCacheButton() const { return closeCacheButton_; }
    const BridgeAdapter& bridge() const { return bridge_; }
    const ScrollWatcher& scrollWatcher() const { return scrollWatcher_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void textChanged(const QString& text);
    void scheduleEvaluation();
    void updateGutterWidth();
    void setUpEditor(const Internals& internals);
    void setUpRuler(TextView* textView);
    void resultsChanged();
    void settingsChanged();
    void refreshStatus();
    void layoutEditorArea();

    SettingsStore* settings_;
    bool executionPending_ = false;
    bool executionRunning_ = false;
    QHash<int, qreal> lineNumberYOffset_;
    ScrollWatcher scrollWatcher_;
    BridgeAdapter bridge_;
    QString source_;
    qreal gutterWidth_;
    qreal rightPadding_ = 0;
    // The width of each line's result, kept up to date line by line.
    std::vector<double> resultWidths_;
    // How long the last evaluation took, in milliseconds.
    qint64 lastEvaluationDuration_ = 0;

    QWidget* editorArea_;
    HighlightingEditor* editor_;
    QPointer<LineNumberGutter> ruler_;
    ResultsGutter* resultsGutter_;
    StatusBar* errorBar_;
    StatusBar* runningBar_;
    StatusBar* pendingBar_;
    StatusBar* cacheBar_;
    QAbstractButton* runButton_;
    QAbstractButton* closeCacheButton_;
};

} // namespace tarvine
