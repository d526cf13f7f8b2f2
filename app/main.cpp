#include "app/Form1.h"
#include "app/ScrivetApplication.h"
#include "app/StartUpForm.h"
#include "platform/system/DesktopRegistration.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scrivet"));
    app::registerControlLibraries();
    const QString commandLine = app::commandLineOf(QApplication::arguments());
    // The first start registers with the desktop after the main window is painted; a
    // registration under way is finished before the program ends.
    sys::deferDesktopMirror();
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [] {
        sys::releaseDesktopMirror();
        sys::waitForDesktopMirror(std::chrono::seconds(30));
    });
    // The splash window is the start-up object; the main window lives until its close goes on.
    auto* splash = new app::StartUpForm([commandLine] {
        app::Form1* window = app::createMainWindow(commandLine);
        window->setAttribute(Qt::WA_DeleteOnClose);
        app::registerWithDesktopAfterFirstPaint(window);
        window->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->Form_Load();
    splash->show();
    return QApplication::exec();
}
