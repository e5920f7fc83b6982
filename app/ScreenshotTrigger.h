#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tarvine {

// Saves a picture of the active window as PNG to `path` each time the
// process receives SIGUSR1; scripts/screenshot.sh uses it. Only one may
// exist per process.
class ScreenshotTrigger : public QObject {
    Q_OBJECT
public:
    ScreenshotTrigger(QString path, QObject* parent = nullptr);
    ~ScreenshotTrigger() override;

    // Whether the signal handler could be installed.
    bool isArmed() const { return notifier_ != nullptr; }

private:
    void saveScreenshot();

    QString path_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tarvine
