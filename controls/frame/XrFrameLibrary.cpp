#include "controls/frame/XrFrameLibrary.h"

#include "platform/host/ControlFactory.h"

namespace XrFrame {

void registerClasses()
{
    // The library's controls register here as they are built.
}

}  // namespace XrFrame
