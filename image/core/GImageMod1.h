// Regions from an image's alpha channel: rectangles of the pixels with alpha collected in a
// list and handed to the platform as region-data blocks.
#pragma once

#include "platform/gdi/Region.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace XrImage {

class c32bppDIB;

// A list of 16-byte rectangle entries (left, top, right, bottom); entries 0 and 1 are kept free
// for a region-data header.
using RectList = std::vector<std::int32_t>;

// The region of the image's pixels with alpha in the style (0 bounds, 1 enclosed, 2 shaped);
// null when none results.
std::unique_ptr<gdi::Region> BuildAlphaRegion(const c32bppDIB& image, std::int32_t Style);

// One region from rectangle entries first..last (inclusive), the header written into entries
// first - 2 and first - 1; null when the platform refuses the block.
std::unique_ptr<gdi::Region> RegionFromRectRun(RectList& rects, std::int32_t first,
                                               std::int32_t last, std::int32_t boundLeft,
                                               std::int32_t boundWidth);

// The same list in blocks of 2000 rectangles, joined; null when any block is refused.
std::unique_ptr<gdi::Region> RegionFromRects(RectList& rects, std::int32_t last,
                                             std::int32_t boundLeft, std::int32_t boundWidth);

}  // namespace XrImage
