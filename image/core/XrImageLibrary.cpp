#include "image/core/XrImageLibrary.h"

#include "image/control/XrImageControl.h"
#include "platform/host/ControlFactory.h"

namespace XrImage {

void registerClasses()
{
    host::registerControlClass(
        QStringLiteral("XrImage.XrImageControl"),
        [](QWidget* parent) -> QWidget* { return new XrImage::XrImageControl(parent); });
}

}  // namespace XrImage
