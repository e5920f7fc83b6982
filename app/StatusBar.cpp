#include "StatusBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

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
// Lines shown at once; more scroll, so the editor keeps its room.
constexpr int maxVisibleLines = 6;
// Lines laid out at all: thousands of identical errors tell nothing more than
// a thousand, and laying them all out would stall the window.
constexpr qsizetype maxShownLines = 1000;

} // namespace

StatusBar::StatusBar(StatusType contentType, QWidget* parent)
    : QWidget(parent)
    , contentType_(contentType)
    , scrollArea_(new QScrollArea(this))
    , label_(new QLabel)
{
    label_->setFont(Appearance::monospacedFont());
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    scrollArea_->setWidget(label_);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    // The bar paints its own tinted background behind the text (setWidget
    // turns the label's own background on).
    scrollArea_->viewport()->setAutoFillBackground(false);
    label_->setAutoFillBackground(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(spacing);
    // A box layout adds no spacing next to a spacer, so the gap is part of it.
    row->addSpacing(frameWidth + spacing);
    row->addWidget(scrollArea_, 1, Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMinimumHeight(imageSize + iconInset + 2 * padding);
}

QString StatusBar::content() const
{
    return content_;
}

void StatusBar::setContent(const QString& content)
{
    if (content_ == content) {
        return;
    }
    content_ = content;
    qsizetype end = -1;
    for (qsizetype line = 0; line < maxShownLines; ++line) {
        end = content.indexOf(u'\n', end + 1);
        if (end < 0) {
            break;
        }
    }
    if (end < 0) {
        label_->setText(content);
    } else {
        const auto hidden = content.count(u'\n') - maxShownLines + 1;
        label_->setText(content.left(end) + u'\n' + tr("… and %n more", nullptr, static_cast<int>(hidden)));
    }
    fitHeight();
}

QString StatusBar::shownText() const
{
    return label_->text();
}

int StatusBar::textAreaHeight() const
{
    return scrollArea_->height();
}

void StatusBar::fitHeight()
{
    // The text's width follows from the bar's own, which is already final
    // when the bar is resized (the scroll area's may not be yet).
    const QMargins margins = layout()->contentsMargins();
    const int width = std::max(1, this->width() - margins.left() - margins.right() - frameWidth - spacing);
    const int textHeight = label_->heightForWidth(width);
    const int limit = maxVisibleLines * label_->fontMetrics().lineSpacing();
    scrollArea_->setFixedHeight(std::min(textHeight, limit));
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
    if (event->size().width() != event->oldSize().width()) {
        fitHeight(); // the text wraps anew
    }
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
