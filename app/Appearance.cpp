#include "Appearance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

namespace tarvine {

namespace {

// The font's height in pixels.
constexpr int monospacedFontPixelSize = 20;
// A window colour darker than this lightness (0-255) means a dark scheme.
constexpr int darkSchemeLightness = 128;
// How much of the text colour the secondary label colour keeps.
constexpr double secondaryLabelOpacity = 0.5;

} // namespace

const QFont& Appearance::monospacedFont()
{
    static const QFont font = [] {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setStyleHint(QFont::Monospace);
        f.setPixelSize(monospacedFontPixelSize);
        f.setWeight(QFont::Normal);
        return f;
    }();
    return font;
}

ColorScheme Appearance::colorScheme(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < darkSchemeLightness ? ColorScheme::dark : ColorScheme::light;
}

QColor Appearance::labelColor()
{
    return QApplication::palette().color(QPalette::WindowText);
}

QColor Appearance::secondaryLabelColor()
{
    QColor colour = labelColor();
    colour.setAlphaF(static_cast<float>(secondaryLabelOpacity));
    return colour;
}

QColor Appearance::windowBackgroundColor()
{
    return QApplication::palette().color(QPalette::Window);
}

QColor Appearance::controlBackgroundColor()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor Appearance::editorBackgroundColor(ColorScheme scheme)
{
    return scheme == ColorScheme::light ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace tarvine
