#include <QApplication>

#include <memory>

#include "ScreenshotTrigger.h"
#include "TarvineApp.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarvine"));
    QApplication::setApplicationName(QStringLiteral("Tarvine"));

    tarvine::TarvineApp app;
    app.newWindow();

    // scripts/screenshot.sh asks for a picture of the window this way.
    std::unique_ptr<tarvine::ScreenshotTrigger> screenshots;
    if (const QString path = qEnvironmentVariable("TARVINE_SCREENSHOT"); !path.isEmpty()) {
        screenshots = std::make_unique<tarvine::ScreenshotTrigger>(path);
    }
    return QApplication::exec();
}
