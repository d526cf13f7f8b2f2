#include "image/codecs/PngReduction.h"

#include "image/codecs/FindSortedLong.h"
#include "image/core/ImageHelpers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace XrImage::png {

namespace {

std::int32_t pixelValue(const std::uint8_t* pixel)
{
    std::uint32_t value;
    std::memcpy(&value, pixel, 4);
    return std::int32_t(value);
}

unsigned alphaOf(std::int32_t value)
{
    return std::uint32_t(value) >> 24;
}

}  // namespace

bool ReduceToPalette(const std::uint8_t* bits, std::int32_t width, std::int32_t height, bool alpha,
                     PreparedImage& image)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    std::vector<std::int32_t> colours;
    colours.reserve(256);
    std::int32_t last = 0;
    bool haveLast = false;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::int32_t value = pixelValue(bits + i * 4);
        if (haveLast && value == last)
            continue;
        last = value;
        haveLast = true;
        std::int32_t index = 0;
        if (FindSortedLong(colours, value, std::int32_t(colours.size()), index)) {
            if (colours.size() == 256)
                return false;
            colours.insert(colours.begin() + (index - 1), value);
        }
    }
    const int entries = int(colours.size());
    std::array<unsigned, 256> entryAlpha{};
    int nonOpaque = 0;
    int onlyNonOpaque = -1;
    for (int k = 0; k < entries; ++k) {
        entryAlpha[std::size_t(k)] = alpha ? alphaOf(colours[std::size_t(k)]) : 255;
        if (entryAlpha[std::size_t(k)] != 255) {
            ++nonOpaque;
            onlyNonOpaque = k;
        }
    }
    image.width = width;
    image.height = height;
    image.colorType = 3;
    image.transparency = nonOpaque == 0 ? -1 : nonOpaque == 1 ? onlyNonOpaque + 1 : 0;
    image.rowBytes = std::size_t(width);
    image.rows.assign(pixels, 0);

    // Grey: every entry has blue = green = red. A single partly transparent entry would lose
    // its alpha there (grey keeps one fully transparent level only), so it stays a palette.
    const bool partlyTransparentOne = nonOpaque == 1 && entryAlpha[std::size_t(onlyNonOpaque)] != 0;
    const bool allGrey = std::all_of(colours.begin(), colours.end(), [](std::int32_t value) {
        const auto v = std::uint32_t(value);
        return (v & 255) == ((v >> 8) & 255) && (v & 255) == ((v >> 16) & 255);
    });
    if (image.transparency != 0 && allGrey && !partlyTransparentOne) {
        image.colorType = 0;
        std::int32_t level = -1;
        if (alpha) {
            std::array<bool, 256> used{};
            for (int k = 0; k < entries; ++k) {
                const auto v = std::uint32_t(colours[std::size_t(k)]);
                if ((v & 0xFFFFFF) != 0)
                    used[v & 255] = true;
                else if (entryAlpha[std::size_t(k)] != 0)
                    used[0] = true;
            }
            if (!used[0]) {
                level = 0;
            } else {
                for (int candidate = 1; candidate < entries && level < 0; ++candidate)
                    if (!used[std::size_t(candidate)])
                        level = candidate;
            }
        }
        image.transparency = level;
        for (std::size_t i = 0; i < pixels; ++i) {
            const std::uint8_t* pixel = bits + i * 4;
            image.rows[i] = (pixel[3] != 0 || level < 0) ? pixel[0] : std::uint8_t(level);
        }
        return true;
    }

    // New order: non-opaque entries first, opaque ones from the last index downward.
    std::array<std::uint8_t, 256> newIndex{};
    if (image.transparency == -1) {
        for (int k = 0; k < entries; ++k)
            newIndex[std::size_t(k)] = std::uint8_t(k);
    } else {
        int front = 0;
        int back = entries - 1;
        for (int k = 0; k < entries; ++k)
            newIndex[std::size_t(k)] =
                std::uint8_t(entryAlpha[std::size_t(k)] != 255 ? front++ : back--);
    }
    image.palette.assign(std::size_t(entries) * 3, 0);
    image.paletteAlpha.assign(std::size_t(image.transparency == -1 ? 0 : nonOpaque), 255);
    for (int k = 0; k < entries; ++k) {
        const auto v = std::uint32_t(colours[std::size_t(k)]);
        const unsigned a = entryAlpha[std::size_t(k)];
        const std::size_t at = std::size_t(newIndex[std::size_t(k)]);
        std::uint8_t* rgb = image.palette.data() + at * 3;
        const unsigned red = (v >> 16) & 255, green = (v >> 8) & 255, blue = v & 255;
        if (a == 255) {
            rgb[0] = std::uint8_t(red);
            rgb[1] = std::uint8_t(green);
            rgb[2] = std::uint8_t(blue);
        } else if (a != 0) {
            rgb[0] = UnpremultipliedColour(red, a);
            rgb[1] = UnpremultipliedColour(green, a);
            rgb[2] = UnpremultipliedColour(blue, a);
        }
        if (a != 255 && at < image.paletteAlpha.size())
            image.paletteAlpha[at] = std::uint8_t(a);
    }
    std::int32_t lastValue = 0;
    std::uint8_t lastIndex = 0;
    haveLast = false;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::int32_t value = pixelValue(bits + i * 4);
        if (!haveLast || value != lastValue) {
            std::int32_t index = 0;
            FindSortedLong(colours, value, entries, index);
            lastIndex = newIndex[std::size_t(index - 1)];
            lastValue = value;
            haveLast = true;
        }
        image.rows[i] = lastIndex;
    }
    return true;
}

void PrepareTrueColour(const std::uint8_t* bits, std::int32_t width, std::int32_t height,
                       bool alpha, PreparedImage& image)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    image.width = width;
    image.height = height;
    image.transparency = -1;
    image.palette.clear();
    image.paletteAlpha.clear();
    image.colorType = alpha ? 6 : 2;
    if (alpha) {
        // One pass per channel (blue, green, red) for a value no opaque pixel has.
        bool partial = false;
        for (int channel = 0; channel < 3 && !partial && image.colorType == 6; ++channel) {
            std::array<bool, 256> used{};
            int distinct = 0;
            for (std::size_t i = 0; i < pixels && distinct < 256; ++i) {
                const std::uint8_t* pixel = bits + i * 4;
                if (pixel[3] == 255) {
                    if (!used[pixel[channel]]) {
                        used[pixel[channel]] = true;
                        ++distinct;
                    }
                } else if (pixel[3] != 0) {
                    partial = true;
                    break;
                }
            }
            if (partial || distinct == 256)
                continue;
            const auto unused =
                std::size_t(std::find(used.begin(), used.end(), false) - used.begin());
            image.colorType = 2;
            image.transparency = std::int32_t(unused * 0x10101);
        }
    }
    const int bytes = image.bytesPerPixel();
    image.rowBytes = std::size_t(width) * std::size_t(bytes);
    image.rows.assign(pixels * std::size_t(bytes), 0);
    const auto transparentColour = std::uint32_t(image.transparency);
    std::uint8_t* out = image.rows.data();
    for (std::size_t i = 0; i < pixels; ++i, out += bytes) {
        const std::uint8_t* pixel = bits + i * 4;
        const unsigned a = pixel[3];
        if (a == 255) {
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
        } else if (a == 0) {
            if (bytes == 3) {
                out[0] = std::uint8_t(transparentColour);
                out[1] = std::uint8_t(transparentColour >> 8);
                out[2] = std::uint8_t(transparentColour >> 16);
            }
        } else {
            out[0] = UnpremultipliedColour(pixel[2], a);
            out[1] = UnpremultipliedColour(pixel[1], a);
            out[2] = UnpremultipliedColour(pixel[0], a);
        }
        if (bytes == 4)
            out[3] = std::uint8_t(a);
    }
}

namespace {

int paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// The predicted value of byte i for filter type `type`.
inline int predict(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t i,
                   std::size_t unit)
{
    const int left = i >= unit ? row[i - unit] : 0;
    const int up = above ? above[i] : 0;
    switch (type) {
        case 1:
            return left;
        case 2:
            return up;
        case 3:
            return (left + up) / 2;
        case 4:
            return paethPredictor(left, up, (above && i >= unit) ? above[i - unit] : 0);
        default:
            return 0;
    }
}

void writeRow(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t length,
              std::size_t unit, std::uint8_t* out)
{
    out[0] = std::uint8_t(type);
    if (type == 0) {
        std::memcpy(out + 1, row, length);
        return;
    }
    for (std::size_t i = 0; i < length; ++i)
        out[i + 1] = std::uint8_t(row[i] - predict(type, row, above, i, unit));
}

// Sum of |x - prediction| over the row, stopping once it passes `bound`.
std::int64_t measure(int type, const std::uint8_t* row, const std::uint8_t* above,
                     std::size_t length, std::size_t unit, std::int64_t bound)
{
    std::int64_t total = 0;
    for (std::size_t i = 0; i < length && total <= bound; ++i)
        total += std::abs(int(row[i]) - predict(type, row, above, i, unit));
    return total;
}

}  // namespace

std::vector<std::uint8_t> FilterRows(const PreparedImage& image, std::int32_t choice)
{
    if (choice < 0 || choice > 6)
        choice = 0;
    if (choice == 0)
        choice = (image.colorType == 0 || image.colorType == 3) ? 1 : 5;
    const std::size_t length = image.rowBytes;
    const auto unit = std::size_t(image.bytesPerPixel());
    const auto height = std::size_t(image.height);
    std::vector<std::uint8_t> out(height * (length + 1));
    for (std::size_t i = 0; i < height; ++i) {
        const std::uint8_t* row = image.rows.data() + (height - 1 - i) * length;
        const std::uint8_t* above = i ? row + length : nullptr;
        int type = choice - 1;
        if (choice == 6) {
            // Adaptive: the least sum of differences; on a tie the later filter wins.
            type = 0;
            std::int64_t bound = std::int64_t(length) * 254;
            for (int candidate = 0; candidate <= 4; ++candidate) {
                if (i == 0 && candidate >= 2)
                    break;
                const std::int64_t total = measure(candidate, row, above, length, unit, bound);
                if (total <= bound) {
                    type = candidate;
                    bound = std::max<std::int64_t>(total, 1);
                }
            }
        }
        writeRow(type, row, above, length, unit, out.data() + i * (length + 1));
    }
    return out;
}

}  // namespace XrImage::png
