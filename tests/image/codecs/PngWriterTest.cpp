#include "PngBytes.h"
#include "image/codecs/cPNGwriter.h"
#include "platform/dynload/DynamicLibrary.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <map>

using namespace XrImage;
using namespace pngtest;

namespace {

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

std::vector<Chunk> chunksOf(const QByteArray& png)
{
    std::vector<Chunk> chunks;
    const auto* p = reinterpret_cast<const std::uint8_t*>(png.constData());
    std::size_t at = 8;
    while (at + 12 <= std::size_t(png.size())) {
        const std::uint32_t length = std::uint32_t(p[at]) << 24 | std::uint32_t(p[at + 1]) << 16 |
                                     std::uint32_t(p[at + 2]) << 8 | p[at + 3];
        Chunk chunk;
        chunk.type.assign(reinterpret_cast<const char*>(p + at + 4), 4);
        chunk.data.assign(p + at + 8, p + at + 8 + length);
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::string> typesOf(const std::vector<Chunk>& chunks)
{
    std::vector<std::string> types;
    for (const Chunk& chunk : chunks)
        types.push_back(chunk.type);
    return types;
}

const Chunk* find(const std::vector<Chunk>& chunks, const std::string& type)
{
    for (const Chunk& chunk : chunks)
        if (chunk.type == type)
            return &chunk;
    return nullptr;
}

// The IDAT data inflated: rows top-down, each led by its filter type.
std::vector<std::uint8_t> inflatedIdat(const std::vector<Chunk>& chunks, std::size_t size)
{
    const Chunk* idat = find(chunks, "IDAT");
    std::vector<std::uint8_t> out(size);
    uLongf length = uLongf(size);
    if (!idat ||
        uncompress(out.data(), &length, idat->data.data(), uLong(idat->data.size())) != Z_OK)
        return {};
    out.resize(length);
    return out;
}

// An image whose pixel (x, y), y counted from the top, is fill(x, y) as premultiplied B, G, R, A.
using Fill = std::function<std::array<std::uint8_t, 4>(int, int)>;

void makeImage(c32bppDIB& dib, int width, int height, bool alpha, const Fill& fill)
{
    ASSERT_TRUE(dib.InitializeDIB(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto bgra = fill(x, y);
            std::memcpy(dib.BitsPointer() +
                            (std::size_t(height - 1 - y) * std::size_t(width) + std::size_t(x)) * 4,
                        bgra.data(), 4);
        }
    dib.LetAlpha(alpha);
}

class PngWriterTest : public ::testing::Test {
protected:
    void TearDown() override { dynload::resetLibraryNames(); }

    QByteArray write(c32bppDIB& dib)
    {
        QByteArray out;
        EXPECT_TRUE(writer.WritePng(dib, QString(), out));
        return out;
    }

    // Written, re-read by libpng: the same pixels (partly transparent ones within 1, since
    // they pass through straight alpha) and CRCs libpng accepts.
    void expectRoundTrip(c32bppDIB& dib, const std::string& what)
    {
        const QByteArray png = write(dib);
        const std::vector<std::uint8_t> bytes(png.begin(), png.end());
        const OracleImage oracle = decodeWithLibpng(bytes);
        ASSERT_TRUE(oracle.ok) << what;
        const std::vector<std::uint8_t> original = topDownPixels(dib);
        ASSERT_EQ(oracle.bgra.size(), original.size()) << what;
        int worst = 0;
        for (std::size_t i = 0; i < original.size(); i += 4) {
            const bool partial = original[i + 3] != 0 && original[i + 3] != 255;
            for (std::size_t c = 0; c < 4; ++c) {
                const int difference = std::abs(int(original[i + c]) - int(oracle.bgra[i + c]));
                worst = std::max(worst, partial ? std::max(0, difference - 1) : difference);
            }
        }
        EXPECT_EQ(worst, 0) << what;
    }

    cPNGwriter writer;
};

std::array<std::uint8_t, 4> opaque(int r, int g, int b)
{
    return {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r), 255};
}

}  // namespace

TEST_F(PngWriterTest, EveryKindOfImageRoundTripsThroughLibpngWithEveryFilter)
{
    std::mt19937 random(17);
    const std::map<std::string, Fill> fills{
        {"photo", [&](int x, int y) { return opaque(x * 7 + y, y * 5 ^ x, (x * y) & 255); }},
        {"straight alpha",
         [&](int x, int y) {
             const unsigned a = unsigned(x * 13 + y * 3) & 255;
             return std::array<std::uint8_t, 4>{std::uint8_t(x * a / 255),
                                                std::uint8_t(y * 2 * a / 255), std::uint8_t(a / 2),
                                                std::uint8_t(a)};
         }},
        {"few colours", [&](int x, int y) { return opaque((x / 4) * 40, (y / 3) * 50, 90); }},
        {"grey", [&](int x, int y) { return opaque(x * 3, x * 3, x * 3); }},
        {"grey with holes",
         [&](int x, int y) {
             return (x + y) % 5 == 0 ? std::array<std::uint8_t, 4>{0, 0, 0, 0}
                                     : opaque(y * 9, y * 9, y * 9);
         }},
        {"keyed colour",
         [&](int x, int y) {
             return (x * y) % 7 == 3 ? std::array<std::uint8_t, 4>{0, 0, 0, 0}
                                     : opaque(x * 3, y * 4, (x + 1) | 1);
         }},
    };
    for (const auto& [name, fill] : fills) {
        for (bool alpha : {true, false}) {
            // Without the alpha flag an image is opaque by contract.
            if (!alpha &&
                (name == "straight alpha" || name == "grey with holes" || name == "keyed colour"))
                continue;
            c32bppDIB dib;
            makeImage(dib, 61, 37, alpha, fill);
            for (int filter = 0; filter <= 6; ++filter) {
                writer.SetPngProperty(pngProp_FilterMethod, filter);
                expectRoundTrip(dib, name + " filter " + std::to_string(filter));
            }
        }
    }
}

TEST_F(PngWriterTest, ChunkOrderTextsAndIend)
{
    c32bppDIB dib;
    makeImage(dib, 3, 2, true, [](int x, int) {
        return x == 0 ? std::array<std::uint8_t, 4>{0, 0, 0, 0} : opaque(200, 10, x * 30);
    });
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Description, QStringLiteral("below")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Title, QStringLiteral("top")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Author, QStringLiteral("me")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Comment, QStringLiteral("c")));
    ASSERT_TRUE(
        writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("v1"), QStringLiteral("Zeta")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("v2"),
                                      QStringLiteral("Alpha")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_DateTimeModified,
                                      QDateTime(QDate(2026, 12, 10), QTime(8, 30, 15))));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_DefaultBkgColor, 0x0000FF));
    const QByteArray png = write(dib);
    const auto chunks = chunksOf(png);
    EXPECT_EQ(typesOf(chunks),
              (std::vector<std::string>{"IHDR", "tEXt", "tEXt", "PLTE", "bKGD", "tRNS", "IDAT",
                                        "tIME", "tEXt", "tEXt", "tEXt", "tEXt", "IEND"}));
    EXPECT_EQ(std::string(chunks[1].data.begin(), chunks[1].data.end()),
              std::string("Title\0top", 9));
    EXPECT_EQ(std::string(chunks[8].data.begin(), chunks[8].data.begin() + 11), "Description");
    EXPECT_EQ(std::string(chunks[9].data.begin(), chunks[9].data.begin() + 7), "Comment");
    EXPECT_EQ(std::string(chunks[10].data.begin(), chunks[10].data.end()),
              std::string("Zeta\0v1", 7));
    EXPECT_EQ(chunks[7].data, (std::vector<std::uint8_t>{0x07, 0xEA, 12, 10, 8, 30, 15}));
    // Header: 8-bit, palette, not interlaced.
    EXPECT_EQ(chunks[0].data, (std::vector<std::uint8_t>{0, 0, 0, 3, 0, 0, 0, 2, 8, 3, 0, 0, 0}));
    const QByteArray iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    EXPECT_EQ(png.right(12), iend);
    // The background red was added to the palette after the image's entries.
    const Chunk* plte = find(chunks, "PLTE");
    ASSERT_NE(plte, nullptr);
    EXPECT_EQ(plte->data.size(), 4u * 3);
    EXPECT_EQ(std::vector<std::uint8_t>(plte->data.end() - 3, plte->data.end()),
              (std::vector<std::uint8_t>{255, 0, 0}));
    EXPECT_EQ(find(chunks, "bKGD")->data, (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(writer.GetPngProperty(pngProp_DefaultBkgColor).toInt(), 0x0000FF);

    // Removing an entry from the middle moves the last into its place.
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("v3"),
                                      QStringLiteral("Omega")));
    ASSERT_TRUE(writer.RemovePngProperty(pngProp_Miscellaneous, QStringLiteral("Zeta")));
    const auto after = chunksOf(write(dib));
    EXPECT_EQ(
        std::string(after[after.size() - 3].data.begin(), after[after.size() - 3].data.begin() + 5),
        "Omega");
    EXPECT_EQ(
        std::string(after[after.size() - 2].data.begin(), after[after.size() - 2].data.begin() + 5),
        "Alpha");
}

TEST_F(PngWriterTest, ColourReduction)
{
    c32bppDIB dib;
    // 256 opaque colours, not all grey: a palette of 256 entries; one more: RGB.
    makeImage(dib, 16, 16, false, [](int x, int y) { return opaque(x * 16, y * 16, 7); });
    auto chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 3);
    EXPECT_EQ(find(chunks, "PLTE")->data.size(), 768u);
    makeImage(dib, 257, 1, false, [](int x, int) { return opaque(x & 255, x >> 8, 7); });
    EXPECT_EQ(chunksOf(write(dib))[0].data[9], 2);

    // Opaque grey without the alpha flag: grey, no tRNS.
    makeImage(dib, 5, 1, false, [](int x, int) { return opaque(x * 50, x * 50, x * 50); });
    chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 0);
    EXPECT_EQ(find(chunks, "tRNS"), nullptr);

    // Grey with transparent pixels, level 0 used and level 1 free: level 1 is the key.
    makeImage(dib, 4, 1, true, [](int x, int) {
        return x == 3 ? std::array<std::uint8_t, 4>{0, 0, 0, 0} : opaque(x * 100, x * 100, x * 100);
    });
    chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 0);
    EXPECT_EQ(find(chunks, "tRNS")->data, (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(inflatedIdat(chunks, 100), (std::vector<std::uint8_t>{0, 0, 100, 200, 1}));

    // Three non-opaque colours take indexes 0 to 2; tRNS holds exactly three bytes.
    makeImage(dib, 5, 1, true, [](int x, int) {
        const std::array<std::array<std::uint8_t, 4>, 5> pixels{
            {{0, 0, 0, 0}, {10, 10, 10, 20}, {30, 0, 0, 40}, opaque(1, 2, 3), opaque(9, 8, 7)}};
        return pixels[std::size_t(x)];
    });
    chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 3);
    ASSERT_NE(find(chunks, "tRNS"), nullptr);
    EXPECT_EQ(find(chunks, "tRNS")->data.size(), 3u);
    const auto indexes = inflatedIdat(chunks, 100);
    ASSERT_EQ(indexes.size(), 6u);
    EXPECT_EQ(std::vector<std::uint8_t>(indexes.begin() + 1, indexes.begin() + 4),
              (std::vector<std::uint8_t>{0, 1, 2}));

    // Un-premultiplied palette entry: the smallest straight value that premultiplies back to
    // 64 at alpha 128 (127 would come back as 63).
    makeImage(dib, 2, 2, true, [](int, int) {
        return std::array<std::uint8_t, 4>{64, 64, 64, 128};
    });
    chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 3);
    EXPECT_EQ(find(chunks, "PLTE")->data, (std::vector<std::uint8_t>{128, 128, 128}));
    EXPECT_EQ(find(chunks, "tRNS")->data, (std::vector<std::uint8_t>{128}));

    // Many colours, only opaque and transparent pixels, blue 5 unused: RGB keyed (5, 5, 5).
    makeImage(dib, 300, 2, true, [](int x, int y) {
        return y == 1 && x % 2 ? std::array<std::uint8_t, 4>{0, 0, 0, 0}
                               : opaque(x & 255, (x >> 8) + y, x % 200 == 5 ? 6 : x % 200);
    });
    writer.SetPngProperty(pngProp_FilterMethod, filterNone);
    chunks = chunksOf(write(dib));
    EXPECT_EQ(chunks[0].data[9], 2);
    EXPECT_EQ(find(chunks, "tRNS")->data, (std::vector<std::uint8_t>{0, 5, 0, 5, 0, 5}));
    const auto keyed = inflatedIdat(chunks, 2000);
    // Row 1 (the second output row), pixel 1: the key.
    EXPECT_EQ(std::vector<std::uint8_t>(keyed.begin() + 901 + 4, keyed.begin() + 901 + 7),
              (std::vector<std::uint8_t>{5, 5, 5}));
    expectRoundTrip(dib, "keyed");

    // One pixel of alpha 200 among many colours: RGBA.
    makeImage(dib, 300, 1, true, [](int x, int) {
        return x == 7 ? std::array<std::uint8_t, 4>{10, 10, 10, 200} : opaque(x & 255, x >> 8, 1);
    });
    EXPECT_EQ(chunksOf(write(dib))[0].data[9], 6);
}

TEST_F(PngWriterTest, PartlyTransparentGreyAndBrokenPremultiplication)
{
    // A single partly transparent grey keeps its alpha.
    c32bppDIB dib;
    makeImage(dib, 3, 1, true, [](int x, int) {
        return x == 0 ? std::array<std::uint8_t, 4>{50, 50, 50, 100} : opaque(200, 200, 200);
    });
    auto chunks = chunksOf(write(dib));
    EXPECT_NE(chunks[0].data[9], 0);
    expectRoundTrip(dib, "partly transparent grey");
    // A colour above its alpha is held at 255 instead of failing the write.
    makeImage(dib, 300, 1, true, [](int x, int) {
        return x == 0 ? std::array<std::uint8_t, 4>{200, 10, 10, 100} : opaque(x & 255, x >> 8, 3);
    });
    QByteArray out;
    ASSERT_TRUE(writer.WritePng(dib, QString(), out));
    const std::vector<std::uint8_t> bytes(out.begin(), out.end());
    const OracleImage oracle = decodeWithLibpng(bytes);
    ASSERT_TRUE(oracle.ok);
    EXPECT_EQ(oracle.bgra[0], 100);  // straight blue 255 at alpha 100
}

TEST_F(PngWriterTest, RowFilters)
{
    c32bppDIB dib;
    makeImage(dib, 300, 3, false, [](int x, int y) { return opaque(x & 255, y, x >> 8); });
    const std::size_t rgbRow = 300 * 3 + 1;
    auto typesFor = [&](int choice, std::size_t rowSize) {
        writer.SetPngProperty(pngProp_FilterMethod, choice);
        const auto data = inflatedIdat(chunksOf(write(dib)), 100000);
        std::vector<int> types;
        for (std::size_t at = 0; at < data.size(); at += rowSize)
            types.push_back(data[at]);
        return types;
    };
    EXPECT_EQ(typesFor(filterDefault, rgbRow), (std::vector<int>{4, 4, 4}));
    EXPECT_EQ(typesFor(9, rgbRow), (std::vector<int>{4, 4, 4}));
    for (int choice = filterNone; choice <= filterPaeth; ++choice)
        EXPECT_EQ(typesFor(choice, rgbRow), (std::vector<int>(3, choice - 1)));
    EXPECT_LE(typesFor(filterAdaptive, rgbRow)[0], 1);

    // An all-black grey image: every filter totals 0 (counted as 1), so the last measured wins.
    makeImage(dib, 8, 3, false, [](int, int) { return opaque(0, 0, 0); });
    EXPECT_EQ(typesFor(filterAdaptive, 9), (std::vector<int>{1, 4, 4}));
    EXPECT_EQ(typesFor(filterDefault, 9), (std::vector<int>{0, 0, 0}));
}

TEST_F(PngWriterTest, TextAndKeywordRules)
{
    c32bppDIB dib;
    makeImage(dib, 2, 1, false, [](int x, int) { return opaque(x, 0, 0); });
    ASSERT_TRUE(
        writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("t"), QStringLiteral("title")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Title).toString(), "t");
    // Reading a standard keyword through Miscellaneous needs a free-keyword entry to exist.
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("TITLE")).toString(), "");
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("x"),
                                      QStringLiteral("My Key")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("TITLE")).toString(),
              "t");
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("my key")).toString(),
              "x");
    EXPECT_FALSE(writer.RemovePngProperty(pngProp_Miscellaneous, QStringLiteral("my key")));
    EXPECT_TRUE(writer.RemovePngProperty(pngProp_Miscellaneous, QStringLiteral("My Key")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("My Key")).toString(),
              "");

    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("s"),
                                      QStringLiteral("Source")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Source).toString(), "s");
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("k"),
                                      QStringLiteral("  a   b  ")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("a b")).toString(), "k");
    EXPECT_FALSE(
        writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("k"), QStringLiteral("a\tb")));
    EXPECT_FALSE(
        writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("k"), QStringLiteral("   ")));
    EXPECT_FALSE(writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("k"), QString()));

    ASSERT_TRUE(writer.SetPngProperty(pngProp_Comment, QStringLiteral("form\ffeed")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Warning, QStringLiteral("a\r\nb\rc")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QString(1025, QLatin1Char('z')),
                                      QStringLiteral("Long")));
    ASSERT_TRUE(writer.SetPngProperty(pngProp_Miscellaneous, QString(1024, QLatin1Char('z')),
                                      QStringLiteral("Short")));
    const auto chunks = chunksOf(write(dib));
    std::map<std::string, Chunk> byKeyword;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "tEXt" || chunk.type == "zTXt")
            byKeyword[std::string(reinterpret_cast<const char*>(chunk.data.data()))] = chunk;
    }
    EXPECT_EQ(byKeyword["Comment"].data.size(), std::string("Comment").size() + 1);
    EXPECT_EQ(std::string(byKeyword["Warning"].data.begin() + 8, byKeyword["Warning"].data.end()),
              "a\nb\nc");
    EXPECT_EQ(byKeyword["Long"].type, "zTXt");
    EXPECT_EQ(byKeyword["Short"].type, "tEXt");
    // The compressed text inflates back to the text.
    const std::vector<std::uint8_t>& z = byKeyword["Long"].data;
    std::vector<std::uint8_t> text(2000);
    uLongf length = uLongf(text.size());
    ASSERT_EQ(uncompress(text.data(), &length, z.data() + 6, uLong(z.size() - 6)), Z_OK);
    EXPECT_EQ(length, 1025u);
}

TEST_F(PngWriterTest, PropertySetRules)
{
    EXPECT_FALSE(writer.SetPngProperty(3, QStringLiteral("x")));
    EXPECT_FALSE(writer.SetPngProperty(pngProp_Title, QVariant()));
    EXPECT_FALSE(writer.GetPngProperty(3).isValid());
    EXPECT_EQ(writer.GetPngProperty(pngProp_DefaultBkgColor).toInt(), -1);
    EXPECT_EQ(writer.GetPngProperty(pngProp_DateTimeModified).toDateTime(),
              QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_FALSE(writer.RemovePngProperty(pngProp_Author));

    EXPECT_FALSE(writer.SetPngProperty(pngProp_DefaultBkgColor, QStringLiteral("red")));
    EXPECT_TRUE(writer.SetPngProperty(pngProp_DefaultBkgColor, QStringLiteral("&H12345678")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_DefaultBkgColor).toInt(), 0x345678);
    EXPECT_TRUE(writer.RemovePngProperty(pngProp_DefaultBkgColor));
    EXPECT_EQ(writer.GetPngProperty(pngProp_DefaultBkgColor).toInt(), -1);
    EXPECT_TRUE(writer.SetPngProperty(pngProp_FilterMethod, 9));
    EXPECT_EQ(writer.GetPngProperty(pngProp_FilterMethod).toInt(), 9);
    EXPECT_TRUE(writer.RemovePngProperty(pngProp_FilterMethod));
    EXPECT_EQ(writer.GetPngProperty(pngProp_FilterMethod).toInt(), 0);

    EXPECT_FALSE(writer.SetPngProperty(pngProp_DateTimeModified, 5));
    EXPECT_FALSE(writer.SetPngProperty(pngProp_DateTimeModified, QStringLiteral("no date")));
    EXPECT_TRUE(
        writer.SetPngProperty(pngProp_DateTimeModified, QStringLiteral("2026-03-04T05:06:07")));
    EXPECT_EQ(writer.GetPngProperty(pngProp_DateTimeModified).toDateTime(),
              QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    ASSERT_TRUE(
        writer.SetPngProperty(pngProp_Miscellaneous, QStringLiteral("m"), QStringLiteral("Kept")));
    EXPECT_TRUE(writer.RemovePngProperty(pngProp_DateTimeModified));
    EXPECT_EQ(writer.GetPngProperty(pngProp_Miscellaneous, QStringLiteral("kept")).toString(), "m");
    EXPECT_EQ(writer.GetPngProperty(pngProp_DateTimeModified).toDateTime(),
              QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
}

// Modification dates as people type them are dates; text that only looks like one is not.
TEST_F(PngWriterTest, ModificationDateFromOrdinaryDateText)
{
    const QDate day(2024, 12, 10);
    const struct {
        const char* text;
        QDateTime expected;
    } accepted[] = {
        {"12/10/2024 8:30:15 AM", QDateTime(day, QTime(8, 30, 15))},
        {"12/10/2024 8:30:15 PM", QDateTime(day, QTime(20, 30, 15))},
        {"12/10/2024 20:30", QDateTime(day, QTime(20, 30))},
        {"12/10/2024", day.startOfDay()},
        {"12-10-24", day.startOfDay()},
        {"2024/12/10", day.startOfDay()},
        {"December 10, 2024", day.startOfDay()},
        {"Dec 10, 2024 8:30 AM", QDateTime(day, QTime(8, 30))},
        {"10 December 2024", day.startOfDay()},
        {"10-Dec-2024", day.startOfDay()},
        {"  December   10,  2024 ", day.startOfDay()},
        {"8:30:15 AM", QDateTime(QDate(1899, 12, 30), QTime(8, 30, 15))},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(writer.SetPngProperty(pngProp_DateTimeModified, QString::fromLatin1(c.text)));
        EXPECT_EQ(writer.GetPngProperty(pngProp_DateTimeModified).toDateTime(), c.expected);
    }
    for (const char* refused :
         {"13/45/2024", "December 32, 2024", "25:00", "10 Smarch 2024", "12/10/2024 8:30 XM"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(writer.SetPngProperty(pngProp_DateTimeModified, QString::fromLatin1(refused)));
    }
}

TEST_F(PngWriterTest, PaletteBackgroundWithoutRoom)
{
    c32bppDIB dib;
    makeImage(dib, 16, 16, false, [](int x, int y) { return opaque(x * 16, y * 16, 7); });
    ASSERT_TRUE(writer.SetPngProperty(pngProp_DefaultBkgColor, 0x010203));
    EXPECT_EQ(find(chunksOf(write(dib)), "bKGD"), nullptr);
    makeImage(dib, 255, 1, false, [](int x, int) { return opaque(x, 0, 7); });
    const auto chunks = chunksOf(write(dib));
    EXPECT_EQ(find(chunks, "bKGD")->data, (std::vector<std::uint8_t>{255}));
    EXPECT_EQ(std::vector<std::uint8_t>(find(chunks, "PLTE")->data.end() - 3,
                                        find(chunks, "PLTE")->data.end()),
              (std::vector<std::uint8_t>{3, 2, 1}));
    EXPECT_EQ(writer.GetPngProperty(pngProp_DefaultBkgColor).toInt(), 0x010203);
    // Grey and RGB images carry the colour as 16-bit samples.
    makeImage(dib, 2, 1, false, [](int x, int) { return opaque(x * 9, x * 9, x * 9); });
    EXPECT_EQ(find(chunksOf(write(dib)), "bKGD")->data, (std::vector<std::uint8_t>{0, 3}));
}

TEST_F(PngWriterTest, FilesAndFailures)
{
    testsupport::TempFolder folder;
    const QString path = folder.filePath("out.png");
    c32bppDIB empty;
    QByteArray stream("old");
    EXPECT_FALSE(writer.WritePng(empty, path, stream));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(writer.WritePng(empty, QString(), stream));
    EXPECT_TRUE(stream.isEmpty());

    c32bppDIB dib;
    makeImage(dib, 9, 4, true, [](int x, int y) { return opaque(x * 20, y * 30, 5); });
    // An existing file keeps its permission bits when replaced.
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous");
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(writer.WritePng(dib, path, stream));
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther),
              QFileDevice::Permissions(QFile::ReadGroup));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(decodeWithLibpng(std::vector<std::uint8_t>(bytes.begin(), bytes.end())).ok);
    written.close();

    // Without zlib the write fails and the old file stays as it was.
    dynload::setLibraryNames({});
    EXPECT_FALSE(writer.WritePng(dib, path, stream));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), bytes);
    EXPECT_FALSE(writer.WritePng(dib, folder.filePath("new.png"), stream));
    EXPECT_FALSE(QFile::exists(folder.filePath("new.png")));

    // A zlib that compresses but has no crc32 fails at the first chunk.
    dynload::setLibraryNames({{QStringLiteral("zlib1.dll"),
                               QString(),
                               {{QByteArray("compress2"), reinterpret_cast<void*>(&compress2)}}}});
    stream = "x";
    EXPECT_FALSE(writer.WritePng(dib, QString(), stream));
    EXPECT_TRUE(stream.isEmpty());
}

TEST_F(PngWriterTest, ZlibFoundUnderEitherNameWithCompressOrCompress2)
{
    c32bppDIB dib;
    makeImage(dib, 40, 30, true, [](int x, int y) { return opaque(x * 6, y * 8, (x * y) & 255); });
    // Only "zlib.dll", and it lacks compress2: plain compress is used and the file is valid.
    dynload::setLibraryNames({{QStringLiteral("zlib.dll"),
                               QString(),
                               {{QByteArray("compress"), reinterpret_cast<void*>(&compress)},
                                {QByteArray("crc32"), reinterpret_cast<void*>(&crc32)}}}});
    const QByteArray png = write(dib);
    ASSERT_FALSE(png.isEmpty());
    EXPECT_TRUE(decodeWithLibpng(std::vector<std::uint8_t>(png.begin(), png.end())).ok);
}
