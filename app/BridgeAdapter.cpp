#include "BridgeAdapter.h"

#include <exception>

#include "core/FunctionListing.h"

namespace tarvine {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

BridgeAdapter::BridgeAdapter(QObject* parent)
    : QObject(parent)
    , cacheInfo_(fromUtf8(bridge_.cacheInfo()))
{
}

void BridgeAdapter::execute(const QString& source)
{
    const QByteArray utf8 = source.toUtf8();
    try {
        bridge_.execute(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    } catch (...) {
        // The bridge promises not to throw; a window must survive if it does.
        changedLines_.clear();
        renderedOutputList_.clear();
        converted_.reset();
        errorOutput_ = QString::fromLatin1(Bridge::unexpectedErrorMessage.data(),
                                           static_cast<qsizetype>(Bridge::unexpectedErrorMessage.size()));
        emit resultsChanged();
        return;
    }
    publish();
}

void BridgeAdapter::publish()
{
    const QString cacheInfo = fromUtf8(bridge_.cacheInfo());
    if (cacheInfo != cacheInfo_) {
        cacheInfo_ = cacheInfo;
        emit cacheInfoChanged();
    }
    const QString error = fromUtf8(bridge_.errorOutput());
    bool changed = error != errorOutput_;
    changedLines_.clear();
    if (bridge_.sharedRenderedOutputList() != converted_) {
        changed = convertRenderedLines() || changed;
    }
    if (changed) {
        errorOutput_ = error;
        emit resultsChanged();
    }
}

bool BridgeAdapter::convertRenderedLines()
{
    // A keystroke changes a line's result or two: only the texts that differ
    // from the ones last converted are converted again, and every other line
    // keeps its QString. renderedOutputList_ holds the conversion of
    // converted_, line for line.
    const auto& next = *bridge_.sharedRenderedOutputList();
    const std::vector<std::string>* previous = converted_.get();
    const auto lineCount = static_cast<qsizetype>(next.size());
    const qsizetype previousCount = renderedOutputList_.size();
    renderedOutputList_.resize(lineCount);
    bool changed = lineCount != previousCount;
    for (qsizetype line = 0; line < lineCount; ++line) {
        const auto& text = next[static_cast<std::size_t>(line)];
        if (line < previousCount && previous && (*previous)[static_cast<std::size_t>(line)] == text) {
            continue;
        }
        QString converted = fromUtf8(text);
        if (line < previousCount && renderedOutputList_.at(line) == converted) {
            continue;
        }
        renderedOutputList_[line] = std::move(converted);
        changedLines_.push_back(line);
        changed = true;
    }
    converted_ = bridge_.sharedRenderedOutputList();
    return changed;
}

QStringList BridgeAdapter::functionListing()
{
    QStringList listing;
    for (const auto& text : tarvine::functionListing()) {
        listing.push_back(fromUtf8(text));
    }
    return listing;
}

} // namespace tarvine
