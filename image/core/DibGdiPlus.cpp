// The image's GDI+ state: the capability probe, the cached bridge, session tokens, and the
// zlib probe that sits beside them in the interface.
#include "image/codecs/cGDIPlus.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"

namespace XrImage {
namespace {

// The cached bridge when there is one, else a fresh one held by `fresh` for the call.
cGDIPlus& bridgeFor(cGDIPlus* cached, std::unique_ptr<cGDIPlus>& fresh)
{
    if (cached)
        return *cached;
    fresh = std::make_unique<cGDIPlus>();
    return *fresh;
}

}  // namespace

void c32bppDIB::releaseCachedGdiPlus()
{
    m_cachedGdiPlus.reset();
}

void c32bppDIB::LetisGDIplusEnabled(bool value)
{
    if (value == isGDIplusEnabled())
        return;
    m_capabilityFlags &= ~capGdiPlus;
    if (!value || (m_capabilityFlags & capNoGdiPlus))
        return;
    std::unique_ptr<cGDIPlus> fresh;
    if (bridgeFor(m_cachedGdiPlus.get(), fresh).isGDIplusOk())
        m_capabilityFlags |= capGdiPlus;
}

void c32bppDIB::LetgdiToken(std::int32_t value)
{
    if (m_keepGDIplusActive)
        releaseCachedGdiPlus();
    m_gdiToken = value;
}

void c32bppDIB::LetKeepGDIplusActive(bool value)
{
    m_keepGDIplusActive = value && isGDIplusEnabled();
    if (!m_keepGDIplusActive)
        releaseCachedGdiPlus();
}

bool c32bppDIB::isZlibEnabled() const
{
    return DllExportsFunction(QStringLiteral("zlib1.dll"), QStringLiteral("crc32")) ||
           DllExportsFunction(QStringLiteral("zlib.dll"), QStringLiteral("crc32"));
}

std::int32_t c32bppDIB::CreateGDIplusToken()
{
    // Always a fresh bridge: a cached one with a session of its own would answer True
    // without starting one for the caller, and the caller would get no token.
    cGDIPlus bridge;
    std::int32_t token = 0;
    if (!bridge.isGDIplusOk(&token, true))
        return 0;
    return token;
}

bool c32bppDIB::DestroyGDIplusToken(std::int32_t token)
{
    if (token == 0)
        return false;
    std::unique_ptr<cGDIPlus> fresh;
    return bridgeFor(m_cachedGdiPlus.get(), fresh).StartStopSession(token, true);
}

}  // namespace XrImage
