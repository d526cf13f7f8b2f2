// Documents read from other word processors' RTF, written by the engine's writer and read
// again, keep their text and formats.
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace richedit;

namespace {

QDir dataDir()
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../../data/rtf"));
}

// One character with the format it has, a paragraph mark as CR with the mark's format.
struct Character {
    QChar c;
    CharFormat format;
    bool picture = false;
};

std::vector<Character> characters(const DocumentFragment& fragment)
{
    std::vector<Character> out;
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs) {
            for (QChar c : run.text)
                out.push_back({c, run.format, run.picture != nullptr});
        }
        out.push_back({u'\r', paragraph.markFormat, false});
    }
    return out;
}

}  // namespace

TEST(RtfReaderRoundTrip, SampleDocumentsSurviveTheWriter)
{
    for (const QString& name : dataDir().entryList({QStringLiteral("*.rtf")})) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dataDir().filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const DocumentFragment first = readRtf(file.readAll(), RtfReadMode::WholeDocument);
        const QByteArray written = writeRtf(first, RtfWriteMode::WholeDocument);
        const DocumentFragment second = readRtf(written, RtfReadMode::WholeDocument);

        ASSERT_EQ(first.paragraphs.size(), second.paragraphs.size()) << written.toStdString();
        for (size_t i = 0; i < first.paragraphs.size(); ++i) {
            ParaFormat expected = first.paragraphs[i].format;
            ParaFormat actual = second.paragraphs[i].format;
            // Numbers are always written with a full stop after them.
            expected.numberingStyle = actual.numberingStyle = 0;
            EXPECT_EQ(actual, expected) << "paragraph " << i;
        }
        const auto before = characters(first);
        const auto after = characters(second);
        ASSERT_EQ(before.size(), after.size()) << written.toStdString();
        for (size_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(before[i].c, after[i].c) << "at " << i;
            ASSERT_EQ(before[i].picture, after[i].picture) << "at " << i;
            CharFormat expected = before[i].format;
            CharFormat actual = after[i].format;
            if (i + 1 == before.size())
                expected.effects &= ~Underline;  // the end mark's underline is not written
            ASSERT_EQ(actual, expected) << "at " << i << " of " << written.toStdString();
        }
    }
}
