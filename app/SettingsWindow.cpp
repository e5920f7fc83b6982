#include "SettingsWindow.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "Appearance.h"
#include "SettingsStore.h"

namespace tarvine {

namespace {

// The footnote font's size relative to the window's font.
constexpr double footnoteScale = 0.85;
// The function rows' padding and corner radius.
constexpr int rowVerticalPadding = 1;
constexpr int rowHorizontalPadding = 5;
constexpr int rowCornerRadius = 5;
// The window's size when it first opens.
constexpr QSize initialSize(520, 640);

// A switch row: a title with its description below, the switch at the end.
QWidget* switchRow(const QString& title, const QString& footnote, QCheckBox* toggle)
{
    auto* section = new QGroupBox;
    auto* row = new QHBoxLayout(section);
    auto* texts = new QVBoxLayout;
    auto* titleLabel = new QLabel(title);
    auto* footnoteLabel = new QLabel(footnote);
    QFont small = footnoteLabel->font();
    small.setPointSizeF(small.pointSizeF() * footnoteScale);
    footnoteLabel->setFont(small);
    footnoteLabel->setWordWrap(true);
    footnoteLabel->setForegroundRole(QPalette::PlaceholderText);
    titleLabel->setBuddy(toggle);
    texts->addWidget(titleLabel);
    texts->addWidget(footnoteLabel);
    row->addLayout(texts, 1);
    toggle->setAccessibleName(title);
    row->addWidget(toggle, 0, Qt::AlignTop);
    return section;
}

} // namespace

SettingsWindow::SettingsWindow(SettingsStore* settings, const QStringList& functions, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , settings_(settings)
    , showCacheInfo_(new QCheckBox)
    , autoExecute_(new QCheckBox)
    , functionList_(new QWidget)
{
    setWindowTitle(tr("Settings"));
    resize(initialSize);

    auto* form = new QVBoxLayout;
    form->addWidget(switchRow(tr("Show Cache Info"),
                              tr("Shows a bit of debug info about how many entries are in the cache"),
                              showCacheInfo_));
    form->addWidget(switchRow(
        tr("Automatically Execute"),
        tr("Automatically calculate results. It doesn't take much for this to slow down editing to an unpleasant "
           "degree, due to a lack of optimizations so far. When changing this setting, you may need to restart "
           "the app or otherwise cause the editor to recognize a code change."),
        autoExecute_));

    auto* functionsSection = new QGroupBox;
    auto* functionsColumn = new QVBoxLayout(functionsSection);
    auto* heading = new QLabel(tr("Standard Library Functions"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    functionsColumn->addWidget(heading);
    auto* rows = new QVBoxLayout(functionList_);
    rows->setContentsMargins(0, 0, 0, 0);
    QFont monospaced = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QString rowStyle = QStringLiteral("QLabel { background-color: %1; border-radius: %2px; padding: %3px %4px; }")
                                 .arg(Appearance::controlBackgroundColor().name())
                                 .arg(rowCornerRadius)
                                 .arg(rowVerticalPadding)
                                 .arg(rowHorizontalPadding);
    for (const QString& function : functions) {
        auto* row = new QLabel(function);
        row->setTextFormat(Qt::PlainText);
        row->setFont(monospaced);
        row->setStyleSheet(rowStyle);
        row->setTextInteractionFlags(Qt::TextSelectableByMouse);
        rows->addWidget(row, 0, Qt::AlignLeft);
    }
    functionsColumn->addWidget(functionList_);
    form->addWidget(functionsSection);
    form->addStretch(1);

    auto* content = new QWidget;
    content->setLayout(form);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    settingsChanged();
    connect(showCacheInfo_, &QCheckBox::toggled, settings_, &SettingsStore::setShowCacheInfo);
    connect(autoExecute_, &QCheckBox::toggled, settings_, &SettingsStore::setAutoExecute);
    connect(settings_, &SettingsStore::changed, this, &SettingsWindow::settingsChanged);
}

QStringList SettingsWindow::functionRows() const
{
    QStringList texts;
    for (const QLabel* row : functionList_->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        texts << row->text();
    }
    return texts;
}

void SettingsWindow::settingsChanged()
{
    showCacheInfo_->setChecked(settings_->showCacheInfo());
    autoExecute_->setChecked(settings_->autoExecute());
}

} // namespace tarvine
