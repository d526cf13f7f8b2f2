#include "platform/bytes/CheckedSize.h"
#include "platform/bytes/DecodeLimits.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

using namespace bytes;

namespace {

constexpr uint64_t Max64 = std::numeric_limits<uint64_t>::max();

// The value, or nothing with the error's kind.
struct Expected {
    std::optional<uint64_t> value;
    DecodeErrorKind kind = DecodeErrorKind::Overflow;
};

void expectResult(const Result<uint64_t>& result, const Expected& expected)
{
    if (expected.value) {
        ASSERT_TRUE(result) << result.error().text.toStdString();
        EXPECT_EQ(result.value(), *expected.value);
    } else {
        ASSERT_FALSE(result) << result.value();
        EXPECT_EQ(result.error().kind, expected.kind);
    }
}

void expectStatus(const Status& status, std::optional<DecodeErrorKind> failure)
{
    if (!failure) {
        EXPECT_TRUE(status) << status.error().text.toStdString();
    } else {
        ASSERT_FALSE(status);
        EXPECT_EQ(status.error().kind, *failure);
    }
}

}  // namespace

TEST(CheckedSize, SumsAndProductsAtTheEdgeOf64Bits)
{
    const struct {
        uint64_t a, b;
        Expected sum, product;
    } cases[] = {
        {0, 0, {0}, {0}},
        {Max64, 0, {Max64}, {0}},
        {Max64 - 1, 1, {Max64}, {Max64 - 1}},
        {Max64, 1, {}, {Max64}},
        {uint64_t{1} << 63, uint64_t{1} << 63, {}, {}},
        {uint64_t{1} << 32,
         uint64_t{1} << 31,
         {(uint64_t{1} << 32) + (uint64_t{1} << 31)},
         {uint64_t{1} << 63}},
        {uint64_t{1} << 32, uint64_t{1} << 32, {uint64_t{1} << 33}, {}},
        {Max64 / 3, 3, {Max64 / 3 + 3}, {Max64}},
        {Max64 / 3 + 1, 3, {Max64 / 3 + 4}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
        expectResult(checkedAdd(c.a, c.b), c.sum);
        expectResult(checkedAdd(c.b, c.a), c.sum);
        expectResult(checkedMul(c.a, c.b), c.product);
        expectResult(checkedMul(c.b, c.a), c.product);
    }
    // Header fields are often signed: a negative one is refused, never wrapped to a huge size.
    expectResult(checkedAdd(int32_t{-1}, 1u), {});
    expectResult(checkedMul(7, int64_t{-2}), {});
    expectResult(checkedMul(int32_t{0x7FFFFFFF}, int32_t{0x7FFFFFFF}), {0x3FFFFFFF00000001});
}

TEST(CheckedSize, RangesAreTestedWithoutOverflow)
{
    EXPECT_TRUE(rangeFits(0, 0, 0));
    EXPECT_TRUE(rangeFits(10, 0, 10));
    EXPECT_TRUE(rangeFits(4, 6, 10));
    EXPECT_FALSE(rangeFits(4, 7, 10));
    EXPECT_FALSE(rangeFits(11, 0, 10));
    EXPECT_FALSE(rangeFits(8, Max64, 10));  // 8 + Max64 wraps to 7, which a naive sum accepts
    EXPECT_FALSE(rangeFits(Max64, 2, Max64));
    EXPECT_TRUE(rangeFits(Max64 - 2, 2, Max64));
}

TEST(CheckedSize, ImageAndRowBytes)
{
    const struct {
        int64_t width, height, depth;
        Expected bytes;
    } images[] = {
        {1, 1, 4, {4}},
        {640, 480, 3, {921600}},
        {0, 10, 4, {std::nullopt, DecodeErrorKind::Malformed}},
        {10, -1, 4, {std::nullopt, DecodeErrorKind::Malformed}},
        {10, 10, 0, {std::nullopt, DecodeErrorKind::Malformed}},
        {0x7FFFFFFF, 1, 1, {0x7FFFFFFF}},  // exactly the limit
        {0x40000000, 2, 1, {std::nullopt, DecodeErrorKind::LimitExceeded}},
        {23171, 23171, 4, {std::nullopt, DecodeErrorKind::LimitExceeded}},
        {INT64_MAX, INT64_MAX, 4, {std::nullopt, DecodeErrorKind::Overflow}},
        {int64_t{1} << 31, int64_t{1} << 31, 8, {std::nullopt, DecodeErrorKind::Overflow}},
    };
    for (const auto& c : images) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.depth);
        expectResult(imageBytes(c.width, c.height, c.depth), c.bytes);
    }
    expectResult(imageBytes(100, 100, 4, 40000), {40000});
    expectResult(imageBytes(100, 100, 4, 39999), {std::nullopt, DecodeErrorKind::LimitExceeded});

    const struct {
        int64_t width, bits;
        uint64_t alignment;
        Expected bytes;
    } rows[] = {
        {1, 1, 1, {1}},
        {8, 1, 1, {1}},
        {9, 1, 1, {2}},
        {9, 1, 4, {4}},
        {3, 24, 4, {12}},
        {5, 24, 4, {16}},
        {7, 4, 4, {4}},
        {1, 32, 4, {4}},
        {0, 8, 1, {std::nullopt, DecodeErrorKind::Malformed}},
        {8, 8, 0, {std::nullopt, DecodeErrorKind::Malformed}},
        {INT64_MAX, 64, 1, {std::nullopt, DecodeErrorKind::Overflow}},
        {INT64_MAX, 1, 4, {uint64_t{1} << 60}},  // rounding up never adds before dividing
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(testing::Message() << c.width << " at " << c.bits << "/" << c.alignment);
        expectResult(rowBytes(c.width, c.bits, c.alignment), c.bytes);
    }
}

TEST(DecodeLimits, ImageSizeChunksAndBudget)
{
    const DecodeLimits standard = DecodeLimits::standard();
    EXPECT_EQ(standard.maxImageBytes, 0x7FFFFFFFu);
    constexpr auto Limit = DecodeErrorKind::LimitExceeded;

    DecodeLimits small;
    small.maxWidth = 100;
    small.maxHeight = 50;
    small.maxPixels = 4000;
    small.maxImageBytes = 12000;
    const struct {
        int64_t width, height, depth;
        std::optional<DecodeErrorKind> failure;
    } cases[] = {
        {100, 40, 3, {}},
        {100, 40, 4, Limit},
        {101, 1, 1, Limit},
        {1, 51, 1, Limit},
        {80, 50, 1, {}},
        {81, 50, 1, Limit},
        {0, 1, 1, DecodeErrorKind::Malformed},
        {1, -5, 1, DecodeErrorKind::Malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.depth);
        expectStatus(checkImageSize(small, c.width, c.height, c.depth), c.failure);
    }
    expectStatus(checkImageSize(standard, 8192, 8192, 4), {});
    expectStatus(checkImageSize(standard, 1 << 21, 1, 1), Limit);
    expectStatus(checkImageSize(standard, INT64_MAX, INT64_MAX, 4), DecodeErrorKind::Overflow);

    small.maxChunkBytes = 10;
    expectStatus(checkChunkSize(small, 10), {});
    expectStatus(checkChunkSize(small, 11), Limit);

    small.maxTotalBytes = 100;
    DecodeBudget budget(small);
    expectStatus(budget.take(60), {});
    expectStatus(budget.take(41), Limit);
    EXPECT_EQ(budget.used(), 60u);
    expectStatus(budget.take(40), {});
    expectStatus(budget.take(Max64), Limit);
    expectStatus(budget.take(0), {});
    EXPECT_EQ(budget.used(), 100u);
}
