#include "CodecTestSupport.h"
#include "image/codecs/cBMPparser.h"
#include "platform/gdi/Bitmap.h"
#include "platform/host/Units.h"
#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <QImageWriter>

using namespace XrImage;
using codectest::bgraAt;
using codectest::ByteWriter;

namespace {

// A BMP file of the 40-byte header: the pixel rows as given, palette entries as BGRX.
QByteArray buildBmp(int width, int height, int bitCount, int compression, const QByteArray& rows,
                    const QList<QRgb>& palette = {}, const QList<std::uint32_t>& masks = {})
{
    const int headerBytes = 14 + 40 + int(masks.size()) * 4 + int(palette.size()) * 4;
    ByteWriter out;
    out.text("BM")
        .u32(std::uint32_t(headerBytes + rows.size()))
        .u32(0)
        .u32(std::uint32_t(headerBytes));
    out.u32(40).u32(std::uint32_t(width)).u32(std::uint32_t(height)).u16(1).u16(bitCount);
    out.u32(std::uint32_t(compression)).u32(std::uint32_t(rows.size())).u32(2835).u32(2835);
    out.u32(std::uint32_t(palette.size())).u32(0);
    for (std::uint32_t mask : masks)
        out.u32(mask);
    for (QRgb colour : palette)
        out.u8(qBlue(colour)).u8(qGreen(colour)).u8(qRed(colour)).u8(0);
    out.raw(rows);
    return out.bytes;
}

struct Pixel {
    int b, g, r, a;
};

// 32-bit rows in file order (bottom-up unless topDown) from an upright grid.
QByteArray rows32(const std::vector<std::vector<Pixel>>& grid, bool topDown)
{
    ByteWriter out;
    const int height = int(grid.size());
    for (int i = 0; i < height; ++i)
        for (const Pixel& p : grid[std::size_t(topDown ? i : height - 1 - i)])
            out.u8(p.b).u8(p.g).u8(p.r).u8(p.a);
    return out.bytes;
}

struct Loaded {
    bool result = false;
    std::unique_ptr<c32bppDIB> image = std::make_unique<c32bppDIB>();
};

Loaded load(const QByteArray& bytes, int offset = 0, int length = -1)
{
    Loaded out;
    cBMPparser reader;
    out.result = reader.LoadStream(bytes, out.image.get(), offset,
                                   length < 0 ? int(bytes.size()) - offset : length);
    return out;
}

std::array<int, 4> bgra(const Pixel& p)
{
    return {p.b, p.g, p.r, p.a};
}

}  // namespace

TEST(BmpReader, ThirtyTwoBitFilesCopiedAndClassified)
{
    // All alpha 0: opaque.
    const std::vector<std::vector<Pixel>> noAlpha = {{{1, 2, 3, 0}, {4, 5, 6, 0}},
                                                     {{7, 8, 9, 0}, {10, 11, 12, 0}},
                                                     {{13, 14, 15, 0}, {16, 17, 18, 0}}};
    for (bool topDown : {false, true}) {
        Loaded loaded = load(buildBmp(2, topDown ? -3 : 3, 32, 0, rows32(noAlpha, topDown)));
        ASSERT_TRUE(loaded.result);
        EXPECT_EQ(loaded.image->ImageType(), imgBitmap);
        EXPECT_FALSE(loaded.image->Alpha());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x) {
                Pixel p = noAlpha[std::size_t(y)][std::size_t(x)];
                p.a = 255;
                EXPECT_EQ(bgraAt(*loaded.image, x, y), bgra(p)) << topDown << x << y;
            }
    }
    // Partial alpha with colours never above it: kept as premultiplied.
    const std::vector<std::vector<Pixel>> partial = {{{10, 20, 30, 40}, {0, 0, 0, 0}},
                                                     {{255, 255, 255, 255}, {1, 1, 1, 1}}};
    Loaded kept = load(buildBmp(2, 2, 32, 0, rows32(partial, false)));
    EXPECT_EQ(kept.image->ImageType(), imgBmpPARGB);
    EXPECT_TRUE(kept.image->Alpha());
    EXPECT_EQ(bgraAt(*kept.image, 0, 0), (std::array<int, 4>{10, 20, 30, 40}));
    // Straight alpha (a colour above its alpha): premultiplied on load.
    const std::vector<std::vector<Pixel>> straight = {{{200, 100, 50, 128}, {9, 9, 9, 255}}};
    Loaded converted = load(buildBmp(2, 1, 32, 0, rows32(straight, false)));
    EXPECT_EQ(converted.image->ImageType(), imgBmpARGB);
    EXPECT_EQ(bgraAt(*converted.image, 0, 0), (std::array<int, 4>{100, 50, 25, 128}));
    // A BMP inside a larger array, at an offset.
    QByteArray embedded =
        QByteArray(7, 'x') + buildBmp(2, 1, 32, 0, rows32(straight, false)) + "tail";
    Loaded inside = load(embedded, 7, int(embedded.size()) - 11);
    ASSERT_TRUE(inside.result);
    EXPECT_EQ(bgraAt(*inside.image, 1, 0), (std::array<int, 4>{9, 9, 9, 255}));
}

TEST(BmpReader, OtherBitmapsThroughThePictureLoader)
{
    // 24 bits, rows padded to 4 bytes, bottom-up.
    ByteWriter rows24;
    rows24.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).u8(7).u8(8).u8(9).u8(0).u8(0).u8(0);  // bottom
    rows24.u8(10).u8(11).u8(12).u8(13).u8(14).u8(15).u8(16).u8(17).u8(18).u8(0).u8(0).u8(0);
    Loaded bits24 = load(buildBmp(3, 2, 24, 0, rows24.bytes));
    ASSERT_TRUE(bits24.result);
    EXPECT_EQ(bits24.image->ImageType(), imgBitmap);
    EXPECT_FALSE(bits24.image->Alpha());
    EXPECT_EQ(bgraAt(*bits24.image, 0, 0), (std::array<int, 4>{10, 11, 12, 255}));
    EXPECT_EQ(bgraAt(*bits24.image, 2, 1), (std::array<int, 4>{7, 8, 9, 255}));

    // 8 and 4 bits with a palette, RLE8.
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(1, 2, 3)};
    ByteWriter rows8;
    rows8.u8(1).u8(2).u8(3).u8(0);
    Loaded bits8 = load(buildBmp(3, 1, 8, 0, rows8.bytes, palette));
    ASSERT_TRUE(bits8.result);
    EXPECT_EQ(bgraAt(*bits8.image, 0, 0), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(bgraAt(*bits8.image, 2, 0), (std::array<int, 4>{3, 2, 1, 255}));
    ByteWriter rows4;
    rows4.u8(0x21).u8(0x30).u8(0).u8(0);
    Loaded bits4 = load(buildBmp(3, 1, 4, 0, rows4.bytes, palette));
    ASSERT_TRUE(bits4.result);
    EXPECT_EQ(bgraAt(*bits4.image, 0, 0), (std::array<int, 4>{0, 255, 0, 255}));
    EXPECT_EQ(bgraAt(*bits4.image, 1, 0), (std::array<int, 4>{0, 0, 255, 255}));
    ByteWriter rle8;
    rle8.u8(3).u8(2).u8(0).u8(1);  // three pixels of index 2, end of bitmap
    Loaded bitsRle = load(buildBmp(3, 1, 8, 1, rle8.bytes, palette));
    ASSERT_TRUE(bitsRle.result);
    EXPECT_EQ(bgraAt(*bitsRle.image, 2, 0), (std::array<int, 4>{0, 255, 0, 255}));

    // 32 bits with bit fields, and a 32-bit file cut short: both decoded by the loader, opaque.
    const std::vector<std::vector<Pixel>> grid = {{{1, 2, 3, 128}, {4, 5, 6, 0}}};
    Loaded fields = load(
        buildBmp(2, 1, 32, 3, rows32(grid, false), {}, {0x00FF0000u, 0x0000FF00u, 0x000000FFu}));
    ASSERT_TRUE(fields.result);
    EXPECT_EQ(fields.image->ImageType(), imgBitmap);
    EXPECT_EQ(bgraAt(*fields.image, 0, 0), (std::array<int, 4>{1, 2, 3, 255}));
    const QByteArray whole = buildBmp(
        2, 2, 32, 0, rows32({{{1, 2, 3, 0}, {4, 5, 6, 0}}, {{7, 8, 9, 0}, {1, 1, 1, 0}}}, false));
    Loaded cut = load(whole.left(whole.size() - 4));
    ASSERT_TRUE(cut.result);
    EXPECT_EQ(cut.image->ImageType(), imgBitmap);
    EXPECT_EQ(bgraAt(*cut.image, 0, 1), (std::array<int, 4>{7, 8, 9, 255}));
    EXPECT_EQ(bgraAt(*cut.image, 1, 0), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST(BmpReader, JpegThroughTheFallbackAgreesWithQt)
{
    QImage picture(16, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            picture.setPixel(x, y, qRgb(x * 16, y * 32, 128));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(picture));
    Loaded loaded = load(jpeg);
    ASSERT_TRUE(loaded.result);
    EXPECT_EQ(loaded.image->ImageType(), imgBitmap);
    EXPECT_FALSE(loaded.image->Alpha());
    EXPECT_EQ(codectest::differingPixels(*loaded.image, codectest::decodeWithQt(jpeg, "jpeg")), 0);
}

// The loader reports its size in HIMETRIC at the screen's density and the reader converts it
// back at the same density, so a picture keeps its pixel size on any screen.
TEST(BmpReader, PictureSizesKeepTheirPixelsAtEveryScreenDensity)
{
    QImage photo(97, 31, QImage::Format_RGB32);
    photo.fill(qRgb(40, 80, 120));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(photo));
    ByteWriter rows24;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 12; ++x)  // 11 pixels of 3 bytes, padded to 36
            rows24.u8(x < 11 ? 9 : 0).u8(0).u8(0);
    const QByteArray bmp24 = buildBmp(11, 7, 24, 0, rows24.bytes);

    const double densities[][2] = {{96, 96}, {120, 120}, {144, 144}, {120, 144}, {192, 96}};
    for (const auto& dpi : densities) {
        SCOPED_TRACE(testing::Message() << dpi[0] << " x " << dpi[1] << " dpi");
        const host::ScopedLogicalDpi density(dpi[0], dpi[1]);
        Loaded fromJpeg = load(jpeg);
        ASSERT_TRUE(fromJpeg.result);
        EXPECT_EQ(fromJpeg.image->Width(), 97);
        EXPECT_EQ(fromJpeg.image->Height(), 31);
        Loaded from24 = load(bmp24);
        ASSERT_TRUE(from24.result);
        EXPECT_EQ(from24.image->Width(), 11);
        EXPECT_EQ(from24.image->Height(), 7);
        EXPECT_EQ(bgraAt(*from24.image, 10, 6), (std::array<int, 4>{9, 0, 0, 255}));
    }
}

TEST(BmpReader, RefusalsAndDamage)
{
    const QByteArray good = buildBmp(2, 1, 32, 0, rows32({{{1, 2, 3, 0}, {4, 5, 6, 0}}}, false));
    QByteArray zeroWidth = good;
    zeroWidth[18] = 0;
    EXPECT_FALSE(load(zeroWidth).result);
    QByteArray zeroHeight = good;
    zeroHeight[22] = 0;
    EXPECT_FALSE(load(zeroHeight).result);
    Loaded noise = load(QByteArray("this is not a picture of any kind at all"));
    EXPECT_FALSE(noise.result);
    EXPECT_EQ(noise.image->Handle(), 0u);
    // Offsets past the array read nothing.
    EXPECT_FALSE(load(good, int(good.size()) + 10, 50).result);
    EXPECT_TRUE(load(good, 0, int(good.size()) + 500).result);
    // A huge row count in a small file never allocates the header's size.
    QByteArray huge = good;
    huge[22] = huge[23] = huge[24] = char(0xFF);
    huge[25] = 0x0F;
    Loaded claimed = load(huge);
    EXPECT_LE(std::int64_t(claimed.image->Height()), 2);

    ByteWriter rows8;
    rows8.u8(1).u8(2).u8(3).u8(0).u8(3).u8(2).u8(1).u8(0);
    for (const QByteArray& file :
         {good, buildBmp(3, 2, 8, 0, rows8.bytes, {qRgb(1, 1, 1), qRgb(2, 2, 2)})})
        codectest::forEachDamagedCopy(file, [](const QByteArray& damaged) {
            Loaded loaded = load(damaged);
            EXPECT_EQ(loaded.result, loaded.image->Handle() != 0);
        });
}

TEST(BmpReader, PicturesAndBitmapHandles)
{
    cBMPparser reader;
    c32bppDIB host;
    EXPECT_FALSE(reader.ConvertstdPicTo32bpp(nullptr, nullptr, &host, 0));
    gdi::Bitmap none;
    EXPECT_FALSE(reader.ConvertstdPicTo32bpp(nullptr, &none, &host, 0));

    // A 32-bit section: bytes copied and classified.
    gdi::Bitmap section = gdi::Bitmap::createDIBSection(2, 2);
    std::uint8_t* bits = section.image().bits();
    const std::uint8_t values[16] = {10, 20, 30, 40, 0, 0, 0, 0, 1, 1, 1, 255, 2, 2, 2, 255};
    std::memcpy(bits, values, 16);
    ASSERT_TRUE(reader.ConvertstdPicTo32bpp(nullptr, &section, &host, 0));
    EXPECT_EQ(host.ImageType(), imgBmpPARGB);
    EXPECT_TRUE(host.Alpha());
    EXPECT_EQ(bgraAt(host, 0, 1), (std::array<int, 4>{10, 20, 30, 40}));

    // A screen-compatible bitmap is drawn and opaque.
    gdi::Bitmap screen = gdi::Bitmap::create(3, 2, 1.0);
    screen.image().fill(qRgb(50, 60, 70));
    ASSERT_TRUE(reader.ConvertstdPicTo32bpp(nullptr, &screen, &host, 0));
    EXPECT_EQ(host.ImageType(), imgBitmap);
    EXPECT_FALSE(host.Alpha());
    EXPECT_EQ(bgraAt(host, 2, 1), (std::array<int, 4>{70, 60, 50, 255}));

    // A picture object of the icon type keeps its type.
    QImage upright(4, 2, QImage::Format_ARGB32);
    upright.fill(qRgb(9, 8, 7));
    upright.setPixel(0, 0, qRgb(200, 0, 0));
    const picture::Picture icon(picture::PICTYPE_ICON, upright);
    ASSERT_TRUE(reader.ConvertstdPicTo32bpp(&icon, nullptr, &host, 0));
    EXPECT_EQ(host.Width(), 4);
    EXPECT_EQ(host.Height(), 2);
    EXPECT_EQ(host.ImageType(), imgIcon);
    EXPECT_EQ(bgraAt(host, 0, 0), (std::array<int, 4>{0, 0, 200, 255}));
    EXPECT_EQ(bgraAt(host, 3, 1), (std::array<int, 4>{7, 8, 9, 255}));
}
