// The image's pixel memory, its own device context and the exchange of images.
#include "image/core/c32bppDIB.h"

#include "image/codecs/cGDIPlus.h"
#include "image/codecs/cPNGwriter.h"
#include "platform/gdi/DeviceContext.h"

#include <cstring>
#include <limits>
#include <utility>

namespace XrImage {

c32bppDIB::c32bppDIB() : c32bppDIB(PlatformVersion::current())
{
}

c32bppDIB::c32bppDIB(const PlatformVersion& platform)
    : m_capabilityFlags(capabilityFlagsFor(platform))
{
    LetisGDIplusEnabled(true);
    if (isGDIplusEnabled())
        m_highQualityInterpolation = true;
}

c32bppDIB::~c32bppDIB()
{
    DestroyDIB();
}

bool c32bppDIB::InitializeDIB(std::int32_t Width, std::int32_t Height)
{
    DestroyDIB();
    // A DIB section needs at least one column; Height's sign only says which way rows run.
    if (Width < 1 || Height == 0)
        return false;
    const std::int64_t rows = Height < 0 ? -std::int64_t(Height) : std::int64_t(Height);
    if (std::int64_t(Width) * rows * 4 > std::numeric_limits<std::int32_t>::max())
        return false;
    gdi::Bitmap section = gdi::Bitmap::createDIBSection(Width, std::int32_t(rows));
    if (section.isNull())
        return false;
    if (m_manageOwnDC && !m_ownDC)
        makeOwnDC();
    m_dib = std::move(section);
    m_bits = m_dib.image().bits();
    m_width = Width;
    m_height = std::int32_t(rows);
    // The section arrives zero-filled: what EraseDIB would leave.
    m_imageType = imgNone;
    m_alpha = true;
    return true;
}

void c32bppDIB::DestroyDIB()
{
    releaseCachedGdiPlus();
    if (m_ownDC) {
        if (!m_displacedBitmap.isNull())
            m_ownDC->selectBitmap(m_displacedBitmap);
        m_ownDC.reset();
    }
    m_dib = {};
    m_originalFormatBytes.clear();
    m_bits = nullptr;
    m_width = 0;
    m_height = 0;
    m_displacedBitmap = {};
    m_alpha = false;
    m_imageType = imgError;
}

void c32bppDIB::EraseDIB()
{
    if (m_dib.isNull())
        return;
    std::memset(m_bits, 0, size_t(m_width) * size_t(m_height) * 4);
    m_imageType = imgNone;
    m_alpha = true;
}

void c32bppDIB::makeOwnDC()
{
    m_ownDC = std::make_unique<gdi::DeviceContext>();
}

void c32bppDIB::selectIntoOwnDC()
{
    if (m_dib.isNull())
        return;
    if (!m_ownDC)
        makeOwnDC();
    if (m_displacedBitmap.isNull())
        m_displacedBitmap = m_ownDC->selectBitmap(m_dib);
}

void c32bppDIB::deselectFromOwnDC()
{
    if (m_displacedBitmap.isNull())
        return;
    m_ownDC->selectBitmap(m_displacedBitmap);
    m_displacedBitmap = {};
    if (!m_manageOwnDC)
        m_ownDC.reset();
}

gdi::DeviceContext* c32bppDIB::LoadDIBinDC(bool bLoad)
{
    if (!bLoad) {
        deselectFromOwnDC();
        return nullptr;
    }
    if (m_dib.isNull())
        return nullptr;
    selectIntoOwnDC();
    return m_ownDC.get();
}

void c32bppDIB::LetManageOwnDC(bool value)
{
    if (!value && m_ownDC) {
        if (!m_displacedBitmap.isNull())
            m_ownDC->selectBitmap(m_displacedBitmap);
        m_displacedBitmap = {};
        m_ownDC.reset();
    } else if (value && !m_ownDC && !m_dib.isNull()) {
        makeOwnDC();
    }
    m_manageOwnDC = value;
}

void c32bppDIB::SwapDIBs(c32bppDIB* SwapFromDIB)
{
    if (!SwapFromDIB || SwapFromDIB == this)
        return;
    c32bppDIB& other = *SwapFromDIB;
    // A cached bridge is laid over the pixels that are about to change hands.
    releaseCachedGdiPlus();
    other.releaseCachedGdiPlus();
    std::swap(m_dib, other.m_dib);
    std::swap(m_bits, other.m_bits);
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    std::swap(m_imageType, other.m_imageType);
    std::swap(m_alpha, other.m_alpha);
    std::swap(m_originalFormatBytes, other.m_originalFormatBytes);
    reselectAfterSwap();
    other.reselectAfterSwap();
}

void c32bppDIB::reselectAfterSwap()
{
    // A device context that held the old DIB stays the same object (callers may hold it)
    // and now holds the new one.
    if (m_displacedBitmap.isNull())
        return;
    if (!m_dib.isNull()) {
        m_ownDC->selectBitmap(m_dib);
        return;
    }
    deselectFromOwnDC();
}

void c32bppDIB::SetImageType(std::int32_t value)
{
    m_imageType = eImageFormat(value);
}

void c32bppDIB::SetOriginalFormat(const QByteArray& bytes)
{
    m_originalFormatBytes = bytes;
}

}  // namespace XrImage
