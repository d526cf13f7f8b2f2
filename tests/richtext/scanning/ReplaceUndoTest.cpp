// The replace command's snapshot: its RTF reads back as the same document, empty paragraphs
// included; lines outside the body stay as they are.
#include "richtext/scanning/ReplaceUndo.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/WholeDocumentUndo.h"

#include <gtest/gtest.h>

using richedit::RichTextBox;

TEST(ReplaceUndoTest, SnapshotReadsBackAsTheSameDocument)
{
    const QString texts[] = {QStringLiteral("a\r\n\r\nb"), QStringLiteral("\r\n\r\n"),
                             QStringLiteral("one\r\ntwo\r\n"), QStringLiteral("x"),
                             QStringLiteral("\r\nfirst\r\n\r\n\r\nlast α😀")};
    for (const QString& text : texts) {
        RichTextBox box;
        box.setText(text);
        box.setSelStart(0);
        box.setSelLength(1);
        box.engine().setSelBold(true);
        const QString rtf = box.TextRTF();
        const QString snapshot = ReplaceUndo::BuildSharedUndoSnapshot(box);
        RichTextBox restored;
        restored.setTextRTF(snapshot);
        EXPECT_EQ(restored.Text(), text);
        EXPECT_EQ(restored.TextRTF(), rtf);
    }
}

TEST(ReplaceUndoTest, OnlySurplusEmptyParagraphLinesOfTheBodyAreDropped)
{
    const QString header = QStringLiteral("{\\rtf1\\ansi\r\n\\par \r\n");
    // More paragraph ends than the text has: the one standing for no text line goes.
    EXPECT_EQ(ReplaceUndo::BuildSharedUndoSnapshot(
                  header + QStringLiteral("\\pard\\f0 a\r\n\\par \r\n\\par b\r\n\\par }\r\n"),
                  QStringLiteral("a\r\nb")),
              header + QStringLiteral("\\pard\\f0 a\r\n\\par b\r\n\\par }\r\n"));
    // Without such a line the RTF comes back unchanged, CR LF line ends included.
    const QString plain = header + QStringLiteral("\\pard\\f0 a\r\n\\par b\r\n\\par }\r\n");
    EXPECT_EQ(ReplaceUndo::BuildSharedUndoSnapshot(plain, QStringLiteral("a\r\nb")), plain);
    // An empty document keeps the window's RTF.
    RichTextBox empty;
    EXPECT_EQ(ReplaceUndo::BuildSharedUndoSnapshot(empty), empty.TextRTF());
}

TEST(ReplaceUndoTest, SaveReplaceUndoHandsTheRecordAndTheViewOver)
{
    RichTextLibraryState::instance().reset();
    RichTextBox box;
    box.setText(QStringLiteral("abc\r\ndef"));
    box.setSelStart(5);
    box.setSelLength(2);
    std::vector<ReplaceUndoRecord> records;
    replaceUndoWriter() = [&](const ReplaceUndoRecord& record) { records.push_back(record); };
    RichTextLibraryState::instance().TopLinePos2 = 99;
    ReplaceUndo::SaveReplaceUndo(box);
    replaceUndoWriter() = nullptr;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].SelStart, 5);
    EXPECT_EQ(records[0].SelLength, 2);
    EXPECT_EQ(records[0].RTF, box.TextRTF());
    EXPECT_EQ(RichTextLibraryState::instance().TopLinePos2, 0);
    EXPECT_EQ(RichTextLibraryState::instance().SpecialUndoKind, 0);
    RichTextLibraryState::instance().reset();
}
