#include "ProgressBarTestHelpers.h"

#include "controls/progressbar/XrSpecStatusBarLibrary.h"
#include "platform/host/ControlFactory.h"
#include "platform/runtime/VbError.h"
#include "tests/support/RaisedError.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>

namespace {

using namespace XrSpecStatusBar;
using bartest::makeBar;
using host::PropertyBag;
using testsupport::raisedError;
using testsupport::SignalRecorder;

TEST(XrucProgressBar, NewBarHasTheInitialValues)
{
    XrucProgressBar bar;
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(bar.Value2(), 0);
    EXPECT_EQ(bar.Color(), bartest::highlight);
    EXPECT_EQ(bar.Color2(), 0u);
    EXPECT_EQ(bar.Scrolling(), ccScrollingStandard);
    EXPECT_EQ(bar.Orientation(), ccOrientationHorizontal);
    EXPECT_FALSE(bar.ShowText());
    EXPECT_FALSE(bar.DoubleValOnMetal());
    EXPECT_TRUE(bar.Image().isNull());
    ASSERT_NE(bar.Font(), nullptr);
    EXPECT_DOUBLE_EQ(bar.Font()->pointSizeF(), 8.25);
    EXPECT_EQ(bar.hwnd(), &bar);
}

TEST(XrucProgressBar, ValueIsKeptAsAPercentageOfTheRange)
{
    auto bar = makeBar(120, 20);
    bar->LetValue(37);
    EXPECT_EQ(bar->Value(), 37);
    bar->LetMax(73);
    bar->LetValue(50);  // 5000 / 73 = 68.49
    PropertyBag bag;
    bar->WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty("Value").toInt(), 68);
    bar->LetValue(37);  // 3700 / 73 = 50.68 -> 51, read back as 51 / 100 x 73 = 37.23
    EXPECT_EQ(bar->Value(), 37);

    // Above the range the next paint keeps 100 %; below it the percentage stays negative.
    bar->LetMax(100);
    bar->LetValue(150);
    EXPECT_EQ(bar->Value(), 100);
    bar->LetValue(-20);
    EXPECT_EQ(bar->Value(), -20);
    // Halves go to the even neighbour: 100 x 1 / 8 = 12.5 -> 12, 100 x 3 / 8 = 37.5 -> 38.
    bar->LetMax(8);
    bar->LetValue(1);
    bar->LetMax(100);
    EXPECT_EQ(bar->Value(), 12);
    bar->LetMax(8);
    bar->LetValue(3);
    bar->LetMax(100);
    EXPECT_EQ(bar->Value(), 38);
}

TEST(XrucProgressBar, MinShiftsTheRangeBothWays)
{
    auto bar = makeBar(120, 20);
    bar->LetMax(120);
    bar->LetMin(20);
    bar->LetValue(70);
    PropertyBag bag;
    bar->WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty("Value").toInt(), 50);
    EXPECT_EQ(bar->Value(), 70);
    bar->LetValue2(20);
    EXPECT_EQ(bar->Value2(), 20);
    bar->LetMin(-50);
    bar->LetMax(50);
    bar->LetValue(0);
    EXPECT_EQ(bar->Value(), 0);
    PropertyBag again;
    bar->WriteProperties(again);
    EXPECT_EQ(again.ReadProperty("Value").toInt(), 50);
}

// A host may write the bounds in either order, passing through an empty range on the way.
TEST(XrucProgressBar, EveryBoundIsKeptAndAnEmptyRangeShowsNothing)
{
    auto percentOf = [](const XrucProgressBar& bar) {
        PropertyBag bag;
        bar.WriteProperties(bag);
        return bag.ReadProperty("Value", 0).toInt();
    };
    for (const bool minFirst : {true, false}) {
        auto bar = makeBar(120, 20);
        SignalRecorder recorder(bar.get());
        if (minFirst) {
            bar->LetMin(100);
            bar->LetMax(200);
        } else {
            bar->LetMax(200);
            bar->LetMin(100);
        }
        EXPECT_EQ(bar->Min(), 100) << minFirst;
        EXPECT_EQ(bar->Max(), 200) << minFirst;
        EXPECT_EQ(recorder.count("PropertyChanged"), 2);
        bar->LetValue(150);
        EXPECT_EQ(percentOf(*bar), 50);
        EXPECT_EQ(bar->Value(), 150);
    }

    auto empty = makeBar(120, 20);
    empty->LetValue(60);
    empty->LetMin(100);
    empty->LetMax(100);
    EXPECT_EQ(raisedError([&] { empty->LetValue(100); }), 0);
    EXPECT_EQ(percentOf(*empty), 0);
    EXPECT_EQ(empty->Value(), 100);
    auto fresh = makeBar(120, 20);
    fresh->DrawProgressBar();
    EXPECT_EQ(bartest::painted(*empty), bartest::painted(*fresh));
}

TEST(XrucProgressBar, OverflowFailsAndKeepsThePreviousValue)
{
    auto bar = makeBar(120, 20);
    bar->LetValue(40);
    EXPECT_EQ(raisedError([&] { bar->LetValue(25000000); }), vb::ErrOverflow);
    EXPECT_EQ(bar->Value(), 40);
    EXPECT_THROW(bar->LetValue2(-25000000), vb::VbError);
    // A getter whose result leaves the Long range fails too.
    bar->LetValue(100);
    bar->LetMax(2000000000);
    bar->LetMin(-2000000000);
    EXPECT_THROW(bar->Value(), vb::VbError);
}

TEST(XrucProgressBar, WritesNotifyTheHostWithTheirKey)
{
    auto bar = makeBar(120, 20);
    SignalRecorder recorder(bar.get());
    bar->LetBrushStyle(HS_CROSS);
    bar->LetDoubleValOnMetal(true);
    bar->LetColor(0x123456);
    bar->LetColor2(0x654321);
    bar->SetFont(std::make_shared<QFont>());
    bar->SetImage(gdi::Bitmap::create(4, 4));
    bar->LetMin(5);
    bar->LetMax(90);
    bar->LetOrientation(ccOrientationVertical);
    bar->LetScrolling(ccScrollingPastel);
    bar->LetShowText(true);
    bar->LetValue(7);
    bar->LetValue2(8);
    QStringList keys;
    for (const auto& emission : recorder.emissions())
        keys += emission.arguments.value(0).toString();
    EXPECT_EQ(keys, QStringList({"BrushStyle", "Image", "Min", "Max", "Orientation", "Scrolling",
                                 "ShowText"}));
}

TEST(XrucProgressBar, RedrawsAfterMostWritesButNotAfterMinMaxOrBrushStyle)
{
    auto bar = makeBar(120, 20);
    auto scribble = [&] { bar->hDC()->setPixel(60, 10, 0x00FF00); };
    auto repainted = [&] { return bar->hDC()->getPixel(60, 10) != 0x00FF00u; };
    scribble();
    bar->LetMin(1);
    bar->LetMax(99);
    bar->LetBrushStyle(HS_VERTICAL);
    bar->SetFont(bar->Font());
    EXPECT_FALSE(repainted());
    bar->LetValue(3);
    EXPECT_TRUE(repainted());
    for (auto write : std::initializer_list<std::function<void()>>{
             [&] { bar->LetColor(0x10); }, [&] { bar->LetColor2(0x10); },
             [&] { bar->LetDoubleValOnMetal(false); }, [&] { bar->LetShowText(false); },
             [&] { bar->LetOrientation(ccOrientationHorizontal); },
             [&] { bar->LetScrolling(ccScrollingStandard); }, [&] { bar->LetValue2(1); },
             [&] { bar->SetImage({}); }}) {
        scribble();
        write();
        EXPECT_TRUE(repainted());
    }
}

TEST(XrucProgressBar, ColoursAreStoredTranslated)
{
    auto bar = makeBar(120, 20);
    bar->LetColor(0x8000000F);
    EXPECT_EQ(bar->Color(), 0xF0F0F0u);
    bar->LetColor2(0x80000063);  // no such system colour: black
    EXPECT_EQ(bar->Color2(), 0u);
    bar->LetColor(0x00ABCDEF);
    EXPECT_EQ(bar->Color(), 0x00ABCDEFu);
}

TEST(XrucProgressBarPersistence, DefaultsAreNotWrittenAndKeysKeepTheirOrder)
{
    XrucProgressBar bar;
    PropertyBag fresh;
    bar.WriteProperties(fresh);
    EXPECT_EQ(fresh.names(), QStringList({"Font", "BrushStyle", "Color", "Color2"}));

    bar.LetBrushStyle(HS_CROSS);  // its default in the bag
    bar.LetColor(0x8000000D);     // kept as RGB: never equal to the default
    bar.LetMax(73);
    bar.LetMin(1);
    bar.LetOrientation(ccOrientationVertical);
    bar.LetScrolling(ccScrollingMetallic);
    bar.LetShowText(true);
    bar.LetValue(37);
    bar.LetValue2(20);
    bar.LetColor2(0x8000000D);
    bar.LetDoubleValOnMetal(true);
    bar.SetImage(gdi::Bitmap::create(2, 2));
    PropertyBag full;
    bar.WriteProperties(full);
    EXPECT_EQ(full.names(),
              QStringList({"Font", "Color", "Image", "Max", "Min", "Orientation", "Scrolling",
                           "ShowText", "Value", "Value2", "Color2", "DoubleValOnMetal"}));
}

TEST(XrucProgressBarPersistence, ReadingRestoresEveryPropertyWithTheStoredPercentage)
{
    XrucProgressBar original;
    original.resize(150, 22);
    original.Font()->setFamily(QStringLiteral("DejaVu Serif"));
    original.Font()->setBold(true);
    original.LetBrushStyle(HS_DIAGCROSS);
    original.LetColor(0x8000000F);
    original.LetColor2(0x00336699);
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.fill(QColor(10, 20, 30));
    original.SetImage(gdi::Bitmap::fromImage(tile));
    original.LetMax(73);
    original.LetMin(0);
    original.LetOrientation(ccOrientationVertical);
    original.LetScrolling(ccScrollingCustomBrush);
    original.LetShowText(true);
    original.LetValue(37);  // 51 %
    original.LetValue2(20);
    original.LetDoubleValOnMetal(true);
    PropertyBag bag;
    original.WriteProperties(bag);

    // Read back from the form the host stores, so every value must survive it.
    bool stored = false;
    const PropertyBag kept = PropertyBag::fromBytes(bag.toBytes(), &stored);
    ASSERT_TRUE(stored);
    XrucProgressBar restored;
    restored.resize(150, 22);
    SignalRecorder recorder(&restored);
    restored.ReadProperties(kept);
    EXPECT_EQ(restored.Font()->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(restored.Font()->bold());
    EXPECT_EQ(restored.Color(), 0xF0F0F0u);  // stored as RGB, comes back as RGB
    EXPECT_EQ(restored.Color2(), 0x00336699u);
    EXPECT_EQ(restored.Image().toImage(), tile);
    EXPECT_EQ(restored.Max(), 73);
    EXPECT_EQ(restored.Min(), 0);
    EXPECT_EQ(restored.Orientation(), ccOrientationVertical);
    EXPECT_EQ(restored.Scrolling(), ccScrollingCustomBrush);
    EXPECT_TRUE(restored.ShowText());
    EXPECT_EQ(restored.Value(), 37);
    EXPECT_EQ(restored.Value2(), 20);
    EXPECT_TRUE(restored.DoubleValOnMetal());
    PropertyBag again;
    restored.WriteProperties(again);
    EXPECT_EQ(again.ReadProperty("Value"), QVariant(51));
    EXPECT_EQ(again.names(), bag.names());
    EXPECT_EQ(again.ReadProperty("BrushStyle"), QVariant(int(HS_DIAGCROSS)));
    QStringList keys;
    for (const auto& emission : recorder.emissions())
        keys += emission.arguments.value(0).toString();
    EXPECT_EQ(keys, QStringList({"Max", "Min", "Orientation", "Scrolling", "ShowText"}));
}

TEST(XrucProgressBarPersistence, AbsentKeysReadAsTheirDefaults)
{
    XrucProgressBar bar;
    bar.LetMax(50);
    bar.LetValue(10);
    const XrucProgressBar::StdFont font = bar.Font();
    bar.ReadProperties(PropertyBag());
    EXPECT_EQ(bar.Font(), font);  // a bag without a font keeps the bar's own
    EXPECT_EQ(bar.Color(), bartest::highlight);
    EXPECT_EQ(bar.Color2(), bartest::highlight);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Value(), 0);
    PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_FALSE(bag.contains("BrushStyle"));  // read as 4, its default
}

// A font of nothing has no stored form: it is left out, and the bar that reads the bag keeps
// a font it can draw its text with.
TEST(XrucProgressBarPersistence, FontOfNothingIsNotWritten)
{
    XrucProgressBar original;
    original.SetFont(nullptr);
    PropertyBag bag;
    original.WriteProperties(bag);
    EXPECT_FALSE(bag.contains("Font"));
    EXPECT_EQ(bag.names(), QStringList({"BrushStyle", "Color", "Color2"}));

    XrucProgressBar restored;
    restored.LetShowText(true);
    restored.ReadProperties(bag);
    ASSERT_NE(restored.Font(), nullptr);
    EXPECT_EQ(raisedError([&] { restored.LetValue(10); }), 0);
}

TEST(XrucProgressBarPersistence, BoundsComeBackAsAPairWhateverTheOrder)
{
    XrucProgressBar original;
    original.LetMin(-5);
    original.LetMax(0);
    original.LetValue(-1);
    PropertyBag bag;
    original.WriteProperties(bag);
    XrucProgressBar restored;
    restored.ReadProperties(bag);
    EXPECT_EQ(restored.Max(), 0);
    EXPECT_EQ(restored.Min(), -5);
    EXPECT_EQ(restored.Value(), -1);

    PropertyBag swapped;
    swapped.WriteProperty("Max", 0);
    swapped.WriteProperty("Min", 100);
    restored.ReadProperties(swapped);
    EXPECT_EQ(restored.Max(), 0);
    EXPECT_EQ(restored.Min(), 100);
    PropertyBag empty;
    empty.WriteProperty("Max", 7);
    empty.WriteProperty("Min", 7);
    restored.ReadProperties(empty);
    EXPECT_EQ(restored.Max(), 7);
    EXPECT_EQ(restored.Min(), 7);
}

// A value of the wrong type fails the load with error 13, one its property cannot hold with
// error 6, where a bar used to read 0; what was read before it stays.
TEST(XrucProgressBarPersistence, WrongTypesAndValuesOutOfRangeFailTheLoad)
{
    struct Bad {
        const char* key;
        QVariant value;
        long error;
    };
    const Bad bad[] = {
        {"Font", QStringLiteral("Arial"), vb::ErrTypeMismatch},
        {"Max", QStringLiteral("lots"), vb::ErrTypeMismatch},
        {"ShowText", QFont(), vb::ErrTypeMismatch},
        {"Image", 5, vb::ErrTypeMismatch},
        {"Value", 3e9f, vb::ErrOverflow},
        {"Color2", QStringLiteral("4294967295"), vb::ErrOverflow},
    };
    for (const Bad& entry : bad) {
        PropertyBag bag;
        bag.WriteProperty(QString::fromLatin1(entry.key), entry.value);
        XrucProgressBar bar;
        EXPECT_EQ(raisedError([&] { bar.ReadProperties(bag); }), entry.error) << entry.key;
    }

    PropertyBag late;
    late.WriteProperty("Orientation", int(ccOrientationVertical));
    late.WriteProperty("DoubleValOnMetal", QStringLiteral("perhaps"));
    XrucProgressBar bar;
    EXPECT_EQ(raisedError([&] { bar.ReadProperties(late); }), vb::ErrTypeMismatch);
    EXPECT_EQ(bar.Orientation(), ccOrientationVertical);
}

TEST(XrucProgressBarMemory, BitmapIsRemadeOnlyWhenTheSurfaceGrows)
{
    // Shown, so that each resize reaches the bar at once.
    QWidget host;
    host.resize(200, 100);
    host.show();
    auto* bar = new XrucProgressBar(&host);
    bar->show();
    bar->resize(100, 20);
    const gdi::Bitmap first = bar->hDC()->bitmap();
    EXPECT_EQ(first.width(), 100);
    bar->resize(60, 10);
    EXPECT_EQ(bar->hDC()->bitmap(), first);
    EXPECT_EQ(bar->hDC()->bitmap().width(), 100);
    bar->resize(60, 40);
    const gdi::Bitmap taller = bar->hDC()->bitmap();
    EXPECT_FALSE(taller == first);
    EXPECT_EQ(taller.width(), 60);
    EXPECT_EQ(taller.height(), 40);
    bar->resize(101, 5);
    EXPECT_EQ(bar->hDC()->bitmap().width(), 101);
    EXPECT_EQ(bar->hDC()->bitmap().height(), 5);
}

TEST(XrucProgressBar, GeometryComesFromTheWindowInHwnd)
{
    auto bar = makeBar(200, 20);
    auto* other = new QWidget;
    other->resize(40, 20);
    bar->LetHwnd(other);
    bar->LetValue(100);
    // The frame's right edge follows the other window's width.
    EXPECT_EQ(bar->hDC()->getPixel(39, 10), 0x686868u);
    EXPECT_EQ(bar->hDC()->getPixel(199, 10), 0xFFFFFFu);
    delete other;
    EXPECT_EQ(bar->hwnd(), nullptr);
    bar->LetValue(50);  // no window: nothing to paint into, and no failure
}

TEST(XrucProgressBarLibrary, RegistersTheControlClass)
{
    XrSpecStatusBar::registerClasses();
    std::unique_ptr<QWidget> control(
        host::createControl(QStringLiteral("XrSpecStatusBar.XrucProgressBar")));
    ASSERT_NE(dynamic_cast<XrucProgressBar*>(control.get()), nullptr);
}

}  // namespace
