#include "HighlightingEditor/HighlightingEditor.h"

#include <QEvent>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "HighlightingEditor/RuleHighlighter.h"

namespace tarvine {

// The text view's delegate: turns the view's signals and focus events into
// the editor's callbacks and keeps the selection the user last made.
class HighlightingEditor::Coordinator : public QObject {
public:
    explicit Coordinator(HighlightingEditor* parent)
        : parent_(parent)
    {
        TextView* view = parent->textView_;
        view->installEventFilter(this);
        connect(view, &QPlainTextEdit::textChanged, this, [this] { textDidChange(); });
        connect(view, &QPlainTextEdit::cursorPositionChanged, this, [this] { textViewDidChangeSelection(); });
        connect(view, &QPlainTextEdit::selectionChanged, this, [this] { textViewDidChangeSelection(); });
    }

    std::function<void()> onEditingChanged;
    std::function<void()> onCommit;
    std::function<void(const QString&)> onTextChange;
    std::function<void(const QList<TextRange>&)> onSelectionChange;

    // The selection of the last change or move, put back by every update.
    QList<TextRange> selectedRanges;
    // True while the editor updates the view itself: its own changes are
    // neither written to the text nor reported.
    bool updating = false;

    static QList<TextRange> selectionOf(const QPlainTextEdit* view)
    {
        const QTextCursor cursor = view->textCursor();
        return {TextRange{cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()}};
    }

    void restoreSelection(QPlainTextEdit* view) const
    {
        if (selectedRanges.isEmpty()) {
            return;
        }
        const TextRange range = selectedRanges.front();
        const int last = view->document()->characterCount() - 1;
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(range.location, 0, last)));
        cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(range.end(), 0, last)), QTextCursor::KeepAnchor);
        if (cursor.anchor() != view->textCursor().anchor() || cursor.position() != view->textCursor().position()) {
            view->setTextCursor(cursor);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent_->textView_) {
            if (event->type() == QEvent::FocusOut) {
                textDidEndEditing();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Stores the text through the binding and reports it when it changed. A
    // write of the text the binding already holds (a focus change, an edit
    // that restores the same text) reports nothing.
    void writeText(const QString& value)
    {
        const bool changed = parent_->text_.get() != value;
        parent_->text_.set(value);
        if (changed && onTextChange) {
            onTextChange(parent_->text_.get());
        }
    }

    void textDidBeginEditing()
    {
        editing_ = true;
        writeText(parent_->textView_->text());
        if (onEditingChanged) {
            onEditingChanged();
        }
    }

    void textDidChange()
    {
        if (updating) {
            return;
        }
        // Re-highlighting changes formats only; a change is a new text.
        const QString text = parent_->textView_->text();
        if (text == parent_->text_.get()) {
            return;
        }
        if (!editing_) {
            textDidBeginEditing();
        }
        writeText(text);
        selectedRanges = selectionOf(parent_->textView_);
    }

    void textDidEndEditing()
    {
        if (!editing_) {
            return;
        }
        editing_ = false;
        writeText(parent_->textView_->text());
        if (onCommit) {
            onCommit();
        }
    }

    void textViewDidChangeSelection()
    {
        if (updating) {
            return;
        }
        const QList<TextRange> ranges = selectionOf(parent_->textView_);
        selectedRanges = ranges;
        if (!onSelectionChange || ranges == lastReported_) {
            return;
        }
        lastReported_ = ranges;
        QTimer::singleShot(0, this, [this, ranges] {
            if (onSelectionChange) {
                onSelectionChange(ranges);
            }
        });
    }

    HighlightingEditor* parent_;
    QList<TextRange> lastReported_;
    bool editing_ = false;
};

HighlightingEditor::HighlightingEditor(TextBinding text, QList<HighlightRule> highlightRules, QWidget* parent)
    : QWidget(parent)
    , text_(std::move(text))
    , highlightRules_(std::move(highlightRules))
    , textView_(new TextView(this))
    , highlighter_(new RuleHighlighter(&highlightRules_, textView_->document()))
    , coordinator_(std::make_unique<Coordinator>(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textView_);
    setFocusProxy(textView_);
}

HighlightingEditor::~HighlightingEditor()
{
    // The coordinator watches the text view and the highlighter reads the
    // rules: both go before the members they use.
    coordinator_.reset();
    delete textView_;
}

HighlightingEditor& HighlightingEditor::onEditingChanged(std::function<void()> callback)
{
    coordinator_->onEditingChanged = std::move(callback);
    return *this;
}

HighlightingEditor& HighlightingEditor::onCommit(std::function<void()> callback)
{
    coordinator_->onCommit = std::move(callback);
    return *this;
}

HighlightingEditor& HighlightingEditor::onTextChange(std::function<void(const QString&)> callback)
{
    coordinator_->onTextChange = std::move(callback);
    return *this;
}

HighlightingEditor& HighlightingEditor::onSelectionChange(std::function<void(const QList<TextRange>&)> callback)
{
    coordinator_->onSelectionChange = std::move(callback);
    return *this;
}

HighlightingEditor& HighlightingEditor::introspect(std::function<void(const Internals&)> callback)
{
    introspect_ = std::move(callback);
    return *this;
}

bool HighlightingEditor::isUpdating() const
{
    return coordinator_->updating;
}

void HighlightingEditor::updateView()
{
    coordinator_->updating = true;
    const QString bound = text_.get ? text_.get() : QString();
    if (bound != textView_->text()) {
        const QTextCharFormat typingAttributes = textView_->currentCharFormat();
        // One undoable step, so that the user can undo it like an edit.
        QTextCursor cursor(textView_->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(withLineFeeds(bound));
        cursor.endEditBlock();
        // Nothing is selected now, so this sets only the typing attributes.
        textView_->setCurrentCharFormat(typingAttributes);
    }
    if (introspect_) {
        introspect_(Internals{textView_, textView_});
    }
    coordinator_->restoreSelection(textView_);
    coordinator_->updating = false;
}

void HighlightingEditor::setHighlightRules(QList<HighlightRule> highlightRules)
{
    highlightRules_ = std::move(highlightRules);
    highlighter_->rehighlight();
}

void HighlightingEditor::changeEvent(QEvent* event)
{
    // Rule colours come from the palette; follow a change of scheme.
    if (event->type() == QEvent::PaletteChange) {
        highlighter_->rehighlight();
    }
    QWidget::changeEvent(event);
}

} // namespace tarvine
