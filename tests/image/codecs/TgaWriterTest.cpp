#include "CodecTestSupport.h"
#include "image/codecs/cTGAparser.h"
#include "tests/support/AllocationLimit.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>

using namespace XrImage;
using codectest::bgraAt;

namespace {

// A host image from straight colours, premultiplied as the library stores them.
std::unique_ptr<c32bppDIB> hostOf(const QImage& picture, bool alpha)
{
    auto host = std::make_unique<c32bppDIB>();
    host->InitializeDIB(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const auto p = codectest::premultiplied(picture.pixel(x, y));
            std::uint8_t* target =
                host->BitsPointer() +
                std::size_t(picture.height() - 1 - y) * std::size_t(host->scanWidth()) +
                std::size_t(x) * 4;
            for (int c = 0; c < 4; ++c)
                target[c] = std::uint8_t(p[std::size_t(c)]);
        }
    host->LetAlpha(alpha);
    return host;
}

// An independent reading of the writer's files: header, map, raw or run-length pixels (rows
// bottom-up, left to right), as straight ARGB.
QImage decodeIndependently(const QByteArray& file)
{
    const auto at = [&file](qsizetype i) { return int(std::uint8_t(file[i])); };
    const int type = at(2);
    const int mapLength = at(5) | (at(6) << 8);
    const int width = at(12) | (at(13) << 8);
    const int height = at(14) | (at(15) << 8);
    const int depth = at(16);
    const int bytes = depth / 8;
    qsizetype position = 18 + at(0) + (at(1) ? mapLength * (at(7) / 8) : 0);
    const qsizetype mapStart = 18 + at(0);
    QImage out(width, height, QImage::Format_ARGB32);
    const auto colourOf = [&](qsizetype p) -> QRgb {
        if ((type & 7) == 3)
            return qRgb(at(p), at(p), at(p));
        if ((type & 7) == 1) {
            const qsizetype e = mapStart + at(p) * 3;
            return qRgb(at(e + 2), at(e + 1), at(e));
        }
        return qRgba(at(p + 2), at(p + 1), at(p), bytes == 4 ? at(p + 3) : 255);
    };
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        for (int x = 0; x < width;) {
            if (!(type & 8)) {
                out.setPixel(x++, y, colourOf(position));
                position += bytes;
                continue;
            }
            const int packet = at(position++);
            const int count = (packet & 127) + 1;
            for (int i = 0; i < count; ++i) {
                out.setPixel(x++, y, colourOf(position));
                if (!(packet & 128))
                    position += bytes;
            }
            if (packet & 128)
                position += bytes;
        }
    }
    return out;
}

QImage noise(int width, int height, bool alpha, int colours = 0)
{
    QImage image(width, height, QImage::Format_ARGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            std::uint32_t v = seed >> 8;
            if (colours)
                v = (v % std::uint32_t(colours)) * 977;
            const int a = alpha ? int((v >> 20) & 1 ? 255 : (v >> 12) & 0xFF) : 255;
            image.setPixel(x, y,
                           qRgba(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), a));
        }
    return image;
}

QByteArray save(c32bppDIB& host, bool premultiplied, bool compress, bool reduce)
{
    cTGAparser writer;
    QByteArray out;
    EXPECT_TRUE(writer.SaveAsTGA({}, out, &host, premultiplied, compress, reduce));
    return out;
}

int u16(const QByteArray& file, qsizetype at)
{
    return int(std::uint8_t(file[at])) | (int(std::uint8_t(file[at + 1])) << 8);
}

}  // namespace

TEST(TgaWriter, TypeChoiceAndRoundTrips)
{
    // 200 colours, opaque, reduced: colour-mapped with a sorted 200-entry map.
    auto mapped = hostOf(noise(40, 30, false, 200), false);
    const QByteArray mappedFile = save(*mapped, false, false, true);
    EXPECT_EQ(mappedFile[1], 1);
    EXPECT_EQ(mappedFile[2], 1);
    EXPECT_EQ(u16(mappedFile, 5), 200);
    EXPECT_EQ(mappedFile[7], 24);
    EXPECT_EQ(mappedFile[16], 8);
    std::int32_t previous = INT32_MIN;
    for (int i = 0; i < 200; ++i) {
        const qsizetype e = 18 + i * 3;
        const std::int32_t value =
            std::int32_t(std::uint8_t(mappedFile[e]) | (std::uint8_t(mappedFile[e + 1]) << 8) |
                         (std::uint8_t(mappedFile[e + 2]) << 16) | 0xFF000000u);
        EXPECT_GT(value, previous);
        previous = value;
    }
    // All greys: type 3 without a map.
    QImage greys = noise(10, 10, false);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            greys.setPixel(x, y, qRgb(x * 20, x * 20, x * 20));
    auto grey = hostOf(greys, false);
    const QByteArray greyFile = save(*grey, false, false, true);
    EXPECT_EQ(greyFile[1], 0);
    EXPECT_EQ(greyFile[2], 3);
    EXPECT_EQ(greyFile[16], 8);
    EXPECT_EQ(greyFile.size(), 18 + 100 + 26);
    // More than 256 colours: true colour; with alpha never reduced.
    auto many = hostOf(noise(40, 40, false), false);
    EXPECT_EQ(save(*many, false, false, true)[2], 2);
    EXPECT_EQ(save(*many, false, false, true)[16], 24);
    auto translucent = hostOf(noise(8, 8, true, 3), true);
    EXPECT_EQ(save(*translucent, false, false, true)[16], 32);

    struct Case {
        QImage picture;
        bool alpha;
    };
    const Case cases[] = {{noise(40, 30, false, 200), false},
                          {greys, false},
                          {noise(33, 9, false), false},
                          {noise(17, 5, false, 4), false}};
    for (const Case& c : cases)
        for (bool compress : {false, true})
            for (bool reduce : {false, true}) {
                auto host = hostOf(c.picture, c.alpha);
                const QByteArray file = save(*host, false, compress, reduce);
                EXPECT_EQ(codectest::differingPixels(*host, decodeIndependently(file)), 0);
                // Qt reads the uncompressed true-colour files.
                if (file[2] == 2) {
                    const QImage qt = codectest::decodeWithQt(file, "tga");
                    ASSERT_FALSE(qt.isNull());
                    EXPECT_EQ(codectest::differingPixels(*host, qt), 0);
                }
                // And the library's own reader agrees.
                c32bppDIB back;
                cTGAparser reader;
                ASSERT_TRUE(reader.LoadStream(file, &back, 0, int(file.size())));
                EXPECT_EQ(codectest::differingPixels(back, decodeIndependently(file)), 0);
            }
}

TEST(TgaWriter, AlphaPremultipliedOrStraight)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(79, 79, 79, 128));
    picture.setPixel(1, 0, qRgba(10, 20, 30, 0));
    auto host = hostOf(picture, true);
    ASSERT_EQ(bgraAt(*host, 0, 0), (std::array<int, 4>{39, 39, 39, 128}));
    // Premultiplied: host bytes as they are, extension area after the pixels.
    const QByteArray premultiplied = save(*host, true, false, true);
    EXPECT_EQ(premultiplied[16], 32);
    EXPECT_EQ(premultiplied[17], 8);
    EXPECT_EQ(premultiplied.size(), 18 + 8 + 495 + 26);
    EXPECT_EQ(std::uint8_t(premultiplied[18]), 39);
    const qsizetype area = 18 + 8;
    EXPECT_EQ(u16(premultiplied, area), 495);
    EXPECT_EQ(premultiplied[area + 494], 4);
    EXPECT_EQ(premultiplied.mid(area + 426, 24), QByteArray("Tessaly c32bppDIB Suite\0", 24));
    EXPECT_EQ(u16(premultiplied, area + 467), 3);
    EXPECT_EQ(premultiplied[area + 469], 1);
    EXPECT_EQ(premultiplied.mid(area + 470, 4), QByteArray(4, char(0xFF)));
    EXPECT_EQ(u16(premultiplied, area + 371), QDate::currentDate().year());
    const qsizetype footer = premultiplied.size() - 26;
    EXPECT_EQ(u16(premultiplied, footer), area);
    EXPECT_TRUE(premultiplied.endsWith(QByteArray("TRUEVISION-XFILE.\0", 18)));
    c32bppDIB back;
    cTGAparser reader;
    ASSERT_TRUE(reader.LoadStream(premultiplied, &back, 0, int(premultiplied.size())));
    EXPECT_EQ(bgraAt(back, 0, 0), (std::array<int, 4>{39, 39, 39, 128}));

    // Straight: (40, 40, 40, 128) goes out as 80, the smallest value that premultiplies back
    // to 40 (79 would load as 39).
    host->BitsPointer()[0] = host->BitsPointer()[1] = host->BitsPointer()[2] = 40;
    const QByteArray straight = save(*host, false, false, false);
    EXPECT_EQ(straight.size(), 18 + 8 + 26);
    EXPECT_EQ(std::uint8_t(straight[18]), 80);
    EXPECT_EQ(std::uint8_t(straight[21]), 128);
    EXPECT_EQ(straight.mid(22, 4), QByteArray(4, '\0'));
    EXPECT_EQ(straight.mid(straight.size() - 26, 4), QByteArray(4, '\0'));
}

TEST(TgaWriter, RunLengthPackets)
{
    QImage flat(300, 1, QImage::Format_ARGB32);
    flat.fill(qRgb(1, 2, 3));
    auto host = hostOf(flat, false);
    const QByteArray file = save(*host, false, true, false);
    EXPECT_EQ(file[2], 10);
    EXPECT_EQ(file.mid(18, 12), QByteArray::fromHex("ff030201ff030201ab030201"));
    // Mixed rows: a raw packet closes before a run; two-pixel-wide images stay raw; noise
    // that would not shrink stays uncompressed.
    QImage mixed(6, 1, QImage::Format_ARGB32);
    const QRgb row[] = {qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3),
                        qRgb(3, 3, 3), qRgb(3, 3, 3), qRgb(4, 4, 4)};
    for (int x = 0; x < 6; ++x)
        mixed.setPixel(x, 0, row[x]);
    const QByteArray mixedFile = save(*hostOf(mixed, false), false, true, false);
    EXPECT_EQ(mixedFile.mid(18, 7 + 4 + 4), QByteArray::fromHex("01010101020202") +
                                                QByteArray::fromHex("82030303") +
                                                QByteArray::fromHex("00040404"));
    QImage narrow(2, 50, QImage::Format_ARGB32);
    narrow.fill(qRgb(5, 5, 5));
    EXPECT_EQ(save(*hostOf(narrow, false), false, true, false)[2], 2);
    EXPECT_EQ(save(*hostOf(noise(64, 8, false), false), false, true, false)[2], 2);
    // A raw stretch longer than 128 pixels splits into packets of at most 128.
    auto wide = hostOf(noise(300, 2, false, 0), false);
    const QByteArray wideFile = save(*wide, false, true, true);
    EXPECT_EQ(codectest::differingPixels(*wide, decodeIndependently(wideFile)), 0);
}

TEST(TgaWriter, RefusalsAndFiles)
{
    cTGAparser writer;
    QByteArray out("old");
    c32bppDIB empty;
    EXPECT_FALSE(writer.SaveAsTGA({}, out, &empty, false, false, false));
    EXPECT_FALSE(writer.SaveAsTGA({}, out, nullptr, false, false, false));
    c32bppDIB tooWide;
    ASSERT_TRUE(tooWide.InitializeDIB(65536, 1));
    EXPECT_FALSE(writer.SaveAsTGA({}, out, &tooWide, false, false, false));

    testsupport::TempFolder folder;
    const QString path = folder.filePath("out.tga");
    auto host = hostOf(noise(5, 4, false), false);
    ASSERT_TRUE(writer.SaveAsTGA(path, out, host.get(), false, false, false));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), out);
    file.close();
    // Replacing keeps the permission bits; a failed save leaves the old file.
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    auto other = hostOf(noise(3, 3, false), false);
    ASSERT_TRUE(writer.SaveAsTGA(path, out, other.get(), false, false, false));
    EXPECT_EQ(QFile::permissions(path) & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QByteArray kept = out;
    EXPECT_FALSE(writer.SaveAsTGA(folder.filePath("missing/dir/x.tga"), out, other.get(), false,
                                  false, false));
    EXPECT_FALSE(writer.SaveAsTGA(path, out, &tooWide, false, false, false));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), kept);
}

// Running out of memory while encoding is a failed save: False, and the file on disk is left
// as it was.
TEST(TgaWriter, OutOfMemoryFailsTheSave)
{
    testsupport::TempFolder folder;
    const QString path = folder.filePath("kept.tga");
    cTGAparser writer;
    QByteArray out;
    auto small = hostOf(noise(4, 4, false), false);
    ASSERT_TRUE(writer.SaveAsTGA(path, out, small.get(), false, false, false));
    const QByteArray kept = out;

    auto translucent = hostOf(noise(200, 150, true), true);
    auto opaque = hostOf(noise(200, 150, false), false);
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        c32bppDIB& host = variant == 0 ? *translucent : *opaque;
        bool saved = true;
        {
            const testsupport::ScopedAllocationLimit limit(64 * 1024);
            saved = writer.SaveAsTGA(path, out, &host, false, variant == 2, variant == 1);
        }
        EXPECT_FALSE(saved);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), kept);
    }
    // With memory to spare the same saves succeed.
    EXPECT_TRUE(writer.SaveAsTGA({}, out, translucent.get(), false, false, false));
}
