#include "platform/bytes/ByteReader.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>

using namespace bytes;

namespace {

// Eight bytes with the high bit set, so that signed reads come out negative.
constexpr std::array<uint8_t, 8> Data = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88};

// A read's outcome as one comparable value: the number, or nothing with the error's kind.
struct Outcome {
    std::optional<int64_t> value;
    DecodeErrorKind kind = DecodeErrorKind::Malformed;
};

template <class T>
Outcome outcome(const Result<T>& result)
{
    if (result)
        return {static_cast<int64_t>(result.value())};
    return {std::nullopt, result.error().kind};
}

struct NumberRead {
    const char* name;
    size_t width;
    int64_t atZero;  // the value read from the start of Data
    std::function<Outcome(ByteReader&)> next;
    std::function<Outcome(const ByteReader&, size_t)> at;
};

#define READ(name, width, atZero)                                                                \
    NumberRead                                                                                   \
    {                                                                                            \
#name, width, atZero,                                                                    \
            [](ByteReader &                                                                      \
               r) { return outcome(r.name()); }, [](const ByteReader& r,                         \
                                                    size_t o) { return outcome(r.name##At(o)); } \
    }
#define READ_NEXT_ONLY(name, width, atZero)                                             \
    NumberRead                                                                          \
    {                                                                                   \
#name, width, atZero, [](ByteReader & r) { return outcome(r.name()); }, nullptr \
    }

const NumberRead Reads[] = {
    READ(u8, 1, 0x81),
    READ_NEXT_ONLY(i8, 1, -127),
    READ(u16le, 2, 0x8281),
    READ(u16be, 2, 0x8182),
    READ(i16le, 2, int16_t(0x8281)),
    READ(i16be, 2, int16_t(0x8182)),
    READ(u32le, 4, 0x84838281),
    READ(u32be, 4, 0x81828384),
    READ(i32le, 4, int32_t(0x84838281)),
    READ(i32be, 4, int32_t(0x81828384)),
    READ_NEXT_ONLY(u64le, 8, int64_t(0x8887868584838281)),
    READ_NEXT_ONLY(u64be, 8, int64_t(0x8182838485868788)),
};

}  // namespace

TEST(ByteReader, EveryNumberReadAtEveryBoundary)
{
    for (const NumberRead& read : Reads) {
        SCOPED_TRACE(read.name);
        ByteReader whole(Data.data(), Data.size());
        EXPECT_EQ(read.next(whole).value, read.atZero);
        EXPECT_EQ(whole.position(), read.width);

        for (size_t offset = 0; offset <= Data.size(); ++offset) {
            SCOPED_TRACE(offset);
            const bool fits = offset + read.width <= Data.size();
            ByteReader reader(Data);
            ASSERT_TRUE(reader.seek(offset));
            const Outcome byCursor = read.next(reader);
            if (fits) {
                ASSERT_TRUE(byCursor.value);
                EXPECT_EQ(reader.position(), offset + read.width);
            } else {
                EXPECT_FALSE(byCursor.value);
                EXPECT_EQ(byCursor.kind, DecodeErrorKind::Truncated);
                EXPECT_EQ(reader.position(), offset);
            }
            if (!read.at)
                continue;
            // Reads at an offset agree with reads at the cursor and never move it.
            ByteReader fixed(Data);
            ASSERT_TRUE(fixed.skip(3));
            const Outcome byOffset = read.at(fixed, offset);
            EXPECT_EQ(fixed.position(), 3u);
            EXPECT_EQ(byOffset.value, fits ? byCursor.value : std::nullopt);
            if (!fits) {
                EXPECT_EQ(byOffset.kind, DecodeErrorKind::Truncated);
            }
        }
    }
}

TEST(ByteReader, EmptyAndOffsetsNearTheTopOfSizeT)
{
    ByteReader empty;
    EXPECT_TRUE(empty.atEnd());
    EXPECT_FALSE(empty.u8());
    EXPECT_FALSE(empty.peekU8());
    EXPECT_TRUE(empty.seek(0));
    EXPECT_TRUE(empty.skip(0));
    EXPECT_TRUE(empty.bytes(0));

    ByteReader reader(Data);
    const size_t huge = SIZE_MAX - 1;
    EXPECT_FALSE(reader.u32leAt(huge));
    EXPECT_FALSE(reader.bytesAt(4, SIZE_MAX));
    EXPECT_FALSE(reader.bytesAt(SIZE_MAX, 0));
    ASSERT_TRUE(reader.skip(2));
    EXPECT_FALSE(reader.skip(SIZE_MAX));
    EXPECT_FALSE(reader.bytes(SIZE_MAX - 1));
    EXPECT_FALSE(reader.subReader(SIZE_MAX));
    EXPECT_EQ(reader.position(), 2u);
}

TEST(ByteReader, SeekSkipAndPeek)
{
    ByteReader reader(Data);
    EXPECT_EQ(reader.size(), 8u);
    EXPECT_EQ(reader.peekU8().value(), 0x81);
    EXPECT_EQ(reader.position(), 0u);

    EXPECT_TRUE(reader.skip(8));
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_FALSE(reader.peekU8());

    EXPECT_TRUE(reader.seek(5));
    EXPECT_EQ(reader.remaining(), 3u);
    EXPECT_FALSE(reader.skip(4));
    EXPECT_EQ(reader.position(), 5u);
    const Status pastEnd = reader.seek(9);
    ASSERT_FALSE(pastEnd);
    EXPECT_EQ(pastEnd.error().kind, DecodeErrorKind::Truncated);
    EXPECT_EQ(reader.position(), 5u);
    EXPECT_EQ(reader.rest().size(), 3u);
}

TEST(ByteReader, BytesCopiesAndSubReaders)
{
    ByteReader reader(Data);
    ASSERT_TRUE(reader.skip(1));
    const auto span = reader.bytes(3);
    ASSERT_TRUE(span);
    EXPECT_EQ(span.value().data(), Data.data() + 1);
    EXPECT_EQ(span.value().size(), 3u);

    std::array<uint8_t, 2> copy{};
    ASSERT_TRUE(reader.read(copy));
    EXPECT_EQ(copy, (std::array<uint8_t, 2>{0x85, 0x86}));
    std::array<uint8_t, 3> tooMany{};
    EXPECT_FALSE(reader.read(tooMany));
    EXPECT_EQ(tooMany, (std::array<uint8_t, 3>{}));
    EXPECT_EQ(reader.position(), 6u);

    // A sub-reader sees only its own bytes, from offset 0, and cannot read past them.
    ASSERT_TRUE(reader.seek(2));
    auto sub = reader.subReader(4);
    ASSERT_TRUE(sub);
    EXPECT_EQ(reader.position(), 6u);
    EXPECT_EQ(sub.value().size(), 4u);
    EXPECT_EQ(sub.value().u16beAt(2).value(), 0x8586);
    EXPECT_FALSE(sub.value().u32leAt(1));
    EXPECT_EQ(sub.value().u32le().value(), 0x86858483u);
    EXPECT_FALSE(sub.value().u8());
    EXPECT_FALSE(reader.subReader(3));
    EXPECT_TRUE(reader.subReader(2));
    EXPECT_TRUE(reader.atEnd());
}

TEST(ByteReader, MagicAndQByteArray)
{
    const QByteArray file("RIFF\x04\x00\x00\x00WAVE", 12);
    ByteReader reader(file);
    EXPECT_TRUE(reader.startsWith("RIFF"));
    EXPECT_FALSE(reader.startsWith("RIFX"));
    EXPECT_EQ(reader.position(), 0u);

    const Status wrong = reader.expect("RIFX");
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().kind, DecodeErrorKind::Malformed);
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_TRUE(reader.expect("RIFF"));
    EXPECT_EQ(reader.u32le().value(), 4u);
    EXPECT_FALSE(reader.startsWith("WAVE!"));
    const Status shortMagic = reader.expect("WAVE!");
    ASSERT_FALSE(shortMagic);
    EXPECT_EQ(shortMagic.error().kind, DecodeErrorKind::Truncated);
    EXPECT_TRUE(reader.expect("WAVE"));
    EXPECT_TRUE(reader.atEnd());
}

TEST(DecodeResult, ValueErrorAndContext)
{
    const Result<int> good = 7;
    const Result<int> bad = DecodeError::malformed(QStringLiteral("bad sign"));
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.value(), 7);
    EXPECT_EQ(good.valueOr(3), 7);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.valueOr(3), 3);
    EXPECT_EQ(bad.error().within(QStringLiteral("header")).text,
              QStringLiteral("header: bad sign"));

    Result<QString> text = QStringLiteral("a");
    text.value() += u'b';
    EXPECT_EQ(text.value(), QStringLiteral("ab"));

    const Status done;
    const Status failed = DecodeError::unsupported(QStringLiteral("v9"));
    EXPECT_TRUE(done);
    EXPECT_EQ(failed.error().kind, DecodeErrorKind::Unsupported);
    EXPECT_DEATH((void)bad.value(), "value\\(\\) of a failed result");
    EXPECT_DEATH((void)done.error(), "error\\(\\) of a good status");
}
