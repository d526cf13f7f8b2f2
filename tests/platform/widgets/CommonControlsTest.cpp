#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"
#include "platform/widgets/ProgressBar.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrSliderControl.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QTest>
#include <cmath>

namespace {

TEST(XrSliderControl, ValuesAreClampedIntoTheRange)
{
    XrSliderControl slider;
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 100);
    slider.setValue(28);
    EXPECT_EQ(slider.Value(), 28);
    slider.setValue(150);
    EXPECT_EQ(slider.Value(), 100);
    slider.setValue(-5);
    EXPECT_EQ(slider.Value(), 0);

    slider.setValue(28);
    slider.setMin(50);
    EXPECT_EQ(slider.Value(), 50);
    slider.setMax(10);  // below Min: the range collapses onto it
    EXPECT_EQ(slider.Min(), 10);
    EXPECT_EQ(slider.Max(), 10);
    EXPECT_EQ(slider.Value(), 10);
}

TEST(XrSliderControl, DragRaisesScrollThenOneChangeOtherChangesRaiseChange)
{
    XrSliderControl slider;
    slider.setValue(28);
    testsupport::SignalRecorder recorder(&slider);

    slider.setValue(28);  // no change, no event
    slider.setValue(40);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.Value(), 41);
    EXPECT_EQ(recorder.names(), QStringList({"Change", "Change"}));

    recorder.clear();
    slider.setSliderDown(true);
    slider.setSliderPosition(45);
    slider.setSliderPosition(50);
    slider.setSliderDown(false);
    EXPECT_EQ(recorder.names(), QStringList({"Scroll", "Scroll", "Change"}));

    // A drag that comes back to where it started changed nothing.
    recorder.clear();
    slider.setSliderDown(true);
    slider.setSliderPosition(60);
    slider.setSliderPosition(50);
    slider.setSliderDown(false);
    EXPECT_EQ(recorder.names(), QStringList({"Scroll", "Scroll"}));
}

TEST(StatusBar, PanelsAreAddressedFromOne)
{
    StatusBar bar(4);
    EXPECT_EQ(bar.PanelCount(), 4);
    bar.Panels(1).setText(QStringLiteral("Document Name: Document.wmdf"));
    bar.Panels(4).setText(QStringLiteral("Position: 0"));
    EXPECT_EQ(bar.Panels(1).Text(), QStringLiteral("Document Name: Document.wmdf"));
    EXPECT_EQ(bar.Panels(2).Text(), QString());
    EXPECT_EQ(bar.Panels(4).Text(), QStringLiteral("Position: 0"));

    for (int index : {0, 5, -1}) {
        try {
            bar.Panels(index);
            ADD_FAILURE() << "no error for index " << index;
        } catch (const vb::VbError& error) {
            EXPECT_EQ(error.number(), StatusBar::IndexOutOfBounds);
        }
    }

    bar.setVisible(false);
    EXPECT_FALSE(bar.Visible());
    bar.setVisible(true);
    EXPECT_TRUE(bar.Visible());
}

TEST(StatusBar, PanelsShareTheBarByTheirSizing)
{
    host::ScopedLogicalDpi dpi(96, 96);
    StatusBar bar(4);
    bar.resize(800, bar.sizeHint().height());
    bar.Panels(1).setAutoSize(StatusBar::sbrSpring);
    bar.Panels(2).setAutoSize(StatusBar::sbrContents);
    bar.Panels(2).setMinWidth(150);  // 10 pixels
    bar.Panels(2).setText(QStringLiteral("Line: 12345"));
    bar.Panels(3).setWidth(1440);  // one inch
    bar.Panels(4).setWidth(720);

    EXPECT_EQ(bar.panelRect(3).width(), 96);
    EXPECT_EQ(bar.panelRect(4).width(), 48);
    EXPECT_GT(bar.panelRect(2).width(),
              bar.fontMetrics().horizontalAdvance(QStringLiteral("Line: 12345")));
    // The spring panel takes the rest: the last panel ends at the bar's right margin.
    EXPECT_NEAR(bar.panelRect(4).right(), bar.width() - 3, 1);
    for (int index = 1; index < 4; ++index)
        EXPECT_LT(bar.panelRect(index).right(), bar.panelRect(index + 1).left());

    const int springBefore = bar.panelRect(1).width();
    bar.Panels(3).setVisible(false);
    EXPECT_TRUE(bar.panelRect(3).isEmpty());
    EXPECT_GT(bar.panelRect(1).width(), springBefore + 90);
    EXPECT_TRUE(bar.panelRect(0).isEmpty());
}

TEST(ProgressBar, ValueStaysInsideTheRange)
{
    ProgressBar bar;
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Value(), 0.0);
    EXPECT_FALSE(bar.isTextVisible());

    bar.setValue(33.6);
    EXPECT_DOUBLE_EQ(bar.Value(), 33.6);
    EXPECT_EQ(bar.value(), 34);
    bar.setValue(250);  // an overshooting progress figure
    EXPECT_EQ(bar.Value(), 100.0);
    bar.setValue(-3);
    EXPECT_EQ(bar.Value(), 0.0);
    bar.setValue(std::nan(""));
    EXPECT_EQ(bar.Value(), 0.0);

    bar.setValue(73);
    bar.setMax(50);
    EXPECT_EQ(bar.Value(), 50.0);
    EXPECT_EQ(bar.value(), 50);
    bar.setMin(60);
    EXPECT_EQ(bar.Value(), 60.0);
}

}  // namespace
