// The block-structured sequence behind paragraph and line lookups, against a plain vector with
// prefix sums over the same items, after many random insertions, removals, updates and
// rebuilds, from sizes where it is one block to many blocks that split and merge.
#include "platform/richedit/model/BlockSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

struct Item {
    int id = 0;
    int64_t span = 0;
    int64_t lines = 0;  // often 0, as for a hidden paragraph
};

struct ItemMeasure {
    static constexpr size_t count = 2;
    static std::array<int64_t, 2> of(const Item& item) { return {item.span, item.lines}; }
};

using Sequence = richedit::BlockSequence<Item, ItemMeasure>;

// Plain prefix sums over a plain vector.
struct Oracle {
    std::vector<Item> items;

    std::vector<int64_t> prefixes(size_t measure) const
    {
        std::vector<int64_t> sums{0};
        for (const Item& item : items)
            sums.push_back(sums.back() + ItemMeasure::of(item)[measure]);
        return sums;
    }
    // The last index whose running sum before it is at most `value`, within the items.
    static int find(const std::vector<int64_t>& sums, int64_t value)
    {
        const auto after = std::upper_bound(sums.begin(), sums.end(), value);
        const int last = int(sums.size()) - 2;
        return std::clamp(int(after - sums.begin()) - 1, 0, std::max(last, 0));
    }
};

Item randomItem(std::mt19937& random, int id)
{
    return {id, int64_t(random() % 4 == 0 ? 0 : 1 + random() % 40),
            int64_t(random() % 3 == 0 ? 0 : random() % 5)};
}

void expectSame(const Sequence& sequence, const Oracle& oracle, std::mt19937& random)
{
    const size_t n = oracle.items.size();
    ASSERT_EQ(sequence.size(), int(n));
    int index = 0;
    sequence.forEach(
        [&](const Item& item) { ASSERT_EQ(item.id, oracle.items[size_t(index++)].id); });
    for (size_t k = 0; k < n; ++k)
        ASSERT_EQ(sequence[int(k)].id, oracle.items[k].id) << k;
    for (size_t measure = 0; measure < 2; ++measure) {
        const std::vector<int64_t> sums = oracle.prefixes(measure);
        const int64_t total = sums.back();
        ASSERT_EQ(sequence.total(measure), total);
        // Every index on a short document, a sample on a long one.
        const size_t probes = std::min<size_t>(n + 1, 300);
        for (size_t p = 0; p < probes; ++p) {
            const size_t k = probes == n + 1 ? p : random() % (n + 1);
            ASSERT_EQ(sequence.before(measure, int(k)), sums[k]) << k;
        }
        for (int p = 0; p < 300; ++p) {
            // Values on both sides of sums, zero, negatives and past the end.
            const int64_t value = int64_t(random() % uint64_t(total + 10)) - 3;
            const int found = sequence.find(measure, value);
            ASSERT_EQ(found, Oracle::find(sums, value)) << measure << ' ' << value << ' ' << n;
            // The sum before what a search found, as the next query often asks.
            ASSERT_EQ(sequence.before(measure, found), sums[size_t(found)]);
        }
    }
}

}  // namespace

TEST(BlockSequenceTest, RandomEditsMatchPlainSums)
{
    std::mt19937 random(33);
    int nextId = 0;
    for (int round = 0; round < 10; ++round) {
        Sequence sequence;
        Oracle oracle;
        // Some rounds start from a bulk build of several blocks.
        const size_t initial = round % 3 == 0 ? 0 : random() % 2000;
        for (size_t k = 0; k < initial; ++k)
            oracle.items.push_back(randomItem(random, nextId++));
        sequence.assign(oracle.items);
        expectSame(sequence, oracle, random);
        for (int step = 0; step < 200; ++step) {
            const size_t n = oracle.items.size();
            const unsigned kind = random() % 10;
            if (kind < 3 && n > 0) {
                const size_t at = random() % n;
                const Item fresh = randomItem(random, oracle.items[at].id);
                oracle.items[at] = fresh;
                sequence.update(int(at), [&](Item& item) { item = fresh; });
            } else if (kind == 9 && random() % 8 == 0) {
                // A whole-sequence pass.
                for (Item& item : oracle.items)
                    item.lines = 1;
                sequence.updateAll([](Item& item) { item.lines = 1; });
            } else {
                // Mostly small changes (a split, a join), now and then a long stretch.
                const size_t first = random() % (n + 1);
                const bool wide = random() % 10 == 0;
                const size_t most = wide ? n - first : std::min<size_t>(n - first, 4);
                const size_t reach = random() % (most + 1);
                const size_t added = wide ? random() % 700 : random() % 4;
                std::vector<Item> replacement;
                for (size_t k = 0; k < added; ++k)
                    replacement.push_back(randomItem(random, nextId++));
                oracle.items.erase(oracle.items.begin() + std::ptrdiff_t(first),
                                   oracle.items.begin() + std::ptrdiff_t(first + reach));
                oracle.items.insert(oracle.items.begin() + std::ptrdiff_t(first),
                                    replacement.begin(), replacement.end());
                sequence.replace(int(first), int(reach), std::move(replacement));
            }
            expectSame(sequence, oracle, random);
            if (HasFatalFailure())
                FAIL() << "round " << round << " step " << step;
        }
    }
}

TEST(BlockSequenceTest, RemovingEverythingLeavesAnEmptySequence)
{
    Sequence sequence;
    std::vector<Item> items;
    for (int k = 0; k < 1000; ++k)
        items.push_back({k, 3, 1});
    sequence.assign(items);
    // One item at a time from the front: blocks shrink and take in their neighbours.
    for (int k = 0; k < 999; ++k) {
        sequence.replace(0, 1, {});
        ASSERT_EQ(sequence[0].id, k + 1);
        ASSERT_EQ(sequence.total(0), 3 * (999 - k));
    }
    sequence.replace(0, 1, {});
    EXPECT_TRUE(sequence.empty());
    EXPECT_EQ(sequence.total(1), 0);
    EXPECT_EQ(sequence.find(0, 5), 0);
    sequence.replace(0, 0, {{7, 2, 2}});
    EXPECT_EQ(sequence.size(), 1);
    EXPECT_EQ(sequence.before(0, 1), 2);
}
