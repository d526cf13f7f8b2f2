#include "image/core/c32bppDIB.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <functional>

using namespace XrImage;

namespace {

// A width x height image whose pixel (x, y) from the top is (x, y, 7, alpha).
std::unique_ptr<c32bppDIB> imageOf(int width, int height, bool alpha)
{
    auto image = std::make_unique<c32bppDIB>();
    image->InitializeDIB(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image->BitsPointer() +
                              std::size_t(height - 1 - y) * std::size_t(width) * 4 +
                              std::size_t(x) * 4;
            p[0] = std::uint8_t(x);
            p[1] = std::uint8_t(y);
            p[2] = 7;
            p[3] = alpha && x == 0 ? 128 : 255;
        }
    image->LetAlpha(alpha);
    return image;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t u32(const QByteArray& b, int at)
{
    return std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8) | (std::uint8_t(b[at + 2]) << 16) |
           (std::uint32_t(std::uint8_t(b[at + 3])) << 24);
}

QImage decode(const QByteArray& bytes, const char* format)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, format).read();
}

}  // namespace

TEST(ImageSaving, BmpHeadersAndRows)
{
    auto opaque = imageOf(3, 2, false);
    QByteArray bmp;
    ASSERT_TRUE(opaque->SaveToStream(bmp));
    ASSERT_EQ(bmp.size(), 54 + 12 * 2);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(u32(bmp, 2), 78u);
    EXPECT_EQ(u32(bmp, 6), 0u);
    EXPECT_EQ(u32(bmp, 10), 54u);
    EXPECT_EQ(u32(bmp, 14), 40u);
    EXPECT_EQ(u32(bmp, 18), 3u);
    EXPECT_EQ(u32(bmp, 22), 2u);
    EXPECT_EQ(bmp[26], 1);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(u32(bmp, 30), 0u);
    EXPECT_EQ(u32(bmp, 34), 24u);
    EXPECT_EQ(bmp.mid(38, 16), QByteArray(16, '\0'));
    // Bottom row first (y = 1), blue green red, three padding bytes.
    EXPECT_EQ(bmp.mid(54, 12), QByteArray::fromHex("000107010107020107000000"));
    const QImage back = decode(bmp, "bmp");
    EXPECT_EQ(back.pixel(2, 0), qRgb(7, 0, 2));

    auto translucent = imageOf(2, 2, true);
    ASSERT_TRUE(translucent->SaveToStream(bmp));
    ASSERT_EQ(bmp.size(), 54 + 16);
    EXPECT_EQ(bmp[28], 32);
    EXPECT_EQ(bmp.mid(54, 16),
              QByteArray(reinterpret_cast<const char*>(translucent->BitsPointer()), 16));
}

TEST(ImageSaving, EveryFormatToFileAndStream)
{
    testsupport::TempFolder folder;
    auto image = imageOf(5, 4, false);
    QByteArray bytes;
    ASSERT_TRUE(image->SaveToStream_PNG(bytes));
    EXPECT_EQ(decode(bytes, "png").pixel(4, 3), qRgb(7, 3, 4));
    ASSERT_TRUE(image->SaveToStream_JPG(bytes, 90));
    EXPECT_EQ(decode(bytes, "jpeg").size(), QSize(5, 4));
    ASSERT_TRUE(image->SaveToStream_TGA(bytes, true, true));
    EXPECT_TRUE(bytes.endsWith(QByteArray("TRUEVISION-XFILE.\0", 18)));

    for (const char* name : {"a.bmp", "a.png", "a.jpg", "a.tga"}) {
        const QString path = folder.filePath(name);
        const QString suffix = QString::fromLatin1(name).mid(2);
        bool saved = false;
        if (suffix == "bmp")
            saved = image->SaveToFile(path);
        else if (suffix == "png")
            saved = image->SaveToFile_PNG(path);
        else if (suffix == "jpg")
            saved = image->SaveToFile_JPG(path, 80);
        else
            saved = image->SaveToFile_TGA(path);
        ASSERT_TRUE(saved) << name;
        const QImage back =
            decode(readAll(path), suffix == "jpg" ? "jpeg" : suffix.toLatin1().constData());
        EXPECT_EQ(back.size(), QSize(5, 4)) << name;
    }

    // An empty image saves nothing and creates no file.
    c32bppDIB empty;
    const QString none = folder.filePath("none.bmp");
    EXPECT_FALSE(empty.SaveToFile(none, false));
    EXPECT_FALSE(empty.SaveToFile_PNG(none, false));
    EXPECT_FALSE(empty.SaveToFile_JPG(none, 60, false));
    EXPECT_FALSE(empty.SaveToFile_TGA(none));
    EXPECT_FALSE(empty.SaveToStream(bytes));
    EXPECT_FALSE(empty.SaveToStream_PNG(bytes));
    EXPECT_FALSE(empty.SaveToStream_JPG(bytes));
    EXPECT_FALSE(empty.SaveToStream_TGA(bytes));
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_FALSE(image->SaveToFile(QString()));
}

TEST(ImageSaving, OverwritePromptAndReplacement)
{
    testsupport::TempFolder folder;
    testsupport::FakeMessageBoxes boxes;
    const QString path = folder.filePath("old.bmp");
    {
        QFile old(path);
        old.open(QIODevice::WriteOnly);
        old.write("old contents");
    }
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    auto image = imageOf(2, 2, false);

    boxes.answer(host::vbNo);
    EXPECT_FALSE(image->SaveToFile(path));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Overwrite existing file?"));
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Overwrite Confirmation"));
    EXPECT_EQ(boxes.shown()[0].style, host::vbYesNo | host::vbQuestion | host::vbDefaultButton2);
    EXPECT_EQ(readAll(path), "old contents");
    boxes.answer(host::vbNo);
    EXPECT_FALSE(image->SaveToFile_TGA(path));
    boxes.answer(host::vbNo);
    EXPECT_FALSE(image->SaveToFile_PNG(path));
    EXPECT_EQ(readAll(path), "old contents");

    boxes.answer(host::vbYes);
    ASSERT_TRUE(image->SaveToFile(path));
    EXPECT_TRUE(readAll(path).startsWith("BM"));
    EXPECT_EQ(QFile::permissions(path) & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    // Without the prompt no question is asked.
    const std::size_t asked = boxes.shown().size();
    ASSERT_TRUE(image->SaveToFile_PNG(path, false));
    EXPECT_EQ(boxes.shown().size(), asked);
    EXPECT_TRUE(readAll(path).startsWith("\x89PNG"));
    // A save that cannot complete leaves the old file and no stray file beside it.
    const QByteArray before = readAll(path);
    c32bppDIB tooWide;
    ASSERT_TRUE(tooWide.InitializeDIB(70000, 1));
    EXPECT_FALSE(tooWide.SaveToFile_TGA(path, false, false, false, false));
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

TEST(ImageSaving, PngPropertiesChooseTheWriter)
{
    auto image = imageOf(4, 3, false);
    EXPECT_EQ(image->PngPropertyGet(4096).toInt(), -1);
    EXPECT_TRUE(image->PngPropertyGet(1).toString().isEmpty());
    EXPECT_FALSE(image->PngPropertySet(2));  // no value and no properties
    QByteArray bytes;
    ASSERT_TRUE(image->SaveToStream_PNG(bytes));
    EXPECT_FALSE(bytes.contains("tEXtTitle"));

    ASSERT_TRUE(image->PngPropertySet(1, QStringLiteral("A small test")));
    EXPECT_EQ(image->PngPropertyGet(1).toString(), QStringLiteral("A small test"));
    ASSERT_TRUE(image->SaveToStream_PNG(bytes));
    EXPECT_TRUE(bytes.contains("tEXtTitle"));
    EXPECT_EQ(decode(bytes, "png").pixel(3, 2), qRgb(7, 2, 3));
    testsupport::TempFolder folder;
    const QString path = folder.filePath("titled.png");
    ASSERT_TRUE(image->SaveToFile_PNG(path, false));
    EXPECT_TRUE(readAll(path).contains("A small test"));

    EXPECT_TRUE(image->PngPropertySet(2, QStringLiteral("Someone")));
    EXPECT_TRUE(image->PngPropertySet(2));  // removes the author again
    EXPECT_TRUE(image->PngPropertyGet(2).toString().isEmpty());
    EXPECT_TRUE(image->PngPropertySet(-1));
    EXPECT_EQ(image->PngPropertyGet(4096).toInt(), -1);
    ASSERT_TRUE(image->SaveToStream_PNG(bytes));
    EXPECT_FALSE(bytes.contains("tEXtTitle"));
}

// Every premultiplied colour at every partial alpha survives a save in straight alpha and a
// load unchanged, so a second save gives the same bytes: the writers do not darken
// semi-transparent pixels on each round.
TEST(ImageSaving, StraightAlphaSavesAreStableAcrossReloads)
{
    c32bppDIB image;
    ASSERT_TRUE(image.InitializeDIB(256, 254));
    for (int row = 0; row < 254; ++row)
        for (int x = 0; x < 256; ++x) {
            const int alpha = row + 1;
            std::uint8_t* p = image.BitsPointer() + (std::size_t(row) * 256 + std::size_t(x)) * 4;
            p[0] = std::uint8_t(std::min(x, alpha));
            p[1] = std::uint8_t(x * 7 % (alpha + 1));
            p[2] = std::uint8_t(alpha - std::min(x, alpha));
            p[3] = std::uint8_t(alpha);
        }
    image.LetAlpha(true);
    const QByteArray original(reinterpret_cast<const char*>(image.BitsPointer()), 256 * 254 * 4);

    const struct {
        const char* name;
        bool viaGdiPlus;
        std::function<bool(c32bppDIB&, QByteArray&)> save;
    } writers[] = {
        {"TGA", false, [](c32bppDIB& i, QByteArray& b) { return i.SaveToStream_TGA(b); }},
        {"TGA compressed", false,
         [](c32bppDIB& i, QByteArray& b) { return i.SaveToStream_TGA(b, true); }},
        {"own PNG", false, [](c32bppDIB& i, QByteArray& b) { return i.SaveToStream_PNG(b); }},
        {"PNG through GDI+", true,
         [](c32bppDIB& i, QByteArray& b) { return i.SaveToStream_PNG(b); }},
    };
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        c32bppDIB copy;
        image.CopyImageTo(copy);
        copy.LetisGDIplusEnabled(writer.viaGdiPlus);
        QByteArray first;
        ASSERT_TRUE(writer.save(copy, first));
        c32bppDIB reloaded;
        reloaded.LetisGDIplusEnabled(writer.viaGdiPlus);
        ASSERT_TRUE(reloaded.LoadPicture_Stream(first));
        ASSERT_EQ(reloaded.Width(), 256);
        ASSERT_EQ(reloaded.Height(), 254);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(reloaded.BitsPointer()), 256 * 254 * 4),
                  original);
        QByteArray second;
        ASSERT_TRUE(writer.save(reloaded, second));
        EXPECT_EQ(second, first);
    }
}
