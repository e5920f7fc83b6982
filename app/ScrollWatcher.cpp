#include "ScrollWatcher.h"

#include <QScrollBar>

#include "HighlightingEditor/TextView.h"

namespace tarvine {

ScrollWatcher::ScrollWatcher(QObject* parent)
    : QObject(parent)
{
}

void ScrollWatcher::watch(TextView* textView)
{
    if (textView_ == textView) {
        return;
    }
    if (textView_) {
        disconnect(textView_->verticalScrollBar(), nullptr, this, nullptr);
    }
    textView_ = textView;
    if (textView_) {
        // The range changes too when a resize or an edit moves the top line.
        const auto changed = [this] { boundsChange(textView_); };
        connect(textView_->verticalScrollBar(), &QScrollBar::valueChanged, this, changed);
        connect(textView_->verticalScrollBar(), &QScrollBar::rangeChanged, this, changed);
        boundsChange(textView_);
    }
}

void ScrollWatcher::boundsChange(const QObject* source)
{
    if (!textView_ || source != textView_) {
        return;
    }
    const qreal offset = textView_->verticalOffset();
    if (offset != verticalOffset_) {
        verticalOffset_ = offset;
        emit verticalOffsetChanged(offset);
    }
}

} // namespace tarvine
