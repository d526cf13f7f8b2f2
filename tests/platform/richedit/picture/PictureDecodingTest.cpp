#include "platform/richedit/picture/PictureBytes.h"
#include "platform/richedit/picture/PictureDecoding.h"

#include "tests/platform/picture/MetafileScenes.h"

#include <gtest/gtest.h>
#include <QImage>
#include <cstdint>
#include <initializer_list>
#include <limits>

using richedit::decodePicture;
using namespace metafiles;
using richedit::PictureKind;

namespace {

void putLe(QByteArray& bytes, qsizetype at, int64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + i] = char((uint64_t(value) >> (8 * i)) & 0xFF);
}

struct InfoHeader {
    int64_t width = 2;
    int64_t height = 1;
    int bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

// A 40-byte bitmap header followed by `rest` (masks, palette, rows).
QByteArray infoDib(const InfoHeader& h, const QByteArray& rest)
{
    QByteArray dib(40, '\0');
    putLe(dib, 0, 40, 4);
    putLe(dib, 4, h.width, 4);
    putLe(dib, 8, h.height, 4);
    putLe(dib, 12, 1, 2);
    putLe(dib, 14, h.bitCount, 2);
    putLe(dib, 16, h.compression, 4);
    putLe(dib, 32, h.colorsUsed, 4);
    return dib + rest;
}

// Two 24-bit pixels, blue-green-red, red then green, the row padded to 8 bytes.
const QByteArray RedGreenRow("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);

QImage dib(const QByteArray& bytes)
{
    return decodePicture(bytes, PictureKind::Dib);
}

}  // namespace

TEST(PictureDecoding, PackedBitmapsOfEachHeaderDecode)
{
    const QImage plain = dib(infoDib({}, RedGreenRow));
    ASSERT_EQ(plain.size(), QSize(2, 1));
    EXPECT_EQ(plain.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(plain.pixel(1, 0), qRgb(0, 255, 0));

    // A negative height stores rows top to bottom.
    const QImage topDown =
        dib(infoDib({.width = 1, .height = -2}, QByteArray("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8)));
    ASSERT_EQ(topDown.size(), QSize(1, 2));
    EXPECT_EQ(topDown.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(topDown.pixel(0, 1), qRgb(0, 255, 0));

    // Eight bits a pixel with two palette entries (red, blue) in use: the palette ends before
    // the rows.
    const QByteArray palette("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);
    const QImage indexed = dib(infoDib({.width = 2, .bitCount = 8, .colorsUsed = 2},
                                       palette + QByteArray("\x01\x00\x00\x00", 4)));
    ASSERT_EQ(indexed.size(), QSize(2, 1));
    EXPECT_EQ(indexed.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(indexed.pixel(1, 0), qRgb(255, 0, 0));

    // A 12-byte header: 16-bit sizes and a palette of three-byte entries.
    QByteArray core(12, '\0');
    putLe(core, 0, 12, 4);
    putLe(core, 4, 1, 2);
    putLe(core, 6, 1, 2);
    putLe(core, 8, 1, 2);
    putLe(core, 10, 1, 2);
    core += QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) + QByteArray("\x80\x00\x00\x00", 4);
    const QImage oneBit = dib(core);
    ASSERT_EQ(oneBit.size(), QSize(1, 1));
    EXPECT_EQ(oneBit.pixel(0, 0), qRgb(255, 255, 255));

    const auto png = richedit::pictureAsPng(infoDib({}, RedGreenRow), PictureKind::Dib);
    EXPECT_EQ(QImage::fromData(png.png, "PNG").pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(png.width, 2);
    EXPECT_EQ(png.height, 1);
}

TEST(PictureDecoding, MalformedPackedBitmapsGiveNoImage)
{
    QByteArray shortHeader = infoDib({}, RedGreenRow);
    putLe(shortHeader, 0, 20, 4);
    QByteArray headerPastEnd = infoDib({}, {});
    putLe(headerPastEnd, 0, 124, 4);
    QByteArray corePalettePastEnd(12, '\0');
    putLe(corePalettePastEnd, 0, 12, 4);
    putLe(corePalettePastEnd, 4, 1, 2);
    putLe(corePalettePastEnd, 6, 1, 2);
    putLe(corePalettePastEnd, 10, 8, 2);
    const int64_t int32Min = std::numeric_limits<int32_t>::min();

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"no bytes", {}},
        {"three bytes", QByteArray("\x28\x00\x00", 3)},
        {"header size between the known ones", shortHeader},
        {"header past the end", headerPastEnd},
        {"header cut short", infoDib({}, RedGreenRow).left(20)},
        {"zero width", infoDib({.width = 0}, RedGreenRow)},
        {"negative width", infoDib({.width = -2}, RedGreenRow)},
        {"zero height", infoDib({.height = 0}, RedGreenRow)},
        {"most negative height", infoDib({.height = int32Min}, RedGreenRow)},
        {"width past the limit", infoDib({.width = int64_t{1} << 21}, RedGreenRow)},
        {"huge size, a few bytes of rows", infoDib({.width = 20000, .height = 20000}, RedGreenRow)},
        {"last row one byte short", infoDib({}, RedGreenRow.left(7))},
        {"no rows at all", infoDib({}, {})},
        {"depth of 7 bits", infoDib({.bitCount = 7}, RedGreenRow)},
        {"depth of 0 (embedded stream)", infoDib({.bitCount = 0, .compression = 5}, RedGreenRow)},
        {"unknown compression", infoDib({.compression = 9}, RedGreenRow)},
        {"colour masks on an 8-bit bitmap", infoDib({.bitCount = 8, .compression = 3}, {})},
        {"run-length coding at 24 bits", infoDib({.compression = 1}, RedGreenRow)},
        {"257 palette entries",
         infoDib({.bitCount = 8, .colorsUsed = 257}, QByteArray(2048, '\0'))},
        {"palette past the end", infoDib({.bitCount = 8}, QByteArray(64, '\0'))},
        {"colour masks past the end",
         infoDib({.bitCount = 32, .compression = 3}, QByteArray("\xFF", 1))},
        {"core palette past the end", corePalettePastEnd + QByteArray(100, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(dib(c.bytes).isNull());
        EXPECT_TRUE(richedit::pictureAsPng(c.bytes, PictureKind::Dib).png.isEmpty());
    }
}

TEST(PictureDecoding, MetafilesAreDrawnAtTheSizeTheyTakeOnThePage)
{
    // A placeable WMF at its own size, and at the size the page gives it.
    const QByteArray wmf = metafiles::wmfShapes();
    const QImage natural = decodePicture(wmf, PictureKind::Metafile);
    EXPECT_EQ(natural.size(), QSize(192, 144));
    const QImage sized = decodePicture(wmf, PictureKind::Metafile, QSize(384, 288));
    ASSERT_EQ(sized.size(), QSize(384, 288));
    EXPECT_EQ(qAlpha(sized.pixel(2, 280)), 0);                        // the background stays clear
    EXPECT_EQ(sized.pixel(80, 80) | 0xFF000000u, qRgb(255, 255, 0));  // the yellow rectangle

    // A bare metafile as RTF holds it: its window is its frame, the page's size its size.
    WmfWriter bare;
    bare.record(SETWINDOWEXT, {100, 100});
    bare.brush(0, rgb(0, 0, 255));
    bare.record(SELECTOBJECT, {0});
    bare.record(RECTANGLE, {50, 50, 0, 0});
    const QImage drawn = decodePicture(bare.bare(), PictureKind::Metafile, QSize(40, 40));
    ASSERT_EQ(drawn.size(), QSize(40, 40));
    EXPECT_EQ(drawn.pixel(10, 10) | 0xFF000000u, qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(drawn.pixel(30, 30)), 0);

    // An enhanced metafile; a page size far beyond any screen is drawn smaller.
    EXPECT_EQ(decodePicture(metafiles::emfShapes(), PictureKind::EnhancedMetafile).size(),
              QSize(200, 150));
    EXPECT_EQ(
        decodePicture(metafiles::emfShapes(), PictureKind::EnhancedMetafile, QSize(100000, 50000))
            .size(),
        QSize(4096, 2048));
    // Metafiles stay metafiles when written: there is no PNG of them.
    EXPECT_TRUE(richedit::pictureAsPng(wmf, PictureKind::Metafile).png.isEmpty());
}

TEST(PictureDecoding, UnreadableBytesOfOtherKindsGiveNoImage)
{
    for (const PictureKind kind : {PictureKind::Png, PictureKind::Jpeg, PictureKind::Metafile,
                                   PictureKind::EnhancedMetafile}) {
        for (const QByteArray& bytes :
             {QByteArray(), QByteArray("\x89PNG\r\n\x1A\n", 8), QByteArray("\xFF\xD8\xFF", 3)}) {
            EXPECT_TRUE(decodePicture(bytes, kind).isNull());
        }
    }
    EXPECT_EQ(richedit::encodedPixelSize(QByteArray("\x89PNG\r\n\x1A\n", 8)).width, -1);
}
