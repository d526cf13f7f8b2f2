// XrFrameControl's properties: notifications, style presets, themes, persistence, the minimum
// size, MouseMove and the handing on of Enabled.
#include "controls/frame/XrFrameControl.h"
#include "controls/frame/XrFrameLibrary.h"
#include "platform/host/ControlFactory.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"
#include "tests/controls/frame/FrameTestSupport.h"
#include "tests/support/RaisedError.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

using namespace XrFrame;
using namespace frametest;
using host::PropertyBag;
using testsupport::raisedError;

namespace {

// A contained control with a property of its own named "Enabled".
class SwitchControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE LetEnabled)

public:
    using QWidget::QWidget;
    bool Enabled() const { return m_enabled; }
    void LetEnabled(bool value) { m_enabled = value; }

private:
    bool m_enabled = true;
};

QStringList changedKeys(const testsupport::SignalRecorder& recorder)
{
    QStringList keys;
    for (const auto& emission : recorder.emissions()) {
        if (emission.name == QLatin1String("PropertyChanged"))
            keys.append(emission.arguments.value(0).toString());
    }
    return keys;
}

TEST(XrFrameControl, RegistersWithTheControlFactory)
{
    XrFrame::registerClasses();
    std::unique_ptr<QWidget> control(host::createControl(QStringLiteral("XrFrame.XrFrameControl")));
    EXPECT_NE(dynamic_cast<XrFrameControl*>(control.get()), nullptr);
}

TEST(XrFrameControl, NewFrameDefaults)
{
    XrFrameControl fresh;
    EXPECT_EQ(fresh.IconSize(), 16);
    EXPECT_EQ(fresh.ColorFrom(), 0x9E9EFFu);
    EXPECT_EQ(fresh.ColorTo(), 0xF0F0FFu);
    EXPECT_EQ(fresh.ThemeColor(), Blue);
    EXPECT_TRUE(fresh.Enabled());
    EXPECT_EQ(fresh.TextBoxHeight(), 22);
    EXPECT_EQ(fresh.Alignment(), vbCenter);
    EXPECT_EQ(fresh.IconAlignment(), vbLeftAligment);

    auto placed = placedFrame();
    EXPECT_EQ(placed->Caption(), QStringLiteral("XrFrameControl1"));
    EXPECT_EQ(placed->BackColor(), hostBack);
    EXPECT_EQ(placed->FillColor(), hostBack);
    EXPECT_TRUE(placed->RoundedCorner());
    EXPECT_FALSE(placed->RoundedCornerTxtBox());
    EXPECT_EQ(placed->Style(), jcGradient);
    EXPECT_EQ(placed->TextBoxColor(), 0xFFFFFFu);
    EXPECT_EQ(placed->HeaderStyle(), Gradient);
    EXPECT_EQ(placed->GradientHeaderStyle(), VerticalGradient);
}

TEST(XrFrameControl, WritesNotifyWithTheKeyExceptCaption)
{
    auto frame = placedFrame();
    testsupport::SignalRecorder recorder(frame.get());
    frame->LetFrameColor(0x123456);
    frame->LetFillColor(0x111111);
    frame->LetRoundedCornerTxtBox(true);
    frame->LetEnabled(false);
    frame->LetTxtBoxShadow(Shadow);
    frame->LetRoundedCorner(false);
    frame->LetCaption(QStringLiteral("Options"));
    frame->LetAlignment(vbRightJustify);
    frame->LetStyle(Windows);
    frame->LetTextBoxHeight(30);
    frame->LetTextColor(0x0000FF);
    frame->LetTextBoxColor(0x00FF00);
    frame->LetBackColor(0xFFFFFF);
    frame->SetFont(std::make_shared<QFont>(QStringLiteral("DejaVu Serif"), 12));
    frame->LetFont(std::make_shared<QFont>(QStringLiteral("DejaVu Sans"), 10));
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    frame->SetPicture(picture);
    frame->LetIconSize(24);
    frame->LetIconAlignment(vbRightAligment);
    frame->LetThemeColor(Olive);
    frame->LetColorFrom(0x0000FF);
    frame->LetColorTo(0x00FFFF);
    frame->LetHeaderStyle(Gradient);
    frame->LetGradientHeaderStyle(HCilinderGradient);
    EXPECT_EQ(changedKeys(recorder), QStringList({"FrameColor",
                                                  "FillColor",
                                                  "RoundedCornerTxtBox",
                                                  "Enabled",
                                                  "TxtBoxShadow",
                                                  "RoundedCorner",
                                                  "Alignment",
                                                  "Style",
                                                  "TextBoxHeight",
                                                  "TextColor",
                                                  "TextBoxColor",
                                                  "BackColor",
                                                  "Font",
                                                  "Font",
                                                  "Picture",
                                                  "IconSize",
                                                  "IconAlignment",
                                                  "ThemeColor",
                                                  "ColorFrom",
                                                  "ColorTo",
                                                  "HeaderStyle",
                                                  "GradientHeaderStyle"}));
}

TEST(XrFrameControl, ColoursAreTranslatedWhenWritten)
{
    auto frame = placedFrame();
    frame->LetFrameColor(0x8000000Fu);
    EXPECT_EQ(frame->FrameColor(), host::GetSysColor(host::COLOR_BTNFACE));
    frame->LetTextColor(0x80000011u);
    EXPECT_EQ(frame->TextColor(), host::GetSysColor(host::COLOR_GRAYTEXT));
    // A colour the translation refuses is kept as -1.
    frame->LetFillColor(0x01000005u);
    EXPECT_EQ(frame->FillColor(), 0xFFFFFFFFu);
}

TEST(XrFrameControl, FontWritesCopyIntoTheControlsOwnFont)
{
    auto frame = placedFrame();
    const XrFrameControl::StdFont own = frame->Font();
    auto given = std::make_shared<QFont>(QStringLiteral("DejaVu Serif"), 14);
    given->setBold(true);
    given->setItalic(true);
    given->setUnderline(true);
    frame->SetFont(given);
    EXPECT_EQ(frame->Font(), own);
    EXPECT_EQ(own->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(own->pointSizeF(), 14.0);
    EXPECT_TRUE(own->bold());
    EXPECT_TRUE(own->italic());
    EXPECT_FALSE(own->underline());
    given->setBold(false);
    EXPECT_TRUE(own->bold());

    // A font of nothing is an unset object, error 91.
    EXPECT_EQ(raisedError([&] { frame->SetFont(nullptr); }), vb::ErrObjectVariableNotSet);
    EXPECT_EQ(raisedError([&] { frame->LetFont(nullptr); }), vb::ErrObjectVariableNotSet);
}

TEST(XrFrameControl, StylePresets)
{
    auto frame = placedFrame();
    frame->LetThemeColor(Olive);
    frame->LetStyle(InnerWedge);
    EXPECT_EQ(frame->TextColor(), 0xFFFFFFu);
    EXPECT_EQ(frame->FrameColor(), 0xC0u);
    EXPECT_EQ(frame->TextBoxColor(), 0xC0u);
    EXPECT_EQ(frame->Alignment(), vbLeftJustify);
    EXPECT_EQ(frame->FillColor(), hostBack);
    EXPECT_EQ(frame->ThemeColor(), Olive);

    frame->LetTextBoxHeight(40);
    frame->LetStyle(Windows);
    EXPECT_EQ(frame->TextBoxHeight(), 22);
    EXPECT_EQ(frame->FillColor(), 0xE0FFFFu);
    EXPECT_EQ(frame->TextBoxColor(), 0xB0EFF0u);
    EXPECT_TRUE(frame->RoundedCorner());
    EXPECT_FALSE(frame->RoundedCornerTxtBox());
    EXPECT_EQ(frame->GradientHeaderStyle(), HorizontalGradient);
    EXPECT_EQ(frame->HeaderStyle(), TxtBoxColor);

    frame->LetStyle(Panel);
    EXPECT_EQ(frame->ThemeColor(), Blue);
    EXPECT_EQ(frame->GradientHeaderStyle(), VCilinderGradient);
    EXPECT_EQ(frame->HeaderStyle(), Gradient);
    EXPECT_EQ(frame->Alignment(), vbCenter);

    frame->LetStyle(XPDefault);
    EXPECT_EQ(frame->TextColor(), 0xCF3603u);
    EXPECT_EQ(frame->FrameColor(), gdi::RGB(195, 195, 195));

    // Outside the list: stored, nothing else changes.
    frame->LetStyle(jcStyleConst(12));
    EXPECT_EQ(frame->Style(), 12);
    EXPECT_EQ(frame->TextColor(), 0xCF3603u);
}

TEST(XrFrameControl, ThemeColorWritesOnlyOnChange)
{
    auto frame = placedFrame();
    testsupport::SignalRecorder recorder(frame.get());
    frame->LetThemeColor(Blue);
    EXPECT_TRUE(recorder.emissions().empty());
    frame->LetThemeColor(jcThemeConst(9));
    EXPECT_EQ(frame->ThemeColor(), 9);
    EXPECT_EQ(changedKeys(recorder), QStringList({"ThemeColor"}));
}

TEST(XrFrameControl, MinimumSizeIs700By400Twips)
{
    host::ScopedLogicalDpi dpi(96, 96);
    XrFrameControl frame;
    EXPECT_EQ(frame.minimumFrameSize(), QSize(47, 27));
    frame.resize(33, 20);  // 500 x 300 twips
    frame.show();
    EXPECT_EQ(frame.size(), QSize(47, 27));
    EXPECT_GE(host::pixelsToTwipsX(frame.width()), 700.0);
    EXPECT_GE(host::pixelsToTwipsY(frame.height()), 400.0);
    frame.resize(300, 200);
    EXPECT_EQ(frame.size(), QSize(300, 200));

    host::ScopedLogicalDpi exact(144, 144);
    EXPECT_EQ(frame.minimumFrameSize(), QSize(70, 40));
}

TEST(XrFrameControl, EnabledIsHandedToContainedControls)
{
    auto frame = placedFrame();
    auto* button = new QPushButton(frame.get());
    auto* own = new SwitchControl(frame.get());
    auto* inner = new QPushButton(button);
    frame->LetEnabled(false);
    EXPECT_FALSE(frame->Enabled());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(own->Enabled());
    EXPECT_TRUE(own->isEnabled());  // its own property took the value
    EXPECT_FALSE(inner->isEnabled());
    frame->LetEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(own->Enabled());
    EXPECT_TRUE(inner->isEnabled());
}

TEST(XrFrameControl, MouseMoveCarriesButtonsShiftAndPosition)
{
    auto frame = placedFrame();
    short button = -1;
    short shift = -1;
    float x = -1;
    float y = -1;
    QObject::connect(frame.get(), &XrFrameControl::MouseMove,
                     [&](short& b, short& s, float& px, float& py) {
                         button = b;
                         shift = s;
                         x = px;
                         y = py;
                     });
    QMouseEvent move(QEvent::MouseMove, QPointF(12.5, 30), QPointF(12.5, 30), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier);
    QCoreApplication::sendEvent(frame.get(), &move);
    EXPECT_EQ(button, 3);
    EXPECT_EQ(shift, 5);
    EXPECT_FLOAT_EQ(x, 12.5f);
    EXPECT_FLOAT_EQ(y, 30.0f);
}

// --- persistence ------------------------------------------------------------------------

TEST(XrFramePersistence, FirstPlacementWritesOnlyTheHeaderStyle)
{
    auto frame = placedFrame();
    PropertyBag bag;
    frame->WriteProperties(bag);
    EXPECT_EQ(bag.names(), QStringList({"HeaderStyle"}));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("HeaderStyle")).toInt(), 1);

    // Without the key a frame reads 0; absent keys read the host's values.
    XrFrameControl loaded;
    AmbientProperties ambient = testAmbient();
    ambient.Font = QFont(QStringLiteral("DejaVu Serif"), 13);
    loaded.setAmbientProperties(ambient);
    loaded.ReadProperties(PropertyBag());
    EXPECT_EQ(loaded.HeaderStyle(), TxtBoxColor);
    EXPECT_EQ(loaded.Style(), jcGradient);
    EXPECT_EQ(loaded.Caption(), QStringLiteral("XrFrameControl1"));
    EXPECT_EQ(loaded.FillColor(), hostBack);
    EXPECT_EQ(loaded.Font()->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(loaded.Font()->pointSizeF(), 13.0);
}

TEST(XrFramePersistence, RoundTripInDesignedOrder)
{
    auto frame = placedFrame();
    QImage icon(8, 8, QImage::Format_ARGB32);
    icon.fill(qRgba(10, 20, 30, 255));
    frame->LetStyle(TextBox);
    frame->LetFrameColor(0x102030);
    frame->LetBackColor(0x405060);
    frame->LetTxtBoxShadow(Shadow);
    frame->LetRoundedCorner(false);
    frame->LetEnabled(false);
    frame->LetCaption(QStringLiteral("Tabs & indents"));
    frame->LetTextBoxHeight(26);
    frame->LetTextColor(0x0000C0);
    frame->LetAlignment(vbRightJustify);
    frame->LetIconAlignment(vbRightAligment);
    frame->SetFont(std::make_shared<QFont>(QStringLiteral("DejaVu Serif"), 11));
    frame->SetPicture(icon);
    frame->LetIconSize(20);
    frame->LetThemeColor(Norton2004);
    frame->LetColorFrom(0x010203);
    frame->LetColorTo(0x040506);
    frame->LetGradientHeaderStyle(VCilinderGradient);

    PropertyBag bag;
    frame->WriteProperties(bag);
    // TextBoxColor is the preset's, not the default; FillColor is the host's background.
    EXPECT_EQ(bag.names(), QStringList({"FrameColor",
                                        "BackColor",
                                        "TextBoxColor",
                                        "TxtBoxShadow",
                                        "Style",
                                        "RoundedCorner",
                                        "Enabled",
                                        "RoundedCornerTxtBox",
                                        "Caption",
                                        "TextBoxHeight",
                                        "TextColor",
                                        "Alignment",
                                        "IconAlignment",
                                        "Font",
                                        "Picture",
                                        "IconSize",
                                        "ThemeColor",
                                        "ColorFrom",
                                        "ColorTo",
                                        "HeaderStyle",
                                        "GradientHeaderStyle"}));

    // Read back from the form the host stores, so every value must survive it.
    bool stored = false;
    const PropertyBag kept = PropertyBag::fromBytes(bag.toBytes(), &stored);
    ASSERT_TRUE(stored);
    XrFrameControl loaded;
    loaded.setAmbientProperties(testAmbient());
    testsupport::SignalRecorder recorder(&loaded);
    loaded.ReadProperties(kept);
    EXPECT_TRUE(recorder.emissions().empty());
    EXPECT_EQ(loaded.FrameColor(), 0x102030u);
    EXPECT_EQ(loaded.BackColor(), 0x405060u);
    EXPECT_EQ(loaded.FillColor(), hostBack);
    EXPECT_EQ(loaded.TextBoxColor(), 0xB0EFF0u);
    EXPECT_EQ(loaded.TxtBoxShadow(), Shadow);
    EXPECT_EQ(loaded.Style(), TextBox);
    EXPECT_FALSE(loaded.RoundedCorner());
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_TRUE(loaded.RoundedCornerTxtBox());
    EXPECT_EQ(loaded.Caption(), QStringLiteral("Tabs & indents"));
    EXPECT_EQ(loaded.TextBoxHeight(), 26);
    EXPECT_EQ(loaded.TextColor(), 0x0000C0u);
    EXPECT_EQ(loaded.Alignment(), vbRightJustify);
    EXPECT_EQ(loaded.IconAlignment(), vbRightAligment);
    EXPECT_EQ(loaded.Font()->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(loaded.Font()->pointSizeF(), 11.0);
    EXPECT_EQ(loaded.Picture(), icon);
    EXPECT_EQ(loaded.IconSize(), 20);
    EXPECT_EQ(loaded.ThemeColor(), Norton2004);
    EXPECT_EQ(loaded.ColorFrom(), 0x010203u);
    EXPECT_EQ(loaded.ColorTo(), 0x040506u);
    EXPECT_EQ(loaded.HeaderStyle(), Gradient);
    EXPECT_EQ(loaded.GradientHeaderStyle(), VCilinderGradient);

    // Written again, the bag comes out the same.
    PropertyBag again;
    loaded.WriteProperties(again);
    EXPECT_EQ(again.names(), bag.names());
    for (const QString& key : bag.names())
        EXPECT_EQ(again.ReadProperty(key), bag.ReadProperty(key)) << key.toStdString();
}

TEST(XrFramePersistence, SystemColoursInABagComeBackAsRgb)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("BackColor"), std::int32_t(0x8000000Fu));
    bag.WriteProperty(QStringLiteral("FrameColor"), std::int32_t(0x80000010u));
    XrFrameControl loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.BackColor(), host::GetSysColor(host::COLOR_BTNFACE));
    EXPECT_EQ(loaded.FrameColor(), host::GetSysColor(host::COLOR_BTNSHADOW));
}

// A picture kept with its alpha channel; bytes that are no picture read as none.
TEST(XrFramePersistence, PictureKeepsItsPixelsAndBadBytesReadAsNone)
{
    auto frame = placedFrame();
    QImage icon(3, 2, QImage::Format_ARGB32);
    icon.fill(qRgba(200, 100, 50, 128));
    icon.setPixel(0, 0, qRgba(0, 0, 0, 0));
    frame->SetPicture(icon);
    PropertyBag bag;
    frame->WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Picture")).typeId(), QMetaType::QByteArray);
    XrFrameControl loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Picture(), icon);

    PropertyBag broken;
    broken.WriteProperty(QStringLiteral("Picture"), QByteArray("\x89PNG\r\n\x1a\n broken"));
    loaded.ReadProperties(broken);
    EXPECT_TRUE(loaded.Picture().isNull());
}

// A value of the wrong type fails the load with error 13, one its property cannot hold with
// error 6; what was read before it stays.
TEST(XrFramePersistence, WrongTypesAndValuesOutOfRangeFailTheLoad)
{
    struct Bad {
        const char* key;
        QVariant value;
        long error;
    };
    const Bad bad[] = {
        {"Style", QStringLiteral("wedge"), vb::ErrTypeMismatch},
        {"RoundedCorner", QByteArray("yes"), vb::ErrTypeMismatch},
        {"Caption", QFont(), vb::ErrTypeMismatch},
        {"Font", QStringLiteral("Arial"), vb::ErrTypeMismatch},
        {"Picture", QStringLiteral("icon.png"), vb::ErrTypeMismatch},
        {"Picture", 7, vb::ErrTypeMismatch},
        {"IconSize", 40000, vb::ErrOverflow},
        {"TextBoxHeight", 3e9f, vb::ErrOverflow},
        {"FrameColor", QStringLiteral("4294967295"), vb::ErrOverflow},
    };
    for (const Bad& entry : bad) {
        PropertyBag bag;
        bag.WriteProperty(QStringLiteral("FrameColor"), 0x123456);
        bag.WriteProperty(QString::fromLatin1(entry.key), entry.value);
        XrFrameControl loaded;
        EXPECT_EQ(raisedError([&] { loaded.ReadProperties(bag); }), entry.error) << entry.key;
        if (QByteArray(entry.key) != "FrameColor") {
            EXPECT_EQ(loaded.FrameColor(), 0x123456u) << entry.key;
        }
    }

    // Numbers and numeric text convert.
    PropertyBag converted;
    converted.WriteProperty(QStringLiteral("IconSize"), QStringLiteral(" 24 "));
    converted.WriteProperty(QStringLiteral("Enabled"), QStringLiteral("False"));
    converted.WriteProperty(QStringLiteral("TextBoxHeight"), 30.5f);
    XrFrameControl loaded;
    loaded.ReadProperties(converted);
    EXPECT_EQ(loaded.IconSize(), 24);
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.TextBoxHeight(), 30) << "halves round to even";
}

// A host may show a frame it made by class name before it places it or reads its bag.
TEST(XrFramePersistence, ACreatedFrameStartsAsAPlacedOne)
{
    XrFrame::registerClasses();
    std::unique_ptr<QWidget> created(host::createControl(QStringLiteral("XrFrame.XrFrameControl")));
    auto* frame = dynamic_cast<XrFrameControl*>(created.get());
    ASSERT_NE(frame, nullptr);
    EXPECT_DOUBLE_EQ(frame->Font()->pointSizeF(), 8.25);
    frame->resize(160, 90);
    frame->show();

    XrFrameControl placed;
    placed.setAmbientProperties(frame->ambientProperties());
    placed.InitProperties();
    placed.resize(160, 90);
    placed.show();
    const QImage shownCreated = shown(*frame);
    EXPECT_EQ(shownCreated, shown(placed));
    // No black box: the host's background shows past the rounded corner, the body is the
    // theme's gradient.
    EXPECT_EQ(pixelAt(shownCreated, 0, 89), host::TranslateOleColor(0x8000000Fu));
    EXPECT_NE(pixelAt(shownCreated, 80, 60), 0u);

    PropertyBag bag;
    frame->WriteProperties(bag);
    EXPECT_EQ(bag.names(), QStringList({"HeaderStyle"}));
}

}  // namespace

#include "XrFrameControlTest.moc"
