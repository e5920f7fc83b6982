#include "HighlightingEditor/AttributedText.h"

#include <algorithm>

namespace tarvine {

AttributedText::AttributedText(QString text)
    : text_(std::move(text))
{
    if (!text_.isEmpty()) {
        runs_.push_back({{0, text_.size()}, QTextCharFormat()});
    }
}

QTextCharFormat AttributedText::formatAt(qsizetype position) const
{
    auto run = std::upper_bound(runs_.begin(), runs_.end(), position,
                                [](qsizetype p, const AttributeRun& r) { return p < r.range.end(); });
    if (run == runs_.end() || position < run->range.location) {
        return {};
    }
    return run->format;
}

std::vector<AttributeRun> AttributedText::runsIn(TextRange range) const
{
    std::vector<AttributeRun> result;
    const qsizetype end = range.end();
    for (const auto& run : runs_) {
        const qsizetype from = std::max(run.range.location, range.location);
        const qsizetype to = std::min(run.range.end(), end);
        if (from < to) {
            result.push_back({{from, to - from}, run.format});
        }
    }
    return result;
}

template<typename Change>
void AttributedText::modify(TextRange range, Change change)
{
    const qsizetype from = std::clamp<qsizetype>(range.location, 0, text_.size());
    const qsizetype to = std::clamp<qsizetype>(range.end(), from, text_.size());
    if (from == to) {
        return;
    }
    // Split at the two boundaries.
    for (qsizetype boundary : {from, to}) {
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            AttributeRun& run = runs_[i];
            if (run.range.location < boundary && boundary < run.range.end()) {
                AttributeRun tail{{boundary, run.range.end() - boundary}, run.format};
                run.range.length = boundary - run.range.location;
                runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
                break;
            }
        }
    }
    for (auto& run : runs_) {
        if (run.range.location >= from && run.range.end() <= to) {
            change(run.format);
        }
    }
    std::vector<AttributeRun> merged;
    merged.reserve(runs_.size());
    for (auto& run : runs_) {
        if (!merged.empty() && merged.back().format == run.format) {
            merged.back().range.length += run.range.length;
        } else {
            merged.push_back(std::move(run));
        }
    }
    runs_ = std::move(merged);
}

void AttributedText::setAttribute(TextRange range, int key, const QVariant& value)
{
    modify(range, [&](QTextCharFormat& format) { format.setProperty(key, value); });
}

void AttributedText::setFont(TextRange range, const QFont& font)
{
    modify(range, [&](QTextCharFormat& format) { format.setFont(font, QTextCharFormat::FontPropertiesAll); });
}

} // namespace tarvine
