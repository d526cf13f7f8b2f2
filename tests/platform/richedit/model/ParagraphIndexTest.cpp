// The prefix sums behind position and line lookups, against plain sums over the same values
// after random rebuilds from random places (paragraphs split, merged, added and removed) and
// single changes.
#include "platform/richedit/model/ParagraphIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using richedit::ParagraphIndex;

TEST(ParagraphIndexTest, RebuildsAndChangesMatchPlainSums)
{
    std::mt19937 random(33);
    for (int round = 0; round < 40; ++round) {
        std::vector<int64_t> values(random() % 70, 2);
        ParagraphIndex index;
        index.rebuildFrom(0, values.size(), [&](size_t k) { return values[k]; });
        for (int step = 0; step < 60; ++step) {
            if (random() % 3 == 0 && !values.empty()) {
                const size_t at = random() % values.size();
                // A span never drops below a mark's two units.
                const int64_t delta = std::max<int64_t>(int64_t(random() % 9) - 4, 2 - values[at]);
                values[at] += delta;
                index.add(int(at), delta);
            } else {
                // Replace a stretch by one of another length, as a split or merge does.
                const size_t first = values.empty() ? 0 : random() % (values.size() + 1);
                const size_t removed = random() % (values.size() - first + 1);
                const size_t added = random() % 5;
                values.erase(values.begin() + std::ptrdiff_t(first),
                             values.begin() + std::ptrdiff_t(first + removed));
                for (size_t k = 0; k < added; ++k)
                    values.insert(values.begin() + std::ptrdiff_t(first),
                                  int64_t(2 + random() % 50));
                index.rebuildFrom(int(first), values.size(), [&](size_t k) { return values[k]; });
            }
            ASSERT_EQ(index.size(), int(values.size()));
            int64_t sum = 0;
            for (size_t k = 0; k <= values.size(); ++k) {
                ASSERT_EQ(index.prefix(int(k)), sum) << round << ' ' << step << ' ' << k;
                if (k < values.size()) {
                    // Every position inside a value finds it.
                    ASSERT_EQ(index.find(sum), int(k));
                    int64_t rest = -1;
                    ASSERT_EQ(index.find(sum + values[k] - 1, &rest), int(k));
                    ASSERT_EQ(rest, values[k] - 1);
                    sum += values[k];
                }
            }
        }
    }
}
