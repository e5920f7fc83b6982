#include "StatusBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include "Appearance.h"

namespace tarvine {

namespace {

// Padding on every side of the bar.
constexpr int padding = 5;
// The width of the icon's and the accessory's frames; their images are
// larger and centred on it.
constexpr int frameWidth = 10;
// Space between the icon's frame and the text.
constexpr int spacing = 8;
// The side of the icon and accessory images.
constexpr int imageSize = 16;
// The gap above the icon.
constexpr int iconInset = 2;
// How much of the accent colour tints the background.
constexpr double accentOpacity = 0.2;

} // namespace

StatusBar::StatusBar(StatusType contentType, QWidget* parent)
    : QWidget(parent)
    , contentType_(contentType)
    , label_(new QLabel(this))
{
    label_->setFont(Appearance::monospacedFont());
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(spacing);
    // A box layout adds no spacing next to a spacer, so the gap is part of it.
    row->addSpacing(frameWidth + spacing);
    row->addWidget(label_, 1, Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMinimumHeight(imageSize + iconInset + 2 * padding);
}

QString StatusBar::content() const
{
    return label_->text();
}

void StatusBar::setContent(const QString& content)
{
    if (label_->text() != content) {
        label_->setText(content);
    }
}

void StatusBar::setAccessory(QAbstractButton* button)
{
    accessory_ = button;
    if (accessory_) {
        accessory_->setParent(this);
        accessory_->setFixedSize(imageSize, imageSize);
        accessory_->setIconSize(QSize(imageSize, imageSize));
        accessory_->show();
        // Keep the text clear of the button.
        layout()->setContentsMargins(padding, padding, padding + imageSize, padding);
    }
    placeAccessory();
}

QColor StatusBar::accentColor(StatusType type)
{
    switch (type) {
    case StatusType::error:
        return Qt::red;
    case StatusType::info:
        return Qt::blue;
    case StatusType::warning:
        return Qt::yellow;
    }
    return Qt::gray;
}

QIcon StatusBar::icon(StatusType type)
{
    QStyle* style = QApplication::style();
    switch (type) {
    case StatusType::error:
        return QIcon::fromTheme(QStringLiteral("dialog-error"), style->standardIcon(QStyle::SP_MessageBoxCritical));
    case StatusType::info:
        return QIcon::fromTheme(QStringLiteral("dialog-information"),
                                style->standardIcon(QStyle::SP_MessageBoxInformation));
    case StatusType::warning:
        return QIcon::fromTheme(QStringLiteral("dialog-warning"), style->standardIcon(QStyle::SP_MessageBoxWarning));
    }
    return {};
}

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Appearance::windowBackgroundColor());
    QColor accent = accentColor(contentType_);
    accent.setAlphaF(static_cast<float>(accentOpacity));
    painter.fillRect(rect(), accent);
    // The icon is centred on its frame, which starts after the padding.
    const int iconX = padding + frameWidth / 2 - imageSize / 2;
    icon(contentType_).paint(&painter, QRect(iconX, padding + iconInset, imageSize, imageSize));
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeAccessory();
}

void StatusBar::placeAccessory()
{
    if (!accessory_) {
        return;
    }
    // Centred on a frame that ends `padding` inside the trailing edge.
    const int frameCentre = width() - padding - frameWidth / 2;
    accessory_->move(frameCentre - imageSize / 2, (height() - imageSize) / 2);
}

} // namespace tarvine
