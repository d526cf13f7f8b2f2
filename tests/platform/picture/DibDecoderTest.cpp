#include "platform/picture/DibDecoder.h"

#include "BmpBuilder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <span>

using namespace picture;
using bmptest::Bmp;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

// A palette of distinct colours and a pattern of indexes that uses all of them.
QList<QRgb> paletteOf(int count)
{
    QList<QRgb> palette;
    for (int i = 0; i < count; ++i)
        palette.append(qRgb((i * 37) & 0xFF, (i * 91 + 7) & 0xFF, (255 - i * 13) & 0xFF));
    return palette;
}

std::vector<std::vector<int>> indexPattern(int width, int height, int colours)
{
    std::vector<std::vector<int>> rows{std::size_t(height), std::vector<int>(std::size_t(width))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[std::size_t(y)][std::size_t(x)] = (x * 3 + y * 5) % colours;
    return rows;
}

QImage colourPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgba(x * 29 & 0xFF, y * 53 & 0xFF, (x + y) * 17 & 0xFF, (x * 40 + y * 10) & 0xFF));
    return image;
}

// What an 8-bit value becomes after a round trip through a mask of that many bits.
int throughBits(int value8, int bits)
{
    if (bits == 0)
        return 0;
    const std::uint64_t maximum = (std::uint64_t{1} << bits) - 1;
    const std::uint64_t stored = (std::uint64_t(value8) * maximum + 127) / 255;
    return int((stored * 255 + maximum / 2) / maximum);
}

int maskBits(std::uint32_t mask)
{
    int bits = 0;
    for (; mask; mask >>= 1)
        bits += int(mask & 1);
    return bits;
}

DecodedDib decodeOk(const QByteArray& file)
{
    auto decoded = decodeBmpFile(span(file));
    EXPECT_TRUE(decoded.ok()) << (decoded.ok() ? "" : decoded.error().text.toStdString());
    return decoded.ok() ? decoded.value() : DecodedDib{};
}

void expectPixels(const QImage& actual, const QImage& expected, const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    int wrong = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y) && wrong++ < 3)
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex
                              << actual.pixel(x, y) << " not " << expected.pixel(x, y);
}

// Qt's reader as a second opinion where it reads the variant at all.
void expectLikeQt(const QByteArray& file, const QImage& decoded, const char* what)
{
    const QImage qt = QImage::fromData(file, "BMP");
    if (qt.isNull())
        return;
    expectPixels(decoded.convertToFormat(QImage::Format_RGB32),
                 qt.convertToFormat(QImage::Format_RGB32), what);
}

}  // namespace

TEST(DibDecoder, IndexedDepthsInEveryHeaderVersionBothDirections)
{
    const int width = 13;  // odd, so rows need padding at every depth
    const int height = 5;
    for (std::uint32_t headerSize : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        for (int bitCount : {1, 2, 4, 8}) {
            for (bool topDown : {false, true}) {
                if (headerSize == 12 && topDown)
                    continue;  // the core header's height is unsigned
                const int colours = 1 << bitCount;
                const auto rows = indexPattern(width, height, colours);
                Bmp bmp;
                bmp.headerSize = headerSize;
                bmp.width = width;
                bmp.height = topDown ? -height : height;
                bmp.bitCount = bitCount;
                bmp.palette = paletteOf(colours);
                bmp.pixelData = bmptest::packIndexes(rows, bitCount, topDown);
                const QByteArray file = bmp.file();
                QImage expected(width, height, QImage::Format_RGB32);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        expected.setPixel(x, y, bmp.palette[rows[std::size_t(y)][std::size_t(x)]]);
                const std::string what = "header " + std::to_string(headerSize) + ", " +
                                         std::to_string(bitCount) + " bits" +
                                         (topDown ? ", top-down" : "");
                const DecodedDib decoded = decodeOk(file);
                expectPixels(decoded.image, expected, what.c_str());
                EXPECT_EQ(decoded.bitCount, bitCount);
                // The same DIB packed, without the file header.
                const QByteArray packed = file.mid(14);
                auto unpacked = decodePackedDib(span(packed));
                ASSERT_TRUE(unpacked.ok()) << what;
                expectPixels(unpacked.value().image, expected, what.c_str());
                if (bitCount != 2)  // Qt has no 2-bit BMPs
                    expectLikeQt(file, decoded.image, what.c_str());
            }
        }
    }
}

TEST(DibDecoder, DirectColourAndBitFieldsOfAnyWidth)
{
    const QImage source = colourPattern(7, 4);
    struct Case {
        int bitCount;
        std::uint32_t compression;
        std::uint32_t headerSize;
        std::uint32_t masks[4];
        bool after;
    };
    const Case cases[] = {
        {24, 0, 40, {0, 0, 0, 0}, false},
        {24, 0, 12, {0, 0, 0, 0}, false},
        {32, 0, 40, {0xFF0000, 0xFF00, 0xFF, 0}, false},  // BI_RGB: alpha byte ignored
        {16, 0, 40, {0x7C00, 0x03E0, 0x001F, 0}, false},  // 5-5-5
        {16, 3, 40, {0xF800, 0x07E0, 0x001F, 0}, true},   // 5-6-5
        {16, 6, 40, {0x0F00, 0x00F0, 0x000F, 0xF000}, true},
        {16, 3, 56, {0x7C00, 0x03E0, 0x001F, 0x8000}, false},                   // 1-bit alpha
        {32, 3, 108, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, false},  // 10-10-10-2
        {32, 3, 124, {0xFFFF0000, 0x0000FF00, 0x000000FE, 0x1}, false},         // odd widths
        {32, 3, 52, {0xFF, 0xFF00, 0xFF0000, 0}, false},  // reversed order, no alpha
    };
    for (const Case& c : cases) {
        for (bool topDown : {false, true}) {
            if (c.headerSize == 12 && topDown)
                continue;
            Bmp bmp;
            bmp.headerSize = c.headerSize;
            bmp.width = source.width();
            bmp.height = topDown ? -source.height() : source.height();
            bmp.bitCount = c.bitCount;
            bmp.compression = c.compression;
            std::copy(std::begin(c.masks), std::end(c.masks), bmp.masks);
            bmp.masksAfterHeader = c.after;
            bmp.pixelData = bmptest::packPixels(source, c.bitCount, c.masks, topDown);
            const QByteArray file = bmp.file();
            const bool alpha = c.compression != 0 && c.masks[3] != 0;
            QImage expected(source.size(), QImage::Format_ARGB32);
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x) {
                    const QRgb s = source.pixel(x, y);
                    if (c.bitCount == 24) {
                        expected.setPixel(x, y, s | 0xFF000000u);
                        continue;
                    }
                    expected.setPixel(
                        x, y,
                        qRgba(throughBits(qRed(s), maskBits(c.masks[0])),
                              throughBits(qGreen(s), maskBits(c.masks[1])),
                              throughBits(qBlue(s), maskBits(c.masks[2])),
                              alpha ? throughBits(qAlpha(s), maskBits(c.masks[3])) : 255));
                }
            const std::string what = std::to_string(c.bitCount) + " bits, compression " +
                                     std::to_string(c.compression) + ", header " +
                                     std::to_string(c.headerSize);
            const DecodedDib decoded = decodeOk(file);
            expectPixels(decoded.image.convertToFormat(QImage::Format_ARGB32), expected,
                         what.c_str());
            EXPECT_EQ(decoded.image.hasAlphaChannel(), alpha) << what;
            // Qt widens narrow fields by shifting (white is never 255), so it is an oracle
            // only for whole bytes.
            if (c.bitCount == 24)
                expectLikeQt(file, decoded.image, what.c_str());
        }
    }

    // Past 8 bits a packed DIB may still carry a table of the colours it uses, for displays of
    // 256 colours: its pixels start after that table.
    Bmp direct;
    direct.width = source.width();
    direct.height = source.height();
    direct.coloursUsed = 3;
    direct.palette = paletteOf(3);
    const std::uint32_t none[4] = {0, 0, 0, 0};
    direct.pixelData = bmptest::packPixels(source, 24, none, false);
    auto unpacked = decodePackedDib(span(direct.file().mid(14)));
    ASSERT_TRUE(unpacked.ok());
    expectPixels(unpacked.value().image, source.convertToFormat(QImage::Format_RGB32),
                 "24 bits after a table of 3 colours");
}

TEST(DibDecoder, Rle8AndRle4WithEveryEscape)
{
    const QList<QRgb> palette = paletteOf(16);
    // RLE8, 6 x 4, bottom-up. Expected rows listed bottom row first; -1 = not reached (index 0).
    const std::vector<std::vector<int>> rle8Rows = {
        {3, 3, 3, 4, 5, 6},       // run of 3, absolute run of 3 (padded)
        {7, 7, 7, 7, 7, 7},       // run of 9 clipped at the edge; then end of line
        {-1, -1, 9, -1, -1, -1},  // delta (2, 0), one pixel
        {-1, -1, -1, -1, 1, 2},   // delta (1, 1) up to column 4, two pixels, end of bitmap
    };
    QByteArray rle8;
    rle8.append("\x03\x03", 2);
    rle8.append("\x00\x03\x04\x05\x06\x00", 6);  // absolute, odd length, pad byte
    rle8.append("\x00\x00", 2);
    rle8.append("\x09\x07", 2);  // 9 pixels of 7 on a row of 6
    rle8.append("\x00\x00", 2);
    rle8.append("\x00\x02\x02\x00", 4);  // delta: x + 2
    rle8.append("\x01\x09", 2);          // one pixel of 9 at x 2, row 2
    rle8.append("\x00\x02\x01\x01", 4);  // delta to x 4, row 3
    rle8.append("\x01\x01\x01\x02", 4);  // 1 at x 4, 2 at x 5
    rle8.append("\x00\x01", 2);          // end of bitmap
    rle8.append("\x06\x0F", 2);          // never read
    Bmp bmp;
    bmp.width = 6;
    bmp.height = 4;
    bmp.bitCount = 8;
    bmp.compression = 1;
    bmp.palette = palette;
    bmp.pixelData = rle8;
    DecodedDib decoded = decodeOk(bmp.file());
    QImage expected(6, 4, QImage::Format_RGB32);
    for (int r = 0; r < 4; ++r)
        for (int x = 0; x < 6; ++x) {
            const int index = rle8Rows[std::size_t(r)][std::size_t(x)];
            expected.setPixel(x, 3 - r, palette[index < 0 ? 0 : index]);
        }
    expectPixels(decoded.image, expected, "RLE8");
    expectLikeQt(bmp.file(), decoded.image, "RLE8");

    // RLE4, 5 x 2: a run alternates its two nibbles; an absolute run of 3 nibbles takes two
    // bytes and is padded to a 16-bit boundary.
    QByteArray rle4;
    rle4.append("\x05\x12", 2);          // 1 2 1 2 1
    rle4.append("\x00\x00", 2);          // end of line
    rle4.append("\x00\x03\xAB\xC0", 4);  // absolute: A B C (word aligned already)
    rle4.append("\x04\x3F", 2);          // 3 F, clipped after two pixels
    rle4.append("\x00\x01", 2);
    bmp.width = 5;
    bmp.height = 2;
    bmp.bitCount = 4;
    bmp.compression = 2;
    bmp.pixelData = rle4;
    decoded = decodeOk(bmp.file());
    const int top[] = {10, 11, 12, 3, 15};
    const int bottom[] = {1, 2, 1, 2, 1};
    expected = QImage(5, 2, QImage::Format_RGB32);
    for (int x = 0; x < 5; ++x) {
        expected.setPixel(x, 0, palette[top[x]]);
        expected.setPixel(x, 1, palette[bottom[x]]);
    }
    expectPixels(decoded.image, expected, "RLE4");
    expectLikeQt(bmp.file(), decoded.image, "RLE4");
}

TEST(DibDecoder, ShortPalettesTruncatedPixelsAndStrayIndexes)
{
    // Two palette entries declared, index 5 used: black. The file's pixel offset also cuts
    // a palette that claims more entries than precede the pixels.
    Bmp bmp;
    bmp.width = 3;
    bmp.height = 1;
    bmp.bitCount = 8;
    bmp.coloursUsed = 2;
    bmp.palette = {qRgb(10, 20, 30), qRgb(40, 50, 60)};
    bmp.pixelData = bmptest::packIndexes({{1, 5, 0}}, 8, false);
    DecodedDib decoded = decodeOk(bmp.file());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(40, 50, 60));
    EXPECT_EQ(decoded.image.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(decoded.image.pixel(2, 0), qRgb(10, 20, 30));

    bmp.coloursUsed = 0;  // claims 256 entries; only two lie before the pixels
    decoded = decodeOk(bmp.file());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(40, 50, 60));
    EXPECT_EQ(decoded.image.pixel(1, 0), qRgb(0, 0, 0));

    // Pixel data cut inside the third of four rows: the rest reads as zero bytes.
    const QImage source = colourPattern(5, 4);
    const std::uint32_t none[4] = {0, 0, 0, 0};
    Bmp rgb;
    rgb.width = 5;
    rgb.height = -4;
    rgb.bitCount = 24;
    rgb.pixelData = bmptest::packPixels(source, 24, none, true);
    const int rowBytes = bmptest::stride(5, 24);
    rgb.pixelData.truncate(2 * rowBytes + 6);  // two whole rows and two pixels
    decoded = decodeOk(rgb.file());
    ASSERT_EQ(decoded.image.size(), QSize(5, 4));
    EXPECT_EQ(decoded.image.pixel(4, 1), source.pixel(4, 1) | 0xFF000000u);
    EXPECT_EQ(decoded.image.pixel(1, 2), source.pixel(1, 2) | 0xFF000000u);
    EXPECT_EQ(decoded.image.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(decoded.image.pixel(4, 3), qRgb(0, 0, 0));
}

TEST(DibDecoder, RefusesWhatCannotBeABitmapBeforeAllocating)
{
    Bmp bmp;
    bmp.width = 4;
    bmp.height = 4;
    bmp.bitCount = 24;
    bmp.pixelData = QByteArray(64, '\x7F');
    auto kindOf = [](const QByteArray& file) {
        auto result = decodeBmpFile(span(file));
        return result.ok() ? std::optional<bytes::DecodeErrorKind>() : result.error().kind;
    };
    EXPECT_FALSE(kindOf(bmp.file()).has_value());

    Bmp changed = bmp;
    changed.width = 0;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Malformed);
    changed = bmp;
    changed.bitCount = 3;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Malformed);
    changed = bmp;
    changed.compression = 1;  // RLE8 at 24 bits
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Malformed);
    changed = bmp;
    changed.compression = 4;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Unsupported);
    changed = bmp;
    changed.headerSize = 64;  // OS/2 2.x: 4 is RLE24
    changed.compression = 4;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Unsupported);
    changed = bmp;
    changed.headerSize = 8;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::Malformed);
    EXPECT_EQ(kindOf(bmp.file().left(30)), bytes::DecodeErrorKind::Truncated);
    EXPECT_EQ(kindOf(QByteArray("BX") + bmp.file().mid(2)), bytes::DecodeErrorKind::Malformed);

    // Huge claims: past the limits, and within them but far beyond the file's pixel data.
    changed = bmp;
    changed.width = 0x7FFFFFFF;
    changed.height = -0x7FFFFFFF;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::LimitExceeded);
    changed.width = 20000;
    changed.height = 20000;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::LimitExceeded);
    changed.compression = 1;
    changed.bitCount = 8;
    EXPECT_EQ(kindOf(changed.file()), bytes::DecodeErrorKind::LimitExceeded);
}

TEST(DibDecoder, DamagedCopiesNeverCrashOrHang)
{
    std::vector<QByteArray> files;
    Bmp bmp;
    bmp.width = 9;
    bmp.height = 6;
    for (int bitCount : {1, 4, 8}) {
        bmp.bitCount = bitCount;
        bmp.palette = paletteOf(1 << bitCount);
        bmp.pixelData = bmptest::packIndexes(indexPattern(9, 6, 1 << bitCount), bitCount, false);
        files.push_back(bmp.file());
    }
    bmp.bitCount = 8;
    bmp.compression = 1;
    bmp.pixelData = QByteArray(
        "\x05\x01\x00\x04\x01\x02\x03\x04\x00\x02\x05\x05\xFF\x03"
        "\x00\x00\x00\x03\x01\x02\x03\x00\x00\x01",
        24);
    files.push_back(bmp.file());
    bmp.bitCount = 4;
    bmp.compression = 2;
    bmp.palette = paletteOf(16);
    files.push_back(bmp.file());
    bmp.bitCount = 16;
    bmp.compression = 3;
    bmp.headerSize = 124;
    bmp.palette.clear();
    const std::uint32_t masks[4] = {0xF00, 0xF0, 0xF, 0xF000};
    std::copy(std::begin(masks), std::end(masks), bmp.masks);
    bmp.pixelData = bmptest::packPixels(colourPattern(9, 6), 16, masks, false);
    files.push_back(bmp.file());

    for (const QByteArray& file : files) {
        for (int cut = 0; cut < file.size(); cut += 7) {
            const QByteArray part = file.left(cut);
            auto decoded = decodeBmpFile(span(part));
            if (decoded.ok()) {
                EXPECT_EQ(decoded.value().image.size(), QSize(9, 6));
            }
        }
        // Every byte of the headers and the first pixels flipped in turn.
        for (int at = 0; at < std::min<int>(int(file.size()), 90); ++at) {
            QByteArray damaged = file;
            damaged[at] = char(damaged[at] ^ 0xA5);
            auto decoded = decodeBmpFile(span(damaged));
            if (decoded.ok()) {
                EXPECT_LE(std::int64_t(decoded.value().image.sizeInBytes()),
                          std::int64_t(expansionFloorBytes));
            }
        }
    }
}
