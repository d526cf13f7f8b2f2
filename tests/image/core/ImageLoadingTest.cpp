#include "image/core/c32bppDIB.h"
#include "platform/gdi/Bitmap.h"
#include "platform/picture/Picture.h"
#include "tests/platform/picture/MetafileScenes.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QMimeData>
#include <QUrl>

using namespace XrImage;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

QImage sample(int width = 6, int height = 4)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 40, y * 60, 100));
    return image;
}

// A 1 x 1 GIF of 43 bytes, padded with zeros to `size` bytes.
QByteArray paddedGif(int size)
{
    QByteArray gif = QByteArray::fromHex(
        "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");
    gif.append(QByteArray(size - gif.size(), '\0'));
    return gif;
}

QByteArray tga24(int width, int height)
{
    QByteArray file(18, '\0');
    file[2] = 2;
    file[12] = char(width);
    file[14] = char(height);
    file[16] = 24;
    for (int i = 0; i < width * height; ++i)
        file.append(char(i)).append(char(2 * i)).append(char(3 * i));
    file.append(QByteArray(8, '\0')).append("TRUEVISION-XFILE.").append('\0');
    return file;
}

// An icon file of bitmap entries of the given sizes and bit counts (8 or 32).
QByteArray icon(std::initializer_list<std::array<int, 2>> entries)
{
    QByteArray out;
    const auto u16 = [&out](int v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto u32 = [&](std::uint32_t v) {
        u16(int(v & 0xFFFF));
        u16(int(v >> 16));
    };
    u16(0);
    u16(1);
    u16(int(entries.size()));
    QList<QByteArray> images;
    for (const auto& e : entries) {
        const int size = e[0], bits = e[1];
        QByteArray image;
        const int colours = bits <= 8 ? 1 << bits : 0;
        const int stride = (bits * size + 31) / 32 * 4;
        const int maskStride = (size + 31) / 32 * 4;
        QByteArray header(40, '\0');
        header[0] = 40;
        header[4] = char(size);
        header[8] = char((size * 2) & 0xFF);
        header[9] = char((size * 2) >> 8);
        header[12] = 1;
        header[14] = char(bits);
        // 32-bit entries opaque white, palette ones black: the pixels tell which was taken.
        image = header + QByteArray(colours * 4, '\0') +
                QByteArray(stride * size, bits == 32 ? '\xFF' : '\0') +
                QByteArray(maskStride * size, '\0');
        images.append(image);
    }
    std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
    qsizetype i = 0;
    for (const auto& e : entries) {
        out.append(char(e[0])).append(char(e[0])).append('\0').append('\0');
        u16(1);
        u16(e[1]);
        u32(std::uint32_t(images[i].size()));
        u32(offset);
        offset += std::uint32_t(images[i++].size());
    }
    for (const QByteArray& image : images)
        out.append(image);
    return out;
}

QString writeFile(const testsupport::TempFolder& folder, const QString& name,
                  const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

}  // namespace

TEST(ImageLoading, SizeThresholdsAndStreamRanges)
{
    testsupport::TempFolder folder;
    c32bppDIB image;
    EXPECT_FALSE(image.LoadPicture_File(writeFile(folder, "56.gif", paddedGif(56))));
    EXPECT_EQ(image.ImageType(), imgError);
    ASSERT_TRUE(image.LoadPicture_File(writeFile(folder, "57.gif", paddedGif(57))));
    EXPECT_EQ(image.ImageType(), imgGIF);
    EXPECT_FALSE(image.LoadPicture_File(folder.filePath("missing.gif")));

    // Byte ranges: 19 bytes are refused, a start below 0 starts at 0, a length of 0 takes the
    // rest, a start past the array fails, a length past it is cut.
    QByteArray gif = paddedGif(40);
    EXPECT_FALSE(image.LoadPicture_Stream(gif, 0, 0, 0, 19));
    EXPECT_TRUE(image.LoadPicture_Stream(gif, 0, 0, -7, 0));
    QByteArray embedded = QByteArray("0123456789") + gif + "tail";
    EXPECT_TRUE(image.LoadPicture_Stream(embedded, 0, 0, 10, 0));
    EXPECT_TRUE(image.LoadPicture_Stream(embedded, 0, 0, 10, 100000));
    EXPECT_FALSE(image.LoadPicture_Stream(embedded, 0, 0, int(embedded.size()) + 5, 30));
    EXPECT_EQ(image.Handle(), 0u);
    QByteArray empty;
    EXPECT_FALSE(image.LoadPicture_Stream(empty));

    // SaveFormat keeps the whole array, not only the range read.
    ASSERT_TRUE(image.LoadPicture_Stream(embedded, 0, 0, 10, 0, true));
    QByteArray kept;
    EXPECT_TRUE(image.GetOrginalFormat(kept));
    EXPECT_EQ(kept, embedded);
    // Reloading reads the kept bytes from their start, and keeps them again.
    EXPECT_FALSE(image.LoadPicture_FromOrignalFormat());
    ASSERT_TRUE(image.LoadPicture_Stream(gif, 0, 0, 0, 0, true));
    EXPECT_TRUE(image.LoadPicture_FromOrignalFormat());
    EXPECT_EQ(image.ImageType(), imgGIF);
    EXPECT_TRUE(image.GetOrginalFormat(kept));
    EXPECT_EQ(kept, gif);
    ASSERT_TRUE(image.LoadPicture_Stream(gif));
    EXPECT_FALSE(image.GetOrginalFormat(kept));
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_FALSE(image.LoadPicture_FromOrignalFormat());
    EXPECT_EQ(image.Handle(), 0u);
}

TEST(ImageLoading, TheChainPicksTheReader)
{
    testsupport::TempFolder folder;
    c32bppDIB image;
    // JPEG through the BMP reader's picture loader, keeping the JPEG's own bytes.
    const QByteArray jpeg = encoded(sample(40, 30), "jpeg");
    ASSERT_TRUE(image.LoadPicture_File(writeFile(folder, "photo.jpg", jpeg), 0, 0, true));
    EXPECT_EQ(image.ImageType(), imgBitmap);
    EXPECT_FALSE(image.Alpha());
    QByteArray kept;
    image.GetOrginalFormat(kept);
    EXPECT_EQ(kept, jpeg);

    // TIFF only through GDI+, reported as PNG, its kept bytes a PNG rendition; the caller's
    // array is left as it was.
    QByteArray tiff = encoded(sample(), "tiff");
    ASSERT_FALSE(tiff.isEmpty());
    const QByteArray tiffCopy = tiff;
    image.LetisGDIplusEnabled(false);
    EXPECT_FALSE(image.LoadPicture_Stream(tiff));
    image.LetisGDIplusEnabled(true);
    ASSERT_TRUE(image.isGDIplusEnabled());
    ASSERT_TRUE(image.LoadPicture_Stream(tiff, 0, 0, 0, 0, true));
    EXPECT_EQ(image.ImageType(), imgPNG);
    EXPECT_EQ(tiff, tiffCopy);
    image.GetOrginalFormat(kept);
    EXPECT_TRUE(kept.startsWith("\x89PNG"));

    // TGA last, also with GDI+ on; a BMP and an icon by their own readers.
    QByteArray tga = tga24(5, 3);
    ASSERT_TRUE(image.LoadPicture_Stream(tga));
    EXPECT_EQ(image.ImageType(), imgTGA);
    EXPECT_EQ(image.Width(), 5);
    QByteArray bmp = encoded(sample(), "bmp");
    ASSERT_TRUE(image.LoadPicture_Stream(bmp));
    EXPECT_EQ(image.ImageType(), imgBitmap);
    QByteArray ico = icon({{16, 8}, {32, 32}});
    ASSERT_TRUE(image.LoadPicture_Stream(ico, 16, 16, 0, 0, false, 8));
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(image.ImageType(), imgIcon);

    // Nothing any reader takes.
    QByteArray text("plain words that no image reader takes, long enough to try them all");
    EXPECT_FALSE(image.LoadPicture_Stream(text));
    EXPECT_EQ(image.ImageType(), imgError);
}

TEST(ImageLoading, IconArgumentsAreHeldInRange)
{
    c32bppDIB image;
    // A depth of 48 counts as 32: the 24-pixel entry scores 0 (a depth of 48 would not) and
    // loses to the 40-pixel one, which scores 16.
    QByteArray ico = icon({{24, 32}, {40, 32}});
    ASSERT_TRUE(image.LoadPicture_Stream(ico, 32, 32, 0, 0, false, 48));
    EXPECT_EQ(image.Width(), 40);
    // A negative size counts as 0, which the icon reader takes as 32.
    QByteArray sizes = icon({{16, 32}, {32, 32}, {48, 32}});
    ASSERT_TRUE(image.LoadPicture_Stream(sizes, -5, -5, 0, 0, false, 32));
    EXPECT_EQ(image.Width(), 32);

    // Left out, the depth asks for 32 bits: of two 32-pixel entries the 32-bit one is taken,
    // not the palette one, whichever comes first, from a stream and from a file.
    const auto topLeft = [&image] { return image.BitsPointer()[(image.Height() - 1) * 32 * 4]; };
    for (QByteArray depths : {icon({{32, 8}, {32, 32}}), icon({{32, 32}, {32, 8}})}) {
        ASSERT_TRUE(image.LoadPicture_Stream(depths));
        EXPECT_EQ(image.ImageType(), imgIconARGB);
        EXPECT_EQ(topLeft(), 255);
        const testsupport::TempFolder folder;
        ASSERT_TRUE(image.LoadPicture_File(writeFile(folder, "two.ico", depths)));
        EXPECT_EQ(image.ImageType(), imgIconARGB);
        EXPECT_EQ(topLeft(), 255);
    }
}

TEST(ImageLoading, PicturesHandlesClipboardAndFileNames)
{
    c32bppDIB image;
    EXPECT_FALSE(image.LoadPicture_StdPicture(nullptr));
    const picture::Picture bitmap(picture::PICTYPE_BITMAP, sample());
    ASSERT_TRUE(image.LoadPicture_StdPicture(&bitmap));
    EXPECT_EQ(image.Width(), 6);
    EXPECT_EQ(image.ImageType(), imgBitmap);
    QByteArray kept;
    EXPECT_FALSE(image.GetOrginalFormat(kept));

    gdi::Bitmap section = gdi::Bitmap::createDIBSection(3, 2);
    ASSERT_TRUE(image.LoadPicture_ByHandle(&section));
    EXPECT_EQ(image.Width(), 3);
    gdi::Bitmap none;
    EXPECT_FALSE(image.LoadPicture_ByHandle(&none));

    testsupport::FakeClipboard clipboard;
    host::Clipboard::SetText(QStringLiteral("only text"));
    EXPECT_FALSE(image.LoadPicture_ClipBoard());
    host::Clipboard::Clear();
    host::Clipboard::SetData(sample(7, 5));
    ASSERT_TRUE(image.LoadPicture_ClipBoard());
    EXPECT_EQ(image.Width(), 7);

    QStringList names{QStringLiteral("untouched")};
    EXPECT_EQ(image.GetPastedFileNames(names), 0);
    EXPECT_EQ(names, QStringList{QStringLiteral("untouched")});
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile("/tmp/b.png"), QUrl::fromLocalFile("/tmp/a.png")});
    clipboard.setMimeData(files);
    EXPECT_EQ(image.GetPastedFileNames(names), 2);
    EXPECT_EQ(names, (QStringList{"/tmp/b.png", "/tmp/a.png"}));

    QMimeData dropped;
    EXPECT_FALSE(image.GetDroppedFileNames(&dropped));
    EXPECT_FALSE(image.GetDroppedFileNames(nullptr));
    dropped.setUrls({QUrl("https://example.org/x.png"), QUrl::fromLocalFile("/tmp/ü.png")});
    EXPECT_TRUE(image.GetDroppedFileNames(&dropped));
    ASSERT_EQ(dropped.urls().size(), 1);
    EXPECT_EQ(dropped.urls()[0].toLocalFile(), QStringLiteral("/tmp/ü.png"));

    // Resources: a missing one, and one that is no picture.
    EXPECT_FALSE(image.LoadPicture_Resource(101, QStringLiteral("NOSUCHTYPE")));
    EXPECT_FALSE(
        image.LoadPicture_Resource(101, QStringLiteral("HELP"), QStringLiteral("XrRichTextBox")));
    EXPECT_FALSE(image.LoadPicture_Resource(1, 0));
}

TEST(ImageLoading, MetafilesLoadOpaqueOnATransparentBackground)
{
    // Through the load chain: the BMP reader's platform loader takes WMF and EMF bytes.
    c32bppDIB image;
    QByteArray wmf = metafiles::wmfShapes();
    ASSERT_TRUE(image.LoadPicture_Stream(wmf, 0, 0, 0, 0, true));
    EXPECT_EQ(image.ImageType(), imgWMF);
    EXPECT_TRUE(image.Alpha());
    EXPECT_EQ(image.Width(), 192);
    EXPECT_EQ(image.Height(), 144);
    // Untouched background is transparent; what was drawn is opaque, edges as if on white.
    const std::uint8_t* corner = image.BitsPointer();
    EXPECT_EQ(std::vector<int>(corner, corner + 4), (std::vector<int>{0, 0, 0, 0}));
    const std::uint8_t* yellow = image.BitsPointer() + (std::size_t(143 - 40) * 192 + 40) * 4;
    EXPECT_EQ(std::vector<int>(yellow, yellow + 4), (std::vector<int>{0, 255, 255, 255}));
    for (int i = 0; i < 192 * 144; ++i) {
        const int alpha = image.BitsPointer()[i * 4 + 3];
        ASSERT_TRUE(alpha == 0 || alpha == 255) << i;
    }
    QByteArray kept;
    ASSERT_TRUE(image.GetOrginalFormat(kept));
    EXPECT_EQ(kept, wmf);

    QByteArray emf = metafiles::emfShapes();
    ASSERT_TRUE(image.LoadPicture_Stream(emf));
    EXPECT_EQ(image.ImageType(), imgEMF);

    // Handles: the object type picks the picture type; the caller keeps its handle.
    auto handle = picture::Metafile::parse(
        std::span(reinterpret_cast<const std::uint8_t*>(wmf.constData()), std::size_t(wmf.size())));
    ASSERT_TRUE(handle.ok());
    ASSERT_TRUE(image.LoadPicture_ByHandle(&handle.value()));
    EXPECT_EQ(image.ImageType(), imgWMF);
    EXPECT_EQ(handle.value().bytes(), wmf);
    EXPECT_FALSE(image.LoadPicture_ByHandle(static_cast<const picture::Metafile*>(nullptr)));

    // The clipboard's enhanced metafile (format 14) and metafile (format 3).
    testsupport::FakeClipboard clipboard;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/x-emf"), emf);
    clipboard.setMimeData(data);
    EXPECT_TRUE(host::Clipboard::GetFormat(host::vbCFEMetafile));
    EXPECT_FALSE(host::Clipboard::GetFormat(host::vbCFMetafile));
    ASSERT_TRUE(image.LoadPicture_ClipBoard());
    EXPECT_EQ(image.ImageType(), imgEMF);
    data = new QMimeData;
    data->setData(QStringLiteral("image/x-wmf"), wmf);
    clipboard.setMimeData(data);
    ASSERT_TRUE(image.LoadPicture_ClipBoard());
    EXPECT_EQ(image.ImageType(), imgWMF);

    // A header that claims a picture kilometres wide is refused, not drawn at that size.
    QByteArray huge = metafiles::emfShapes();
    huge[34] = 0x7F;  // the frame's right edge near 2^31 HIMETRIC
    EXPECT_FALSE(image.LoadPicture_Stream(huge));
    EXPECT_EQ(image.Handle(), 0);
}

TEST(ImageLoading, SourceIconSizesListsTheKeptIcon)
{
    c32bppDIB image;
    std::vector<std::array<std::int32_t, 4>> sizes;
    EXPECT_EQ(image.SourceIconSizes(sizes), 0);
    QByteArray ico = icon({{16, 8}, {32, 32}, {24, 4}});
    ASSERT_TRUE(image.LoadPicture_Stream(ico, 0, 0, 0, 0, true));
    ASSERT_EQ(image.SourceIconSizes(sizes), 3);
    EXPECT_EQ(sizes[0], (std::array<std::int32_t, 4>{16, 16, 8, 256}));
    EXPECT_EQ(sizes[1], (std::array<std::int32_t, 4>{32, 32, 32, -1}));
    EXPECT_EQ(sizes[2], (std::array<std::int32_t, 4>{24, 24, 4, 16}));
    // Without the kept bytes: the image itself.
    ASSERT_TRUE(image.LoadPicture_Stream(ico, 48, 48));
    ASSERT_EQ(image.SourceIconSizes(sizes), 1);
    EXPECT_EQ(sizes[0], (std::array<std::int32_t, 4>{image.Width(), image.Height(), 32, -1}));
    // Not an icon.
    QByteArray tga = tga24(4, 4);
    ASSERT_TRUE(image.LoadPicture_Stream(tga, 0, 0, 0, 0, true));
    EXPECT_EQ(image.SourceIconSizes(sizes), 0);
}

TEST(ImageLoading, PngThroughItsOwnReaderKeepsTheFile)
{
    testsupport::TempFolder folder;
    QImage picture(9, 5, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 100, 50, 128));
    const QByteArray png = encoded(picture, "png");
    c32bppDIB image;
    ASSERT_TRUE(image.LoadPicture_File(writeFile(folder, "a.png", png), 0, 0, true));
    EXPECT_EQ(image.ImageType(), imgPNG);
    EXPECT_EQ(image.Width(), 9);
    QByteArray kept;
    image.GetOrginalFormat(kept);
    EXPECT_EQ(kept, png);
    // A byte range inside a larger array keeps the whole array.
    QByteArray embedded = QByteArray(5, 'x') + png + QByteArray(3, 'y');
    ASSERT_TRUE(image.LoadPicture_Stream(embedded, 0, 0, 5, int(png.size()), true));
    EXPECT_EQ(image.Height(), 5);
    image.GetOrginalFormat(kept);
    EXPECT_EQ(kept, embedded);
    // A damaged PNG ends the own readers; nothing else takes it.
    QByteArray broken = png.left(40) + QByteArray(40, '\0');
    EXPECT_FALSE(image.LoadPicture_Stream(broken));
    EXPECT_EQ(image.ImageType(), imgError);
}
