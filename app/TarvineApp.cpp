#include "TarvineApp.h"

#include <QApplication>

#include "BridgeAdapter.h"
#include "DocumentWindow.h"
#include "SettingsWindow.h"

namespace tarvine {

namespace {

// How far each new window is moved from the previous one.
constexpr int cascadeOffset = 30;

} // namespace

TarvineApp::TarvineApp(QObject* parent)
    : QObject(parent)
{
}

TarvineApp::~TarvineApp()
{
    for (const auto& window : windows_) {
        delete window;
    }
    delete settingsWindow_;
}

DocumentWindow* TarvineApp::newWindow()
{
    windows_.removeIf([](const QPointer<DocumentWindow>& window) { return window.isNull(); });
    auto* window = new DocumentWindow(this);
    const QList<DocumentWindow*> open = windows();
    if (!open.isEmpty()) {
        window->move(open.back()->pos() + QPoint(cascadeOffset, cascadeOffset));
    }
    windows_.push_back(window);
    window->show();
    window->activateWindow();
    return window;
}

QList<DocumentWindow*> TarvineApp::windows() const
{
    QList<DocumentWindow*> open;
    for (const auto& window : windows_) {
        if (window) {
            open.push_back(window);
        }
    }
    return open;
}

SettingsWindow* TarvineApp::showSettings()
{
    if (!settingsWindow_) {
        settingsWindow_ = new SettingsWindow(&settings_, BridgeAdapter::functionListing());
        settingsWindow_->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the last document window quits, settings open or not.
        settingsWindow_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
    return settingsWindow_;
}

SettingsWindow* TarvineApp::settingsWindow() const
{
    return settingsWindow_;
}

void TarvineApp::quit()
{
    for (DocumentWindow* window : windows()) {
        if (!window->close()) {
            return;
        }
    }
    if (settingsWindow_) {
        settingsWindow_->close();
    }
    QApplication::quit();
}

} // namespace tarvine
