#include "BridgeAdapter.h"

#include <exception>

#include "core/FunctionListing.h"

namespace tarvine {

namespace {

// Shown if the engine ever let an error escape the bridge.
constexpr const char* unexpectedErrorMessage = "Something unexpected happened";

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
        errorOutput_ = QString::fromLatin1(unexpectedErrorMessage);
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
    QStringList rendered;
    rendered.reserve(static_cast<qsizetype>(bridge_.renderedOutputList().size()));
    for (const auto& line : bridge_.renderedOutputList()) {
        rendered.push_back(fromUtf8(line));
    }
    const QString error = fromUtf8(bridge_.errorOutput());
    if (rendered != renderedOutputList_ || error != errorOutput_) {
        renderedOutputList_ = std::move(rendered);
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
