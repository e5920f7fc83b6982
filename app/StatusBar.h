#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

namespace tarvine {

enum class StatusType { error, info, warning };

// One status line below the editor: an icon by type and a text, on the
// window background tinted with the type's accent colour. An optional
// accessory button sits at its trailing edge.
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

    // The accent colour of a type, and its icon.
    static QColor accentColor(StatusType type);
    static QIcon icon(StatusType type);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeAccessory();

    StatusType contentType_;
    QLabel* label_;
    QPointer<QAbstractButton> accessory_;
};

} // namespace tarvine
