#include "controls/progressbar/XrSpecStatusBarLibrary.h"

#include "platform/host/ControlFactory.h"

namespace XrSpecStatusBar {

void registerClasses()
{
    // The library's controls register here as they are built.
}

}  // namespace XrSpecStatusBar
