// Drawing into an image needs a GUI application (fonts, the offscreen platform). Fuzz targets
// that draw make one on their first input and keep it.
#pragma once

#include <QGuiApplication>

namespace fuzz {

inline void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

}  // namespace fuzz
