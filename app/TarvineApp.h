#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "SettingsStore.h"

namespace tarvine {

class DocumentWindow;
class SettingsWindow;

// The application: the settings shared by every window, the document
// windows and the settings window.
class TarvineApp : public QObject {
    Q_OBJECT
public:
    explicit TarvineApp(QObject* parent = nullptr);
    ~TarvineApp() override;

    SettingsStore& settings() { return settings_; }

    // Opens a new window with an empty document.
    DocumentWindow* newWindow();
    // The open document windows, oldest first.
    QList<DocumentWindow*> windows() const;
    // Shows the settings window, creating it on first use.
    SettingsWindow* showSettings();
    SettingsWindow* settingsWindow() const;
    // Closes every window (each may refuse), then quits if all closed.
    void quit();

private:
    SettingsStore settings_;
    QList<QPointer<DocumentWindow>> windows_;
    QPointer<SettingsWindow> settingsWindow_;
};

} // namespace tarvine
