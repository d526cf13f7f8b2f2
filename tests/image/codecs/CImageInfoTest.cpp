#include "PngBytes.h"
#include "image/codecs/CImageInfo.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace XrImage;

namespace {

class CImageInfoTest : public ::testing::Test {
protected:
    CImageInfo probe(const std::vector<std::uint8_t>& bytes)
    {
        const QString path = folder.filePath(QStringLiteral("probe.bin"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(pngtest::toQByteArray(bytes));
        file.close();
        CImageInfo info;
        info.ReadImageInfo(path);
        return info;
    }

    testsupport::TempFolder folder;
};

std::vector<std::uint8_t> pngHeader(std::uint32_t width, std::uint32_t height, int depth,
                                    int colorType)
{
    std::vector<std::uint8_t> bytes = pngtest::signatureBytes();
    pngtest::appendChunk(bytes, "IHDR",
                         pngtest::ihdrBody(int(width), int(height), depth, colorType, 0));
    return bytes;
}

// A JPEG start, an APP0 segment of `appLength` bytes, then a segment with `marker`.
std::vector<std::uint8_t> jpeg(std::uint8_t marker, std::size_t appLength = 16,
                               std::size_t lead = 0)
{
    std::vector<std::uint8_t> bytes(lead, 0x20);
    bytes.insert(bytes.end(),
                 {0xFF, 0xD8, 0xFF, 0xE0, std::uint8_t(appLength >> 8), std::uint8_t(appLength)});
    bytes.resize(bytes.size() + appLength - 2, 0);
    bytes.insert(bytes.end(), {0xFF, marker, 0x00, 0x11, 0x08, 0x01, 0x2C, 0x02, 0x58, 0x03});
    return bytes;
}

}  // namespace

TEST_F(CImageInfoTest, PngDepthsAndFullSizes)
{
    CImageInfo info = probe(pngHeader(70000, 3, 8, 6));
    EXPECT_EQ(info.ImageType(), itPNG);
    EXPECT_EQ(info.Width(), 70000);
    EXPECT_EQ(info.Height(), 3);
    EXPECT_EQ(info.Depth(), 32);
    EXPECT_EQ(probe(pngHeader(1, 1, 2, 3)).Depth(), 8);
    EXPECT_EQ(probe(pngHeader(1, 1, 16, 6)).Depth(), 64);
    EXPECT_EQ(probe(pngHeader(1, 1, 16, 2)).Depth(), 48);
    EXPECT_EQ(probe(pngHeader(1, 1, 8, 4)).Depth(), 16);
    EXPECT_EQ(probe(pngHeader(1, 1, 4, 0)).Depth(), 4);
    // A refused colour type falls through to the JPEG scan.
    std::vector<std::uint8_t> odd = pngHeader(5, 5, 8, 5);
    const std::vector<std::uint8_t> tail = jpeg(0xC0);
    odd.insert(odd.end(), tail.begin(), tail.end());
    info = probe(odd);
    EXPECT_EQ(info.ImageType(), itJPEG);
    EXPECT_EQ(info.Width(), 600);
}

TEST_F(CImageInfoTest, GifAndBmp)
{
    std::vector<std::uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00, 0x05, 0, 0};
    CImageInfo info = probe(gif);
    EXPECT_EQ(info.ImageType(), itGIF);
    EXPECT_EQ(info.Width(), 320);
    EXPECT_EQ(info.Height(), 240);
    EXPECT_EQ(info.Depth(), 6);

    std::vector<std::uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    const std::int32_t width = 70000, height = -100;
    std::memcpy(&bmp[18], &width, 4);
    std::memcpy(&bmp[22], &height, 4);
    bmp[28] = 24;
    info = probe(bmp);
    EXPECT_EQ(info.ImageType(), itBMP);
    EXPECT_EQ(info.Width(), 70000);
    EXPECT_EQ(info.Height(), 100);
    EXPECT_EQ(info.Depth(), 24);
}

TEST_F(CImageInfoTest, JpegMarkers)
{
    for (std::uint8_t marker :
         {0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF}) {
        const CImageInfo info = probe(jpeg(marker));
        EXPECT_EQ(info.ImageType(), itJPEG) << int(marker);
        EXPECT_EQ(info.Height(), 300);
        EXPECT_EQ(info.Width(), 600);
        EXPECT_EQ(info.Depth(), 24);
    }
    for (std::uint8_t marker : {0xC4, 0xC8, 0xCC})
        EXPECT_EQ(probe(jpeg(marker)).ImageType(), itUNKNOWN) << int(marker);
    // Not at the start of the file, but within the first 64 KB.
    EXPECT_EQ(probe(jpeg(0xC0, 16, 1000)).ImageType(), itJPEG);
    // A frame header past the scanned part.
    EXPECT_EQ(probe(jpeg(0xC2, 65530)).ImageType(), itUNKNOWN);
    EXPECT_EQ(probe(jpeg(0xC2, 65000)).ImageType(), itJPEG);
    EXPECT_EQ(probe({0x01, 0x02}).ImageType(), itUNKNOWN);
}

TEST_F(CImageInfoTest, MissingFileIsUnknownAndNotCreated)
{
    const QString path = folder.filePath(QStringLiteral("missing.png"));
    CImageInfo info = probe(pngHeader(4, 4, 8, 2));
    info.ReadImageInfo(path);
    EXPECT_EQ(info.ImageType(), itUNKNOWN);
    EXPECT_EQ(info.Width(), 0);
    EXPECT_EQ(info.Depth(), 0);
    EXPECT_FALSE(QFile::exists(path));
}
