#pragma once

#include <QList>
#include <QSyntaxHighlighter>

#include "HighlightingEditor/HighlightRule.h"

namespace tarvine {

// Applies highlight rules line by line as formats of the document's layout.
// The rules must be line-local (no match across a line feed), which lets a
// keystroke re-highlight only its own line.
class RuleHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    RuleHighlighter(const QList<HighlightRule>* rules, QTextDocument* document);

    // What a highlighted run contributes on top of the document's own format:
    // everything but the font's face and size, which stay the editor's.
    static QTextCharFormat editorFormat(const QTextCharFormat& format);

protected:
    void highlightBlock(const QString& text) override;

private:
    const QList<HighlightRule>* rules_;
};

} // namespace tarvine
