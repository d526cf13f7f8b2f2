#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"

#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/Messages.h"
#include "richtext/core/FileManagementMod.h"
#include "richtext/printing/PrintPreview.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakePrinter.h"
#include "tests/support/RedirectedAppData.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <functional>
#include <stdexcept>

class XrRTBLaunchersTest : public testing::Test {
protected:
    void SetUp() override
    {
        RichTextLibraryState::instance().reset();
        FileManagementMod::resetApplicationHelpFile();
    }
    void TearDown() override { RichTextLibraryState::instance().reset(); }

    static richedit::RichTextBox& window(XrRTB& control)
    {
        return *control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"));
    }
    static int freezeCount(XrRTB& control)
    {
        return window(control).engine().layout().freezeCount();
    }
    static bool syntaxCancel(const XrRTB& control) { return control.SyntaxCancel; }
    static void lock(XrRTB& control, bool value) { control.LockWindowUpdateEx(value); }

    testsupport::RedirectedAppData m_appData;
    XrRTB m_control;
};

// --- Flags and small members ---

TEST_F(XrRTBLaunchersTest, CancelSyntaxRequestsOnlyWhileAPassRuns)
{
    auto& state = RichTextLibraryState::instance();
    EXPECT_FALSE(m_control.CanCancelSyntax());
    EXPECT_FALSE(m_control.Cancel_Syntax().isValid());
    EXPECT_FALSE(syntaxCancel(m_control)) << "an idle request would cancel the next pass";

    state.SyntaxRunning = true;
    EXPECT_TRUE(m_control.CanCancelSyntax());
    EXPECT_FALSE(m_control.Cancel_Syntax().isValid());
    EXPECT_TRUE(syntaxCancel(m_control));

    // The request belongs to this control only.
    XrRTB other;
    EXPECT_FALSE(syntaxCancel(other));
}

TEST_F(XrRTBLaunchersTest, AbortFlagsAndProgress)
{
    auto& state = RichTextLibraryState::instance();
    m_control.KillSwitch();
    EXPECT_TRUE(state.SpellScanAbort);
    // Only a control's initialisation clears it again.
    XrRTB other;
    EXPECT_FALSE(state.SpellScanAbort);

    m_control.ExitFindRep();
    EXPECT_TRUE(state.ReplaceAbort);

    EXPECT_EQ(m_control.ProgressPercentage(), 0);
    state.ProgressTotal = 3;
    state.ProgressDone = 2;
    EXPECT_EQ(m_control.ProgressPercentage(), 66);
    state.ProgressDone = 0;
    EXPECT_EQ(m_control.ProgressPercentage(), 0);
}

TEST_F(XrRTBLaunchersTest, LockWindowUpdateExNestsAndStandsAsideDuringPaste)
{
    lock(m_control, true);
    lock(m_control, true);
    EXPECT_EQ(freezeCount(m_control), 2);
    lock(m_control, false);
    EXPECT_EQ(freezeCount(m_control), 1);

    RichTextLibraryState::instance().PasteState = RichTextLibraryState::PasteFreezing;
    lock(m_control, true);
    EXPECT_EQ(freezeCount(m_control), 1);
    lock(m_control, false);
    lock(m_control, false);
    EXPECT_EQ(freezeCount(m_control), 1);

    RichTextLibraryState::instance().PasteState = 0;
    lock(m_control, false);
    lock(m_control, false);
    EXPECT_EQ(freezeCount(m_control), 0) << "an unfreeze beyond the last freeze does nothing";
    lock(m_control, true);
    EXPECT_EQ(freezeCount(m_control), 1);
}

TEST_F(XrRTBLaunchersTest, TopLineSelStartFollowsTheView)
{
    EXPECT_EQ(m_control.TopLineSelStart(), 0);

    m_control.resize(400, 200);
    m_control.show();
    auto& box = window(m_control);
    QString text;
    for (int line = 0; line < 200; ++line)
        text += QStringLiteral("line %1\r\n").arg(line, 3, 10, QLatin1Char('0'));
    box.setText(text);
    richedit::sendMessage(box.hWnd(), richedit::EM_LINESCROLL, 0, 10);
    const intptr_t top = richedit::sendMessage(box.hWnd(), richedit::EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(top, 0) << "the view did not scroll";
    const QString topLine = QStringLiteral("line %1").arg(top, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(m_control.TopLineSelStart(), box.Text().indexOf(topLine));
}

TEST_F(XrRTBLaunchersTest, GetHelpFileGivesTheBareOrTheTopicPath)
{
    bool bare = true;
    const QString file = m_control.GetHelpFile(bare);
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(FileManagementMod::FileExists(file));
    EXPECT_EQ(m_control.GetHelpFile(), file + QStringLiteral("::/xrwmshelp.txt"));
    bool topic = false;
    EXPECT_EQ(m_control.GetHelpFile(topic), m_control.GetHelpFile());
    EXPECT_TRUE(bare) << "the argument is only read";
}

TEST_F(XrRTBLaunchersTest, TamselShowsOneInformationBoxAndNothingElse)
{
    testsupport::FakeMessageBoxes boxes;
    testsupport::SignalRecorder events(&m_control);
    m_control.Tamsel();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].style, host::vbInformation);
    EXPECT_FALSE(boxes.shown()[0].text.isEmpty());
    EXPECT_FALSE(boxes.shown()[0].title.isEmpty());
    EXPECT_TRUE(events.names().isEmpty());
}

// --- Launchers ---

TEST_F(XrRTBLaunchersTest, PrintPreviewSetsTheWindowFlagOnlyWhileOpenAndTakesTheMargin)
{
    testsupport::FakePrinter printer;
    auto& engine = window(m_control).engine();
    window(m_control).setText(QStringLiteral("The document to preview."));
    m_control.LetPrinterMargin(TenEighty);
    bool flagDuringDialog = false;
    int32_t marginDuringDialog = 0;
    QString copyDuringDialog;
    QWidget* owner = nullptr;
    PrintPreview::setShowHook([&](PrintPreview& preview) {
        flagDuringDialog = engine.dispId2Flag();
        marginDuringDialog = RichTextLibraryState::instance().SharedPrintMargin;
        copyDuringDialog = preview.RichTextBox1->Text();
        owner = preview.parentWidget();
    });
    m_control.ShowPrintPreview();
    EXPECT_TRUE(flagDuringDialog);
    EXPECT_EQ(marginDuringDialog, 1080);
    EXPECT_EQ(copyDuringDialog, "The document to preview.");
    EXPECT_EQ(owner, &m_control);
    EXPECT_FALSE(engine.dispId2Flag());
    EXPECT_TRUE(RichTextLibraryState::instance().SharedRichText.isNull());

    // A failing preview still gives the window back as it was.
    PrintPreview::setShowHook([&](PrintPreview&) { throw std::runtime_error("preview failed"); });
    EXPECT_THROW(m_control.ShowPrintPreview(), std::runtime_error);
    EXPECT_FALSE(engine.dispId2Flag());
    EXPECT_TRUE(RichTextLibraryState::instance().SharedRichText.isNull());
    PrintPreview::setShowHook({});
}
