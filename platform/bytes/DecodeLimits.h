// How much a decoder may believe of a file before it allocates: every dimension, pixel count and
// buffer a header asks for is checked against these limits first.
#pragma once

#include "platform/bytes/CheckedSize.h"
#include "platform/bytes/DecodeError.h"

#include <cstdint>

namespace bytes {

struct DecodeLimits {
    int64_t maxWidth = 1 << 20;
    int64_t maxHeight = 1 << 20;
    uint64_t maxPixels = MaxImageBytes / 4;      // a 32-bit image of this many fits maxImageBytes
    uint64_t maxImageBytes = MaxImageBytes;      // one decoded pixel buffer
    uint64_t maxChunkBytes = uint64_t{1} << 28;  // one block of the file a decoder buffers whole
    uint64_t maxTotalBytes = uint64_t{1} << 32;  // everything one decode buffers, all together

    // The limits every codec uses unless a caller asks otherwise.
    static DecodeLimits standard() { return {}; }
};

// Refuses an image whose width or height is below 1 or above the limits, whose pixel count
// passes maxPixels, or whose buffer of `bytesPerPixel` bytes a pixel passes maxImageBytes.
Status checkImageSize(const DecodeLimits& limits, int64_t width, int64_t height,
                      int64_t bytesPerPixel);

// Refuses one block (a chunk, a frame, a table) larger than maxChunkBytes.
Status checkChunkSize(const DecodeLimits& limits, uint64_t size);

// What one decode has buffered so far, held under maxTotalBytes: a decoder calls take() before
// each allocation whose size the file decides.
class DecodeBudget {
public:
    explicit DecodeBudget(const DecodeLimits& limits) : m_limit(limits.maxTotalBytes) {}

    Status take(uint64_t size);
    uint64_t used() const { return m_used; }

private:
    uint64_t m_limit;
    uint64_t m_used = 0;
};

}  // namespace bytes
