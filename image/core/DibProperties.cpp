// Property accessors of the image and the fit computation.
#include "image/core/c32bppDIB.h"

#include "platform/runtime/VbError.h"

#include <cmath>

namespace XrImage {

void c32bppDIB::LetisAlphaBlendFriendly(bool value)
{
    if (!value)
        m_capabilityFlags &= ~capAlphaBlend;
    else if (m_capabilityFlags & (capNT5 | capWin98))
        m_capabilityFlags |= capAlphaBlend;
}

std::int32_t c32bppDIB::scanWidth() const
{
    const std::int64_t bytes = std::int64_t(m_width) * 4;
    if (bytes > INT32_MAX)
        vb::raiseError(vb::ErrOverflow);
    return std::int32_t(bytes);
}

GdiHandle c32bppDIB::Handle() const
{
    return m_dib.isNull() ? 0 : reinterpret_cast<GdiHandle>(&m_dib.image());
}

void c32bppDIB::ScaleImage(std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t& newWidth,
                           std::int32_t& newHeight, std::int32_t ScaleMode) const
{
    if (m_dib.isNull())
        return;
    if (ScaleMode < ScaleToSize || ScaleMode > ScaleStretch) {
        newWidth = m_width;
        newHeight = m_height;
        return;
    }
    if (ScaleMode == ScaleStretch) {
        newWidth = DestWidth;
        newHeight = DestHeight;
        return;
    }
    // The ratios are single precision: the rounded-down sizes depend on it.
    const float xRatio = float(DestWidth) / float(m_width);
    const float yRatio = float(DestHeight) / float(m_height);
    float factor = xRatio < yRatio ? xRatio : yRatio;
    if (ScaleMode == scaleDownAsNeeded && xRatio > 1.0f && yRatio > 1.0f)
        factor = 1.0f;
    newWidth = std::int32_t(std::floor(double(m_width) * double(factor)));
    newHeight = std::int32_t(std::floor(double(m_height) * double(factor)));
}

}  // namespace XrImage
