#include "HighlightingEditor/RuleHighlighter.h"

namespace tarvine {

RuleHighlighter::RuleHighlighter(const QList<HighlightRule>* rules, QTextDocument* document)
    : QSyntaxHighlighter(document)
    , rules_(rules)
{
}

QTextCharFormat RuleHighlighter::editorFormat(const QTextCharFormat& format)
{
    QTextCharFormat result = format;
    for (const int property : {int(QTextFormat::FontFamilies), int(QTextFormat::FontStyleName),
                               int(QTextFormat::FontPointSize), int(QTextFormat::FontPixelSize),
                               int(QTextFormat::FontSizeAdjustment), int(QTextFormat::FontStyleHint),
                               int(QTextFormat::FontStyleStrategy), int(QTextFormat::FontHintingPreference),
                               int(QTextFormat::FontKerning), int(QTextFormat::FontFixedPitch)}) {
        result.clearProperty(property);
    }
    // The default font is regular; only a rule's traits change the weight.
    if (result.fontWeight() == QFont::Normal) {
        result.clearProperty(QTextFormat::FontWeight);
    }
    if (!result.fontItalic()) {
        result.clearProperty(QTextFormat::FontItalic);
    }
    return result;
}

void RuleHighlighter::highlightBlock(const QString& text)
{
    const AttributedText highlighted = getHighlightedText(text, *rules_);
    for (const auto& run : highlighted.runs()) {
        setFormat(static_cast<int>(run.range.location), static_cast<int>(run.range.length),
                  editorFormat(run.format));
    }
}

} // namespace tarvine
