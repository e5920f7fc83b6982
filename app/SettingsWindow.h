#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;

namespace tarvine {

class SettingsStore;

// The settings window: the cache-info and automatic-execution switches with
// their descriptions, and the list of built-in functions.
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    SettingsWindow(SettingsStore* settings, const QStringList& functions, QWidget* parent = nullptr);

    QCheckBox* showCacheInfoSwitch() const { return showCacheInfo_; }
    QCheckBox* autoExecuteSwitch() const { return autoExecute_; }
    // The texts of the function list's rows, top to bottom.
    QStringList functionRows() const;

private:
    void settingsChanged();

    SettingsStore* settings_;
    QCheckBox* showCacheInfo_;
    QCheckBox* autoExecute_;
    QWidget* functionList_;
};

} // namespace tarvine
