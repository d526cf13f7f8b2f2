#include "image/codecs/PngInflate.h"

#include <array>
#include <cstring>
#include <vector>

namespace XrImage::png {

namespace {

constexpr std::array<std::uint16_t, 29> lengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                   15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                   67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> lengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Codes 30 and 31 belong to the 64 KB window variant; in a 32 KB stream they reach before
// the output's start long before they could be valid, and fail there.
constexpr std::array<std::uint32_t, 32> distanceBase{
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<std::uint8_t, 32> distanceExtra{0,  0,  0,  0,  1,  1,  2,  2,  3,  3, 4,
                                                     4,  5,  5,  6,  6,  7,  7,  8,  8,  9, 9,
                                                     10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr std::array<std::uint8_t, 19> codeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};

struct Failure {};

// A direct lookup table indexed by the next `longest` input bits (least significant bit first):
// each entry holds symbol << 8 | code length, 0 where no code starts with those bits.
struct HuffmanTable {
    std::vector<std::uint32_t> entries;
    int longest = 0;
    std::uint32_t mask = 0;
};

std::uint32_t reverseBits(std::uint32_t code, int length)
{
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return reversed;
}

// Canonical codes from code lengths. Refuses over-subscribed codes and incomplete ones, except
// a code with a single one-bit code or none at all, which RFC 1951 allows (a stream that then
// uses a missing code fails where it does).
void buildTable(const std::uint8_t* lengths, int count, HuffmanTable& table,
                bool allowSparse = true)
{
    std::array<int, 17> lengthCount{};
    for (int symbol = 0; symbol < count; ++symbol) {
        if (lengths[symbol] > 16)
            throw Failure{};
        ++lengthCount[lengths[symbol]];
    }
    int longest = 0;
    for (int length = 1; length <= 16; ++length)
        if (lengthCount[length])
            longest = length;
    int left = 1;
    for (int length = 1; length <= longest; ++length) {
        left = left * 2 - lengthCount[length];
        if (left < 0)
            throw Failure{};
    }
    if (left > 0 && (longest > 1 || !allowSparse))
        throw Failure{};
    table.longest = longest == 0 ? 1 : longest;
    table.mask = (1u << table.longest) - 1;
    table.entries.assign(std::size_t(1) << table.longest, 0);
    std::array<std::uint32_t, 17> next{};
    for (int length = 2; length <= 16; ++length)
        next[length] = (next[length - 1] + std::uint32_t(lengthCount[length - 1])) * 2;
    for (int symbol = 0; symbol < count; ++symbol) {
        const int length = lengths[symbol];
        if (length == 0)
            continue;
        const std::uint32_t code = reverseBits(next[length]++, length);
        const std::uint32_t entry = std::uint32_t(symbol) << 8 | std::uint32_t(length);
        for (std::uint32_t index = code; index < table.entries.size(); index += 1u << length)
            table.entries[index] = entry;
    }
}

class Inflater {
public:
    Inflater(std::span<std::uint8_t> output, std::span<const std::uint8_t> input, bool deflate64)
        : m_out(output.data()),
          m_outLimit(output.size()),
          m_in(input.data()),
          m_inSize(input.size()),
          m_deflate64(deflate64)
    {
    }

    std::size_t run()
    {
        m_pos = 2;  // the zlib header is not checked
        if (m_pos > m_inSize)
            throw Failure{};
        bool final = false;
        while (!final) {
            final = getBits(1) != 0;
            switch (getBits(2)) {
                case 0:
                    storedBlock();
                    break;
                case 1:
                    if (m_fixedLiterals.entries.empty())
                        buildFixedTables();
                    codedBlock(m_fixedLiterals, m_fixedDistances);
                    break;
                case 2:
                    readDynamicCodes();
                    codedBlock(m_literals, m_distances);
                    break;
                default:
                    throw Failure{};
            }
        }
        return m_outPos;
    }

private:
    void refill()
    {
        if (m_pos + 8 <= m_inSize) {
            std::uint64_t word;
            std::memcpy(&word, m_in + m_pos, 8);
            m_bitBuffer |= word << m_bitCount;
            const int taken = (63 - m_bitCount) >> 3;
            m_pos += std::size_t(taken);
            m_bitCount += taken * 8;
            return;
        }
        while (m_bitCount <= 56 && m_pos < m_inSize) {
            m_bitBuffer |= std::uint64_t(m_in[m_pos++]) << m_bitCount;
            m_bitCount += 8;
        }
    }

    std::uint32_t getBits(int count)
    {
        if (count == 0)
            return 0;
        if (m_bitCount < count) {
            refill();
            if (m_bitCount < count)
                throw Failure{};
        }
        const auto value = std::uint32_t(m_bitBuffer & ((std::uint64_t(1) << count) - 1));
        m_bitBuffer >>= count;
        m_bitCount -= count;
        return value;
    }

    std::uint32_t decodeSymbol(const HuffmanTable& table)
    {
        if (m_bitCount < table.longest)
            refill();
        const std::uint32_t entry = table.entries[std::size_t(m_bitBuffer & table.mask)];
        const int length = int(entry & 0xFF);
        if (length == 0 || length > m_bitCount)
            throw Failure{};
        m_bitBuffer >>= length;
        m_bitCount -= length;
        return entry >> 8;
    }

    void storedBlock()
    {
        // Whole bytes the bit buffer read ahead go back to the input; the partial byte is dropped.
        m_bitCount -= m_bitCount % 8;
        m_pos -= std::size_t(m_bitCount / 8);
        m_bitBuffer = 0;
        m_bitCount = 0;
        if (m_inSize < 4 || m_pos > m_inSize - 4)
            throw Failure{};
        const std::uint32_t length = m_in[m_pos] | std::uint32_t(m_in[m_pos + 1]) << 8;
        const std::uint32_t complement = m_in[m_pos + 2] | std::uint32_t(m_in[m_pos + 3]) << 8;
        if (length != (~complement & 0xFFFF))
            throw Failure{};
        m_pos += 4;
        if (length > m_inSize - m_pos || length > m_outLimit - m_outPos)
            throw Failure{};
        std::memcpy(m_out + m_outPos, m_in + m_pos, length);
        m_pos += length;
        m_outPos += length;
    }

    void buildFixedTables()
    {
        std::array<std::uint8_t, 288> literal{};
        std::fill(literal.begin(), literal.begin() + 144, 8);
        std::fill(literal.begin() + 144, literal.begin() + 256, 9);
        std::fill(literal.begin() + 256, literal.begin() + 280, 7);
        std::fill(literal.begin() + 280, literal.end(), 8);
        buildTable(literal.data(), 288, m_fixedLiterals);
        std::array<std::uint8_t, 32> distance;
        distance.fill(5);
        buildTable(distance.data(), 32, m_fixedDistances);
    }

    void readDynamicCodes()
    {
        const int literalCount = int(getBits(5)) + 257;
        const int distanceCount = int(getBits(5)) + 1;
        const int codeLengthCount = int(getBits(4)) + 4;
        std::array<std::uint8_t, 19> codeLengths{};
        for (int i = 0; i < codeLengthCount; ++i)
            codeLengths[codeLengthOrder[std::size_t(i)]] = std::uint8_t(getBits(3));
        HuffmanTable codeLengthTable;
        buildTable(codeLengths.data(), 19, codeLengthTable, false);

        std::array<std::uint8_t, 320> lengths{};
        const int total = literalCount + distanceCount;
        int filled = 0;
        while (filled < total) {
            const std::uint32_t symbol = decodeSymbol(codeLengthTable);
            if (symbol < 16) {
                lengths[std::size_t(filled++)] = std::uint8_t(symbol);
                continue;
            }
            int repeat = 0;
            std::uint8_t value = 0;
            if (symbol == 16) {
                if (filled == 0)
                    throw Failure{};
                value = lengths[std::size_t(filled - 1)];
                repeat = 3 + int(getBits(2));
            } else if (symbol == 17) {
                repeat = 3 + int(getBits(3));
            } else {
                repeat = 11 + int(getBits(7));
            }
            if (filled + repeat > total)
                throw Failure{};
            std::fill_n(lengths.begin() + filled, repeat, value);
            filled += repeat;
        }
        buildTable(lengths.data(), literalCount, m_literals);
        buildTable(lengths.data() + literalCount, distanceCount, m_distances);
    }

    void codedBlock(const HuffmanTable& literals, const HuffmanTable& distances)
    {
        for (;;) {
            if (m_bitCount < 48)
                refill();
            const std::uint32_t symbol = decodeSymbol(literals);
            if (symbol < 256) {
                if (m_outPos >= m_outLimit)
                    throw Failure{};
                m_out[m_outPos++] = std::uint8_t(symbol);
                continue;
            }
            if (symbol == 256)
                return;
            const std::uint32_t lengthCode = symbol - 257;
            if (lengthCode >= lengthBase.size())
                throw Failure{};
            std::size_t length = lengthBase[lengthCode] + getBits(lengthExtra[lengthCode]);
            if (m_deflate64 && length == 258)
                length = 3 + getBits(16);
            const std::uint32_t distanceCode = decodeSymbol(distances);
            if (distanceCode >= distanceBase.size())
                throw Failure{};
            const std::size_t distance =
                distanceBase[distanceCode] + getBits(distanceExtra[distanceCode]);
            if (distance > m_outPos || length > m_outLimit - m_outPos)
                throw Failure{};
            std::uint8_t* to = m_out + m_outPos;
            const std::uint8_t* from = to - distance;
            if (distance >= length) {
                std::memcpy(to, from, length);
            } else {
                // Overlapping copies repeat the bytes just written.
                for (std::size_t i = 0; i < length; ++i)
                    to[i] = from[i];
            }
            m_outPos += length;
        }
    }

    std::uint8_t* m_out;
    std::size_t m_outLimit;
    std::size_t m_outPos = 0;
    const std::uint8_t* m_in;
    std::size_t m_inSize;
    std::size_t m_pos = 0;
    std::uint64_t m_bitBuffer = 0;
    int m_bitCount = 0;
    bool m_deflate64;
    HuffmanTable m_literals;
    HuffmanTable m_distances;
    HuffmanTable m_fixedLiterals;
    HuffmanTable m_fixedDistances;
};

}  // namespace

bool InflateStream(std::span<std::uint8_t> output, std::span<const std::uint8_t> input,
                   bool deflate64, std::size_t* produced)
{
    Inflater inflater(output, input, deflate64);
    try {
        const std::size_t written = inflater.run();
        if (produced)
            *produced = written;
        return true;
    } catch (const Failure&) {
        return false;
    }
}

}  // namespace XrImage::png
