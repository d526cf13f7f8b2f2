#include "PngBytes.h"
#include "image/codecs/cPNGparser.h"
#include "platform/dynload/DynamicLibrary.h"
#include "platform/gdiplus/Session.h"
#include "platform/runtime/VbError.h"
#include "tests/support/RaisedError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace XrImage;
using namespace pngtest;

namespace {

class PngReaderTest : public ::testing::Test {
protected:
    void SetUp() override { gdiplus::setAvailable(false); }
    void TearDown() override
    {
        gdiplus::setAvailable(true);
        dynload::resetLibraryNames();
    }

    static void forceNoZlib() { dynload::setLibraryNames({}); }

    // The bytes as a file of the folder; its path.
    static QString writeFile(const testsupport::TempFolder& folder, const QString& name,
                             const std::vector<std::uint8_t>& bytes)
    {
        const QString path = folder.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(toQByteArray(bytes));
        return path;
    }

    // Loads through LoadStream into an emptied host, as the load dispatcher hands it over.
    static bool load(const std::vector<std::uint8_t>& bytes, c32bppDIB& dib)
    {
        dib.DestroyDIB();
        cPNGparser parser;
        const QByteArray stream = toQByteArray(bytes);
        return parser.LoadStream(stream, dib, 0, std::int32_t(stream.size()), 0);
    }

    static void expectMatchesOracle(const std::vector<std::uint8_t>& bytes, const std::string& what)
    {
        const OracleImage oracle = decodeWithLibpng(bytes);
        ASSERT_TRUE(oracle.ok) << what;
        c32bppDIB dib;
        ASSERT_TRUE(load(bytes, dib)) << what;
        ASSERT_EQ(dib.Width(), oracle.width) << what;
        ASSERT_EQ(dib.Height(), oracle.height) << what;
        EXPECT_EQ(dib.ImageType(), imgPNG) << what;
        EXPECT_TRUE(topDownPixels(dib) == oracle.bgra) << what;
    }
};

struct Variant {
    int colorType;
    int depth;
};

const Variant allVariants[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                               {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

// A palette of `entries` colours and, when asked, a tRNS that covers fewer of them.
void addPalette(PngOptions& options, int entries, bool transparency, unsigned seed)
{
    std::mt19937 random(seed);
    for (int i = 0; i < entries * 3; ++i)
        options.palette.push_back(std::uint8_t(random()));
    if (transparency)
        for (int i = 0; i < std::max(1, entries / 2); ++i)
            options.trns.push_back(std::uint8_t(i * 97));
}

// A tRNS key taken from the image's first pixel, so that it does match some pixels.
void addKey(PngOptions& options, const SampleImage& image)
{
    for (int c = 0; c < image.channels(); ++c) {
        const std::uint16_t v = image.at(0, 0, c);
        options.trns.push_back(std::uint8_t(v >> 8));
        options.trns.push_back(std::uint8_t(v));
    }
}

}  // namespace

TEST_F(PngReaderTest, EveryColourTypeDepthInterlaceAndFilterMatchesLibpng)
{
    int checked = 0;
    for (bool withZlib : {true, false}) {
        if (!withZlib)
            forceNoZlib();
        for (const Variant& v : allVariants) {
            for (bool transparency : {false, true}) {
                if (transparency && (v.colorType == 4 || v.colorType == 6))
                    continue;
                for (int filter = 0; filter <= 5; ++filter) {
                    for (const auto& size :
                         {std::pair{13, 11}, std::pair{1, 9}, std::pair{33, 2}}) {
                        const unsigned seed = unsigned(v.colorType * 1000 + v.depth * 10 + filter);
                        const int entries = v.colorType == 3 ? std::min(1 << v.depth, 200) : 0;
                        SampleImage image = randomImage(size.first, size.second, v.colorType,
                                                        v.depth, seed, entries ? entries - 1 : -1);
                        PngOptions options;
                        options.filter = filter;
                        options.ancillary = filter % 2 == 1;
                        options.idatChunks = 1 + filter % 3;
                        if (v.colorType == 3)
                            addPalette(options, entries, transparency, seed);
                        else if (transparency)
                            addKey(options, image);
                        const std::vector<std::uint8_t> plain = buildPng(image, options);
                        options.interlaced = true;
                        const std::vector<std::uint8_t> interlaced = buildPng(image, options);
                        const std::string what =
                            "type " + std::to_string(v.colorType) + " depth " +
                            std::to_string(v.depth) + " filter " + std::to_string(filter) +
                            " trns " + std::to_string(transparency) + " zlib " +
                            std::to_string(withZlib) + " width " + std::to_string(size.first);
                        expectMatchesOracle(plain, what);
                        expectMatchesOracle(interlaced, what + " interlaced");
                        c32bppDIB a, b;
                        load(plain, a);
                        load(interlaced, b);
                        EXPECT_TRUE(topDownPixels(a) == topDownPixels(b)) << what;
                        EXPECT_EQ(a.Alpha(), transparency || v.colorType == 4 || v.colorType == 6);
                        checked += 2;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 600);
}

TEST_F(PngReaderTest, GreyLevelsPalettesWithoutPlteAndTransparentPixels)
{
    SampleImage grey1{4, 1, 0, 1, {0, 1, 1, 0}};
    c32bppDIB dib;
    ASSERT_TRUE(load(buildPng(grey1, {}), dib));
    EXPECT_EQ(topDownPixels(dib), (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255, 255, 255, 255,
                                                             255, 255, 255, 0, 0, 0, 255}));
    EXPECT_FALSE(dib.Alpha());

    SampleImage grey2{4, 1, 0, 2, {0, 1, 2, 3}};
    ASSERT_TRUE(load(buildPng(grey2, {}), dib));
    const auto levels = topDownPixels(dib);
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[4], 85);
    EXPECT_EQ(levels[8], 170);
    EXPECT_EQ(levels[12], 255);

    // A palette image without PLTE reads black, except entry 1 of a 1-bit image, which is white.
    SampleImage indexed1{2, 1, 3, 1, {0, 1}};
    ASSERT_TRUE(load(buildPng(indexed1, {}), dib));
    EXPECT_EQ(topDownPixels(dib), (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255, 255, 255}));
    SampleImage indexed4{2, 1, 3, 4, {1, 9}};
    ASSERT_TRUE(load(buildPng(indexed4, {}), dib));
    EXPECT_EQ(topDownPixels(dib), (std::vector<std::uint8_t>{0, 0, 0, 255, 0, 0, 0, 255}));

    // Alpha 0 stores zeros whatever the colour; other alphas are premultiplied with truncation.
    SampleImage rgba{2, 1, 6, 8, {200, 100, 50, 0, 200, 100, 50, 128}};
    ASSERT_TRUE(load(buildPng(rgba, {}), dib));
    EXPECT_EQ(topDownPixels(dib),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 50 * 128 / 255, 100 * 128 / 255,
                                         200 * 128 / 255, 128}));
    EXPECT_TRUE(dib.Alpha());

    // Three tRNS entries: entries from 3 on stay opaque.
    SampleImage indexed{4, 1, 3, 8, {0, 1, 2, 3}};
    PngOptions options;
    options.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    options.trns = {0, 128, 255};
    ASSERT_TRUE(load(buildPng(indexed, options), dib));
    EXPECT_EQ(topDownPixels(dib),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 60 * 128 / 255, 50 * 128 / 255, 40 * 128 / 255,
                                         128, 90, 80, 70, 255, 120, 110, 100, 255}));
}

TEST_F(PngReaderTest, TransparencyKeysCompareEverySampleBit)
{
    // 16-bit RGB: a pixel differing from the key only in a low byte stays opaque.
    SampleImage rgb{2, 1, 2, 16, {0x1234, 0x5678, 0x9ABC, 0x1235, 0x5678, 0x9ABC}};
    PngOptions options;
    options.trns = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    c32bppDIB dib;
    ASSERT_TRUE(load(buildPng(rgb, options), dib));
    auto pixels = topDownPixels(dib);
    EXPECT_EQ(pixels[3], 0);
    EXPECT_EQ(pixels[7], 255);
    EXPECT_EQ(pixels[6], 0x12);
    expectMatchesOracle(buildPng(rgb, options), "16-bit key");

    SampleImage grey{3, 1, 0, 16, {0x0102, 0x0103, 0x0102}};
    options.trns = {0x01, 0x02};
    ASSERT_TRUE(load(buildPng(grey, options), dib));
    pixels = topDownPixels(dib);
    EXPECT_EQ(pixels[3], 0);
    EXPECT_EQ(pixels[7], 255);
    EXPECT_EQ(pixels[11], 0);

    SampleImage rgb8{2, 1, 2, 8, {1, 2, 3, 1, 2, 4}};
    options.trns = {0, 1, 0, 2, 0, 3};
    ASSERT_TRUE(load(buildPng(rgb8, options), dib));
    pixels = topDownPixels(dib);
    EXPECT_EQ(pixels[3], 0);
    EXPECT_EQ((std::vector<std::uint8_t>(pixels.begin() + 4, pixels.end())),
              (std::vector<std::uint8_t>{4, 2, 1, 255}));
}

// With the bridge on, keyed images of every depth, from a stream and from a file, come out
// with the own reader's transparency: the same pixels hidden, also where only a sample's low
// byte differs from the key, and the same colours within a level.
TEST_F(PngReaderTest, TheBridgeHonoursTransparencyKeysAtEveryDepth)
{
    testsupport::TempFolder folder;
    const Variant keyed[] = {{0, 1}, {0, 2},  {0, 4}, {0, 8}, {0, 16},
                             {2, 8}, {2, 16}, {3, 4}, {3, 8}};
    for (const Variant& v : keyed) {
        for (const bool interlaced : {false, true}) {
            const std::string what = "type " + std::to_string(v.colorType) + " depth " +
                                     std::to_string(v.depth) + (interlaced ? " interlaced" : "");
            SCOPED_TRACE(what);
            SampleImage image = randomImage(9, 5, v.colorType, v.depth, 40u + unsigned(v.depth),
                                            v.colorType == 3 ? 11 : -1);
            PngOptions options;
            options.interlaced = interlaced;
            if (v.colorType == 3) {
                addPalette(options, 12, true, 3);
            } else {
                if (v.depth == 16)  // one sample off the key in its low byte only
                    for (int c = 0; c < image.channels(); ++c)
                        image.at(1, 0, c) = std::uint16_t(image.at(0, 0, c) ^ (c == 0 ? 1 : 0));
                addKey(options, image);
            }
            const std::vector<std::uint8_t> png = buildPng(image, options);
            c32bppDIB own;
            ASSERT_TRUE(load(png, own));
            const std::vector<std::uint8_t> expected = topDownPixels(own);

            gdiplus::setAvailable(true);
            c32bppDIB bridged;
            const bool fromStream = load(png, bridged);
            const QString path = writeFile(folder, "keyed.png", png);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            c32bppDIB bridgedFile;
            const bool fromFile = cPNGparser().LoadFile(file, path, bridgedFile, 0);
            gdiplus::setAvailable(false);

            for (c32bppDIB* loaded : {&bridged, &bridgedFile}) {
                ASSERT_TRUE(loaded == &bridged ? fromStream : fromFile);
                const std::vector<std::uint8_t> actual = topDownPixels(*loaded);
                ASSERT_EQ(actual.size(), expected.size());
                int differing = 0;
                for (std::size_t i = 0; i < actual.size(); ++i) {
                    const int tolerance = i % 4 == 3 ? 0 : 1;
                    differing += std::abs(int(actual[i]) - int(expected[i])) > tolerance;
                }
                EXPECT_EQ(differing, 0);
                if (v.colorType != 3) {
                    EXPECT_EQ(actual[3], 0);  // the first pixel is the key
                }
            }
        }
    }
}

namespace {

// A 3x2 RGB image whose second row carries filter byte `filter`, interlaced or not.
std::vector<std::uint8_t> withFilterByte(std::uint8_t filter, bool interlaced)
{
    SampleImage image = randomImage(3, 2, 2, 8, 7);
    std::vector<std::uint8_t> raw = rawImageData(image, interlaced, 0);
    // The last row of the data is the image's second row in both layouts (pass 7).
    raw[raw.size() - 10] = filter;
    std::vector<std::uint8_t> out = signatureBytes();
    appendChunk(out, "IHDR", ihdrBody(3, 2, 8, 2, interlaced));
    appendChunk(out, "IDAT", zlibCompress(raw));
    appendChunk(out, "IEND", {});
    return out;
}

}  // namespace

TEST_F(PngReaderTest, UnknownFilterBytes)
{
    // Not interlaced: the row is taken as it stands.
    c32bppDIB dib;
    ASSERT_TRUE(load(withFilterByte(5, false), dib));
    const SampleImage image = randomImage(3, 2, 2, 8, 7);
    const auto pixels = topDownPixels(dib);
    ASSERT_EQ(pixels.size(), 24u);
    EXPECT_EQ(pixels[12 + 2], image.at(0, 1, 0));
    EXPECT_EQ(pixels[12 + 0], image.at(0, 1, 2));
    // Interlaced: the whole decode fails, the answer stays True and the host stays empty.
    EXPECT_TRUE(load(withFilterByte(200, true), dib));
    EXPECT_EQ(dib.Handle(), 0u);
    EXPECT_EQ(dib.ImageType(), imgError);
}

namespace {

std::vector<std::uint8_t> withHeader(int width, int height, int depth, int colorType,
                                     int compression = 0, int filter = 0, int interlace = 0)
{
    std::vector<std::uint8_t> out = signatureBytes();
    std::vector<std::uint8_t> header = ihdrBody(width, height, depth, colorType, interlace);
    header[10] = std::uint8_t(compression);
    header[11] = std::uint8_t(filter);
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", zlibCompress(std::vector<std::uint8_t>(6, 0)));
    appendChunk(out, "IEND", {});
    return out;
}

}  // namespace

TEST_F(PngReaderTest, HeaderRefusalsLeaveTheHostEmptyButAnswerTrue)
{
    c32bppDIB dib;
    ASSERT_TRUE(load(withHeader(2, 2, 8, 0), dib));
    EXPECT_EQ(dib.Width(), 2);
    const std::vector<std::vector<std::uint8_t>> refused{
        withHeader(0, 2, 8, 0),       withHeader(2, 0, 8, 0),          withHeader(-5, 2, 8, 0),
        withHeader(2, 2, 8, 0, 1),    withHeader(2, 2, 8, 0, 0, 1),    withHeader(2, 2, 3, 0),
        withHeader(2, 2, 8, 5),       withHeader(2, 2, 8, 0, 0, 0, 2), withHeader(2, 2, 4, 2),
        withHeader(2, 2, 16, 3),      withHeader(2, 2, 1, 6),          withHeader(2, 2, 2, 4),
        withHeader(8192, 8193, 8, 0), withHeader(67108864, 1, 1, 0),
    };
    for (std::size_t i = 0; i < refused.size(); ++i) {
        ASSERT_TRUE(load(refused[i], dib)) << i;
        EXPECT_EQ(dib.Handle(), 0u) << i;
    }
}

TEST_F(PngReaderTest, ChunkCrcsAreCheckedOnlyWithZlib)
{
    const SampleImage image = randomImage(5, 4, 2, 8, 3);
    std::vector<std::uint8_t> bytes = buildPng(image, {});
    // The IDAT CRC is the four bytes before IEND's 12.
    std::vector<std::uint8_t> badIdat = bytes;
    badIdat[badIdat.size() - 13] ^= 0x40;
    c32bppDIB dib;
    ASSERT_TRUE(load(badIdat, dib));
    EXPECT_EQ(dib.Handle(), 0u);
    // A stored CRC of 0 is never checked.
    std::vector<std::uint8_t> zeroCrc = bytes;
    std::fill(zeroCrc.end() - 16, zeroCrc.end() - 12, 0);
    ASSERT_TRUE(load(zeroCrc, dib));
    EXPECT_EQ(dib.Width(), 5);

    // A tRNS with a bad CRC is only dropped.
    SampleImage grey{2, 1, 0, 8, {7, 9}};
    PngOptions options;
    options.trns = {0, 7};
    std::vector<std::uint8_t> badTrns = buildPng(grey, options);
    const std::size_t trnsCrc = 8 + 25 + 8 + 2;
    badTrns[trnsCrc] ^= 1;
    ASSERT_TRUE(load(badTrns, dib));
    EXPECT_EQ(topDownPixels(dib)[3], 255);
    EXPECT_FALSE(dib.Alpha());

    forceNoZlib();
    ASSERT_TRUE(load(badIdat, dib));
    EXPECT_EQ(dib.Width(), 5);
    ASSERT_TRUE(load(badTrns, dib));
    EXPECT_EQ(topDownPixels(dib)[3], 0);
}

TEST_F(PngReaderTest, DamagedDataIsRefusedCleanly)
{
    const SampleImage image = randomImage(9, 7, 6, 8, 11);
    const std::vector<std::uint8_t> bytes = buildPng(image, {});
    c32bppDIB dib;
    for (bool withZlib : {true, false}) {
        if (!withZlib)
            forceNoZlib();
        // Every truncation: True, an empty host, nothing read past the data.
        for (std::size_t cut = 8; cut < bytes.size(); ++cut) {
            const std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + long(cut));
            ASSERT_TRUE(load(truncated, dib)) << cut;
            EXPECT_EQ(dib.Handle(), 0u) << cut;
        }
        // Damaged compressed data (CRC kept valid).
        std::vector<std::uint8_t> badZlib = signatureBytes();
        appendChunk(badZlib, "IHDR", ihdrBody(9, 7, 8, 6, 0));
        std::vector<std::uint8_t> compressed = zlibCompress(rawImageData(image, false, 0));
        for (std::size_t i = 2; i < compressed.size(); i += 3)
            compressed[i] ^= 0xA5;
        appendChunk(badZlib, "IDAT", compressed);
        appendChunk(badZlib, "IEND", {});
        ASSERT_TRUE(load(badZlib, dib));
        EXPECT_EQ(dib.Handle(), 0u);
    }
    // A length of 2^31 or more ends the walk quietly.
    std::vector<std::uint8_t> hugeLength = bytes;
    hugeLength[33] = 0x80;
    ASSERT_TRUE(load(hugeLength, dib));
    EXPECT_EQ(dib.Handle(), 0u);
    // Not a PNG: False at once.
    std::vector<std::uint8_t> notPng = bytes;
    notPng[1] = 'Q';
    EXPECT_FALSE(load(notPng, dib));
}

TEST_F(PngReaderTest, ChunkWalkRules)
{
    const SampleImage image = randomImage(6, 5, 2, 8, 5);
    const std::vector<std::uint8_t> compressed = zlibCompress(rawImageData(image, false, 0));
    std::vector<std::uint8_t> bytes = signatureBytes();
    appendChunk(bytes, "IHDR", ihdrBody(6, 5, 8, 2, 0));
    appendChunk(bytes, "IDAT", {});         // skipped
    appendChunk(bytes, "IDAt", {1, 2, 3});  // not IDAT: skipped
    appendChunk(bytes, "IDAT", compressed);
    appendChunk(bytes, "IEND", {});
    appendChunk(bytes, "IDAT", {9, 9, 9});  // after IEND: never read
    c32bppDIB dib;
    ASSERT_TRUE(load(bytes, dib));
    c32bppDIB reference;
    ASSERT_TRUE(load(buildPng(image, {}), reference));
    EXPECT_EQ(topDownPixels(dib), topDownPixels(reference));

    // Without IEND the walk ends as a failure.
    bytes.resize(bytes.size() - 12 - 15);
    ASSERT_TRUE(load(bytes, dib));
    EXPECT_EQ(dib.Handle(), 0u);

    // A stream range inside a larger array; an offset outside it raises error 9.
    std::vector<std::uint8_t> framed(5, 0xEE);
    const std::vector<std::uint8_t> png = buildPng(image, {});
    framed.insert(framed.end(), png.begin(), png.end());
    framed.insert(framed.end(), 7, 0xEE);
    const QByteArray stream = toQByteArray(framed);
    cPNGparser parser;
    dib.DestroyDIB();
    ASSERT_TRUE(parser.LoadStream(stream, dib, 5, std::int32_t(png.size()), 0));
    EXPECT_EQ(topDownPixels(dib), topDownPixels(reference));
    EXPECT_EQ(testsupport::raisedError([&] { parser.LoadStream(stream, dib, -1, 10, 0); }),
              vb::ErrSubscriptOutOfRange);
    EXPECT_EQ(testsupport::raisedError(
                  [&] { parser.LoadStream(stream, dib, std::int32_t(stream.size()), 10, 0); }),
              vb::ErrSubscriptOutOfRange);
}

TEST_F(PngReaderTest, FilesAndTheBridge)
{
    testsupport::TempFolder folder;
    const SampleImage image = randomImage(7, 3, 6, 8, 21);
    const std::vector<std::uint8_t> png = buildPng(image, {});
    const QString path = writeFile(folder, "image.png", png);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    c32bppDIB own;
    ASSERT_TRUE(cPNGparser().LoadFile(file, path, own, 0));
    EXPECT_EQ(topDownPixels(own), decodeWithLibpng(png).bgra);

    // With the bridge on, GDI+ loads it and the own walk never runs.
    gdiplus::setAvailable(true);
    c32bppDIB bridged;
    ASSERT_TRUE(cPNGparser().LoadFile(file, path, bridged, 0));
    EXPECT_EQ(bridged.Width(), 7);
    EXPECT_EQ(bridged.ImageType(), imgPNG);
    gdiplus::setAvailable(false);

    // A file of 56 bytes or less is not signature-tested and answers False.
    const QString small = folder.filePath("small.png");
    {
        QFile out(small);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(toQByteArray(std::vector<std::uint8_t>(png.begin(), png.begin() + 56)));
    }
    QFile smallFile(small);
    ASSERT_TRUE(smallFile.open(QIODevice::ReadOnly));
    EXPECT_FALSE(cPNGparser().LoadFile(smallFile, small, own, 0));
}

TEST_F(PngReaderTest, TransparencyBeforeTheHeaderCountsAsGrey)
{
    auto build = [](int depth, int colorType, const std::vector<std::uint8_t>& raw,
                    const std::vector<std::uint8_t>& extra) {
        std::vector<std::uint8_t> out = signatureBytes();
        appendChunk(out, "tRNS", {0, 7});
        appendChunk(out, "IHDR", ihdrBody(2, 1, depth, colorType, 0));
        if (!extra.empty())
            appendChunk(out, "PLTE", extra);
        appendChunk(out, "IDAT", zlibCompress(raw));
        appendChunk(out, "IEND", {});
        return out;
    };
    c32bppDIB dib;
    ASSERT_TRUE(load(build(8, 0, {0, 7, 9}, {}), dib));
    EXPECT_EQ(topDownPixels(dib), (std::vector<std::uint8_t>{0, 0, 0, 0, 9, 9, 9, 255}));
    // Under a palette or 16-bit RGB header the short key cannot be used: nothing is read past it.
    ASSERT_TRUE(load(build(8, 3, {0, 0, 5}, std::vector<std::uint8_t>(18, 50)), dib));
    EXPECT_EQ(dib.Handle(), 0u);
    ASSERT_TRUE(load(build(16, 2, std::vector<std::uint8_t>(13, 0), {}), dib));
    EXPECT_EQ(topDownPixels(dib)[3], 255);
}

TEST_F(PngReaderTest, ShortImageData)
{
    // Missing rows read as zeros.
    const SampleImage image = randomImage(4, 3, 6, 8, 9);
    std::vector<std::uint8_t> raw = rawImageData(image, false, 0);
    raw.resize(raw.size() - 17);
    std::vector<std::uint8_t> bytes = signatureBytes();
    appendChunk(bytes, "IHDR", ihdrBody(4, 3, 8, 6, 0));
    appendChunk(bytes, "IDAT", zlibCompress(raw));
    appendChunk(bytes, "IEND", {});
    for (bool withZlib : {true, false}) {
        if (!withZlib)
            forceNoZlib();
        c32bppDIB dib;
        ASSERT_TRUE(load(bytes, dib));
        const auto pixels = topDownPixels(dib);
        ASSERT_EQ(pixels.size(), 48u);
        EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin() + 32, pixels.end()),
                  std::vector<std::uint8_t>(16, 0));
        EXPECT_NE(std::vector<std::uint8_t>(pixels.begin(), pixels.begin() + 16),
                  std::vector<std::uint8_t>(16, 0));
    }
    // A header whose image no amount of deflate could fill from the data is refused at once.
    std::vector<std::uint8_t> huge = signatureBytes();
    appendChunk(huge, "IHDR", ihdrBody(8000, 8000, 8, 6, 0));
    appendChunk(huge, "IDAT", zlibCompress(std::vector<std::uint8_t>(100, 0)));
    appendChunk(huge, "IEND", {});
    c32bppDIB dib;
    ASSERT_TRUE(load(huge, dib));
    EXPECT_EQ(dib.Handle(), 0u);
}

TEST_F(PngReaderTest, ZlibUnderTheSecondNameStillChecksCrcs)
{
    dynload::setLibraryNames({{QStringLiteral("zlib.dll"), QStringLiteral("libz.so.1"), {}}});
    const SampleImage image = randomImage(5, 4, 2, 8, 3);
    std::vector<std::uint8_t> bytes = buildPng(image, {});
    c32bppDIB dib;
    ASSERT_TRUE(load(bytes, dib));
    EXPECT_EQ(dib.Width(), 5);
    bytes[bytes.size() - 13] ^= 0x40;  // the IDAT CRC
    ASSERT_TRUE(load(bytes, dib));
    EXPECT_EQ(dib.Handle(), 0u);
    // A header chunk shorter than its 13 bytes is refused.
    std::vector<std::uint8_t> shortHeader = signatureBytes();
    std::vector<std::uint8_t> header = ihdrBody(5, 4, 8, 2, 0);
    header.pop_back();
    appendChunk(shortHeader, "IHDR", header);
    appendChunk(shortHeader, "IDAT", zlibCompress(rawImageData(image, false, 0)));
    appendChunk(shortHeader, "IEND", {});
    ASSERT_TRUE(load(shortHeader, dib));
    EXPECT_EQ(dib.Handle(), 0u);
}
