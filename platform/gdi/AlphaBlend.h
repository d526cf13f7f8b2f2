// AlphaBlend: a source rectangle composited over a destination rectangle with the source's
// premultiplied alpha and a constant alpha, stretched when the sizes differ.
#pragma once

#include <cstdint>

namespace gdi {

class DeviceContext;

constexpr std::uint8_t AC_SRC_OVER = 0;
constexpr std::uint8_t AC_SRC_ALPHA = 1;

// SetStretchBltMode values that AlphaBlend distinguishes: HALFTONE resamples smoothly, every
// other mode takes the nearest source pixel.
enum StretchMode : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

struct BlendFunction {
    std::uint8_t BlendOp = AC_SRC_OVER;
    std::uint8_t BlendFlags = 0;
    std::uint8_t SourceConstantAlpha = 255;
    // AC_SRC_ALPHA: the source's alpha bytes count; 0: the source is opaque.
    std::uint8_t AlphaFormat = 0;
};

// Per channel of premultiplied pixels, with k = srcAlpha x SCA \ 255:
//   dst = src x SCA \ 255 + dst x (255 - k) \ 255
// Coordinates are logical pixels, upright in both contexts (a bottom-up DIB section's top row
// is y = 0); a destination finer than its logical pixels is blended in every device pixel.
// False, with nothing drawn, for a negative size, a source rectangle that leaves the source
// bitmap, or a blend operation other than AC_SRC_OVER. The destination's clip region holds.
bool alphaBlend(DeviceContext& destination, int x, int y, int width, int height,
                const DeviceContext& source, int xSource, int ySource, int sourceWidth,
                int sourceHeight, BlendFunction blend, int stretchMode = COLORONCOLOR);

}  // namespace gdi
