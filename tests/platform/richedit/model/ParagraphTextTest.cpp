#include "platform/richedit/model/ParagraphText.h"

#include <gtest/gtest.h>

#include <random>

using richedit::ParagraphText;

namespace {

// Every way of reading the text agrees with the plain string it should equal.
void expectReads(const ParagraphText& text, const QString& expected, std::mt19937& random)
{
    ASSERT_EQ(text.size(), expected.size());
    ASSERT_TRUE(text == expected);
    const ParagraphText::Reader reader = text.reader();
    for (qsizetype i = 0; i < expected.size(); i += 1 + qsizetype(random() % 97)) {
        ASSERT_EQ(text.at(i), expected[i]) << i;
        ASSERT_EQ(reader[i], expected[i]) << i;
    }
    for (int k = 0; k < 4; ++k) {
        const auto from = qsizetype(random() % (expected.size() + 1));
        const auto count = qsizetype(random() % (2 * ParagraphText::BlockSize));
        QString scratch;
        ASSERT_EQ(text.mid(from, count), expected.mid(from, count));
        ASSERT_EQ(text.view(from, count, scratch), QStringView(expected).mid(from, count));
    }
}

QString piece(std::mt19937& random, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    for (QChar& c : text)
        c = QChar(u'a' + char16_t(random() % 26));
    return text;
}

}  // namespace

// Edits of every size at random places, from a short text to one of many blocks and back,
// with copies taken on the way that must keep what they read.
TEST(ParagraphTextTest, RandomEditsMatchAPlainString)
{
    std::mt19937 random(5);
    ParagraphText text;
    QString expected;
    std::vector<std::pair<ParagraphText, QString>> copies;
    for (int step = 0; step < 3000; ++step) {
        const auto length = expected.size();
        const auto from = qsizetype(random() % (length + 1));
        const int kind = int(random() % 10);
        // Mostly keys and small edits; now and then a paste or a cut of thousands.
        const auto size = kind == 0 ? qsizetype(random() % 20000) : qsizetype(random() % 4);
        const auto count = std::min(length - from, random() % 3 ? size / 2 : size);
        const QString added = kind == 1 ? QString() : piece(random, size);
        text.replace(from, count, added);
        expected.replace(from, count, added);
        if (step % 50 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectReads(text, expected, random)) << step;
        }
        if (step % 400 == 0)
            copies.emplace_back(text, expected);
        if (step % 700 == 0) {
            ASSERT_EQ(text.string(), expected);  // joined; the next edit splits it again
        }
    }
    for (const auto& [copy, was] : copies)
        ASSERT_NO_FATAL_FAILURE(expectReads(copy, was, random));
    // Deleting most of it leaves a short text of one string again.
    text.remove(10, text.size() - 20);
    expected.remove(10, expected.size() - 20);
    ASSERT_NO_FATAL_FAILURE(expectReads(text, expected, random));
}

// In a long text an edit touches the characters near it, not all that follow: those stay
// where they were, whatever copy shares them, and a same-length overwrite moves nothing.
TEST(ParagraphTextTest, EditsInALongTextLeaveTheRestInPlace)
{
    const QString loaded(1'000'000, u'a');
    ParagraphText text(loaded);
    const ParagraphText shared = text;
    const QChar* far = text.storageAt(900'000);
    text.insert(500'000, u"typed");
    text.remove(100, 3);
    text.replace(700'000, 2, u"xy");
    EXPECT_EQ(text.storageAt(900'000 + 2), far);
    EXPECT_EQ(text.mid(500'000 - 3, 5), QStringLiteral("typed"));
    EXPECT_EQ(text.mid(699'999, 3), QStringLiteral("axy"));
    EXPECT_TRUE(shared == loaded);
    EXPECT_EQ(shared.storageAt(0), loaded.constData());
}
