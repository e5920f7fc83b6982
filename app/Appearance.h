#pragma once

#include <QColor>
#include <QFont>

class QPalette;

namespace tarvine {

enum class ColorScheme { light, dark };

// The fonts and colours of the window's own views. Colours come from the
// application palette each time, so they follow the desktop's scheme.
struct Appearance {
    // The system's fixed-width font, 20 pixels high: the editor's, the
    // results' and the status texts'. Pixels rather than points, because the
    // ruler's widths are sized for digits of that font. Created once.
    static const QFont& monospacedFont();

    static ColorScheme colorScheme(const QPalette& palette);
    // The ordinary text colour.
    static QColor labelColor();
    // The dimmer text colour of comments and line numbers.
    static QColor secondaryLabelColor();
    static QColor windowBackgroundColor();
    // The fill of small controls, such as the function list's rows.
    static QColor controlBackgroundColor();
    // The editor's background: white in a light scheme, black in a dark one.
    static QColor editorBackgroundColor(ColorScheme scheme);
};

} // namespace tarvine
