#include "platform/gdi/DeviceContext.h"
#include "platform/gdiplus/Encoders.h"
#include "platform/picture/GifDecoder.h"
#include "platform/picture/Picture.h"

#include "BmpBuilder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

using namespace picture;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

int appendBytes(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// An interlaced GIF of `rows` (palette indexes, top-down), the rows written in pass order,
// placed at (left, top) on a larger logical screen, transparent index 2.
QByteArray interlacedGif(const std::vector<std::vector<GifByteType>>& rows, int left, int top,
                         int screenWidth, int screenHeight, const QList<QRgb>& colours)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    std::vector<GifColorType> table;
    for (QRgb c : colours)
        table.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
    ColorMapObject* map = GifMakeMapObject(int(table.size()), table.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map);
    GraphicsControlBlock control{};
    control.TransparentColor = 2;
    GifByteType extension[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&control, extension)),
                     extension);
    const int width = int(rows[0].size());
    const int height = int(rows.size());
    EGifPutImageDesc(gif, left, top, width, height, true, nullptr);
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            EGifPutLine(gif, const_cast<GifByteType*>(rows[std::size_t(y)].data()), width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace

TEST(PictureLoader, ChoosesTheReaderByContentAndRefusesDamagedMetafiles)
{
    bmptest::Bmp bmp;
    bmp.width = 2;
    bmp.height = 1;
    bmp.bitCount = 8;
    bmp.palette = {qRgb(1, 2, 3), qRgb(200, 100, 50)};
    bmp.pixelData = bmptest::packIndexes({{1, 0}}, 8, false);
    auto picture = loadPicture(span(bmp.file()));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Type(), PICTYPE_BITMAP);
    EXPECT_EQ(picture->image().pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(picture->Width(), 53);  // 2 pixels = 52.9 HIMETRIC
    EXPECT_EQ(picture->indexedBits(), nullptr);

    QImage photo(96, 48, QImage::Format_RGB32);
    photo.fill(qRgb(0, 128, 255));
    picture = loadPicture(span(encoded(photo, "JPEG")));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Type(), PICTYPE_BITMAP);
    EXPECT_EQ(picture->Width(), 2540);
    EXPECT_EQ(picture->Height(), 1270);
    EXPECT_EQ(himetricToPixels(picture->Width()), 96);

    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(qRgba(255, 0, 0, 255));
    icon.setPixel(0, 0, 0u);
    picture = loadPicture(span(encoded(icon, "ICO")));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Type(), PICTYPE_ICON);
    EXPECT_EQ(qAlpha(picture->image().pixel(0, 0)), 0);

    // A PNG is not the picture loader's to read, however valid.
    EXPECT_FALSE(loadPicture(span(encoded(photo, "PNG"))).has_value());
    // Metafile headers too short or without a size (see MetafileTest for whole ones).
    QByteArray emf(64, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    EXPECT_FALSE(loadPicture(span(emf)).has_value());
    EXPECT_FALSE(loadPicture(span(QByteArray("\xD7\xCD\xC6\x9A\0\0\0\0", 8))).has_value());
    EXPECT_FALSE(loadPicture(span(QByteArray("\xFF\xD8\xFF\xE0 broken"))).has_value());
    EXPECT_FALSE(loadPicture(span(QByteArray("BM"))).has_value());
}

TEST(PictureLoader, RendersUprightOrMirroredIntoBottomUpAndTopDownContexts)
{
    QImage source(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            source.setPixel(x, y, qRgb(x * 100, y * 200, 7));
    const Picture picture(PICTYPE_BITMAP, source);

    const gdi::Bitmap dib = gdi::Bitmap::createDIBSection(3, 2);
    gdi::DeviceContext dc(dib);
    ASSERT_TRUE(
        picture.Render(dc, 0, 0, 3, 2, 0, picture.Height(), picture.Width(), -picture.Height()));
    // Bottom-up memory: upright row y lies at image row 1 - y.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(dib.image().pixel(x, 1 - y), source.pixel(x, y)) << x << "," << y;

    const gdi::Bitmap screen = gdi::Bitmap::create(3, 2, 1.0);
    gdi::DeviceContext window(screen);
    // A positive source height reads the picture from the bottom up: upside down.
    ASSERT_TRUE(picture.Render(window, 0, 0, 3, 2, 0, 0, picture.Width(), picture.Height()));
    EXPECT_EQ(screen.image().pixel(0, 0), source.pixel(0, 1));
    EXPECT_EQ(screen.image().pixel(2, 1), source.pixel(2, 0));
    // A negative destination width mirrors.
    ASSERT_TRUE(picture.Render(window, 3, 0, -3, 2, 0, picture.Height(), picture.Width(),
                               -picture.Height()));
    EXPECT_EQ(screen.image().pixel(0, 0), source.pixel(2, 0));
    // Stretched to double size, nearest pixel.
    const gdi::Bitmap large = gdi::Bitmap::create(6, 4, 1.0);
    gdi::DeviceContext big(large);
    ASSERT_TRUE(
        picture.Render(big, 0, 0, 6, 4, 0, picture.Height(), picture.Width(), -picture.Height()));
    EXPECT_EQ(large.image().pixel(5, 3), source.pixel(2, 1));
    EXPECT_EQ(large.image().pixel(1, 1), source.pixel(0, 0));
    EXPECT_FALSE(picture.Render(big, 0, 0, 0, 4, 0, 0, picture.Width(), picture.Height()));

    const auto copy = pictureFromBitmap(dib, PICTYPE_BITMAP);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->image().pixel(0, 0), source.pixel(0, 0));  // shown upright
    EXPECT_FALSE(pictureFromBitmap(dib, PICTYPE_METAFILE).has_value());
    const auto fine = pictureFromBitmap(gdi::Bitmap::create(3, 2, 2.0), PICTYPE_BITMAP);
    ASSERT_TRUE(fine.has_value());
    EXPECT_EQ(fine->Width(), pixelsToHimetric(3));  // logical pixels, not device pixels
    EXPECT_FALSE(pictureFromBitmap(gdi::Bitmap(), PICTYPE_BITMAP).has_value());
}

TEST(GifPictures, IndexesColoursAndTransparencyAsGiflibWroteThem)
{
    const QList<QRgb> colours = {qRgb(10, 0, 0), qRgb(0, 20, 0), qRgb(9, 9, 9), qRgb(0, 0, 30)};
    std::vector<std::vector<GifByteType>> rows(11, std::vector<GifByteType>(5));
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < 5; ++x)
            rows[y][x] = GifByteType((x + y) % 4);
    const QByteArray gif = interlacedGif(rows, 2, 1, 9, 14, colours);
    auto decoded = decodeGif(span(gif));
    ASSERT_TRUE(decoded.ok());
    const DecodedGif& out = decoded.value();
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(out.transparentIndex, 2);
    ASSERT_EQ(out.image.size(), QSize(9, 14));  // the logical screen
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 1 && y < 12;
            const int index = inside ? rows[std::size_t(y - 1)][std::size_t(x - 2)] : 2;
            EXPECT_EQ(out.indexes[std::size_t(y * 9 + x)], index) << x << "," << y;
            EXPECT_EQ(out.image.pixel(x, y), index == 2 ? 0u : colours[index]) << x << "," << y;
        }

    // As a picture: the indexes as a bottom-up DIB with 4-byte rows.
    const auto picture = loadPicture(span(gif));
    ASSERT_TRUE(picture.has_value());
    const IndexedBits* bits = picture->indexedBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->bitCount, 8);
    EXPECT_EQ(bits->stride, 12);
    EXPECT_EQ(bits->bits[std::size_t(13 - 1) * 12 + 2], rows[0][0]);  // upright row 1
    EXPECT_EQ(bits->colours, colours);
}

TEST(GifPictures, DamagedDataKeepsTheRowsDecodedBeforeIt)
{
    // 256 colours (an exact palette) in a pattern LZW cannot shrink much, so that the data
    // spans many sub-blocks.
    QImage source(32, 60, QImage::Format_ARGB32);
    std::uint32_t noise = 12345;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 32; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int i = int(noise >> 24);
            source.setPixel(x, y, qRgb(i, 255 - i, (i * 7) & 0xFF));
        }
    const QByteArray gif = gdiplus::encodeGif(source);
    ASSERT_FALSE(gif.isEmpty());
    // Cut half-way through the image data (after the 256-colour table).
    const qsizetype imageAt = gif.indexOf(',', 13 + 3 * 256);
    ASSERT_GT(imageAt, 0);
    const QByteArray cut = gif.left(imageAt + (gif.size() - imageAt) / 2);
    auto decoded = decodeGif(span(cut));
    ASSERT_TRUE(decoded.ok());
    const DecodedGif& out = decoded.value();
    EXPECT_FALSE(out.complete);
    int decodedRows = 0;
    while (decodedRows < 60 && qAlpha(out.image.pixel(0, decodedRows)) == 255)
        ++decodedRows;
    EXPECT_GT(decodedRows, 5);
    EXPECT_LT(decodedRows, 60);
    for (int y = 0; y < decodedRows; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(out.image.pixel(x, y), source.pixel(x, y)) << x << "," << y;
    for (int y = decodedRows + 1; y < 60; ++y)
        EXPECT_EQ(out.image.pixel(3, y), 0u);

    // Every cut of the file and the header's claims: a clean answer, never a crash.
    for (int at = 0; at < gif.size(); at += 7)
        decodeGif(span(gif.left(at)));
    QByteArray huge = gif;
    huge[6] = huge[7] = huge[8] = huge[9] = char(0xFF);  // a 65535 x 65535 screen
    EXPECT_FALSE(decodeGif(span(huge)).ok());
    EXPECT_FALSE(decodeGif(span(QByteArray("GIF89a"))).ok());
}
