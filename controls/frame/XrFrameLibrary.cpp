#include "controls/frame/XrFrameLibrary.h"

#include "controls/frame/XrFrameControl.h"
#include "platform/host/ControlFactory.h"

namespace XrFrame {

void registerClasses()
{
    host::registerControlClass(
        QStringLiteral("XrFrame.XrFrameControl"),
        [](QWidget* parent) -> QWidget* { return new XrFrameControl(parent); });
}

}  // namespace XrFrame
