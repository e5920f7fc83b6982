#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QScrollArea;

namespace tarvine {

enum class StatusType { error, info, warning };

// One status line below the editor: an icon by type and a text, on the
// window background tinted with the type's accent colour. An optional
// accessory button sits at its trailing edge. A long text (a document can
// fail with thousands of errors) scrolls inside a bar of limited height, so
// that it never squeezes the editor.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    StatusBar(StatusType contentType, QWidget* parent = nullptr);

    StatusType contentType() const { return contentType_; }
    QString content() const;
    void setContent(const QString& content);

    // Places `button` (re-parented to the bar) at the bar's trailing edge.
    void setAccessory(QAbstractButton* button);
    QAbstractButton* accessory() const { return accessory_; }

    // The text on screen: the content, cut after maxShownLines lines.
    QString shownText() const;
    // How tall the text's area is, at most maxVisibleLines lines.
    int textAreaHeight() const;

    // The accent colour of a type, and its icon.
    static QColor accentColor(StatusType type);
    static QIcon icon(StatusType type);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeAccessory();
    void fitHeight();

    StatusType contentType_;
    QString content_;
    QScrollArea* scrollArea_;
    QLabel* label_;
    QPointer<QAbstractButton> accessory_;
};

} // namespace tarvine
