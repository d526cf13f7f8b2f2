#include "CodecTestSupport.h"
#include "image/codecs/cICOparser.h"
#include "platform/picture/Picture.h"
#include "platform/runtime/VbError.h"

#include <gtest/gtest.h>

using namespace XrImage;
using codectest::bgraAt;
using codectest::ByteWriter;

namespace {

// One image of an icon file: a bitmap entry (colour bitmap and AND mask) or a PNG stream.
struct IconImage {
    int width = 16;
    int height = 16;
    int bitCount = 32;           // 1, 4, 8, 24, 32
    int directoryBitCount = -1;  // -1: the same as bitCount
    bool png = false;
    bool alphaZero = false;  // 32 bits: write every alpha byte as 0
    QImage picture;          // straight ARGB, upright
    QList<QRgb> palette;
};

QImage pattern(int width, int height, bool translucent, int colours = 0)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int r = (x * 40 + y * 3) % 256, g = (y * 50) % 256, b = (x * y * 7) % 256;
            if (colours) {
                const int index = (x + 2 * y) % colours;
                r = index * 255 / std::max(1, colours - 1);
                g = 255 - r;
                b = (index * 77) % 256;
            }
            int a = 255;
            if ((x + y) % 5 == 0)
                a = 0;
            else if (translucent && (x * y) % 3 == 1)
                a = 100;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray bitmapEntry(const IconImage& icon)
{
    const int w = icon.width, h = icon.height, bits = icon.bitCount;
    ByteWriter out;
    const int colours = bits <= 8 ? 1 << bits : 0;
    out.u32(40)
        .u32(std::uint32_t(w))
        .u32(std::uint32_t(h * 2))
        .u16(1)
        .u16(bits)
        .u32(0)
        .u32(0)
        .u32(0)
        .u32(0)
        .u32(0)
        .u32(0);
    QList<QRgb> palette = icon.palette;
    while (palette.size() < colours)
        palette.append(qRgb(0, 0, 0));
    for (int i = 0; i < colours; ++i)
        out.u8(qBlue(palette[i])).u8(qGreen(palette[i])).u8(qRed(palette[i])).u8(0);
    const int stride = (bits * w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb p = icon.picture.pixel(x, y);
            if (bits == 32) {
                row[x * 4] = char(qBlue(p));
                row[x * 4 + 1] = char(qGreen(p));
                row[x * 4 + 2] = char(qRed(p));
                row[x * 4 + 3] = char(icon.alphaZero ? 0 : qAlpha(p));
            } else if (bits == 24) {
                row[x * 3] = char(qBlue(p));
                row[x * 3 + 1] = char(qGreen(p));
                row[x * 3 + 2] = char(qRed(p));
            } else {
                const int index = int(palette.indexOf(qRgb(qRed(p), qGreen(p), qBlue(p))));
                const int bitPos = x * bits;
                row[bitPos / 8] = char(row[bitPos / 8] | (index << (8 - bits - bitPos % 8)));
            }
        }
        out.raw(row);
    }
    const int maskStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(icon.picture.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.raw(row);
    }
    return out.bytes;
}

QByteArray buildIco(const QList<IconImage>& images, int type = 1)
{
    ByteWriter out;
    out.u16(0).u16(type).u16(int(images.size()));
    QList<QByteArray> data;
    for (const IconImage& image : images)
        data.append(image.png ? pngBytes(image.picture) : bitmapEntry(image));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        const int directoryBits =
            image.directoryBitCount >= 0 ? image.directoryBitCount : image.bitCount;
        out.u8(image.width & 0xFF)
            .u8(image.height & 0xFF)
            .u8(0)
            .u8(0)
            .u16(type == 2 ? 3 : 1)
            .u16(type == 2 ? 4 : directoryBits);
        out.u32(std::uint32_t(data[i].size())).u32(offset);
        offset += std::uint32_t(data[i].size());
    }
    for (const QByteArray& d : data)
        out.raw(d);
    return out.bytes;
}

IconImage paletted(int bits, int size = 16)
{
    IconImage icon;
    icon.width = icon.height = size;
    icon.bitCount = bits;
    const int colours = bits >= 24 ? 0 : 1 << std::min(bits, 4);
    icon.picture = pattern(size, size, false, colours);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = icon.picture.pixel(x, y);
            if (bits <= 8 && !icon.palette.contains(qRgb(qRed(p), qGreen(p), qBlue(p))))
                icon.palette.append(qRgb(qRed(p), qGreen(p), qBlue(p)));
        }
    return icon;
}

struct Loaded {
    bool result = false;
    std::unique_ptr<c32bppDIB> image = std::make_unique<c32bppDIB>();
    cICOparser reader;
};

std::unique_ptr<Loaded> load(const QByteArray& bytes, int cx = 32, int cy = 32, int depth = 32,
                             bool withHost = true)
{
    auto out = std::make_unique<Loaded>();
    std::int32_t offset = 0, length = std::int32_t(bytes.size()), token = 0;
    out->result = out->reader.LoadStream(bytes, cx, cy, withHost ? out->image.get() : nullptr,
                                         offset, length, depth, token);
    return out;
}

}  // namespace

TEST(IcoReader, EveryBitmapDepthAgreesWithQt)
{
    for (int bits : {1, 4, 8, 24, 32})
        for (int size : {16, 13, 48}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << size << " pixels");
            IconImage icon =
                bits == 32
                    ? IconImage{size, size, 32, -1, false, false, pattern(size, size, true), {}}
                    : paletted(bits, size);
            const QByteArray file = buildIco({icon});
            auto loaded = load(file);
            ASSERT_TRUE(loaded->result);
            EXPECT_EQ(loaded->image->ImageType(), bits == 32 ? imgIconARGB : imgIcon);
            EXPECT_TRUE(loaded->image->Alpha());
            // Qt is exact for palette entries; the others are checked against their pixels.
            if (bits <= 8) {
                EXPECT_EQ(codectest::differingPixels(*loaded->image,
                                                     codectest::decodeWithQt(file, "ico")),
                          0);
            }
            EXPECT_EQ(codectest::differingPixels(*loaded->image, icon.picture), 0);
        }
}

TEST(IcoReader, EntryChoiceScores)
{
    const auto sizes = [](std::initializer_list<std::array<int, 3>> list) {
        QList<IconImage> images;
        for (const auto& s : list) {
            IconImage icon = paletted(s[2] >= 24 ? 24 : 8, s[0]);
            icon.bitCount = s[2] == 32 ? 32 : icon.bitCount;
            if (s[2] == 32)
                icon.picture = pattern(s[0], s[0], true);
            images.append(icon);
        }
        return buildIco(images);
    };
    // 16x16x32 scores -64, 48x48x32 scores 32: the 48 entry.
    EXPECT_EQ(load(sizes({{16, 16, 32}, {48, 48, 32}}))->image->Width(), 48);
    // 16x16x8 (-40) and 24x24x8 (-8): the second pass gives 64 and 32.
    EXPECT_EQ(load(sizes({{16, 16, 8}, {24, 24, 8}}))->image->Width(), 24);
    // An exact match wins at once even when a later one matches too.
    auto exact = load(sizes({{48, 48, 8}, {32, 32, 32}, {16, 16, 8}, {32, 32, 32}}));
    EXPECT_EQ(exact->image->Width(), 32);
    // Sizes below 1 count as 32; a one-image file gives its image whatever is asked.
    EXPECT_EQ(load(sizes({{16, 16, 32}, {32, 32, 32}}), 0, -5)->image->Width(), 32);
    EXPECT_EQ(load(sizes({{16, 16, 8}}), 256, 256, 1)->image->Width(), 16);
    // Ties in the second pass go to the later entry.
    IconImage first = paletted(8, 16), second = paletted(8, 16);
    second.picture.fill(qRgb(1, 2, 3));
    second.palette = {qRgb(1, 2, 3)};
    auto tie = load(buildIco({first, second}));
    ASSERT_TRUE(tie->result);
    EXPECT_EQ(bgraAt(*tie->image, 1, 1), (std::array<int, 4>{3, 2, 1, 255}));
    // An entry deeper than 32 bits is never chosen while another scores in 1..9999.
    IconImage deep = paletted(8, 32);
    deep.directoryBitCount = 48;
    QByteArray deepFile = buildIco({deep, paletted(24, 40)});
    deepFile[6 + 16 * 2 + 14] = 48;  // the first entry's own header says 48 bits too
    auto avoided = load(deepFile);
    EXPECT_EQ(avoided->image->Width(), 40);

    // 256 pixels: size bytes 0.
    IconImage big = paletted(8, 256);
    auto large = load(buildIco({big}));
    ASSERT_TRUE(large->result);
    EXPECT_EQ(large->reader.Width(1), 256);
    EXPECT_EQ(large->reader.Height(1), 256);
    EXPECT_EQ(large->image->Width(), 256);
}

TEST(IcoReader, PngEntriesCursorsAndMasks)
{
    IconImage png;
    png.png = true;
    png.width = png.height = 20;
    png.directoryBitCount = 0;
    png.picture = pattern(20, 20, true);
    auto loaded = load(buildIco({png}));
    ASSERT_TRUE(loaded->result);
    EXPECT_TRUE(loaded->reader.IsIconPNG(1));
    EXPECT_EQ(loaded->reader.bitDepth(1), 32);
    EXPECT_EQ(loaded->image->ImageType(), imgPNGicon);
    EXPECT_EQ(codectest::differingPixels(*loaded->image, png.picture, 1), 0);
    png.picture = pattern(20, 20, false).convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(load(buildIco({png}), 0, 0, 0, false)->reader.bitDepth(1), 24);

    // A cursor file gives the cursor types.
    IconImage four = paletted(4);
    auto cursor = load(buildIco({four}, 2));
    ASSERT_TRUE(cursor->result);
    EXPECT_EQ(cursor->image->ImageType(), imgCursor);
    EXPECT_EQ(cursor->reader.bitDepth(1), 4);

    // No mask bit set: no alpha.
    IconImage solid = paletted(4);
    solid.picture.fill(solid.palette[0]);
    auto opaque = load(buildIco({solid}));
    EXPECT_FALSE(opaque->image->Alpha());
    EXPECT_EQ(opaque->image->ImageType(), imgIcon);

    // A 32-bit entry with every alpha byte 0 uses its AND mask instead of vanishing.
    IconImage zero{8, 8, 32, -1, false, true, pattern(8, 8, false), {}};
    auto masked = load(buildIco({zero}));
    ASSERT_TRUE(masked->result);
    EXPECT_EQ(bgraAt(*masked->image, 1, 0)[3], 255);
    EXPECT_EQ(bgraAt(*masked->image, 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(codectest::differingPixels(*masked->image, zero.picture), 0);
}

TEST(IcoReader, DirectoryOnlyGettersAndRefusals)
{
    IconImage a = paletted(8, 16), b = paletted(24, 32);
    const QByteArray file = buildIco({a, b});
    auto listed = load(file, 32, 32, 32, false);
    ASSERT_TRUE(listed->result);
    EXPECT_EQ(listed->reader.IconCount(), 2);
    EXPECT_EQ(listed->reader.Width(2), 32);
    EXPECT_EQ(listed->reader.bitDepth(1), 8);
    EXPECT_FALSE(listed->reader.IsIconPNG(2));
    EXPECT_THROW(listed->reader.Width(3), vb::VbError);
    EXPECT_THROW(listed->reader.Height(0), vb::VbError);
    // The colour getters read the held bytes: only during a call.
    EXPECT_THROW(listed->reader.ColorCount(1), vb::VbError);

    // Short, reserved 1, type 3, count 0, entries past the data.
    EXPECT_FALSE(load(file.left(5))->result);
    for (int at : {0, 2, 4}) {
        QByteArray bad = file;
        bad[at] = char(at == 0 ? 1 : at == 2 ? 3 : 0);
        auto refused = load(bad);
        EXPECT_FALSE(refused->result) << at;
        EXPECT_EQ(refused->image->Handle(), 0u);
    }
    QByteArray pastEnd = file;
    pastEnd[6 + 12] = char(0xF0);
    pastEnd[6 + 15] = char(0x7F);
    EXPECT_FALSE(load(pastEnd)->result);
    // An entry without any bit count.
    IconImage none = paletted(8);
    none.directoryBitCount = 0;
    QByteArray noBits = buildIco({none});
    noBits[22 + 14] = 0;
    EXPECT_FALSE(load(noBits)->result);
    // A stream length of 0 means the whole array, and the caller learns it.
    cICOparser reader;
    c32bppDIB host;
    std::int32_t offset = 0, length = 0, depth = 32, token = 0;
    EXPECT_TRUE(reader.LoadStream(file, 32, 32, &host, offset, length, depth, token));
    EXPECT_EQ(length, file.size());

    for (const QByteArray& original :
         {file, buildIco({IconImage{8, 8, 32, -1, false, false, pattern(8, 8, true), {}}})})
        codectest::forEachDamagedCopy(original, [](const QByteArray& damaged) {
            auto result = load(damaged);
            if (!result->result) {
                EXPECT_EQ(result->image->Handle(), 0u);
            }
        });
}

TEST(IcoReader, IconPictures)
{
    cICOparser reader;
    c32bppDIB host;
    EXPECT_FALSE(reader.ConvertstdPicTo32bpp(nullptr, &host));
    QImage pixels = pattern(6, 4, true);
    const picture::Picture icon(picture::PICTYPE_ICON, pixels);
    ASSERT_TRUE(reader.ConvertstdPicTo32bpp(&icon, &host));
    EXPECT_EQ(host.ImageType(), imgIconARGB);
    EXPECT_TRUE(host.Alpha());
    EXPECT_EQ(reader.IconCount(), 1);
    EXPECT_EQ(reader.bitDepth(1), 32);
    EXPECT_EQ(codectest::differingPixels(host, pixels, 1), 0);
}

// Pictures of icon and cursor files as the platform loader gives them: the type follows the
// file (icon or cursor) and the entry's depth (only a 32-bit entry keeps its alpha; any other
// takes its mask), and Alpha tells whether the mask hid anything.
TEST(IcoReader, IconAndCursorPicturesTypedByFileAndDepth)
{
    IconImage translucent;
    translucent.picture = pattern(16, 16, true);
    IconImage opaque32;
    opaque32.picture = pattern(16, 16, false);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            opaque32.picture.setPixel(x, y, opaque32.picture.pixel(x, y) | 0xFF000000u);
    IconImage unmasked8 = paletted(8);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            unmasked8.picture.setPixel(x, y, unmasked8.picture.pixel(x, y) | 0xFF000000u);
    const struct {
        IconImage image;
        int fileType;
        int imageType;
        bool alpha;
    } cases[] = {
        {translucent, 1, imgIconARGB, true}, {translucent, 2, imgCursorARGB, true},
        {paletted(8), 1, imgIcon, true},     {paletted(4), 2, imgCursor, true},
        {paletted(24), 1, imgIcon, true},    {unmasked8, 1, imgIcon, false},
        {opaque32, 2, imgCursorARGB, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "file type " << c.fileType << ", " << c.image.bitCount << " bits");
        const QByteArray file = buildIco({c.image}, c.fileType);
        const std::optional<picture::Picture> loaded = picture::loadPicture(std::span(
            reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
        ASSERT_TRUE(loaded.has_value());
        cICOparser reader;
        c32bppDIB host;
        ASSERT_TRUE(reader.ConvertstdPicTo32bpp(&*loaded, &host));
        EXPECT_EQ(host.ImageType(), c.imageType);
        EXPECT_EQ(host.Alpha(), c.alpha);
        EXPECT_EQ(codectest::differingPixels(host, c.image.picture, 1), 0);
    }
}
