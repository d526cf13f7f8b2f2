#include "richtext/core/XrRTB.h"

#include "platform/host/ControlFactory.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/Units.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/FileManagementMod.h"
#include "richtext/core/XrRichTextBoxLibrary.h"
#include "tests/support/RedirectedAppData.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QTest>
#include <memory>

namespace {

class XrRTBTest : public testing::Test {
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
    static richedit::RichTextView& view(XrRTB& control)
    {
        return *control.findChild<richedit::RichTextView*>();
    }
    static QWidget& frame(XrRTB& control)
    {
        return *control.findChild<QWidget*>(QStringLiteral("RTBPicture"));
    }

    // 15 twips to the pixel: the ruler strip is 19 pixels, the gutter 2.
    host::ScopedLogicalDpi m_dpi{96, 96};
    testsupport::RedirectedAppData m_appData;
};

TEST_F(XrRTBTest, LaysOutUnderTheRulerStripOrWithoutIt)
{
    XrRTB control;
    control.show();
    control.resize(300, 200);
    EXPECT_EQ(frame(control).geometry(), QRect(0, 19, 300, 181));
    EXPECT_EQ(view(control).geometry(), QRect(2, 0, 298, 181));
    EXPECT_EQ(view(control).parentWidget(), &frame(control));

    testsupport::SignalRecorder events(&control);
    control.LetDisplayRuler(false);
    EXPECT_EQ(events.names(),
              (QStringList{QStringLiteral("PropertyChanged"), QStringLiteral("UpdateParentMenu")}));
    EXPECT_EQ(frame(control).geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(view(control).geometry(), QRect(2, 0, 298, 200));

    // The same value again still re-lays out and tells the host.
    control.LetDisplayRuler(false);
    EXPECT_EQ(events.count(QStringLiteral("UpdateParentMenu")), 2);

    control.LetDisplayRuler(true);
    EXPECT_EQ(view(control).mapTo(&control, QPoint(0, 0)), QPoint(2, 19));
    EXPECT_EQ(view(control).height(), 181);
}

TEST_F(XrRTBTest, ControlSmallerThanRulerStripAndGutterKeepsEmptySizes)
{
    XrRTB control;
    control.show();
    control.resize(1, 10);
    EXPECT_EQ(frame(control).geometry(), QRect(0, 19, 1, 0));
    EXPECT_EQ(view(control).size(), QSize(0, 0));
}

TEST_F(XrRTBTest, ReadPropertiesStoresRulerChoiceForNextResizeWithoutEvents)
{
    host::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("DisplayRuler"), false, true);
    XrRTB control;
    testsupport::SignalRecorder events(&control);
    control.UserControl_ReadProperties(bag);
    control.resize(300, 200);
    control.show();
    EXPECT_EQ(frame(control).geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(events.count(QStringLiteral("UpdateParentMenu")), 0);

    host::PropertyBag saved;
    control.UserControl_WriteProperties(saved);
    EXPECT_FALSE(saved.ReadProperty(QStringLiteral("DisplayRuler"), true).toBool());
    EXPECT_FALSE(saved.contains(QStringLiteral("DetectHyperLinks")));  // still its default
}

TEST_F(XrRTBTest, LifecycleFromCreationToDestruction)
{
    auto& state = RichTextLibraryState::instance();
    state.SpellScanAbort = true;
    state.SharedDetectHyperLinks = false;

    auto control = std::make_unique<XrRTB>();
    EXPECT_FALSE(state.SpellScanAbort);
    EXPECT_FALSE(FileManagementMod::applicationHelpFile().isEmpty());
    EXPECT_TRUE(FileManagementMod::applicationHelpFile().startsWith(m_appData.path()));

    testsupport::SignalRecorder events(control.get());
    control->setObjectName(QStringLiteral("XrRTB1"));
    control->UserControl_InitProperties();
    EXPECT_EQ(window(*control).Text(), QStringLiteral("XrRTB1"));
    EXPECT_EQ(control->size(), QSize(105, 49));  // 1575 by 735 twips
    EXPECT_EQ(window(*control).Font().family(), QStringLiteral("Verdana"));

    window(*control).engine().setModified(true);
    control->setToolTip(QStringLiteral("Type here"));
    control->setProperty("WhatsThisHelpID", 42);
    events.clear();
    control->show();
    EXPECT_EQ(events.names(), (QStringList{QStringLiteral("Begin"), QStringLiteral("Finish"),
                                           QStringLiteral("Ready")}));
    EXPECT_FALSE(window(*control).engine().isModified());
    EXPECT_TRUE(state.SharedDetectHyperLinks);
    EXPECT_EQ(view(*control).toolTip(), QStringLiteral("Type here"));
    EXPECT_EQ(view(*control).property("WhatsThisHelpID").toInt(), 42);

    // Only the first showing is the host showing the control.
    control->hide();
    control->show();
    EXPECT_EQ(events.count(QStringLiteral("Ready")), 1);

    auto* scratch = control->findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox2"));
    ASSERT_NE(scratch, nullptr);
    EXPECT_FALSE(scratch->hasView());
    state.CleanupRTF = QStringLiteral("{\\rtf1 x}");
    events.clear();
    control.reset();
    EXPECT_TRUE(state.CleanupRTF.isEmpty());
    // Emptying the windows on the way out tells the host nothing.
    EXPECT_TRUE(events.names().isEmpty()) << events.names().join(',').toStdString();
}

TEST_F(XrRTBTest, ReleaseOnIndentHandleResumesUndoAndRaisesReady)
{
    XrRTB control;
    control.show();
    for (const char* name : {"HIHandle", "LIHandle", "RIHandle"}) {
        SCOPED_TRACE(name);
        auto* handle = control.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(handle, nullptr);
        richedit::Engine& engine = window(control).engine();
        engine.setText(QString());
        engine.emptyUndoBuffer();
        richedit::TextDocument(engine).Undo(richedit::tomSuspend);

        testsupport::SignalRecorder events(&control);
        QTest::mouseRelease(handle, Qt::LeftButton);
        EXPECT_EQ(events.names(), QStringList{QStringLiteral("Ready")});
        engine.replaceSel(QStringLiteral("x"), true);
        EXPECT_TRUE(engine.canUndo());
    }
    EXPECT_EQ(control.findChild<QWidget*>(QStringLiteral("LIHandle"))->toolTip(),
              QStringLiteral("Left Indent"));
}

TEST_F(XrRTBTest, KeyEventsPassThroughByReference)
{
    XrRTB control;
    control.resize(300, 200);
    control.show();
    testsupport::SignalRecorder events(&control);
    QTest::keyClick(&view(control), Qt::Key_A);
    EXPECT_EQ(window(control).Text(), QStringLiteral("a"));
    const QStringList typed = events.names();
    ASSERT_GE(typed.size(), 3);
    EXPECT_EQ(typed.first(), QStringLiteral("KeyDown"));
    EXPECT_EQ(typed.at(1), QStringLiteral("KeyPress"));
    // The control's own key-release handling closes with Finish and Ready.
    EXPECT_EQ(typed.mid(typed.size() - 3), (QStringList{"KeyUp", "Finish", "Ready"}));
    EXPECT_TRUE(typed.contains(QStringLiteral("Change")));
    EXPECT_TRUE(typed.contains(QStringLiteral("SelChange")));

    // A host that zeroes KeyCode swallows the key.
    QObject::connect(&control, &XrRTB::KeyDown, &control, [](int& KeyCode, int&) {
        if (KeyCode == 'B')
            KeyCode = 0;
    });
    events.clear();
    QTest::keyClick(&view(control), Qt::Key_B);
    EXPECT_EQ(window(control).Text(), QStringLiteral("a"));
    EXPECT_EQ(events.count(QStringLiteral("KeyPress")), 0);
    EXPECT_EQ(events.count(QStringLiteral("Change")), 0);

    // So does one that zeroes KeyAscii.
    QObject::connect(&control, &XrRTB::KeyPress, &control, [](int& KeyAscii) {
        if (KeyAscii == 'c')
            KeyAscii = 0;
    });
    QTest::keyClick(&view(control), Qt::Key_C);
    QTest::keyClick(&view(control), Qt::Key_D);
    EXPECT_EQ(window(control).Text(), QStringLiteral("ad"));
}

TEST_F(XrRTBTest, MouseEventsPassThrough)
{
    XrRTB control;
    control.resize(300, 200);
    control.show();
    testsupport::SignalRecorder events(&control);
    QTest::mouseClick(view(control).viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(events.count(QStringLiteral("MouseDown")), 1);
    EXPECT_EQ(events.count(QStringLiteral("MouseUp")), 1);
    EXPECT_EQ(events.count(QStringLiteral("Click")), 1);
    EXPECT_LT(events.names().indexOf(QStringLiteral("MouseDown")),
              events.names().indexOf(QStringLiteral("MouseUp")));
}

TEST_F(XrRTBTest, RegisteredWithControlFactoryByName)
{
    XrRichTextBox::registerClasses();
    std::unique_ptr<QWidget> created(host::createControl(QStringLiteral("XrRichTextBox.XrRTB")));
    ASSERT_NE(created, nullptr);
    EXPECT_NE(qobject_cast<XrRTB*>(created.get()), nullptr);
}

}  // namespace
