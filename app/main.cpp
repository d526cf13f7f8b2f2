#include "app/ScrivetApplication.h"

#include <QApplication>
#include <QWidget>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scrivet"));
    app::registerControlLibraries();
    std::unique_ptr<QWidget> mainWindow(app::createMainWindow());
    mainWindow->show();
    return QApplication::exec();
}
