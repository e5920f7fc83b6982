#pragma once

#include <QString>
#include <QTextCharFormat>
#include <QVariant>

#include <vector>

namespace tarvine {

// A range of a text in UTF-16 code units, as QString and QTextDocument count.
struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    bool operator==(const TextRange&) const = default;
};

// One run of equal attributes.
struct AttributeRun {
    TextRange range;
    QTextCharFormat format;
};

// A text with attributes over UTF-16 ranges. The runs cover the whole text
// in order, and neighbouring runs always differ; an empty text has no runs.
class AttributedText {
public:
    AttributedText() = default;
    // The text with one run of no attributes.
    explicit AttributedText(QString text);

    const QString& text() const { return text_; }
    const std::vector<AttributeRun>& runs() const { return runs_; }

    // The attributes at `position`; none outside the text.
    QTextCharFormat formatAt(qsizetype position) const;
    // The runs that overlap `range`, each cut to it.
    std::vector<AttributeRun> runsIn(TextRange range) const;

    // Sets one attribute over `range` (cut to the text).
    void setAttribute(TextRange range, int key, const QVariant& value);
    // Sets every font attribute over `range` to those of `font`.
    void setFont(TextRange range, const QFont& font);

private:
    // Splits runs so that `range` starts and ends on run boundaries, applies
    // `change` to the runs inside, then merges equal neighbours.
    template<typename Change>
    void modify(TextRange range, Change change);

    QString text_;
    std::vector<AttributeRun> runs_;
};

} // namespace tarvine
