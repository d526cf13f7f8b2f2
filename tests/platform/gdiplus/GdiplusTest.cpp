#include "platform/gdi/Bitmap.h"
#include "platform/gdiplus/Encoders.h"
#include "platform/gdiplus/GpImage.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Session.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <thread>

using namespace gdiplus;

namespace {

struct SessionScope {
    Token token = 0;
    SessionScope() { GdiplusStartup(token, GdiplusStartupInput{}); }
    ~SessionScope() { GdiplusShutdown(token); }
};

struct GifInput {
    const QByteArray* bytes;
    int position = 0;
};

int readGif(GifFileType* gif, GifByteType* target, int length)
{
    auto* input = static_cast<GifInput*>(gif->UserData);
    const int count = std::min(length, int(input->bytes->size()) - input->position);
    std::memcpy(target, input->bytes->constData() + input->position, std::size_t(count));
    input->position += count;
    return count;
}

// The first frame as giflib reads it, with its transparent index (-1 when none).
QImage decodeWithGiflib(const QByteArray& bytes)
{
    GifInput input{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, readGif, &error);
    if (!gif)
        return {};
    QImage out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map =
            frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, 0, &control);
        out = QImage(frame.ImageDesc.Width, frame.ImageDesc.Height, QImage::Format_ARGB32);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const int index = frame.RasterBits[y * out.width() + x];
                const GifColorType c = map->Colors[index];
                out.setPixel(
                    x, y,
                    index == control.TransparentColor ? 0u : qRgba(c.Red, c.Green, c.Blue, 255));
            }
    }
    DGifCloseFile(gif, &error);
    return out;
}

}  // namespace

TEST(GdiplusSession, TwoSessionsOnOneThreadSurviveEachOther)
{
    Token first = 0;
    Token second = 0;
    ASSERT_EQ(GdiplusStartup(first, GdiplusStartupInput{}), Ok);
    ASSERT_EQ(GdiplusStartup(second, GdiplusStartupInput{}), Ok);
    EXPECT_NE(first, second);
    GdiplusShutdown(first);
    EXPECT_TRUE(sessionActive());
    GdiplusShutdown(first);  // a second shutdown of the same token changes nothing
    EXPECT_TRUE(sessionActive());
    GdiplusShutdown(second);
    EXPECT_FALSE(sessionActive());

    // A session belongs to its thread.
    ASSERT_EQ(GdiplusStartup(first, GdiplusStartupInput{}), Ok);
    bool seenElsewhere = true;
    std::thread([&] { seenElsewhere = sessionActive(); }).join();
    EXPECT_FALSE(seenElsewhere);
    GdiplusShutdown(first);

    GdiplusStartupInput version2;
    version2.GdiplusVersion = 2;
    EXPECT_EQ(GdiplusStartup(first, version2), InvalidParameter);
    EXPECT_EQ(first, 0u);
    setAvailable(false);
    EXPECT_NE(GdiplusStartup(first, GdiplusStartupInput{}), Ok);
    EXPECT_EQ(first, 0u);
    setAvailable(true);
}

TEST(GdiplusImages, NeedASessionAndKeepTheirOrientationApart)
{
    std::uint32_t pixels[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
    std::unique_ptr<GpImage> image;
    EXPECT_EQ(GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppPARGB,
                                        reinterpret_cast<std::uint8_t*>(pixels), image),
              GdiplusNotInitialized);
    EXPECT_TRUE(GdipGetImageEncoders().empty());

    SessionScope session;
    EXPECT_EQ(GdipCreateBitmapFromScan0(2, 2, 4, PixelFormat32bppPARGB,
                                        reinterpret_cast<std::uint8_t*>(pixels), image),
              InvalidParameter);  // stride shorter than a row
    ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppPARGB,
                                        reinterpret_cast<std::uint8_t*>(pixels), image),
              Ok);
    EXPECT_EQ(image->oriented().pixel(0, 0), pixels[0]);  // no copy, no turn yet
    GdipImageRotateFlip(*image, RotateNoneFlipY);
    GdipImageRotateFlip(*image, RotateNoneFlipX);
    EXPECT_EQ(image->orientation(), Rotate180FlipNone);
    EXPECT_EQ(image->oriented().pixel(0, 0), pixels[3]);
    EXPECT_EQ(image->stored().pixel(0, 0), pixels[0]);  // the memory was never moved
    EXPECT_EQ(GdipImageRotateFlip(*image, 1), InvalidParameter);

    // A device bitmap finer than its logical pixels gives an image of its logical size.
    const gdi::Bitmap fine = gdi::Bitmap::create(3, 2, 2.0);
    ASSERT_EQ(GdipCreateBitmapFromHBITMAP(fine, image), Ok);
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 2);
}

TEST(GdiplusImages, AFewBytesOfGifCannotAskForAHugeCanvas)
{
    SessionScope session;
    // 35 bytes of GIF claiming a 5000 × 5000 screen around a one-pixel frame: a decoder that
    // believed it would fill 100 MB.
    const QByteArray bomb =
        QByteArray::fromBase64("R0lGODlhiBOIE4AAAAAAAP///ywAAAAAAQABAAACAkQBADs=");
    std::unique_ptr<GpImage> image;
    EXPECT_NE(GdipLoadImageFromStream(bomb, image), Ok);
    EXPECT_FALSE(image);

    // A real GIF of a sensible size still loads.
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray gif;
    QBuffer out(&gif);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(small.save(&out, "GIF") || small.save(&out, "PNG"));
    ASSERT_EQ(GdipLoadImageFromStream(gif, image), Ok);
    EXPECT_EQ(image->width(), 40);
}

TEST(GdiplusColorMatrix, MapsStraightComponentsAndClamps)
{
    QImage source(1, 1, QImage::Format_ARGB32_Premultiplied);
    source.setPixel(0, 0, qPremultiply(qRgba(200, 100, 50, 128)));
    ColorMatrix matrix;
    matrix.m[0][1] = 1.0f;  // red feeds green
    matrix.m[1][0] = 2.0f;  // twice green feeds red
    matrix.m[2][2] = 1.0f;
    matrix.m[3][3] = 0.5f;
    matrix.m[4][2] = 0.5f;  // and blue is lifted by half
    const QRgb out = qUnpremultiply(applyColorMatrix(source, matrix).pixel(0, 0));
    EXPECT_NEAR(qRed(out), 200, 3);
    EXPECT_NEAR(qGreen(out), 200, 3);
    EXPECT_NEAR(qBlue(out), 178, 3);
    EXPECT_NEAR(qAlpha(out), 64, 1);
}

TEST(GdiplusEncoders, GifRoundTripsThroughGiflibAndQtWithTransparency)
{
    SessionScope session;
    // Few colours: an exact palette.
    QImage picture(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            picture.setPixel(x, y, qRgba(x * 30, y * 50, 90, 255));
    picture.setPixel(2, 3, 0u);
    picture.setPixel(6, 0, qRgba(10, 10, 10, 60));  // under half alpha: transparent
    const QByteArray gif = encodeGif(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    ASSERT_FALSE(gif.isEmpty());
    const QImage byGiflib = decodeWithGiflib(gif);
    const QImage byQt = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(byGiflib.size(), picture.size());
    ASSERT_EQ(byQt.size(), picture.size());
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const QRgb expected =
                (x == 2 && y == 3) || (x == 6 && y == 0) ? 0u : picture.pixel(x, y);
            EXPECT_EQ(byGiflib.pixel(x, y), expected) << x << "," << y;
            EXPECT_EQ(qAlpha(byQt.pixel(x, y)), qAlpha(expected));
            if (qAlpha(expected)) {
                EXPECT_EQ(byQt.pixel(x, y), expected);
            }
        }
    }

    // Many colours: quantised, each pixel close to its source.
    QImage photo(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const QImage quantised = decodeWithGiflib(encodeGif(photo));
    ASSERT_EQ(quantised.size(), photo.size());
    for (int y = 0; y < 64; y += 9) {
        for (int x = 0; x < 64; x += 7) {
            EXPECT_NEAR(qRed(quantised.pixel(x, y)), qRed(photo.pixel(x, y)), 40);
            EXPECT_NEAR(qGreen(quantised.pixel(x, y)), qGreen(photo.pixel(x, y)), 40);
            EXPECT_EQ(qAlpha(quantised.pixel(x, y)), 255);
        }
    }
}

TEST(GdiplusEncoders, SaveThroughTheChosenEncoderWithoutHarmingAnOldFile)
{
    SessionScope session;
    std::uint32_t pixels[2] = {0xFF102030u, 0x80402010u};
    std::unique_ptr<GpImage> image;
    ASSERT_EQ(GdipCreateBitmapFromScan0(2, 1, 8, PixelFormat32bppPARGB,
                                        reinterpret_cast<std::uint8_t*>(pixels), image),
              Ok);
    const std::vector<ImageCodecInfo> encoders = GdipGetImageEncoders();
    ASSERT_EQ(encoders.size(), 5u);
    auto clsidOf = [&](const char* mime) {
        for (const ImageCodecInfo& info : encoders)
            if (info.MimeType == QLatin1String(mime))
                return info.Clsid;
        return QUuid();
    };
    QByteArray stream("head:");
    ASSERT_EQ(GdipSaveImageToStream(*image, stream, clsidOf("image/bmp"), nullptr), Ok);
    ASSERT_TRUE(stream.startsWith("head:BM"));  // appended
    const QImage bmp = QImage::fromData(stream.mid(5), "BMP");
    EXPECT_EQ(bmp.pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(qAlpha(bmp.pixel(1, 0)), 255);  // no alpha in the format

    QTemporaryDir dir;
    const QString file = dir.filePath("old.tif");
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    EXPECT_EQ(GdipSaveImageToFile(*image, file, QUuid::createUuid(), nullptr), InvalidParameter);
    QFile check(file);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("old contents"));
    check.close();
    ASSERT_EQ(GdipSaveImageToFile(*image, file, clsidOf("image/tiff"), nullptr), Ok);
    EXPECT_EQ(QImage(file).size(), QSize(2, 1));
}
