#include "ScreenshotTrigger.h"

#include <QApplication>
#include <QPixmap>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvine {

namespace {

// The signal handler may only write to a descriptor; the event loop reads
// the other end.
int signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

ScreenshotTrigger::ScreenshotTrigger(QString path, QObject* parent)
    : QObject(parent)
    , path_(std::move(path))
{
    if (signalSockets[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGUSR1, &action, nullptr) != 0) {
        return;
    }
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalSockets[1], &byte, 1);
        saveScreenshot();
    });
}

ScreenshotTrigger::~ScreenshotTrigger()
{
    if (notifier_) {
        ::signal(SIGUSR1, SIG_DFL);
    }
}

void ScreenshotTrigger::saveScreenshot()
{
    QWidget* window = QApplication::activeWindow();
    if (!window) {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* candidate : windows) {
            if (candidate->isVisible()) {
                window = candidate;
                break;
            }
        }
    }
    if (!window) {
        std::fprintf(stderr, "tarvine: no window to save\n");
        return;
    }
    if (window->grab().save(path_, "PNG")) {
        std::printf("%s\n", qPrintable(path_));
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "tarvine: could not save %s\n", qPrintable(path_));
    }
}

} // namespace tarvine
