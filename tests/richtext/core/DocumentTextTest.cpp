// The caret through the text object model, case changes of the selection, and the documents
// handed over as strings in memory.
#include "richtext/core/DocumentText.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "tests/support/RaisedError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

using richedit::RichTextBox;
using richedit::TextDocument;

namespace {

class DocumentTextTest : public testing::Test {
protected:
    DocumentTextTest() { m_box.engine().setViewportSize(QSize(6000, 3000)); }
    ~DocumentTextTest() override { RichTextLibraryState::instance().reset(); }

    void select(int32_t start, int32_t length)
    {
        m_box.setSelStart(start);
        m_box.setSelLength(length);
    }
    QString caseChanged(const QString& text, DocumentText::CaseCode code)
    {
        m_box.setText(text);
        select(0, int32_t(text.size()));
        m_text.changeCase(code);
        EXPECT_EQ(m_box.SelStart(), 0);
        EXPECT_EQ(m_box.SelLength(), text.size());
        return m_box.Text();
    }

    RichTextBox m_box;
    TextDocument m_document = m_box.textDocument();
    DocumentText m_text{m_box, m_document};
};

}  // namespace

TEST_F(DocumentTextTest, CaretLineColumnAndCharacterAreOneBased)
{
    EXPECT_EQ(m_text.VanticLine(), 1);
    EXPECT_EQ(m_text.VanticColumn(), 1);
    EXPECT_EQ(m_text.VanticChar(), 1);

    m_box.setText(QStringLiteral("first\r\nsecond line"));
    m_box.setSelStart(10);
    EXPECT_EQ(m_text.VanticLine(), 2);
    EXPECT_EQ(m_text.VanticColumn(), 4);
    EXPECT_EQ(m_text.VanticChar(), 11);

    // The column counts from the start of the displayed line of a wrapped paragraph.
    m_box.engine().setViewportSize(QSize(1500, 3000));
    m_box.setText(QStringLiteral("one two three four five six seven eight nine ten"));
    const int32_t second = m_box.engine().lineIndex(1);
    ASSERT_GT(second, 0);
    m_box.setSelStart(second + 2);
    EXPECT_EQ(m_text.VanticLine(), 2);
    EXPECT_EQ(m_text.VanticColumn(), 3);
    EXPECT_EQ(m_text.VanticChar(), second + 3);

    // With the control's handle let go (as while the find dialog is open) the window answers.
    const TextDocument none;
    const DocumentText detached(m_box, none);
    EXPECT_EQ(detached.VanticLine(), 2);
    EXPECT_EQ(detached.VanticColumn(), 3);
    EXPECT_EQ(detached.VanticChar(), second + 3);
}

TEST_F(DocumentTextTest, CaseChangesKeepLengthsAndSelection)
{
    using C = DocumentText;
    EXPECT_EQ(caseChanged(QStringLiteral("miXed Case"), C::UpperCase), u"MIXED CASE");
    EXPECT_EQ(caseChanged(QStringLiteral("miXed Case"), C::LowerCase), u"mixed case");
    EXPECT_EQ(caseChanged(QStringLiteral("miXed Case"), C::ToggleCase), u"MIxED cASE");
    EXPECT_EQ(caseChanged(QStringLiteral("the QUICK brown-fox's tale"), C::TitleCase),
              u"The Quick Brown-Fox's Tale");
    EXPECT_EQ(caseChanged(QStringLiteral("ONE. two!  three? four.five\r\nsIX"), C::SentenceCase),
              u"One. Two!  Three? Four.five\r\nSix");

    // Only the selection changes.
    m_box.setText(QStringLiteral("keep THIS keep"));
    select(5, 4);
    m_text.changeCase(C::LowerCase);
    EXPECT_EQ(m_box.Text(), u"keep this keep");
    EXPECT_EQ(m_box.SelText(), u"this");
}

TEST_F(DocumentTextTest, RtfStringIsTheSavedFileWithoutItsTrailingZero)
{
    testsupport::TempFolder folder;
    // A private temporary folder, so files other programs make in the shared one do not count.
    testsupport::TempFolder privateTemp;
    const QByteArray sharedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", privateTemp.path().toLocal8Bit());
    for (const QString& text : {QString(), QStringLiteral("Typed text\r\nand more")}) {
        m_box.setText(text);
        const QString path = folder.filePath(QStringLiteral("saved.rtf"));
        ASSERT_FALSE(m_box.SaveFile(path, 0).has_value());
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        QByteArray bytes = saved.readAll();
        ASSERT_TRUE(bytes.endsWith('\0'));
        bytes.chop(1);
        const QString rtf = m_text.GetRTFString();
        EXPECT_EQ(rtf, QString::fromLatin1(bytes));
        EXPECT_FALSE(rtf.contains(QChar(0)));
    }
    // Nothing is handed over through the temporary folder.
    EXPECT_EQ(QDir::temp().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList());
    if (sharedTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", sharedTemp);
}

TEST_F(DocumentTextTest, SpecialFormattingIsAnyFormattingWordOrColourTable)
{
    m_box.setText(QStringLiteral("plain typed text"));
    EXPECT_FALSE(m_text.ContainSpecialFormatting());

    select(0, 5);
    m_box.engine().setSelColor(0x0000FF);
    EXPECT_TRUE(m_text.ContainSpecialFormatting());

    m_box.setText(QStringLiteral("plain again"));
    EXPECT_FALSE(m_text.ContainSpecialFormatting());
    select(0, 5);
    m_box.engine().setSelBold(true);
    EXPECT_TRUE(m_text.ContainSpecialFormatting());
}

TEST_F(DocumentTextTest, TextStringReadsTheSharedWindowAndFailsWithoutOne)
{
    m_box.setText(QStringLiteral("own"));
    EXPECT_EQ(testsupport::raisedError([] { DocumentText::GetTextString(); }),
              vb::ErrObjectVariableNotSet);

    RichTextBox other;
    other.setText(QStringLiteral("the other\r\ndocument"));
    RichTextLibraryState::instance().SharedRichText = &other;
    EXPECT_EQ(DocumentText::GetTextString(), u"the other\r\ndocument");
}
