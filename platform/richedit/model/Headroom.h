// Room to grow for the per-paragraph arrays of a document and its layout. An array built to
// the exact size of a loaded document would be copied whole, into freshly mapped memory, by
// the first Enter after the load; a little room keeps that first edit as cheap as any other.
#pragma once

#include <cstddef>

namespace richedit {

// Makes room for `size` elements, with some to spare when the array has to grow.
template <typename Array>
void reserveWithRoom(Array& array, size_t size)
{
    if (array.capacity() < size)
        array.reserve(size + size / 64 + 64);
}

}  // namespace richedit
