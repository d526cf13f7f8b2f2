// ExtCreateRegion: a region from a region-data block (a 32-byte header of dwSize, iType,
// nCount, nRgnSize and the bounding rectangle, then nCount rectangles of left, top, right,
// bottom; little-endian 32-bit values, right and bottom exclusive).
#pragma once

#include "platform/gdi/Region.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace gdi {

constexpr std::int32_t RDH_RECTANGLES = 1;

// The region, or nothing when the block is malformed (a header size other than 32, a type other
// than RDH_RECTANGLES, a count the block cannot hold, an inverted rectangle) or holds more
// rectangles than the platform takes in one block.
std::optional<Region> extCreateRegion(const std::uint8_t* data, std::size_t size);

// The most rectangles one block may hold; 0 (the default) takes any number. Tests set a limit to
// stand for platforms that refuse large blocks.
void setRegionDataLimit(std::int32_t maxRectangles);

}  // namespace gdi
