#include "platform/richedit/model/TextBuffer.h"

#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

#include <random>

using richedit::TextBuffer;

// Edits far apart, long insertions that outgrow the gap and removals past the end, against a
// plain string; reads at random points see the same text.
TEST(TextBufferTest, RandomEditsAndReadsMatchAString)
{
    std::mt19937 random(41);
    TextBuffer buffer;
    QString model;
    const auto pick = [&](qsizetype bound) { return qsizetype(random() % uint32_t(bound + 1)); };
    for (int step = 0; step < 2000; ++step) {
        const qsizetype position = pick(model.size() + 2);
        const qsizetype removed = pick(step % 50 == 0 ? 9000 : 12);
        const qsizetype added = step % 97 == 0 ? 6000 + pick(3000) : pick(8);
        QString text(added, Qt::Uninitialized);
        for (QChar& c : text)
            c = QChar(u'a' + char16_t(random() % 26));
        buffer.replace(position, removed, text);
        const qsizetype at = std::min(position, model.size());
        model.replace(at, std::min(removed, model.size() - at), text);

        ASSERT_EQ(buffer.size(), model.size()) << step;
        for (int read = 0; read < 8; ++read) {
            const qsizetype from = pick(model.size());
            const qsizetype count = pick(40);
            ASSERT_EQ(buffer.mid(from, count), model.mid(from, count)) << step;
            if (from < model.size()) {
                ASSERT_EQ(buffer.at(from), model[from].unicode()) << step;
            }
        }
        if (step % 250 == 0) {
            ASSERT_EQ(buffer.toString(), model) << step;
        }
    }
    EXPECT_EQ(buffer.toString(), model);
    EXPECT_EQ(buffer.mid(-5, 3), model.left(3));

    buffer.assign(QStringLiteral("fresh"));
    EXPECT_EQ(buffer.toString(), QStringLiteral("fresh"));
    buffer.replace(5, 0, QStringLiteral("!"));
    buffer.replace(0, 1, QStringLiteral("F"));
    EXPECT_EQ(buffer.toString(), QStringLiteral("Fresh!"));
}
