#pragma once

#include <QObject>

#include "core/Settings.h"

namespace tarvine {

// The four settings, read from the user's preferences at start and written
// back on every change. Every window and the settings window share one.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    // Reads the stored values; missing ones take their defaults.
    explicit SettingsStore(QObject* parent = nullptr);

    const Settings& settings() const { return settings_; }
    bool showCacheInfo() const { return settings_.showCacheInfo; }
    bool autoExecute() const { return settings_.autoExecute; }
    bool resultsGutterVersionOne() const { return settings_.resultsGutterVersionOne; }
    bool resultsGutterVersionTwo() const { return settings_.resultsGutterVersionTwo; }

    void setShowCacheInfo(bool on) { set(&Settings::showCacheInfo, on); }
    void setAutoExecute(bool on) { set(&Settings::autoExecute, on); }
    void setResultsGutterVersionOne(bool on) { set(&Settings::resultsGutterVersionOne, on); }
    void setResultsGutterVersionTwo(bool on) { set(&Settings::resultsGutterVersionTwo, on); }

signals:
    void changed();

private:
    void set(bool Settings::*field, bool value);

    Settings settings_;
};

} // namespace tarvine
