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
    if (bridge_.sharedRenderedOutputList() != converted_) {
        converted_ = bridge_.sharedRenderedOutputList();
        QStringList rendered;
        rendered.reserve(static_cast<qsizetype>(converted_->size()));
        for (const auto& line : *converted_) {
            rendered.push_back(fromUtf8(line));
        }
        if (rendered != renderedOutputList_) {
            renderedOutputList_ = std::move(rendered);
            changed = true;
        }
    }
    if (changed) {
        errorOutput_ = error;
        emit resultsChanged();
    }
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
