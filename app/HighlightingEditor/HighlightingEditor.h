#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "HighlightingEditor/AttributedText.h"
#include "HighlightingEditor/HighlightRule.h"
#include "HighlightingEditor/TextView.h"

class QAbstractScrollArea;

namespace tarvine {

class RuleHighlighter;

// What the owner may reach of the platform views. In Qt the text view is its
// own scroll view, so both point at the same widget.
struct Internals {
    TextView* textView = nullptr;
    QAbstractScrollArea* scrollView = nullptr;
};

// An editor of plain text, highlighted by a list of rules, that reports
// edits, commits and selection changes to its owner.
class HighlightingEditor : public QWidget {
    Q_OBJECT
public:
    // The document text, owned by the embedding view.
    struct TextBinding {
        std::function<QString()> get;
        std::function<void(const QString&)> set;
    };

    HighlightingEditor(TextBinding text, QList<HighlightRule> highlightRules, QWidget* parent = nullptr);
    ~HighlightingEditor() override;

    // Called when editing begins: the first change after the editor gets focus.
    HighlightingEditor& onEditingChanged(std::function<void()> callback);
    // Called when editing ends: the editor loses focus after a change.
    HighlightingEditor& onCommit(std::function<void()> callback);
    // Called with the new text after each write of the text that changed it.
    HighlightingEditor& onTextChange(std::function<void(const QString&)> callback);
    // Called after the selection changed, one turn of the event loop later.
    HighlightingEditor& onSelectionChange(std::function<void(const QList<TextRange>&)> callback);
    // Gives the owner the platform views after every update.
    HighlightingEditor& introspect(std::function<void(const Internals&)> callback);

    // Brings the view up to the bound text and the current rules, then calls
    // `introspect` and puts the last stored selection back. Taking a new bound
    // text is one undoable step; highlighting is applied as formats, so the
    // text, its undo history and the scroll position are never replaced.
    void updateView();

    void setHighlightRules(QList<HighlightRule> highlightRules);
    const QList<HighlightRule>& highlightRules() const { return highlightRules_; }

    TextView* textView() const { return textView_; }
    // True only while updateView() runs.
    bool isUpdating() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    class Coordinator;

    TextBinding text_;
    QList<HighlightRule> highlightRules_;
    std::function<void(const Internals&)> introspect_;
    TextView* textView_;
    RuleHighlighter* highlighter_;
    std::unique_ptr<Coordinator> coordinator_;
};

} // namespace tarvine
