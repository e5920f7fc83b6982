#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

#include "core/Bridge.h"

namespace tarvine {

// The window's view of a Bridge: its published fields as Qt strings, and
// signals when they change. The one place where the app converts between
// QString and the engine's UTF-8.
class BridgeAdapter : public QObject {
    Q_OBJECT
public:
    explicit BridgeAdapter(QObject* parent = nullptr);

    // Evaluates the whole document; never throws.
    void execute(const QString& source);

    const QString& cacheInfo() const { return cacheInfo_; }
    // One text per source line (0-based); empty after an error.
    const QStringList& renderedOutputList() const { return renderedOutputList_; }
    // The messages of the last evaluation's errors, one per line.
    const QString& errorOutput() const { return errorOutput_; }
    // The lines whose text the last resultsChanged changed, ascending, lines
    // that appeared included; lines that went away are beyond the list's end.
    const std::vector<qsizetype>& changedLines() const { return changedLines_; }

    const Bridge& bridge() const { return bridge_; }

    // The built-in functions as the settings window lists them.
    static QStringList functionListing();

signals:
    void cacheInfoChanged();
    // renderedOutputList or errorOutput changed.
    void resultsChanged();

private:
    void publish();
    // Brings renderedOutputList_ up to the bridge's texts; true if it changed.
    bool convertRenderedLines();

    Bridge bridge_;
    // The bridge's texts that renderedOutputList_ was converted from; held so
    // that a run giving the same texts back (a cache hit on an unchanged
    // document) skips converting and comparing them all.
    Bridge::RenderedLines converted_;
    QString cacheInfo_;
    QStringList renderedOutputList_;
    std::vector<qsizetype> changedLines_;
    QString errorOutput_;
};

} // namespace tarvine
