#include "app/Form1.h"
#include "app/ScrivetApplication.h"
#include "app/StartUpForm.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scrivet"));
    app::registerControlLibraries();
    const QString commandLine = app::commandLineOf(QApplication::arguments());
    // The splash window is the start-up object; the main window lives until its close goes on.
    auto* splash = new app::StartUpForm([commandLine] {
        app::Form1* window = app::createMainWindow(commandLine);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->Form_Load();
    splash->show();
    return QApplication::exec();
}
