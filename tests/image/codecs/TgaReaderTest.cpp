#include "CodecTestSupport.h"
#include "image/codecs/cTGAparser.h"

#include <gtest/gtest.h>

#include <QColor>

using namespace XrImage;
using codectest::bgraAt;
using codectest::ByteWriter;

namespace {

// A test picture with distinct colours in every pixel and a few repeats for run packets.
QImage testPicture(int width, int height, bool withAlpha)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool repeat = x >= width / 2 && y % 2 == 0;
            const int r = repeat ? 200 : (x * 37 + y * 11) % 256;
            const int g = repeat ? 10 : (x * 5 + y * 53) % 256;
            const int b = repeat ? 90 : (x * 91 + y * 7) % 256;
            int a = 255;
            if (withAlpha)
                a = (x + y) % 3 == 0 ? 0 : (x + y) % 3 == 1 ? 128 : 255;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

enum class Kind { Grey8, Grey16Alpha, Rgb15, Rgb16, Rgb24, Rgba32, Mapped };

struct TgaOptions {
    Kind kind = Kind::Rgb24;
    bool rle = false;
    int descriptor = 0;  // origin bits; alpha bits are added by kind
    bool footer = false;
    int extensionAttributes = -1;  // -1: no extension area
    int mapEntryBits = 24;
    QByteArray imageId;
};

// The stored bytes of one pixel, encoded the way the format defines them.
QByteArray storedPixel(QRgb pixel, const TgaOptions& options, const QList<QRgb>& palette)
{
    ByteWriter out;
    switch (options.kind) {
        case Kind::Grey8:
            out.u8(qRed(pixel));
            break;
        case Kind::Grey16Alpha:
            out.u8(qRed(pixel)).u8(qAlpha(pixel));
            break;
        case Kind::Rgb15:
        case Kind::Rgb16: {
            int value =
                (qBlue(pixel) >> 3) | ((qGreen(pixel) >> 3) << 5) | ((qRed(pixel) >> 3) << 10);
            // The reader's convention: a set top bit marks a transparent pixel.
            if (options.kind == Kind::Rgb16 && qAlpha(pixel) == 0)
                value |= 0x8000;
            out.u16(value);
            break;
        }
        case Kind::Rgb24:
            out.u8(qBlue(pixel)).u8(qGreen(pixel)).u8(qRed(pixel));
            break;
        case Kind::Rgba32:
            out.u8(qBlue(pixel)).u8(qGreen(pixel)).u8(qRed(pixel)).u8(qAlpha(pixel));
            break;
        case Kind::Mapped:
            out.u8(int(palette.indexOf(pixel)));
            break;
    }
    return out.bytes;
}

QByteArray buildTga(const QImage& image, const TgaOptions& options)
{
    QList<QRgb> palette;
    if (options.kind == Kind::Mapped)
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!palette.contains(image.pixel(x, y)))
                    palette.append(image.pixel(x, y));
    int type = 2;
    int depth = 24;
    int alphaBits = 0;
    switch (options.kind) {
        case Kind::Grey8:
            type = 3;
            depth = 8;
            break;
        case Kind::Grey16Alpha:
            type = 3;
            depth = 16;
            alphaBits = 8;
            break;
        case Kind::Rgb15:
            depth = 15;
            break;
        case Kind::Rgb16:
            depth = 16;
            alphaBits = 1;
            break;
        case Kind::Rgb24:
            depth = 24;
            break;
        case Kind::Rgba32:
            depth = 32;
            alphaBits = 8;
            break;
        case Kind::Mapped:
            type = 1;
            depth = 8;
            break;
    }
    if (options.rle)
        type += 8;
    ByteWriter out;
    out.u8(int(options.imageId.size())).u8(palette.isEmpty() ? 0 : 1).u8(type);
    out.u16(0).u16(int(palette.size())).u8(palette.isEmpty() ? 0 : options.mapEntryBits);
    out.u16(0).u16(0).u16(image.width()).u16(image.height()).u8(depth);
    out.u8(options.descriptor | alphaBits);
    out.raw(options.imageId);
    for (QRgb colour : palette) {
        if (options.mapEntryBits == 32)
            out.u8(qBlue(colour)).u8(qGreen(colour)).u8(qRed(colour)).u8(qAlpha(colour));
        else if (options.mapEntryBits == 16)
            out.u16((qBlue(colour) >> 3) | ((qGreen(colour) >> 3) << 5) |
                    ((qRed(colour) >> 3) << 10) | (qAlpha(colour) == 0 ? 0x8000 : 0));
        else
            out.u8(qBlue(colour)).u8(qGreen(colour)).u8(qRed(colour));
    }
    const bool topDown = options.descriptor & 32;
    const bool rightToLeft = options.descriptor & 16;
    for (int stored = 0; stored < image.height(); ++stored) {
        const int y = topDown ? stored : image.height() - 1 - stored;
        QList<QByteArray> row;
        for (int i = 0; i < image.width(); ++i)
            row.append(storedPixel(image.pixel(rightToLeft ? image.width() - 1 - i : i, y), options,
                                   palette));
        if (!options.rle) {
            for (const QByteArray& p : row)
                out.raw(p);
            continue;
        }
        // Runs of equal pixels as run packets, everything else as one-pixel raw packets.
        for (qsizetype i = 0; i < row.size();) {
            qsizetype n = 1;
            while (i + n < row.size() && n < 128 && row[i + n] == row[i])
                ++n;
            if (n > 1)
                out.u8(0x80 | int(n - 1)).raw(row[i]);
            else
                out.u8(0).raw(row[i]);
            i += n;
        }
    }
    const int extensionOffset = int(out.bytes.size());
    if (options.extensionAttributes >= 0) {
        QByteArray area(495, '\0');
        area[0] = char(495 & 0xFF);
        area[1] = char(495 >> 8);
        area[494] = char(options.extensionAttributes);
        out.raw(area);
    }
    if (options.footer || options.extensionAttributes >= 0) {
        out.u32(options.extensionAttributes >= 0 ? std::uint32_t(extensionOffset) : 0).u32(0);
        out.text("TRUEVISION-XFILE.").u8(0);
    }
    return out.bytes;
}

struct Loaded {
    bool result = false;
    std::unique_ptr<c32bppDIB> image = std::make_unique<c32bppDIB>();
};

Loaded load(const QByteArray& bytes, int offset = 0, int length = -1)
{
    Loaded out;
    cTGAparser reader;
    out.result = reader.LoadStream(bytes, out.image.get(), offset,
                                   length < 0 ? int(bytes.size()) - offset : length);
    return out;
}

// The colour each kind can carry of a test pixel: fewer bits, grey, or opaque.
QRgb carried(QRgb pixel, Kind kind)
{
    const auto five = [](int v) { return (v >> 3) * 8 + ((v >> 3) % 8); };
    switch (kind) {
        case Kind::Grey8:
            return qRgba(qRed(pixel), qRed(pixel), qRed(pixel), 255);
        case Kind::Grey16Alpha:
            return qRgba(qRed(pixel), qRed(pixel), qRed(pixel), qAlpha(pixel));
        case Kind::Rgb15:
            return qRgba(five(qRed(pixel)), five(qGreen(pixel)), five(qBlue(pixel)), 255);
        case Kind::Rgb16:
            return qAlpha(pixel) == 0
                       ? 0
                       : qRgba(five(qRed(pixel)), five(qGreen(pixel)), five(qBlue(pixel)), 255);
        case Kind::Rgb24:
            return qRgba(qRed(pixel), qGreen(pixel), qBlue(pixel), 255);
        default:
            return pixel;
    }
}

QImage expectedOf(const QImage& source, Kind kind)
{
    QImage out = source.copy();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, carried(source.pixel(x, y), kind));
    return out;
}

}  // namespace

TEST(TgaReader, EveryTypeDepthOriginAndEncoding)
{
    struct Case {
        Kind kind;
        bool alpha;
    };
    const Case cases[] = {{Kind::Grey8, false}, {Kind::Grey16Alpha, true}, {Kind::Rgb15, false},
                          {Kind::Rgb16, true},  {Kind::Rgb24, false},      {Kind::Rgba32, true},
                          {Kind::Mapped, false}};
    for (const Case& c : cases)
        for (bool rle : {false, true})
            for (int origin : {0, 16, 32, 48}) {
                SCOPED_TRACE(testing::Message()
                             << "kind " << int(c.kind) << " rle " << rle << " origin " << origin);
                const QImage source = testPicture(7, 5, c.alpha);
                TgaOptions options;
                options.kind = c.kind;
                options.rle = rle;
                options.descriptor = origin;
                options.imageId = "id";
                Loaded loaded = load(buildTga(source, options));
                ASSERT_TRUE(loaded.result);
                EXPECT_EQ(loaded.image->ImageType(), imgTGA);
                EXPECT_EQ(loaded.image->Alpha(), c.alpha);
                EXPECT_EQ(codectest::differingPixels(*loaded.image, expectedOf(source, c.kind)), 0);
            }
}

TEST(TgaReader, AgreesWithQtWhereQtReadsTheVariant)
{
    int compared = 0;
    for (Kind kind : {Kind::Rgb24, Kind::Rgba32, Kind::Grey8, Kind::Mapped})
        for (bool rle : {false, true})
            for (int origin : {0, 32}) {
                TgaOptions options;
                options.kind = kind;
                options.rle = rle;
                options.descriptor = origin;
                options.footer = true;  // Qt reads only files with the version 2 footer
                const QImage source = testPicture(9, 4, kind == Kind::Rgba32);
                const QByteArray file = buildTga(source, options);
                const QImage reference = codectest::decodeWithQt(file, "tga");
                if (reference.isNull())
                    continue;
                ++compared;
                Loaded loaded = load(file);
                ASSERT_TRUE(loaded.result);
                EXPECT_EQ(codectest::differingPixels(*loaded.image, reference), 0)
                    << int(kind) << " " << rle << " " << origin;
            }
    // Qt reads at least the uncompressed true-colour files.
    EXPECT_GE(compared, 2);
}

TEST(TgaReader, AlphaConventions)
{
    // 32 bits: all 255 or all 0 is opaque; partial premultiplied stays; straight is premultiplied.
    QImage opaque(2, 2, QImage::Format_ARGB32);
    opaque.fill(qRgba(10, 20, 30, 0));
    TgaOptions options;
    options.kind = Kind::Rgba32;
    Loaded allZero = load(buildTga(opaque, options));
    ASSERT_TRUE(allZero.result);
    EXPECT_FALSE(allZero.image->Alpha());
    EXPECT_EQ(bgraAt(*allZero.image, 1, 1), (std::array<int, 4>{30, 20, 10, 255}));

    QImage premultipliedPixels(2, 1, QImage::Format_ARGB32);
    premultipliedPixels.setPixel(0, 0, qRgba(40, 40, 40, 128));
    premultipliedPixels.setPixel(1, 0, qRgba(0, 0, 0, 255));
    Loaded kept = load(buildTga(premultipliedPixels, options));
    EXPECT_TRUE(kept.image->Alpha());
    EXPECT_EQ(bgraAt(*kept.image, 0, 0), (std::array<int, 4>{40, 40, 40, 128}));

    QImage straight(2, 1, QImage::Format_ARGB32);
    straight.setPixel(0, 0, qRgba(200, 100, 50, 128));
    straight.setPixel(1, 0, qRgba(1, 2, 3, 255));
    Loaded converted = load(buildTga(straight, options));
    EXPECT_EQ(bgraAt(*converted.image, 0, 0), (std::array<int, 4>{25, 50, 100, 128}));

    // 16 bits with alpha bits: the top bit marks transparency unless an extension area says
    // the file has no alpha (attributes 0, 1, 2).
    QImage mixed(2, 1, QImage::Format_ARGB32);
    mixed.setPixel(0, 0, qRgba(255, 0, 0, 0));
    mixed.setPixel(1, 0, qRgba(0, 255, 0, 255));
    options.kind = Kind::Rgb16;
    Loaded withBit = load(buildTga(mixed, options));
    EXPECT_EQ(bgraAt(*withBit.image, 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(bgraAt(*withBit.image, 1, 0), (std::array<int, 4>{0, 255, 0, 255}));
    for (int attributes : {0, 1, 2, 3}) {
        options.extensionAttributes = attributes;
        Loaded withExtension = load(buildTga(mixed, options));
        ASSERT_TRUE(withExtension.result);
        EXPECT_EQ(withExtension.image->Alpha(), attributes == 3) << attributes;
        EXPECT_EQ(bgraAt(*withExtension.image, 0, 0)[3], attributes == 3 ? 0 : 255);
    }

    // 16-bit grey carries an alpha byte, not 5-5-5 colour.
    QImage greyAlpha(1, 2, QImage::Format_ARGB32);
    greyAlpha.setPixel(0, 0, qRgba(100, 100, 100, 51));
    greyAlpha.setPixel(0, 1, qRgba(7, 7, 7, 255));
    TgaOptions grey;
    grey.kind = Kind::Grey16Alpha;
    Loaded greyLoaded = load(buildTga(greyAlpha, grey));
    EXPECT_EQ(bgraAt(*greyLoaded.image, 0, 0), (std::array<int, 4>{20, 20, 20, 51}));
    EXPECT_EQ(bgraAt(*greyLoaded.image, 0, 1), (std::array<int, 4>{7, 7, 7, 255}));
}

TEST(TgaReader, MappedPalettes)
{
    QImage source = testPicture(6, 3, false);
    for (int bits : {16, 24, 32}) {
        TgaOptions options;
        options.kind = Kind::Mapped;
        options.mapEntryBits = bits;
        Loaded loaded = load(buildTga(source, options));
        ASSERT_TRUE(loaded.result) << bits;
        EXPECT_EQ(codectest::differingPixels(
                      *loaded.image, expectedOf(source, bits == 16 ? Kind::Rgb15 : Kind::Rgb24)),
                  0)
            << bits;
    }
    // A first entry index past 0: the palette is the last entries of the map.
    ByteWriter file;
    file.u8(0).u8(1).u8(1).u16(2).u16(2).u8(24).u16(0).u16(0).u16(2).u16(1).u8(8).u8(0);
    file.u8(9).u8(9).u8(9).u8(9).u8(9).u8(9);  // two skipped entries
    file.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6);  // palette 0 and 1
    file.u8(1).u8(0);
    Loaded shifted = load(file.bytes);
    ASSERT_TRUE(shifted.result);
    EXPECT_EQ(bgraAt(*shifted.image, 0, 0), (std::array<int, 4>{4, 5, 6, 255}));
    EXPECT_EQ(bgraAt(*shifted.image, 1, 0), (std::array<int, 4>{1, 2, 3, 255}));

    // The top bit of a 15-bit entry is padding, set or not: such maps load opaque. Only a
    // 16-bit entry's top bit marks it transparent.
    for (int entryBits : {15, 16}) {
        SCOPED_TRACE(entryBits);
        ByteWriter mapped;
        mapped.u8(0).u8(1).u8(1).u16(0).u16(2).u8(entryBits).u16(0).u16(0).u16(2).u16(1);
        mapped.u8(8).u8(0);
        mapped.u16(0x801F).u16(0x03E0);  // blue with the top bit set, green without
        mapped.u8(0).u8(1);
        Loaded loaded = load(mapped.bytes);
        ASSERT_TRUE(loaded.result);
        EXPECT_EQ(loaded.image->Alpha(), entryBits == 16);
        EXPECT_EQ(bgraAt(*loaded.image, 0, 0), entryBits == 15
                                                   ? (std::array<int, 4>{255, 0, 0, 255})
                                                   : (std::array<int, 4>{0, 0, 0, 0}));
        EXPECT_EQ(bgraAt(*loaded.image, 1, 0), (std::array<int, 4>{0, 255, 0, 255}));
    }
}

TEST(TgaReader, HeaderValidation)
{
    const QImage source = testPicture(4, 3, false);
    TgaOptions options;
    const QByteArray good = buildTga(source, options);
    EXPECT_TRUE(load(good).result);
    // Too short, a wrong type, zero sizes, a bad depth.
    EXPECT_FALSE(load(good.left(18)).result);
    for (int type : {0, 4, 8, 12, 33}) {
        QByteArray bad = good;
        bad[2] = char(type);
        EXPECT_FALSE(load(bad).result) << type;
    }
    QByteArray zeroWidth = good;
    zeroWidth[12] = zeroWidth[13] = 0;
    EXPECT_FALSE(load(zeroWidth).result);
    QByteArray badDepth = good;
    badDepth[16] = 12;
    EXPECT_FALSE(load(badDepth).result);
    // A colour-mapped image needs depth 8 and a colour map.
    TgaOptions mapped;
    mapped.kind = Kind::Mapped;
    QByteArray mappedFile = buildTga(source, mapped);
    EXPECT_TRUE(load(mappedFile).result);
    QByteArray mapped16 = mappedFile;
    mapped16[16] = 16;
    EXPECT_FALSE(load(mapped16).result);
    QByteArray noMap = mappedFile;
    noMap[1] = 0;
    EXPECT_FALSE(load(noMap).result);
    QByteArray badEntry = mappedFile;
    badEntry[7] = 20;
    EXPECT_FALSE(load(badEntry).result);
    // With a footer the file must also hold its 26 bytes.
    options.footer = true;
    const QByteArray withFooter = buildTga(source, options);
    EXPECT_TRUE(load(withFooter).result);
    QByteArray footerOnly = withFooter;
    footerOnly.remove(18, 3);
    EXPECT_FALSE(load(footerOnly).result);
    // An untouched host stays as it was when the header is refused.
    c32bppDIB host;
    host.InitializeDIB(3, 3);
    cTGAparser reader;
    EXPECT_FALSE(reader.LoadStream(badDepth, &host, 0, int(badDepth.size())));
    EXPECT_EQ(host.Width(), 3);
}

TEST(TgaReader, DamagedDataFailsCleanly)
{
    const QImage source = testPicture(9, 7, true);
    TgaOptions options;
    options.kind = Kind::Rgba32;
    options.rle = true;
    const QByteArray rle = buildTga(source, options);
    // Truncated run-length data: False and an empty host.
    Loaded cut = load(rle.left(rle.size() - 5));
    EXPECT_FALSE(cut.result);
    EXPECT_EQ(cut.image->Handle(), 0u);
    // A packet that crosses a row fails.
    ByteWriter crossing;
    crossing.u8(0).u8(0).u8(10).u16(0).u16(0).u8(0).u16(0).u16(0).u16(2).u16(2).u8(24).u8(0);
    crossing.u8(0x82).u8(1).u8(2).u8(3).u8(0x80).u8(1).u8(2).u8(3);
    EXPECT_FALSE(load(crossing.bytes).result);
    // A huge size claimed by a few run-length bytes allocates nothing.
    ByteWriter huge;
    huge.u8(0).u8(0).u8(10).u16(0).u16(0).u8(0).u16(0).u16(0).u16(0xFFFF).u16(0x8000).u8(32).u8(0);
    huge.u8(0xFF).u32(0);
    EXPECT_FALSE(load(huge.bytes).result);
    // An offset or length past the array reads nothing outside it.
    const QByteArray plain = buildTga(source, TgaOptions{});
    EXPECT_FALSE(load(plain, int(plain.size()) + 4, 100).result);
    EXPECT_TRUE(load(plain, 0, int(plain.size()) + 1000).result);

    TgaOptions mappedRle;
    mappedRle.kind = Kind::Mapped;
    mappedRle.rle = true;
    for (const QByteArray& file : {rle, plain, buildTga(source, mappedRle)}) {
        codectest::forEachDamagedCopy(file, [](const QByteArray& damaged) {
            Loaded loaded = load(damaged);
            EXPECT_EQ(loaded.result, loaded.image->Handle() != 0);
        });
    }
}
