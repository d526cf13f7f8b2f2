#include "image/codecs/cPNGparser.h"

#include "image/codecs/cGDIPlus.h"
#include "platform/runtime/VbError.h"

#include <algorithm>
#include <cstring>

namespace XrImage {

namespace {

constexpr std::uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

bool isPngSignature(std::span<const std::uint8_t> data)
{
    return data.size() >= 8 && std::memcmp(data.data(), signature, 8) == 0;
}

bool typeIs(const std::uint8_t* type, const char (&name)[5])
{
    return std::memcmp(type, name, 4) == 0;
}

// Pairs of colour type and depth the PNG standard allows; the converters assume them.
bool isAllowedDepth(std::uint8_t colorType, std::uint8_t depth)
{
    switch (colorType) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

}  // namespace

bool cPNGparser::LoadStream(const QByteArray& Stream, c32bppDIB& dibClass,
                            std::int32_t streamOffset, std::int32_t streamLength,
                            std::int32_t GlobalToken)
{
    if (streamOffset < 0 || streamOffset >= Stream.size())
        vb::raiseError(vb::ErrSubscriptOutOfRange);
    const auto available = std::int64_t(Stream.size()) - streamOffset;
    const auto length = std::size_t(std::clamp<std::int64_t>(streamLength, 0, available));
    const auto* begin = reinterpret_cast<const std::uint8_t*>(Stream.constData()) + streamOffset;
    Host = &dibClass;
    const bool result = ParsePng({begin, length}, GlobalToken);
    Host = nullptr;
    return result;
}

bool cPNGparser::LoadFile(QFile& FileHandle, const QString& FileName, c32bppDIB& dibClass,
                          std::int32_t GlobalToken)
{
    Host = &dibClass;
    TransKey = -1;
    FileHandle.seek(0);
    const QByteArray header = FileHandle.read(58);
    auto bytesOf = [](const QByteArray& bytes) {
        return std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    };
    // Only files longer than 56 bytes are signature-tested; the rest is read only when the
    // bridge could not load the file.
    const bool tested = FileHandle.size() > 56;
    bool result = false;
    if (!tested || isPngSignature(bytesOf(header))) {
        result = tested;
        if (LoadThroughBridge(FileName, QByteArray(), GlobalToken)) {
            result = true;
        } else {
            FileHandle.seek(0);
            const QByteArray bytes = FileHandle.readAll();
            if (isPngSignature(bytesOf(bytes)))
                WalkChunks(bytesOf(bytes));
        }
    }
    Host = nullptr;
    return result;
}

void cPNGparser::decodeOwn(std::span<const std::uint8_t> data, c32bppDIB& dibClass)
{
    Host = &dibClass;
    if (isPngSignature(data))
        WalkChunks(data);
    Host = nullptr;
}

bool cPNGparser::ParsePng(std::span<const std::uint8_t> data, std::int32_t GlobalToken)
{
    TransKey = -1;
    if (!isPngSignature(data))
        return false;
    const QByteArray view =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    if (!LoadThroughBridge(QString(), view, GlobalToken))
        WalkChunks(data);
    return true;
}

bool cPNGparser::LoadThroughBridge(const QString& FileName, const QByteArray& stream,
                                   std::int32_t GlobalToken)
{
    cGDIPlus bridge;
    if (!bridge.LoadIntoDIB(FileName, stream, *Host, GlobalToken))
        return false;
    Width = Host->Width();
    Height = Host->Height();
    return true;
}

bool cPNGparser::chunkCrcOk(const std::uint8_t* chunk, std::uint32_t length)
{
    return Zlib.CheckChunkCrc(chunk + 4, std::size_t(length) + 4, chunk + 8 + length);
}

bool cPNGparser::WalkChunks(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> imageData;
    imageData.reserve(std::min<std::size_t>(data.size() / 2 + 1, std::size_t(1) << 26));
    zlibFound = Zlib.FindZlib();
    paletteLoaded = false;
    decompressedSize = 0;
    bool failed = false;
    std::uint64_t chunkStart = 8;
    // A stream without IEND, or a length that cannot be right, ends the walk as a failure.
    for (;;) {
        if (chunkStart + 12 > data.size()) {
            failed = true;
            break;
        }
        const std::uint8_t* chunk = data.data() + chunkStart;
        const std::uint32_t length = bigEndian32(chunk);
        if (length >= 0x80000000u || chunkStart + 12 + length > data.size()) {
            failed = true;
            break;
        }
        const std::uint8_t* type = chunk + 4;
        const std::uint8_t* crc = chunk + 8 + length;
        // Without zlib, and for a stored CRC of 0, nothing is checked.
        const bool crcPresent = zlibFound && bigEndian32(crc) != 0;
        chunkStart += 12 + std::uint64_t(length);
        if (length == 0) {
            if (typeIs(type, "IEND"))
                break;
            continue;
        }
        if (typeIs(type, "IHDR")) {
            failed = !ReadIHDR(chunk, length, crcPresent);
        } else if (typeIs(type, "PLTE")) {
            failed = !ReadPLTE(chunk, length, crcPresent);
        } else if (typeIs(type, "tRNS")) {
            ReadtRNS(chunk, length, crcPresent);
        } else if (typeIs(type, "IDAT")) {
            if (crcPresent && !chunkCrcOk(chunk, length)) {
                failed = true;
            } else {
                imageData.insert(imageData.end(), chunk + 8, chunk + 8 + length);
            }
        } else if (typeIs(type, "IEND")) {
            break;
        }
        if (failed)
            break;
    }
    if (failed || imageData.empty() || decompressedSize == 0)
        return false;
    DecodeImageData(imageData);
    return true;
}

bool cPNGparser::ReadIHDR(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent)
{
    decompressedSize = 0;
    if (crcPresent && !chunkCrcOk(chunk, length))
        return false;
    if (length < 13)
        return false;
    const std::uint8_t* header = chunk + 8;
    Width = std::int32_t(bigEndian32(header));
    Height = std::int32_t(bigEndian32(header + 4));
    BitDepth = header[8];
    ColorType = header[9];
    Interlace = header[12];
    if (Width < 1 || Height < 1 || header[10] != 0 || header[11] != 0)
        return false;
    if (!isAllowedDepth(ColorType, BitDepth) || Interlace > 1)
        return false;
    if (std::int64_t(Width) * 32 * Height > 0x7FFFFFFF)
        return false;
    std::uint64_t size = 0;
    if (!InflatedSize(size))
        return false;
    decompressedSize = size;
    return true;
}

bool cPNGparser::ReadPLTE(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent)
{
    if (ColorType == 0 || ColorType == 4)
        return true;
    if (crcPresent && !chunkCrcOk(chunk, length))
        return false;
    if (length % 3 != 0)
        return false;
    Palette.assign(chunk + 8, chunk + 8 + length);
    paletteLoaded = true;
    return true;
}

void cPNGparser::ReadtRNS(const std::uint8_t* chunk, std::uint32_t length, bool crcPresent)
{
    if (ColorType == 4 || ColorType == 6)
        return;
    if (crcPresent && !chunkCrcOk(chunk, length))
        return;
    TransData.assign(chunk + 8, chunk + 8 + length);
    TransKey = -1;
    switch (ColorType) {
        case 0:
            if (length >= 2)
                TransKey = TransData[1];
            break;
        case 2:
            if (length >= 6)
                TransKey = std::int32_t(TransData[1]) << 16 | std::int32_t(TransData[3]) << 8 |
                           TransData[5];
            break;
        case 3:
            if (TransData.size() < 256)
                TransData.resize(256, 255);
            TransKey = 0;
            break;
        default:
            break;
    }
}

}  // namespace XrImage
