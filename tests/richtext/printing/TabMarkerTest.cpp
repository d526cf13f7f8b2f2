#include "tests/richtext/printing/RulerTestSupport.h"

#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QHelpEvent>
#include <QToolTip>

namespace {

class TabMarkerTest : public testsupport::RulerTestBase {
protected:
    TabMarkerTest() { engine().setText(QStringLiteral("one\ttwo\tthree")); }

    std::vector<int32_t> stops()
    {
        std::vector<int32_t> result;
        for (int i = 0; i < engine().selTabCount().value_or(0); ++i)
            result.push_back(engine().selTab(i).value_or(-1));
        return result;
    }
    std::vector<int> setMarkers()
    {
        std::vector<int> result;
        for (int i = 0; i < XrRTB::TabMarkerCount; ++i)
            if (ruler().Image1(i).Tag == QStringLiteral("1"))
                result.push_back(i);
        return result;
    }
    void giveStops(std::initializer_list<int32_t> positions)
    {
        engine().setSelTabCount(int(positions.size()));
        int i = 0;
        for (int32_t p : positions)
            engine().setSelTab(i++, p);
    }
};

TEST_F(TabMarkerTest, ClickSetsAndClearsAStopWithBeginAndReadyOnly)
{
    engine().replaceSel(QStringLiteral("!"), true);
    ASSERT_TRUE(engine().canUndo());
    testsupport::SignalRecorder events(&control());
    clickMarker(0);
    EXPECT_EQ(events.names(), (QStringList{QStringLiteral("Begin"), QStringLiteral("Ready")}));
    EXPECT_EQ(stops(), std::vector<int32_t>{120});
    EXPECT_EQ(ruler().Image1(0).Tag, QStringLiteral("1"));
    EXPECT_TRUE(ruler().Image1(0).showsPicture);
    EXPECT_EQ(ruler().Image1(0).ToolTipText, QStringLiteral("Tab Stop 1/16 inch"));
    EXPECT_FALSE(engine().canUndo()) << "the editing window keeps no step for the change";

    clickMarker(135);
    clickMarker(23);
    EXPECT_EQ(stops(), (std::vector<int32_t>{120, 2190, 12270}));
    EXPECT_EQ(control().Image1(135).ToolTipText, QStringLiteral("Tab Stop 8 1/2 inch"));
    EXPECT_EQ(control().Image1(23).ToolTipText, QStringLiteral("Tab Stop 1 1/2 inch"));

    clickMarker(0);
    EXPECT_EQ(stops(), (std::vector<int32_t>{2190, 12270}));
    EXPECT_EQ(ruler().Image1(0).Tag, QStringLiteral("0"));
    EXPECT_FALSE(ruler().Image1(0).showsPicture);
    EXPECT_TRUE(ruler().Image1(0).ToolTipText.isEmpty());

    // A set marker shows its tool tip under the pointer; an unset one shows none.
    const auto tipAt = [this](int index) {
        QToolTip::hideText();
        const QRect r = Ruler::markerRect(index);
        const QPoint at(int(host::twipsToPixelsX(r.center().x())), 8);
        QHelpEvent help(QEvent::ToolTip, at, ruler().mapToGlobal(at));
        QApplication::sendEvent(&ruler(), &help);
        return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(23), QStringLiteral("Tab Stop 1 1/2 inch"));
    EXPECT_EQ(tipAt(0), QString());

    // Other buttons click nothing.
    events.clear();
    clickMarker(5, Qt::RightButton);
    EXPECT_TRUE(events.names().isEmpty());
    EXPECT_EQ(stops().size(), 2u);
}

TEST_F(TabMarkerTest, AThirtyThirdStopIsRefusedButTheClickStillRuns)
{
    for (int i = 0; i < 32; ++i)
        clickMarker(i * 4);
    ASSERT_EQ(stops().size(), 32u);
    testsupport::SignalRecorder events(&control());
    clickMarker(1);
    EXPECT_EQ(events.names(), (QStringList{QStringLiteral("Begin"), QStringLiteral("Ready")}));
    EXPECT_NE(ruler().Image1(1).Tag, QStringLiteral("1"));
    EXPECT_EQ(stops().size(), 32u);
    EXPECT_EQ(stops().front(), 120);
    EXPECT_EQ(stops().back(), ruler::markerLeft(124));
    clickMarker(124);
    EXPECT_EQ(stops().size(), 31u) << "a set marker is still cleared";
}

TEST_F(TabMarkerTest, SetRulerTabsShowsStopsOnTheGridAndLeavesMixedSelectionsAlone)
{
    giveStops({720, 12300, 40});
    control().SetRulerTabs();
    EXPECT_EQ(setMarkers(), std::vector<int>{7});
    EXPECT_EQ(ruler().Image1(7).ToolTipText, QStringLiteral("Tab Stop 1/2 inch"));

    giveStops({750});
    control().SetRulerTabs();
    EXPECT_EQ(setMarkers(), std::vector<int>{7});

    giveStops({700, 720});
    control().SetRulerTabs();
    EXPECT_EQ(setMarkers(), std::vector<int>{7});
    // The next click writes the markers' stops: one stop at marker 7's left edge.
    clickMarker(15);
    EXPECT_EQ(stops(), (std::vector<int32_t>{750, 1470}));

    // Paragraphs with different stops: the markers stay as they were.
    engine().setText(QStringLiteral("a\r\nb"));
    engine().setSelStart(0);
    giveStops({1440});
    engine().setSelStart(0);
    engine().setSelLength(4);
    ASSERT_FALSE(engine().selTabCount().has_value());
    control().SetRulerTabs();
    EXPECT_EQ(setMarkers(), (std::vector<int>{7, 15}));
    clickMarker(31);
    engine().setSelStart(3);
    EXPECT_EQ(stops(), (std::vector<int32_t>{750, 1470, 2910}));
}

}  // namespace

TEST_F(TabMarkerTest, ClickTakesTheWholeDocumentSnapshotThatHyperUndoPutsBack)
{
    EXPECT_FALSE(control().GetCanUndoSpecial());
    clickMarker(0);
    ASSERT_EQ(stops(), std::vector<int32_t>{120});
    EXPECT_TRUE(control().GetCanUndoSpecial());
    control().HyperUndo();
    EXPECT_TRUE(stops().empty());
    EXPECT_EQ(engine().text(), QStringLiteral("one\ttwo\tthree"));
    control().HyperUndo();
    EXPECT_EQ(stops(), std::vector<int32_t>{120});
}
