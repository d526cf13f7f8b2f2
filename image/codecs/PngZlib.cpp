#include "image/codecs/PngZlib.h"

#include "image/core/ImageHelpers.h"
#include "platform/runtime/VbError.h"

#include <array>

namespace XrImage::png {

namespace {

const std::array<QString, 2> zlibNames{QStringLiteral("zlib1.dll"), QStringLiteral("zlib.dll")};

std::intptr_t address(const void* pointer)
{
    return reinterpret_cast<std::intptr_t>(pointer);
}

}  // namespace

bool ZlibBinding::FindZlib()
{
    ZlibCaller.reset();
    ZlibDll.clear();
    for (const QString& name : zlibNames) {
        if (DllExportsFunction(name, QStringLiteral("uncompress"))) {
            ZlibDll = name;
            ZlibCaller = std::make_unique<cCDECL>();
            return true;
        }
    }
    return false;
}

bool ZlibBinding::BindCompressor()
{
    ZlibCaller.reset();
    ZlibDll.clear();
    for (const char* function : {"compress2", "compress"}) {
        for (const QString& name : zlibNames) {
            if (DllExportsFunction(name, QLatin1String(function))) {
                ZlibDll = name;
                useCompress2 = QLatin1String(function) == QLatin1String("compress2");
                ZlibCaller = std::make_unique<cCDECL>();
                return true;
            }
        }
    }
    return false;
}

std::optional<std::uint32_t> ZlibBinding::Crc32(const std::uint8_t* data, std::size_t count)
{
    if (!ZlibCaller)
        return std::nullopt;
    const std::array<std::intptr_t, 3> arguments{0, address(data), std::intptr_t(count)};
    try {
        return std::uint32_t(
            ZlibCaller->CallFunc(ZlibDll, retLong, QStringLiteral("crc32"), arguments).toInt());
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

bool ZlibBinding::CheckChunkCrc(const std::uint8_t* data, std::size_t count,
                                const std::uint8_t* storedCrc)
{
    const std::optional<std::uint32_t> crc = Crc32(data, count);
    if (!crc || *crc == 0)
        return false;
    const std::uint32_t stored = std::uint32_t(storedCrc[0]) << 24 |
                                 std::uint32_t(storedCrc[1]) << 16 |
                                 std::uint32_t(storedCrc[2]) << 8 | storedCrc[3];
    return *crc == stored;
}

bool ZlibBinding::ZlibUncompress(std::uint8_t* dest, unsigned long& destLength,
                                 const std::uint8_t* source, std::size_t sourceLength)
{
    if (!ZlibCaller)
        return false;
    const std::array<std::intptr_t, 4> arguments{address(dest), address(&destLength),
                                                 address(source), std::intptr_t(sourceLength)};
    try {
        return ZlibCaller->CallFunc(ZlibDll, retLong, QStringLiteral("uncompress"), arguments)
                   .toInt() == 0;
    } catch (const vb::VbError&) {
        return false;
    }
}

bool ZlibBinding::Compress(std::uint8_t* dest, unsigned long& destLength,
                           const std::uint8_t* source, std::size_t sourceLength)
{
    if (!ZlibCaller)
        return false;
    try {
        if (useCompress2) {
            const std::array<std::intptr_t, 5> arguments{address(dest), address(&destLength),
                                                         address(source),
                                                         std::intptr_t(sourceLength), 9};
            return ZlibCaller->CallFunc(ZlibDll, retLong, QStringLiteral("compress2"), arguments)
                       .toInt() == 0;
        }
        const std::array<std::intptr_t, 4> arguments{address(dest), address(&destLength),
                                                     address(source), std::intptr_t(sourceLength)};
        return ZlibCaller->CallFunc(ZlibDll, retLong, QStringLiteral("compress"), arguments)
                   .toInt() == 0;
    } catch (const vb::VbError&) {
        return false;
    }
}

}  // namespace XrImage::png
