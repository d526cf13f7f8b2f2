#include "platform/gdi/Bitmap.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

namespace gdi {

namespace {

// Asks for whole huge pages over a large pixel buffer before its first touch: a 12-megapixel
// image then faults in and is released in a few dozen pages instead of twelve thousand, which
// made freeing it cost more than scaling it. Only the 2 MiB-aligned middle is advised.
void adviseHugePages([[maybe_unused]] std::uint8_t* bits, [[maybe_unused]] std::size_t size)
{
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) << 20;
    if (size < 4 * hugePage)
        return;
    const std::uintptr_t start =
        (reinterpret_cast<std::uintptr_t>(bits) + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bits) + size) & ~(hugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

}  // namespace

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
              "a premultiplied ARGB32 image holds blue, green, red, alpha bytes only on "
              "little-endian machines");

Bitmap Bitmap::createDIBSection(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.bytesPerLine() != qsizetype(width) * 4)
        return {};
    adviseHugePages(image.bits(), size_t(image.sizeInBytes()));
    std::memset(image.bits(), 0, size_t(image.sizeInBytes()));
    Bitmap section(std::move(image), QSize(width, height));
    section.m_pixels->bottomUp = true;
    return section;
}

}  // namespace gdi
