#pragma once

#include <QObject>
#include <QPointer>

namespace tarvine {

class TextView;

// Keeps the vertical scroll position of one text view: the document y, in
// pixels, at the top of its visible area.
class ScrollWatcher : public QObject {
    Q_OBJECT
public:
    explicit ScrollWatcher(QObject* parent = nullptr);

    qreal verticalOffset() const { return verticalOffset_; }

    // Follows the scrolling of `textView` from now on. Watching the same view
    // again changes nothing.
    void watch(TextView* textView);
    // Copies the current offset of `source` when it is the watched view;
    // other senders are ignored.
    void boundsChange(const QObject* source);

signals:
    void verticalOffsetChanged(qreal verticalOffset);

private:
    QPointer<TextView> textView_;
    qreal verticalOffset_ = 0;
};

} // namespace tarvine
