#include "image/core/XrImageLibrary.h"

#include "platform/host/ControlFactory.h"

namespace XrImage {

void registerClasses()
{
    // The library's controls register here as they are built.
}

}  // namespace XrImage
