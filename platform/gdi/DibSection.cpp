#include "platform/gdi/Bitmap.h"

#include <cstring>

namespace gdi {

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
    std::memset(image.bits(), 0, size_t(image.sizeInBytes()));
    Bitmap section(std::move(image), QSize(width, height));
    section.m_pixels->bottomUp = true;
    return section;
}

}  // namespace gdi
