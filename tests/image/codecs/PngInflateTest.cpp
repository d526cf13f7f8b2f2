#include "PngBytes.h"
#include "image/codecs/PngInflate.h"

#include <gtest/gtest.h>

using XrImage::png::InflateStream;
using namespace pngtest;

namespace {

std::vector<std::uint8_t> sampleData(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] =
            (i > 40 && random() % 3) ? data[i - 1 - random() % 40] : std::uint8_t(random() % 16);
    return data;
}

bool inflate(const std::vector<std::uint8_t>& input, std::vector<std::uint8_t>& output,
             std::size_t* produced = nullptr)
{
    return InflateStream(output, input, false, produced);
}

// Writes bits least significant first; Huffman codes go most significant bit first.
struct BitWriter {
    BitWriter()
    {
        // The zlib header byte by byte: GCC 12's optimiser takes a braced list here for
        // uninitialised memory (-Wmaybe-uninitialized) in Release builds.
        bytes.push_back(0x78);
        bytes.push_back(0x01);
    }
    std::vector<std::uint8_t> bytes;
    int used = 8;
    void bits(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (used == 8) {
                bytes.push_back(0);
                used = 0;
            }
            bytes.back() |= std::uint8_t(((value >> i) & 1) << used++);
        }
    }
    void code(std::uint32_t value, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            bits((value >> i) & 1, 1);
    }
};

}  // namespace

TEST(PngInflateTest, DecodesWhatZlibWritesAtEveryLevelAndStrategy)
{
    const std::vector<std::uint8_t> data = sampleData(200000, 3);
    for (int level : {0, 1, 6, 9}) {
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
            const std::vector<std::uint8_t> compressed = zlibCompress(data, level, strategy);
            std::vector<std::uint8_t> output(data.size());
            std::size_t produced = 0;
            ASSERT_TRUE(inflate(compressed, output, &produced)) << level << " " << strategy;
            EXPECT_EQ(produced, data.size());
            EXPECT_TRUE(output == data) << level << " " << strategy;
        }
    }
}

TEST(PngInflateTest, OutputLimitAndShortStreams)
{
    const std::vector<std::uint8_t> data = sampleData(5000, 4);
    const std::vector<std::uint8_t> compressed = zlibCompress(data);
    std::vector<std::uint8_t> tooSmall(data.size() - 1);
    EXPECT_FALSE(inflate(compressed, tooSmall));
    // Fewer bytes than the room: success, the rest untouched.
    std::vector<std::uint8_t> roomy(data.size() + 100, 0);
    std::size_t produced = 0;
    ASSERT_TRUE(inflate(compressed, roomy, &produced));
    EXPECT_EQ(produced, data.size());
    EXPECT_EQ(roomy.back(), 0);
    // The header is not checked; the trailer is never read.
    std::vector<std::uint8_t> odd = compressed;
    odd[0] = 0x12;
    odd[1] = 0x34;
    odd.resize(odd.size() - 4);
    std::vector<std::uint8_t> output(data.size());
    EXPECT_TRUE(inflate(odd, output));
    EXPECT_TRUE(output == data);
    // Every truncation of the deflate data fails without reading past it.
    for (std::size_t cut = 0; cut + 4 < compressed.size(); cut += 7) {
        const std::vector<std::uint8_t> truncated(compressed.begin(),
                                                  compressed.begin() + long(cut));
        EXPECT_FALSE(inflate(truncated, output)) << cut;
    }
}

TEST(PngInflateTest, StoredBlocks)
{
    const std::vector<std::uint8_t> data = sampleData(70000, 5);
    std::vector<std::uint8_t> stored = zlibCompress(data, 0);
    std::vector<std::uint8_t> output(data.size());
    ASSERT_TRUE(inflate(stored, output));
    EXPECT_TRUE(output == data);
    // LEN and NLEN that disagree fail.
    stored[5] ^= 1;
    EXPECT_FALSE(inflate(stored, output));
    // BTYPE 3 fails.
    EXPECT_FALSE(inflate({0x78, 0x01, 0x07, 0, 0}, output));
}

TEST(PngInflateTest, DynamicBlockWithASingleDistanceCode)
{
    // Literal/length code: 'a' 1 bit, end 2 bits, length 3 two bits; one distance code of 1 bit.
    BitWriter w;
    w.bits(1, 1);   // final
    w.bits(2, 2);   // dynamic
    w.bits(1, 5);   // 258 literal/length codes
    w.bits(0, 5);   // 1 distance code
    w.bits(14, 4);  // 18 code-length codes
    // Order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1: symbols 0, 1, 2 and 18 take 2 bits.
    const int order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (int symbol : order)
        w.bits((symbol == 0 || symbol == 1 || symbol == 2 || symbol == 18) ? 2 : 0, 3);
    // Codes: 0 -> 00, 1 -> 01, 2 -> 10, 18 -> 11.
    w.code(3, 2);
    w.bits(97 - 11, 7);  // 97 zeros
    w.code(1, 2);        // 'a': 1
    w.code(3, 2);
    w.bits(138 - 11, 7);  // 138 zeros
    w.code(3, 2);
    w.bits(20 - 11, 7);  // 20 zeros: up to 255
    w.code(2, 2);        // 256: 2
    w.code(2, 2);        // 257: 2
    w.code(1, 2);        // distance 0: 1
    w.code(0, 1);        // 'a'
    w.code(3, 2);        // length 3
    w.code(0, 1);        // distance 1
    w.code(2, 2);        // end
    std::vector<std::uint8_t> output(4);
    std::size_t produced = 0;
    ASSERT_TRUE(inflate(w.bytes, output, &produced));
    EXPECT_EQ(produced, 4u);
    EXPECT_EQ(output, (std::vector<std::uint8_t>{'a', 'a', 'a', 'a'}));
}

TEST(PngInflateTest, MalformedCodesFail)
{
    // A repeat code before any length.
    BitWriter w;
    w.bits(1, 1);
    w.bits(2, 2);
    w.bits(0, 5);
    w.bits(0, 5);
    w.bits(0, 4);  // 4 code-length codes: 16 17 18 0
    w.bits(1, 3);
    w.bits(1, 3);
    w.bits(0, 3);
    w.bits(0, 3);
    w.code(0, 1);  // symbol 16 first
    w.bits(0, 2);
    std::vector<std::uint8_t> output(100);
    EXPECT_FALSE(inflate(w.bytes, output));
    // A distance before the output's start.
    BitWriter far;
    far.bits(1, 1);
    far.bits(1, 2);  // fixed codes
    far.code(0x30 + 'x', 8);
    far.code(1, 7);  // length 3
    far.code(3, 5);  // distance 4 (code 3)
    far.code(0, 7);  // end
    EXPECT_FALSE(inflate(far.bytes, output));
}
