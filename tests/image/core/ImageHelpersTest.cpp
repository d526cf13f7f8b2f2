#include "image/core/ImageHelpers.h"
#include "platform/dynload/DynamicLibrary.h"
#include "platform/gdi/Bitmap.h"
#include "platform/runtime/VbError.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

using namespace XrImage;

namespace {

std::vector<std::uint8_t> pixels(std::initializer_list<std::array<int, 4>> bgra)
{
    std::vector<std::uint8_t> out;
    for (const auto& p : bgra)
        for (int c : p)
            out.push_back(std::uint8_t(c));
    return out;
}

struct Classified {
    bool hasAlpha = false;
    std::int32_t format = 0;
    std::vector<std::uint8_t> bytes;
};

Classified classify(std::vector<std::uint8_t> bytes, bool convert, std::int32_t format = 0)
{
    Classified out;
    out.hasAlpha = true;
    out.format = format;
    ClassifyAlpha(bytes, convert, out.hasAlpha, out.format);
    out.bytes = std::move(bytes);
    return out;
}

}  // namespace

TEST(ImageHelpers, ScanlineBytesAndByteOrder)
{
    EXPECT_EQ(ScanlineBytes(24, 1), 4);
    EXPECT_EQ(ScanlineBytes(1, 33), 8);
    EXPECT_EQ(ScanlineBytes(32, 5), 20);
    EXPECT_EQ(ScanlineBytes(8, 0), 0);
    // 67,108,863 x 32 + 31 still fits 32 bits; one pixel more does not.
    EXPECT_EQ(ScanlineBytes(32, 67108863), 268435452);
    EXPECT_THROW(ScanlineBytes(32, 67108864), vb::VbError);
    EXPECT_THROW(ScanlineBytes(32, 0x7FFFFFFF), vb::VbError);

    EXPECT_EQ(SwapByteOrder32(0x12345678), 0x78563412);
    EXPECT_EQ(SwapByteOrder32(std::int32_t(0x80000001u)), 0x01000080);
    EXPECT_EQ(SwapByteOrder32(0x000000FF), std::int32_t(0xFF000000u));
}

TEST(ImageHelpers, ClassifyAlphaVerdicts)
{
    // All transparent counts as no alpha; with convert the pixels become opaque.
    Classified c = classify(pixels({{1, 2, 3, 0}, {0, 0, 0, 0}}), true);
    EXPECT_EQ(c.format, imgBitmap);
    EXPECT_FALSE(c.hasAlpha);
    EXPECT_EQ(c.bytes, pixels({{1, 2, 3, 255}, {0, 0, 0, 255}}));

    c = classify(pixels({{9, 9, 9, 255}, {1, 1, 1, 255}}), false);
    EXPECT_EQ(c.format, imgBitmap);

    // Colour above alpha: straight; converting premultiplies by truncation.
    c = classify(pixels({{0, 0, 200, 128}, {10, 10, 10, 255}}), true);
    EXPECT_EQ(c.format, imgBmpARGB);
    EXPECT_TRUE(c.hasAlpha);
    EXPECT_EQ(c.bytes[2], 100);
    EXPECT_EQ(c.bytes[3], 128);
    EXPECT_EQ(c.bytes[4], 10);  // opaque pixels are left alone

    c = classify(pixels({{0, 0, 200, 128}}), false);
    EXPECT_EQ(c.bytes[2], 200);  // without convert nothing changes

    // Colour under zero alpha, then any alpha: straight, even in a single row.
    c = classify(pixels({{5, 0, 0, 0}, {0, 0, 0, 255}}), false);
    EXPECT_EQ(c.format, imgBmpARGB);
    c = classify(pixels({{5, 0, 0, 0}, {1, 1, 1, 40}}), false);
    EXPECT_EQ(c.format, imgBmpARGB);
    c = classify(pixels({{5, 0, 0, 0}, {0, 0, 0, 0}}), false);
    EXPECT_EQ(c.format, imgBitmap);

    c = classify(pixels({{10, 20, 30, 40}, {0, 0, 0, 0}, {1, 1, 1, 255}}), true);
    EXPECT_EQ(c.format, imgBmpPARGB);
    EXPECT_EQ(c.bytes, pixels({{10, 20, 30, 40}, {0, 0, 0, 0}, {1, 1, 1, 255}}));

    // Format -1 on entry skips the scan.
    c = classify(pixels({{10, 20, 30, 40}}), true, -1);
    EXPECT_EQ(c.format, imgBitmap);
    EXPECT_FALSE(c.hasAlpha);
    EXPECT_EQ(c.bytes[3], 255);
}

TEST(ImageHelpers, GrayscaleWeightsInSinglePrecision)
{
    float r = 0, g = 0, b = 0;
    GrayscaleWeights(3, r, g, b);
    EXPECT_EQ(r, 0.8f);
    EXPECT_EQ(g, 0.1f);
    EXPECT_EQ(b, 0.1f);
    GrayscaleWeights(99, r, g, b);
    EXPECT_EQ(r, 0.299f);
    EXPECT_EQ(g, 0.587f);
    EXPECT_EQ(b, 0.114f);
    GrayscaleWeights(gsclBlueGreenMask, r, g, b);
    EXPECT_EQ(r, 0.1f);
    EXPECT_EQ(b, 0.45f);
    GrayscaleWeights(gsclNone, r, g, b);
    EXPECT_EQ(r + g + b, 3.0f);
}

TEST(ImageHelpers, PicturesFromBytesAndBitmaps)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(qRgb(20, 40, 60));
    QByteArray bmp;
    {
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
    }
    const QByteArray padded = QByteArray("xyz") + bmp + QByteArray("tail");
    auto picture = PictureFromBytes(padded, 3, std::int32_t(bmp.size()));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->image().pixel(3, 1), qRgb(20, 40, 60));
    EXPECT_FALSE(PictureFromBytes(padded, 0, std::int32_t(bmp.size())).has_value());
    EXPECT_FALSE(PictureFromBytes(padded, 3, std::int32_t(padded.size())).has_value());
    EXPECT_FALSE(PictureFromBytes(padded, -1, 10).has_value());
    EXPECT_FALSE(PictureFromBytes(padded, 3, 0).has_value());

    const gdi::Bitmap bitmap = gdi::Bitmap::fromImage(image);
    EXPECT_TRUE(PictureFromHandle(bitmap, 1).has_value());
    EXPECT_EQ(PictureFromHandle(bitmap, 3)->Type(), picture::PICTYPE_ICON);
    EXPECT_FALSE(PictureFromHandle(bitmap, 2).has_value());
    EXPECT_FALSE(PictureFromHandle(bitmap, 4).has_value());
}

TEST(ImageHelpers, ExportProbeAndFiles)
{
    EXPECT_TRUE(DllExportsFunction("zlib1.dll", "crc32"));
    EXPECT_FALSE(DllExportsFunction("zlib1.dll", "NoSuchFunction"));
    EXPECT_FALSE(DllExportsFunction("nosuch.dll", "crc32"));

    QTemporaryDir dir;
    const QString name = dir.filePath("file.bin");
    EXPECT_FALSE(FileExists(name, true));
    EXPECT_EQ(OpenFileForIO(name, true, true), nullptr);  // reading needs an existing file
    {
        auto file = OpenFileForIO(name, false, false);
        ASSERT_NE(file, nullptr);
        file->write("abc");
    }
    EXPECT_TRUE(FileExists(name, false));
    EXPECT_TRUE(FileExists(dir.path(), true));  // folders count
    {
        auto file = OpenFileForIO(name, true, true);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->readAll(), QByteArray("abc"));
    }
    QFile::setPermissions(name, QFile::ReadOwner);
    EXPECT_TRUE(RemoveFile(name, true));  // read-only files go too
    EXPECT_FALSE(FileExists(name, true));
    EXPECT_FALSE(RemoveFile(name, true));
}
