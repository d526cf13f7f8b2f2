#include "controls/progressbar/XrSpecStatusBarLibrary.h"

#include "controls/progressbar/XrucProgressBar.h"
#include "platform/host/ControlFactory.h"

namespace XrSpecStatusBar {

void registerClasses()
{
    host::registerControlClass(QStringLiteral("XrSpecStatusBar.XrucProgressBar"),
                               [](QWidget* parent) { return new XrucProgressBar(parent); });
}

}  // namespace XrSpecStatusBar
