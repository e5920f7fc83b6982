#pragma once

#include <QFlags>
#include <QFont>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

#include "HighlightingEditor/AttributedText.h"

namespace tarvine {

// Font traits a rule adds to the font of its matches.
enum class FontTrait : quint32 {
    italic = 1u << 0,
    bold = 1u << 1,
    expanded = 1u << 5,
    condensed = 1u << 6,
    monoSpace = 1u << 10,
};
Q_DECLARE_FLAGS(FontTraits, FontTrait)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontTraits)

// One formatting step for each match of a rule.
struct TextFormattingRule {
    // The match's text and its range within the whole text.
    using ValueFunction = std::function<QVariant(const QString& match, TextRange range)>;

    // The attribute to set: a QTextFormat property such as ForegroundBrush.
    std::optional<int> key;
    // The attribute's value for one match.
    ValueFunction calculateValue;
    // Traits added to the font of each match; empty for a colour rule.
    FontTraits fontTraits;

    TextFormattingRule(std::optional<int> key, ValueFunction calculateValue, FontTraits fontTraits = {});
    // The same value for every match.
    TextFormattingRule(int key, QVariant value);
    // Only font traits.
    explicit TextFormattingRule(FontTraits fontTraits);
};

// A pattern and the formatting applied to each of its matches.
struct HighlightRule {
    QRegularExpression pattern;
    QList<TextFormattingRule> formattingRules;

    HighlightRule(QRegularExpression pattern, TextFormattingRule formattingRule);
    HighlightRule(QRegularExpression pattern, QList<TextFormattingRule> formattingRules);
};

// The font and colour every text starts with: the system font and the
// label colour of the application palette.
const QFont& defaultEditorFont();
QColor defaultEditorColor();

// `text` with the default font and colour, then every rule applied in order
// to every match. Later rules win where matches overlap.
AttributedText getHighlightedText(const QString& text, const QList<HighlightRule>& highlightRules);

} // namespace tarvine
