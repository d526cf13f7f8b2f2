// The writing side of cTGAparser.
#include "image/codecs/cTGAparser.h"

#include "image/codecs/FindSortedLong.h"
#include "image/core/FileReplacement.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <new>

namespace XrImage {

namespace {

constexpr char softwareId[] = "Tessaly c32bppDIB Suite";
constexpr char footerSignature[] = "TRUEVISION-XFILE.";
constexpr int extensionAreaSize = 495;
constexpr int maxPacketPixels = 128;

void put16(std::uint8_t* target, int value)
{
    target[0] = std::uint8_t(value & 0xFF);
    target[1] = std::uint8_t((value >> 8) & 0xFF);
}

void put32(std::uint8_t* target, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        target[i] = std::uint8_t(value >> (8 * i));
}

std::int32_t pixelValue(const std::uint8_t* pixel)
{
    std::uint32_t value;
    std::memcpy(&value, pixel, 4);
    return std::int32_t(value);
}

// Where value stands in the ascending (signed) palette, from 0, and whether it is missing there.
std::size_t paletteSlot(const std::vector<std::int32_t>& palette, std::int32_t value,
                        bool& insertNeeded)
{
    std::int32_t index = 0;
    insertNeeded = FindSortedLong(palette, value, std::int32_t(palette.size()), index);
    return std::size_t(index - 1);
}

}  // namespace

bool cTGAparser::SaveAsTGA(const QString& FileName, QByteArray& outStream, c32bppDIB* cHost,
                           bool allowPreMultipliedAlpha, bool useCompression, bool useBitReduction)
{
    if (!cHost || cHost->Handle() == 0)
        return false;
    // The header holds each side in 16 bits.
    if (cHost->Width() > 0xFFFF || cHost->Height() > 0xFFFF)
        return false;
    // Running out of memory for the pixel copies or the file's bytes fails the save.
    try {
        if (!EncodeTga(outStream, *cHost, allowPreMultipliedAlpha, useCompression, useBitReduction))
            return false;
    } catch (const std::bad_alloc&) {
        outStream.clear();
        return false;
    }
    if (FileName.isEmpty())
        return true;
    return writeFileReplacing(FileName, outStream);
}

bool cTGAparser::EncodeTga(QByteArray& outStream, c32bppDIB& cHost, bool allowPreMultipliedAlpha,
                           bool useCompression, bool useBitReduction)
{
    const std::int32_t width = cHost.Width();
    const std::int32_t height = cHost.Height();
    const bool hasAlpha = cHost.Alpha();
    std::uint8_t header[18] = {};
    std::vector<std::uint8_t> colourMap;
    std::vector<std::uint8_t> pixels;
    int imageType = 2;
    int depth = 0;

    bool reduced = false;
    if (useBitReduction && !hasAlpha) {
        std::vector<std::int32_t> palette;
        bool isGrey = true;
        reduced = BuildPalettePixels(palette, isGrey, cHost, pixels);
        if (reduced) {
            depth = 8;
            if (isGrey) {
                imageType = 3;
            } else {
                imageType = 1;
                header[1] = 1;
                put16(header + 5, int(palette.size()));
                header[7] = 24;
                colourMap.reserve(palette.size() * 3);
                for (const std::int32_t value : palette) {
                    std::uint8_t bgra[4];
                    std::memcpy(bgra, &value, 4);
                    colourMap.insert(colourMap.end(), bgra, bgra + 3);
                }
            }
        }
    }
    const std::size_t imageBytes = std::size_t(cHost.scanWidth()) * std::size_t(height);
    const std::uint8_t* rawPixels = nullptr;
    if (!reduced) {
        if (hasAlpha && allowPreMultipliedAlpha) {
            depth = 32;
            rawPixels = cHost.BitsPointer();
        } else {
            depth = hasAlpha ? 32 : 24;
            BuildTrueColorPixels(pixels, cHost);
        }
    }
    std::span<const std::uint8_t> pixelData =
        rawPixels ? std::span<const std::uint8_t>(rawPixels, imageBytes)
                  : std::span<const std::uint8_t>(pixels);

    put16(header + 12, width);
    put16(header + 14, height);
    header[16] = std::uint8_t(depth);

    std::vector<std::uint8_t> encoded;
    if (useCompression && width >= 3) {
        const std::size_t length = EncodeRle(encoded, pixelData, depth / 8, width, height);
        if (length < pixelData.size()) {
            encoded.resize(length);
            pixelData = encoded;
            imageType += 8;
        }
    }
    header[2] = std::uint8_t(imageType);
    if (hasAlpha)
        header[17] = 8;

    std::vector<std::uint8_t> extension;
    if (hasAlpha && allowPreMultipliedAlpha)
        BuildExtensionArea(extension);
    std::uint8_t footer[26] = {};
    if (!extension.empty())
        put32(footer, std::uint32_t(18 + colourMap.size() + pixelData.size()));
    std::memcpy(footer + 8, footerSignature, 17);

    const std::size_t total =
        18 + colourMap.size() + pixelData.size() + extension.size() + sizeof footer;
    if (total > std::size_t(std::numeric_limits<qsizetype>::max()) || total > 0x7FFFFFFF)
        return false;
    outStream.clear();
    outStream.reserve(qsizetype(total));
    const auto append = [&outStream](const std::uint8_t* bytes, std::size_t count) {
        outStream.append(reinterpret_cast<const char*>(bytes), qsizetype(count));
    };
    append(header, sizeof header);
    append(colourMap.data(), colourMap.size());
    append(pixelData.data(), pixelData.size());
    append(extension.data(), extension.size());
    append(footer, sizeof footer);
    return true;
}

void cTGAparser::BuildTrueColorPixels(std::vector<std::uint8_t>& pixels, c32bppDIB& cHost) const
{
    const std::size_t count = std::size_t(cHost.Width()) * std::size_t(cHost.Height());
    const std::uint8_t* source = cHost.BitsPointer();
    if (!cHost.Alpha()) {
        pixels.resize(count * 3);
        for (std::size_t i = 0; i < count; ++i)
            std::memcpy(&pixels[i * 3], source + i * 4, 3);
        return;
    }
    pixels.assign(count * 4, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* pixel = source + i * 4;
        std::uint8_t* target = &pixels[i * 4];
        const unsigned alpha = pixel[3];
        if (alpha == 255) {
            std::memcpy(target, pixel, 4);
        } else if (alpha != 0) {
            for (int c = 0; c < 3; ++c)
                target[c] = UnpremultipliedColour(pixel[c], alpha);
            target[3] = std::uint8_t(alpha);
        }
    }
}

bool cTGAparser::BuildPalettePixels(std::vector<std::int32_t>& palette, bool& isGrey,
                                    c32bppDIB& cHost, std::vector<std::uint8_t>& pixels) const
{
    isGrey = true;
    palette.clear();
    const std::size_t count = std::size_t(cHost.Width()) * std::size_t(cHost.Height());
    const std::uint8_t* source = cHost.BitsPointer();
    bool seenAny = false;
    std::int32_t lastValue = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t value = pixelValue(source + i * 4);
        if (seenAny && value == lastValue)
            continue;
        seenAny = true;
        lastValue = value;
        bool insertNeeded = false;
        const std::size_t slot = paletteSlot(palette, value, insertNeeded);
        if (!insertNeeded)
            continue;
        if (palette.size() == 256)
            return false;
        palette.insert(palette.begin() + std::ptrdiff_t(slot), value);
        const std::uint8_t* pixel = source + i * 4;
        if (pixel[0] != pixel[1] || pixel[1] != pixel[2])
            isGrey = false;
    }
    pixels.resize(count);
    if (isGrey) {
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = source[i * 4];
        return true;
    }
    std::uint8_t index = 0;
    seenAny = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t value = pixelValue(source + i * 4);
        if (!seenAny || value != lastValue) {
            bool insertNeeded = false;
            index = std::uint8_t(paletteSlot(palette, value, insertNeeded));
            lastValue = value;
            seenAny = true;
        }
        pixels[i] = index;
    }
    return true;
}

std::size_t cTGAparser::EncodeRle(std::vector<std::uint8_t>& output,
                                  std::span<const std::uint8_t> pixels, int bytesPerPixel,
                                  std::int32_t width, std::int32_t height) const
{
    const std::size_t step = std::size_t(bytesPerPixel);
    const std::size_t rowBytes = std::size_t(width) * step;
    output.clear();
    output.reserve(pixels.size());
    enum class State { None, Raw, Run };

    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + std::size_t(y) * rowBytes;
        const auto pixel = [row, step](std::int32_t x) { return row + std::size_t(x) * step; };
        const auto writeRaw = [&](std::int32_t start, std::int32_t count) {
            if (count < 1)
                return;
            output.push_back(std::uint8_t(count - 1));
            output.insert(output.end(), pixel(start), pixel(start + count));
        };
        const auto writeRun = [&](std::int32_t start, std::int32_t count) {
            output.push_back(std::uint8_t(128 + count - 1));
            output.insert(output.end(), pixel(start), pixel(start) + step);
        };
        std::int32_t start = 0;
        State state = State::None;
        for (std::int32_t x = 1; x < width; ++x) {
            bool closed = false;
            if (std::memcmp(pixel(x), pixel(x - 1), step) == 0) {
                if (state == State::Raw) {
                    writeRaw(start, x - 1 - start);
                    start = x - 1;
                    state = State::Run;
                    closed = true;
                } else if (state == State::None) {
                    state = State::Run;
                }
            } else if (state == State::Run) {
                writeRun(start, x - start);
                start = x;
                state = State::Raw;
                closed = true;
            } else if (state == State::None) {
                state = State::Raw;
            }
            if (!closed && x - start == maxPacketPixels) {
                if (state == State::Run)
                    writeRun(start, maxPacketPixels);
                else
                    writeRaw(start, maxPacketPixels);
                start = x;
                state = x == width - 1 ? State::Raw : State::None;
            }
        }
        if (state == State::Run)
            writeRun(start, width - start);
        else
            writeRaw(start, width - start);
    }
    return output.size();
}

int cTGAparser::BuildExtensionArea(std::vector<std::uint8_t>& area) const
{
    area.assign(extensionAreaSize, 0);
    put16(&area[0], extensionAreaSize);
    const QDateTime now = QDateTime::currentDateTime();
    put16(&area[367], now.date().month());
    put16(&area[369], now.date().day());
    put16(&area[371], now.date().year());
    put16(&area[373], now.time().hour());
    put16(&area[375], now.time().minute());
    put16(&area[377], now.time().second());
    std::memcpy(&area[426], softwareId, sizeof softwareId - 1);
    put16(&area[467], 3);
    area[469] = 1;
    put32(&area[470], 0xFFFFFFFFu);
    area[494] = 4;
    return extensionAreaSize;
}

}  // namespace XrImage
