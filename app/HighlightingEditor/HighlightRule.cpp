#include "HighlightingEditor/HighlightRule.h"

#include <QBrush>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpressionMatchIterator>

namespace tarvine {

TextFormattingRule::TextFormattingRule(std::optional<int> key, ValueFunction calculateValue, FontTraits fontTraits)
    : key(key)
    , calculateValue(std::move(calculateValue))
    , fontTraits(fontTraits)
{
}

TextFormattingRule::TextFormattingRule(int key, QVariant value)
    : key(key)
    , calculateValue([value = std::move(value)](const QString&, TextRange) { return value; })
{
}

TextFormattingRule::TextFormattingRule(FontTraits fontTraits)
    : fontTraits(fontTraits)
{
}

HighlightRule::HighlightRule(QRegularExpression pattern, TextFormattingRule formattingRule)
    : pattern(std::move(pattern))
    , formattingRules{std::move(formattingRule)}
{
}

HighlightRule::HighlightRule(QRegularExpression pattern, QList<TextFormattingRule> formattingRules)
    : pattern(std::move(pattern))
    , formattingRules(std::move(formattingRules))
{
}

const QFont& defaultEditorFont()
{
    static const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    return font;
}

QColor defaultEditorColor()
{
    // Read each time: the palette follows the desktop's light or dark scheme.
    return QGuiApplication::palette().color(QPalette::WindowText);
}

namespace {

QFont withTraits(QFont font, FontTraits traits)
{
    if (traits.testFlag(FontTrait::bold)) {
        font.setBold(true);
    }
    if (traits.testFlag(FontTrait::italic)) {
        font.setItalic(true);
    }
    if (traits.testFlag(FontTrait::expanded)) {
        font.setStretch(QFont::Expanded);
    }
    if (traits.testFlag(FontTrait::condensed)) {
        font.setStretch(QFont::Condensed);
    }
    if (traits.testFlag(FontTrait::monoSpace)) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::Monospace);
    }
    return font;
}

} // namespace

AttributedText getHighlightedText(const QString& text, const QList<HighlightRule>& highlightRules)
{
    AttributedText result(text);
    const TextRange full{0, text.size()};
    result.setFont(full, defaultEditorFont());
    result.setAttribute(full, QTextFormat::ForegroundBrush, QBrush(defaultEditorColor()));

    for (const auto& rule : highlightRules) {
        auto matches = rule.pattern.globalMatch(text);
        while (matches.hasNext()) {
            const auto match = matches.next();
            const TextRange range{match.capturedStart(), match.capturedLength()};
            // An empty match has no text to format.
            if (range.length == 0) {
                continue;
            }
            for (const auto& formatting : rule.formattingRules) {
                const auto runs = result.runsIn(range);
                const QFont base = runs.back().format.font();
                result.setFont(range, withTraits(base, formatting.fontTraits));
                if (formatting.key && formatting.calculateValue) {
                    result.setAttribute(range, *formatting.key, formatting.calculateValue(match.captured(), range));
                }
            }
        }
    }
    return result;
}

} // namespace tarvine
