#include "platform/richedit/model/Document.h"
#include "platform/richedit/model/UndoBuffer.h"

#include "tests/platform/richedit/TextReference.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <random>

using namespace richedit;

namespace {

CharFormat withLcid(uint32_t lcid)
{
    CharFormat format = defaultCharFormat();
    format.lcid = lcid;
    return format;
}

CharFormat lcidChange(uint32_t lcid)
{
    CharFormat change;
    change.mask = Lcid;
    change.lcid = lcid;
    return change;
}

// A plain model of the document: the text with CR LF paragraph ends and one tag (the locale)
// per position, the CR of a paragraph end carrying its mark's tag.
struct Model {
    QString text;
    std::vector<uint32_t> tags;
    uint32_t endTag = PlainLcid;

    int32_t snap(int32_t pos) const { return testsupport::snapped(text, pos); }
    void insert(int32_t pos, QString chunk, uint32_t tag)
    {
        chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        chunk.replace(u'\r', u'\n');
        chunk.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        text.insert(pos, chunk);
        tags.insert(tags.begin() + pos, size_t(chunk.size()), tag);
    }
    void remove(int32_t a, int32_t b)
    {
        text.remove(a, b - a);
        tags.erase(tags.begin() + a, tags.begin() + b);
    }
};

QString randomText(std::mt19937& random)
{
    static const QString alphabet = QStringLiteral("ab c\r\n\t\u00e9\U0001F600");
    QString chunk;
    const int size = int(random() % 6);
    for (int i = 0; i < size; ++i) {
        // Surrogate pairs are picked whole.
        const int index = int(random() % (alphabet.size() - 1));
        chunk += alphabet[index];
        if (alphabet[index].isHighSurrogate()) {
            chunk += alphabet[index + 1];
        } else if (alphabet[index].isLowSurrogate()) {
            chunk.insert(chunk.size() - 1, alphabet[index - 1]);
        }
    }
    return chunk;
}

void expectMatches(const Document& document, const Model& model)
{
    ASSERT_EQ(document.text(), model.text);
    ASSERT_EQ(document.length(), model.text.size());
    ASSERT_EQ(document.paragraphCount(), model.text.count(QStringLiteral("\r\n")) + 1);
    for (int32_t pos = 0; pos <= model.text.size(); ++pos) {
        ASSERT_EQ(document.snap(pos), model.snap(pos)) << pos;
        const bool onLf = pos > 0 && model.text[pos - 1] == u'\r';
        const bool onLow = model.text.size() > pos && model.text[pos].isLowSurrogate();
        if (pos < model.text.size() && !onLf && !onLow) {
            ASSERT_EQ(document.formatAt(pos).lcid, model.tags[size_t(pos)]) << pos;
        }
    }
    ASSERT_EQ(document.formatAt(document.length()).lcid, model.endTag);
    // The reads near a position that typing uses, without the whole text.
    const auto length = int32_t(model.text.size());
    for (int32_t pos = -1; pos <= length + 1; ++pos) {
        ASSERT_EQ(document.charAt(pos), pos >= 0 && pos < length ? model.text[pos] : QChar())
            << pos;
        ASSERT_EQ(document.mid(pos, (pos + 1) % 9), model.text.mid(std::max(pos, 0), (pos + 1) % 9))
            << pos;
        const int32_t end = model.snap(pos + int32_t(pos % 7));
        ASSERT_EQ(document.textRange({pos, pos + int32_t(pos % 7)}),
                  model.text.mid(model.snap(pos), end - model.snap(pos)))
            << pos;
        const int32_t at = model.snap(pos);
        const int32_t previous = document.previousPosition(at);
        ASSERT_EQ(document.nextPosition(previous), at == 0 ? model.snap(1) : at) << pos;
        ASSERT_EQ(model.snap(previous), previous) << pos;
    }
    for (int i = 0; i < document.paragraphCount(); ++i) {
        const int32_t start = document.paragraphStart(i);
        ASSERT_EQ(document.paragraphAt(start), i);
        const Paragraph& paragraph = document.paragraph(i);
        ASSERT_EQ(paragraph.text, model.text.mid(start, paragraph.text.size()));
        // The runs cover the text, none empty, and neighbours of one format are one run.
        int32_t covered = 0;
        for (size_t k = 0; k < paragraph.runs.size(); ++k) {
            ASSERT_GT(paragraph.runs[k].length, 0) << i;
            if (k > 0) {
                ASSERT_NE(paragraph.runs[k].format, paragraph.runs[k - 1].format) << i;
            }
            covered += paragraph.runs[k].length;
        }
        ASSERT_EQ(covered, paragraph.text.size()) << i;
    }
}

}  // namespace

TEST(DocumentTest, RandomEditsMatchAPlainTextModel)
{
    std::mt19937 random(20261209);
    Document document;
    UndoBuffer undo(document);
    Model model;
    for (int step = 0; step < 3000; ++step) {
        const Model previous = model;
        undo.clear();  // a step that changes nothing leaves no step to take back
        undo.begin(UndoKind::Other, {});
        const auto length = int32_t(model.text.size());
        const int32_t a = model.snap(int32_t(random() % (length + 3)) - 1);
        const int32_t b = model.snap(int32_t(random() % (length + 3)) - 1);
        const uint32_t tag = 1000 + random() % 4;
        switch (random() % 4) {
            case 0:
            case 1: {
                const QString chunk = randomText(random);
                document.insert(a, chunk, withLcid(tag));
                model.insert(a, chunk, tag);
                break;
            }
            case 2:
                document.remove({a, b});
                model.remove(std::min(a, b), std::max(a, b));
                break;
            default: {
                // Sometimes, as a marking pass does, several ranges from left to right.
                const int32_t low = std::min(a, b);
                const int32_t high = std::max(a, b);
                const int32_t pieces = random() % 3 == 0 ? 4 : 1;
                for (int32_t k = 0; k < pieces; ++k) {
                    const int32_t from = model.snap(low + (high - low) * k / pieces + k % 2);
                    const int32_t to =
                        k + 1 == pieces ? high : model.snap(low + (high - low) * (k + 1) / pieces);
                    if (from >= to && pieces > 1)
                        continue;
                    document.applyChar({from, to}, lcidChange(tag + uint32_t(k % 2)));
                    std::fill(model.tags.begin() + from, model.tags.begin() + to,
                              tag + uint32_t(k % 2));
                    if (to == length)
                        model.endTag = tag + uint32_t(k % 2);
                }
            }
        }
        undo.end({});
        if (step % 100 == 0 || step > 2900)
            expectMatches(document, model);
        // Undo takes the step back exactly; a second undo puts it back.
        if (step % 10 == 0 && undo.canUndo()) {
            undo.undo();
            expectMatches(document, previous);
            undo.undo();
            expectMatches(document, model);
        }
    }
    expectMatches(document, model);
}

// A format step inside one paragraph keeps only the runs it replaced: undo and redo put them
// back exactly, also after a change that was not recorded split the runs before them.
TEST(DocumentTest, FormatStepInsideAParagraphUndoesAfterUnrecordedChanges)
{
    Document document;
    UndoBuffer undo(document);
    document.insert(0, QStringLiteral("aaaa bbbb cccc dddd eeee\r\nnext"), withLcid(1033));
    const auto lcids = [&] {
        QString result;
        for (int32_t pos = 0; pos < document.length(); ++pos)
            result += QChar(u'0' + document.formatAt(pos).lcid % 10);
        return result;
    };
    document.applyChar({0, 4}, lcidChange(1031));
    undo.begin(UndoKind::Other, {});
    document.applyChar({10, 14}, lcidChange(1036));
    undo.end({});
    EXPECT_EQ(lcids(), QStringLiteral("111133333366663333333333333333"));
    // Unrecorded, beneath the step: new runs before and inside its range.
    document.applyChar({5, 7}, lcidChange(1049));
    document.applyChar({11, 12}, lcidChange(1049));
    const QString changed = lcids();
    ASSERT_EQ(changed, QStringLiteral("111139933369663333333333333333"));
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(lcids(), QStringLiteral("111133333333333333333333333333"));
    undo.undo();
    EXPECT_EQ(lcids(), changed);
}

TEST(DocumentTest, SnapAndClampPositions)
{
    Document document;
    document.insert(0, QStringLiteral("ab\r\n\U0001F600c"), defaultCharFormat());
    EXPECT_EQ(document.text(), QStringLiteral("ab\r\n\U0001F600c"));
    EXPECT_EQ(document.snap(3), 4);   // between CR and LF
    EXPECT_EQ(document.snap(5), 6);   // inside a surrogate pair
    EXPECT_EQ(document.snap(99), 7);  // past the end
    EXPECT_EQ(document.snap(-4), 0);
    EXPECT_EQ(document.normalized({5, -1}), (CharRange{6, 7}));
    EXPECT_EQ(document.normalized({9, 3}), (CharRange{4, 7}));
    EXPECT_EQ(document.textRange({2, 3}), QStringLiteral("\r\n"));

    // Every line-end kind is one paragraph end of two positions.
    Document lines;
    lines.insert(0, QStringLiteral("a\rb\nc\r\nd"), defaultCharFormat());
    EXPECT_EQ(lines.text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(lines.paragraphCount(), 4);
    EXPECT_EQ(lines.paragraphStart(3), 9);
}

TEST(DocumentTest, EmptyDocumentHasOneParagraphEndingInTheEndMark)
{
    Document document(withLcid(1049));
    EXPECT_EQ(document.text(), QString());
    EXPECT_EQ(document.length(), 0);
    EXPECT_EQ(document.paragraphCount(), 1);
    EXPECT_EQ(document.insertionFormat(0).lcid, 1049u);
    document.insert(0, QStringLiteral("x\r\n"), defaultCharFormat());
    document.remove({0, -1});
    EXPECT_EQ(document.paragraphCount(), 1);
    EXPECT_EQ(document.text(), QString());
}

TEST(DocumentTest, ParagraphFormatBelongsToTheMark)
{
    Document document;
    document.insert(0, QStringLiteral("first\r\nsecond"), defaultCharFormat());
    ParaFormat centred;
    centred.mask = Alignment;
    centred.alignment = AlignCenter;
    document.applyPara({0, 0}, centred);
    ASSERT_EQ(document.paragraphFormat(0).alignment, AlignCenter);
    ASSERT_EQ(document.paragraphFormat(1).alignment, AlignLeft);

    // A split gives the new mark a copy of the split paragraph's format.
    document.insert(2, QStringLiteral("\n"), withLcid(1031));
    ASSERT_EQ(document.paragraphCount(), 3);
    EXPECT_EQ(document.paragraph(0).text, QStringLiteral("fi"));
    EXPECT_EQ(document.paragraphFormat(0).alignment, AlignCenter);
    EXPECT_EQ(document.paragraphFormat(1).alignment, AlignCenter);
    EXPECT_EQ(document.format(document.paragraph(0).mark).lcid, 1031u);

    // Deleting a mark: the merged paragraph takes the later mark's format.
    ASSERT_EQ(document.text(), QStringLiteral("fi\r\nrst\r\nsecond"));
    document.remove({7, 10});
    EXPECT_EQ(document.text(), QStringLiteral("fi\r\nrstecond"));
    ASSERT_EQ(document.paragraphCount(), 2);
    EXPECT_EQ(document.paragraphFormat(1).alignment, AlignLeft);
    EXPECT_EQ(document.paragraphFormat(0).alignment, AlignCenter);
}

TEST(DocumentTest, MergeKeepsTheLaterMarkAndApplyParaTouchesWholeParagraphs)
{
    Document document;
    document.insert(0, QStringLiteral("aa\r\nbb\r\ncc"), defaultCharFormat());
    ParaFormat right;
    right.mask = Alignment | StartIndent;
    right.alignment = AlignRight;
    right.startIndent = -2700;
    document.applyPara({4, 4}, right);  // caret: its paragraph only
    EXPECT_EQ(document.paragraphFormat(1).startIndent, -2700);
    EXPECT_EQ(document.paragraphFormat(0).startIndent, 0);

    // A range ending right after a paragraph end does not touch the next paragraph.
    EXPECT_EQ(document.paraFormatAt({0, 4}).mask, AllParaFields);
    EXPECT_EQ(document.paraFormatAt({0, 5}).mask & (Alignment | StartIndent), 0u);
    EXPECT_EQ(document.paraFormatAt({4, 8}).mask, AllParaFields);
    EXPECT_EQ(document.paraFormatAt({4, 8}).alignment, AlignRight);

    document.remove({1, 5});  // "a" + "b\r\ncc": the paragraph keeps the second mark
    EXPECT_EQ(document.text(), QStringLiteral("ab\r\ncc"));
    EXPECT_EQ(document.paragraphFormat(0).alignment, AlignRight);
    document.remove({2, 4});
    EXPECT_EQ(document.text(), QStringLiteral("abcc"));
    EXPECT_EQ(document.paragraphFormat(0).alignment, AlignLeft);
}

TEST(DocumentTest, FragmentsKeepTheirMarksAndTheTailKeepsTheOriginalMark)
{
    Document document;
    document.insert(0, QStringLiteral("HEADTAIL"), defaultCharFormat());
    ParaFormat justified;
    justified.mask = Alignment;
    justified.alignment = AlignJustify;
    document.applyPara({0, 0}, justified);

    DocumentFragment fragment;
    FragmentParagraph one;
    one.runs.push_back({QStringLiteral("one"), withLcid(1031), nullptr});
    one.format = defaultParaFormat();
    one.format.alignment = AlignCenter;
    one.markFormat = withLcid(1036);
    FragmentParagraph two;
    two.runs.push_back({QStringLiteral("two"), withLcid(1040), nullptr});
    two.format = defaultParaFormat();
    two.format.alignment = AlignRight;
    two.hasMark = false;
    fragment.paragraphs = {one, two};

    std::vector<ChangeRecord> records;
    document.addWatcher([&](const ChangeRecord& record) { records.push_back(record); });
    document.insertFragment(4, fragment);
    EXPECT_EQ(document.text(), QStringLiteral("HEADone\r\ntwoTAIL"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (ChangeRecord{ChangeKind::Text, 4, 0, 8}));
    EXPECT_EQ(document.paragraphFormat(0).alignment, AlignCenter);
    EXPECT_EQ(document.format(document.paragraph(0).mark).lcid, 1036u);
    EXPECT_EQ(document.paragraphFormat(1).alignment, AlignJustify);  // the original mark
    EXPECT_EQ(document.formatAt(9).lcid, 1040u);
    EXPECT_EQ(document.formatAt(12).lcid, PlainLcid);

    // Extracting a range and inserting it elsewhere reproduces characters and formats.
    const DocumentFragment copy = document.extract({2, 11});
    ASSERT_EQ(copy.paragraphs.size(), 2u);
    EXPECT_TRUE(copy.paragraphs[0].hasMark);
    EXPECT_FALSE(copy.paragraphs[1].hasMark);
    Document other;
    other.insertFragment(0, copy);
    EXPECT_EQ(other.text(), document.textRange({2, 11}));
    for (int32_t pos = 0; pos < other.length(); ++pos)
        EXPECT_EQ(other.formatAt(pos), document.formatAt(document.snap(pos + 2))) << pos;

    // A range that ends after a paragraph end ends in a marked paragraph.
    const DocumentFragment lines = document.extract({0, 9});
    ASSERT_EQ(lines.paragraphs.size(), 1u);
    EXPECT_TRUE(lines.paragraphs[0].hasMark);
}

TEST(DocumentTest, WholeDocumentExtractAndReplaceRoundTrip)
{
    Document document;
    document.insert(0, QStringLiteral("a\r\n\r\nb\tc"), withLcid(1031));
    document.applyChar({0, -1}, lcidChange(1049));  // includes the end mark
    auto picture = std::make_shared<Picture>();
    DocumentFragment withPicture;
    withPicture.paragraphs.resize(1);
    withPicture.paragraphs[0].hasMark = false;
    withPicture.paragraphs[0].runs.push_back(
        {QString(QChar(ObjectReplacementCharacter)), withLcid(1033), picture});
    document.insertFragment(1, withPicture);

    const DocumentFragment all = document.extractAll();
    ASSERT_EQ(all.paragraphs.size(), 3u);
    EXPECT_EQ(all.paragraphs.back().markFormat.lcid, 1049u);
    EXPECT_EQ(all.paragraphs[0].runs[1].picture, picture);  // shared, not copied

    Document copy;
    std::vector<ChangeRecord> records;
    copy.addWatcher([&](const ChangeRecord& record) { records.push_back(record); });
    copy.replaceAll(all);
    EXPECT_EQ(copy.text(), document.text());
    for (int32_t pos = 0; pos <= copy.length(); ++pos)
        EXPECT_EQ(copy.formatAt(pos), document.formatAt(pos)) << pos;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (ChangeRecord{ChangeKind::Reset, 0, 0, document.length()}));

    copy.replaceAll(DocumentFragment{});
    EXPECT_EQ(copy.length(), 0);
    EXPECT_EQ(copy.paragraphCount(), 1);
}

// A fragment handed over gives its text to the paragraphs as it stands (the text is kept once);
// one lent by reference is read as before.
TEST(DocumentTest, HandedOverFragmentsGiveTheirTextWithoutACopy)
{
    DocumentFragment fragment;
    fragment.paragraphs.resize(3);
    fragment.paragraphs[0].runs.push_back(
        {QStringLiteral("first paragraph"), withLcid(1031), nullptr});
    fragment.paragraphs[1].runs.push_back({QStringLiteral("two "), withLcid(1031), nullptr});
    fragment.paragraphs[1].runs.push_back(
        {QStringLiteral("runs\r\nsplit"), withLcid(1049), nullptr});
    fragment.paragraphs[2].runs.push_back({QStringLiteral("last"), withLcid(1033), nullptr});
    const DocumentFragment lent = fragment;
    const QString expected = QStringLiteral("first paragraph\r\ntwo runs\r\nsplit\r\nlast");
    const QChar* const firstText = fragment.paragraphs[0].runs[0].text.constData();
    const QChar* const lastText = fragment.paragraphs[2].runs[0].text.constData();

    Document document;
    document.replaceAll(std::move(fragment));
    ASSERT_EQ(document.text(), expected);
    EXPECT_EQ(document.paragraph(0).text.storageAt(0), firstText);
    EXPECT_EQ(document.paragraph(3).text.storageAt(0), lastText);
    EXPECT_EQ(document.formatAt(4).lcid, 1031u);
    EXPECT_EQ(document.formatAt(24).lcid, 1049u);

    // Text that kept room to grow is kept at its size: short paragraphs would pay for the room.
    DocumentFragment roomy;
    roomy.paragraphs.resize(1);
    QString grown;
    grown.reserve(4000);
    grown += QStringLiteral("short");
    roomy.paragraphs[0].runs.push_back({grown, withLcid(1031), nullptr});
    grown = QString();
    document.replaceAll(std::move(roomy));
    EXPECT_EQ(document.text(), QStringLiteral("short"));
    EXPECT_LT(document.paragraph(0).text.capacity(), 100);

    Document other;
    other.replaceAll(lent);
    other.insertFragment(0, lent);
    EXPECT_EQ(other.text(), expected + QStringLiteral("\r\n") + expected);
    EXPECT_EQ(other.formatAt(int32_t(expected.size()) + 30).lcid, 1049u);
}

TEST(DocumentTest, EndMarkTakesFormatsOnlyForRangesEndingAtTheEnd)
{
    Document document;
    document.insert(0, QStringLiteral("abc"), defaultCharFormat());
    document.applyChar({0, 2}, lcidChange(LinkLcid));
    EXPECT_EQ(document.formatAt(3).lcid, PlainLcid);
    document.applyChar({3, 5}, lcidChange(LinkLcid));  // L .. L + 2 clamps to a caret at L
    EXPECT_EQ(document.formatAt(3).lcid, LinkLcid);
    EXPECT_EQ(document.formatAt(2).lcid, PlainLcid);
    document.applyChar({0, -1}, lcidChange(PlainLcid));
    EXPECT_EQ(document.formatAt(3).lcid, PlainLcid);
    EXPECT_EQ(document.formatAt(0).lcid, PlainLcid);
}

TEST(DocumentTest, MixedReadingsIgnoreMarksAmongOtherCharacters)
{
    Document document;
    document.insert(0, QStringLiteral("ab\r\ncd"), defaultCharFormat());
    CharFormat bold;
    bold.mask = Bold;
    bold.effects = Bold;
    document.applyChar({0, 6}, bold);
    CharFormat italicMark;
    italicMark.mask = Italic;
    italicMark.effects = Italic;
    document.applyChar({2, 4}, italicMark);  // the mark only

    CharFormat reading = document.charFormatAt({0, 6});
    EXPECT_TRUE(reading.has(Bold | Italic));  // the mark's italic does not count
    EXPECT_TRUE(reading.is(Bold));
    EXPECT_FALSE(reading.is(Italic));
    reading = document.charFormatAt({2, 4});  // marks only: they count
    EXPECT_TRUE(reading.is(Italic));

    CharFormat red;
    red.mask = Color;
    red.color = 0x0000FF;
    document.applyChar({0, 1}, red);
    reading = document.charFormatAt({0, 2});
    EXPECT_FALSE(reading.has(Color));
    EXPECT_EQ(reading.color, 0x0000FFu);

    // Explicit black and automatic colour read the same; automatic background never equals a
    // real colour.
    CharFormat black;
    black.mask = Color;
    black.color = 0;
    document.applyChar({0, 1}, black);
    reading = document.charFormatAt({0, 2});
    EXPECT_TRUE(reading.has(Color));
    EXPECT_EQ(reading.color, 0u);
    reading = document.charFormatAt({1, 2});
    EXPECT_TRUE(reading.is(AutoColorEffect));
    EXPECT_EQ(reading.backColor, 0xFFFFFFFFu);
    EXPECT_TRUE(reading.is(AutoBackColorEffect));
}

TEST(DocumentTest, EditBlocksAndRecordsDescribeTheChange)
{
    Document document;
    std::vector<ChangeRecord> records;
    document.addWatcher([&](const ChangeRecord& record) { records.push_back(record); });
    document.insert(0, QStringLiteral("hello world"), defaultCharFormat());
    document.remove({5, 11});
    document.applyChar({0, 2}, lcidChange(1031));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (ChangeRecord{ChangeKind::Text, 0, 0, 11}));
    EXPECT_EQ(records[1], (ChangeRecord{ChangeKind::Text, 5, 6, 0}));
    EXPECT_EQ(records[2], (ChangeRecord{ChangeKind::Format, 0, 2, 2}));

    records.clear();
    {
        EditBlock block(document);
        document.remove({0, 1});                                            // "ello"
        document.insert(4, QStringLiteral("!!\r\n"), defaultCharFormat());  // "ello!!\r\n"
        document.applyChar({1, 2}, lcidChange(1036));
        EXPECT_TRUE(records.empty());
    }
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (ChangeRecord{ChangeKind::Text, 0, 5, 8}));

    EXPECT_EQ(combineChanges({ChangeKind::Text, 10, 2, 5}, {ChangeKind::Text, 2, 1, 0}),
              (ChangeRecord{ChangeKind::Text, 2, 10, 12}));
    EXPECT_EQ(combineChanges({ChangeKind::Format, 3, 2, 2}, {ChangeKind::Format, 4, 3, 3}),
              (ChangeRecord{ChangeKind::Format, 3, 4, 4}));
}

TEST(DocumentTest, RemovePicturesShiftsTextAndCounts)
{
    Document document;
    document.insert(0, QStringLiteral("ab\r\ncd"), defaultCharFormat());
    DocumentFragment picture;
    picture.paragraphs.resize(1);
    picture.paragraphs[0].hasMark = false;
    picture.paragraphs[0].runs.push_back({QString(QChar(ObjectReplacementCharacter)),
                                          defaultCharFormat(), std::make_shared<Picture>()});
    document.insertFragment(1, picture);
    document.insertFragment(6, picture);
    ASSERT_EQ(document.text(), QString::fromUtf16(u"a\uFFFCb\r\nc\uFFFCd"));
    std::vector<ChangeRecord> records;
    document.addWatcher([&](const ChangeRecord& record) { records.push_back(record); });
    EXPECT_EQ(document.removePictures(), 2);
    EXPECT_EQ(document.text(), QStringLiteral("ab\r\ncd"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (ChangeRecord{ChangeKind::Text, 1, 6, 4}));
    EXPECT_EQ(document.removePictures(), 0);
}

TEST(DocumentTest, LargeDocumentEditsStayFast)
{
    QString text;
    for (int i = 0; i < 200000; ++i)
        text += QStringLiteral("paragraph %1 with some words in it\r\n").arg(i);
    Document document;
    document.setPlainText(text);
    ASSERT_GT(document.length(), 7000000);
    std::mt19937 random(7);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 500; ++i) {
        const int32_t pos = document.snap(int32_t(random() % uint32_t(document.length())));
        document.insert(pos, QStringLiteral("x"), defaultCharFormat());
        EXPECT_EQ(document.paragraphStart(document.paragraphAt(pos)) <= pos, true);
        document.remove({pos, pos + 1});
        if (i % 50 == 0) {
            document.insert(pos, QStringLiteral("\r"), defaultCharFormat());
            document.remove({pos, pos + 2});
        }
    }
    // Each edit costs a paragraph, not the document (generous for sanitizer builds). The
    // whole text is read once at the end: a read builds the document's string.
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(document.text().size(), text.size());
}

// Converted formats are completed with the document's default format: a default changed
// between two reads must show in the second, as in a document that had it from the start.
TEST(DocumentTest, ReadFormatsFollowTheDefaultFormatOfTheirRead)
{
    DocumentFragment fragment;
    for (int i = 0; i < 24; ++i) {
        FragmentParagraph paragraph;
        CharFormat partial;  // only some fields given; the rest come from the default
        partial.mask = Bold | Size;
        partial.effects = i % 2 ? uint32_t(Bold) : 0u;
        partial.heightTw = 200 + 20 * (i % 12);  // more formats than are remembered
        paragraph.runs.push_back({QStringLiteral("run %1").arg(i), partial, nullptr});
        paragraph.markFormat = partial;
        fragment.paragraphs.push_back(std::move(paragraph));
    }
    CharFormat otherDefault = defaultCharFormat(QStringLiteral("Verdana"), 300);
    otherDefault.lcid = 1036;

    Document reused;
    reused.replaceAll(fragment);
    reused.setDefaultFormat(otherDefault);
    reused.replaceAll(fragment);
    Document fresh(otherDefault);
    fresh.replaceAll(fragment);

    ASSERT_EQ(reused.paragraphCount(), fresh.paragraphCount());
    for (int i = 0; i < fresh.paragraphCount(); ++i) {
        const Paragraph& a = reused.paragraph(i);
        const Paragraph& b = fresh.paragraph(i);
        ASSERT_EQ(a.runs.size(), b.runs.size());
        EXPECT_EQ(reused.format(a.runs[0].format), fresh.format(b.runs[0].format)) << i;
        EXPECT_EQ(reused.format(a.runs[0].format).face, u"Verdana");
        EXPECT_EQ(reused.format(a.mark), fresh.format(b.mark)) << i;
    }
}

// The run list keeps one run in place and more on the heap; it must behave as a vector would
// through every way the model changes runs.
TEST(DocumentTest, RunListBehavesAsAVector)
{
    std::mt19937 random(7);
    const auto sameAs = [](const RunList& runs, const std::vector<TextRun>& model) {
        if (runs.size() != model.size())
            return false;
        for (size_t i = 0; i < model.size(); ++i) {
            if (runs[i].length != model[i].length || runs[i].format != model[i].format ||
                runs[i].picture != model[i].picture)
                return false;
        }
        return true;
    };
    auto picture = std::make_shared<Picture>();
    for (int round = 0; round < 200; ++round) {
        RunList runs;
        std::vector<TextRun> model;
        for (int step = 0; step < 12; ++step) {
            const TextRun run{int32_t(random() % 50), uint32_t(random() % 4),
                              random() % 3 ? nullptr : picture};
            const size_t at = model.empty() ? 0 : random() % (model.size() + 1);
            switch (random() % 6) {
                case 0:
                case 1:
                    runs.push_back(run);
                    model.push_back(run);
                    break;
                case 2:
                    runs.insert(runs.begin() + std::ptrdiff_t(at), run);
                    model.insert(model.begin() + std::ptrdiff_t(at), run);
                    break;
                case 3:
                    runs.insert(runs.begin() + std::ptrdiff_t(at), {run, run});
                    model.insert(model.begin() + std::ptrdiff_t(at), {run, run});
                    break;
                case 4:
                    if (at < model.size()) {
                        runs.erase(runs.begin() + std::ptrdiff_t(at));
                        model.erase(model.begin() + std::ptrdiff_t(at));
                    }
                    break;
                default: {
                    // Copies and moves, inline and on the heap, into empty and full lists.
                    RunList copy(runs);
                    RunList moved(std::move(copy));
                    EXPECT_TRUE(copy.empty());
                    RunList assigned;
                    assigned.push_back(run);
                    assigned = moved;
                    runs = std::move(assigned);
                    break;
                }
            }
            ASSERT_TRUE(sameAs(runs, model)) << round << " " << step;
        }
        if (model.empty()) {
            runs.push_back(TextRun{1, 0, nullptr});
            model.push_back(TextRun{1, 0, nullptr});
        }
        runs.push_back(runs.front().length ? runs.front() : runs.back());  // its own element
        model.push_back(model.front().length ? model.front() : model.back());
        ASSERT_TRUE(sameAs(runs, model));
        runs.clear();
        EXPECT_TRUE(runs.empty());
    }
    EXPECT_EQ(picture.use_count(), 1);
}
