// The control's search members with their defaults: forward, all matches, addresses not
// passed over unless whole words are sought.
#include "tests/richtext/scanning/XrRTBSearchTestSupport.h"

#include <gtest/gtest.h>

TEST_F(XrRTBSearchTest, FindDefaultsSearchForwardForAnyMatch)
{
    m_control.LetText(QStringLiteral("mail www.cat.org or the Cat"));
    EXPECT_EQ(m_control.Find2(QStringLiteral("cat")), 9);
    EXPECT_EQ(m_control.SelLength(), 3);
    EXPECT_EQ(m_control.Find2(QStringLiteral("cat")), 24);
    m_control.LetSelStart(0);
    EXPECT_EQ(m_control.Find2(QStringLiteral("cat"), FindNext, WholeWord), 24);
    EXPECT_EQ(m_control.Find2(QStringLiteral("cat"), FindPrevious, WholeWord, false), 9);
    EXPECT_EQ(m_control.Find2(QStringLiteral("cat"), static_cast<FindDirectionQ>(0)), 0);
    EXPECT_TRUE(m_control.FindVerify(QStringLiteral("CAT")));
    EXPECT_FALSE(m_control.FindVerify(QStringLiteral("CAT"), MatchCase));
    EXPECT_TRUE(m_control.DetectNotWords(5));
    EXPECT_FALSE(m_control.DetectNotWords(20));
}

// Through the control's own whole-document snapshot, not the stand-in.
class XrRTBColouringUndoTest : public testsupport::XrRTBTestBase {
protected:
    XrRTB m_control;
};

TEST_F(XrRTBColouringUndoTest, ColouringUndoneRedoneAndUndoneKeepsEveryParagraph)
{
    const QString source = QStringLiteral("dim x as integer\r\nrem note this\r\n\r\n");
    m_control.LetText(source);
    m_control.ApplyVB6Syntax();
    const QString coloured = m_control.Text();
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), source);
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), coloured);
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), source);
}
