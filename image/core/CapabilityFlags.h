// What the platform lets an image use, as bits of c32bppDIB::CapabilityFlags, derived from the
// platform's version the way a new image object does it.
#pragma once

#include <cstdint>

namespace XrImage {

enum CapabilityBit : std::int32_t {
    capAlphaBlend = 1,  // the platform's AlphaBlend may be used
    capGdiPlus = 2,     // GDI+ is usable
    capNT5 = 8,         // NT family, version 5 or later
    capWin98 = 16,      // the 9x family after its first release
    capNoGdiPlus = 32,  // GDI+ is not supported: no probe is made
    capWideFiles = 64,  // NT family: wide-character file functions and HALFTONE stretching
};

// The version record the flags are derived from.
struct PlatformVersion {
    static constexpr std::int32_t Win9xPlatform = 1;
    static constexpr std::int32_t NTPlatform = 2;

    std::int32_t platformId = NTPlatform;
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t servicePackMajor = 0;

    // What this platform reports: a current NT-family system.
    static PlatformVersion current() { return {NTPlatform, 10, 0, 0}; }
};

// The flags before the GDI+ probe: 32 or 16 on the 9x family, else 9, 32 or 0 plus 64. A
// platform id that is neither family counts as NT.
std::int32_t capabilityFlagsFor(const PlatformVersion& version);

}  // namespace XrImage
