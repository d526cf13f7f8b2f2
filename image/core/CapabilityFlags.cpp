#include "image/core/CapabilityFlags.h"

namespace XrImage {

std::int32_t capabilityFlagsFor(const PlatformVersion& version)
{
    if (version.platformId == PlatformVersion::Win9xPlatform)
        return version.minor == 0 ? capNoGdiPlus : capWin98;
    std::int32_t flags = 0;
    if (version.major > 4)
        flags = capAlphaBlend | capNT5;
    else if (version.servicePackMajor < 6)
        flags = capNoGdiPlus;
    return flags | capWideFiles;
}

}  // namespace XrImage
