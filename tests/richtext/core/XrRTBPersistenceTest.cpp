#include "richtext/core/XrRTB.h"

#include "platform/host/MousePointer.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RaisedError.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>

using testsupport::editingWindow;
using testsupport::raisedError;

namespace {

const QStringList KeyOrder = {
    "AllowImages",
    "Appearance",
    "BackColor",
    "BorderStyle",
    "BulletIndent",
    "Enabled",
    "Font",
    "Locked",
    "MaxLength",
    "MouseIcon",
    "MousePointer",
    "RightMargin",
    "Text",
    "TextRTF",
    "RemoveUnUsableData",
    "ColorVBNetKeyWord",
    "ColorVB6KeyWord",
    "ColorVBNetComment",
    "ColorVB6Comment",
    "ColorVBNetString",
    "ColorVB6String",
    "ColorMyFirstKeyWord",
    "ColorMySecondKeyWord",
    "ColorMyThirdKeyWord",
    "MyFirstString",
    "MySecondString",
    "MyThirdString",
    "DetectHyperLinks",
    "AutoVMenu",
    "MyFontColor",
    "MyHLColor",
    "ShowVB6Syntax",
    "UseCustomFontDialog",
    "PrinterMargin",
    "WhatsThisHelpFile",
    "InternalShutOFF",
    "TurnOnSound",
    "MyWrapStyle",
    "DisplayRuler",
    "AllowRTFSave",
};

class XrRTBPersistenceTest : public testsupport::XrRTBTestBase {
protected:
    XrRTBPersistenceTest()
    {
        m_ambient.DisplayName = QStringLiteral("XrRTB1");
        m_ambient.Font = QFont(QStringLiteral("DejaVu Sans"));
        m_ambient.Font.setPointSizeF(9);
    }

    // A control as a host creates it: its ambient values, then one of the two starts.
    std::unique_ptr<XrRTB> placed() const
    {
        auto control = std::make_unique<XrRTB>();
        control->setAmbientProperties(m_ambient);
        control->UserControl_InitProperties();
        return control;
    }
    std::unique_ptr<XrRTB> loaded(const host::PropertyBag& bag) const
    {
        auto control = std::make_unique<XrRTB>();
        control->setAmbientProperties(m_ambient);
        control->UserControl_ReadProperties(bag);
        return control;
    }
    static host::PropertyBag saved(const XrRTB& control)
    {
        host::PropertyBag bag;
        control.UserControl_WriteProperties(bag);
        // Through the stored form, as a host keeps it.
        bool ok = false;
        host::PropertyBag stored = host::PropertyBag::fromBytes(bag.toBytes(), &ok);
        EXPECT_TRUE(ok);
        return stored;
    }

    host::ScopedLogicalDpi m_dpi{96, 96};
    host::AmbientProperties m_ambient;
};

}  // namespace

TEST_F(XrRTBPersistenceTest, FirstPlacementTakesTheHostsNameAndTheSettingsOfANewControl)
{
    auto control = std::make_unique<XrRTB>();
    control->setAmbientProperties(m_ambient);
    control->LetAllowImages(false);
    control->LetMyWrapStyle(WindowWrap);
    testsupport::SignalRecorder events(control.get());
    control->UserControl_InitProperties();
    EXPECT_TRUE(events.names().isEmpty()) << events.names().join(',').toStdString();
    EXPECT_EQ(control->Text(), QStringLiteral("XrRTB1"));
    EXPECT_EQ(control->size(), QSize(105, 49));
    EXPECT_EQ(control->Font().family(), QStringLiteral("Verdana")) << "the design-time font stays";
    EXPECT_TRUE(control->AllowImages());
    EXPECT_EQ(control->MyWrapStyle(), RulerWrap);
    EXPECT_EQ(control->MyHLColor(), 0xFFFFu);
    EXPECT_EQ(control->PrinterMargin(), 1440);

    // What it saves: the text, and the font that is not the host's.
    const host::PropertyBag bag = saved(*control);
    EXPECT_EQ(bag.names(), (QStringList{"Font", "Text", "TextRTF"}));
}

TEST_F(XrRTBPersistenceTest, AControlAtItsDefaultsSavesAnEmptyBagAndReadsBackTheSame)
{
    auto control = placed();
    control->SetFont(m_ambient.Font);
    control->LetText(QString());
    EXPECT_TRUE(saved(*control).isEmpty());

    auto again = loaded(host::PropertyBag());
    EXPECT_TRUE(saved(*again).isEmpty());
    EXPECT_EQ(again->BackColor(), 0x80000005u);
    EXPECT_EQ(again->MyHLColor(), 0xFFFFu);
    EXPECT_TRUE(again->DisplayRuler());
    EXPECT_EQ(again->Font().family(), QStringLiteral("DejaVu Sans"));
}

TEST_F(XrRTBPersistenceTest, EveryPropertyComesBackInTheKeyOrder)
{
    auto control = placed();
    control->LetAllowImages(false);
    control->LetAppearance(rtfThreeD);
    control->LetBackColor(0x123456);
    control->LetBorderStyle(1);
    control->LetBulletIndent(240.5f);
    control->LetEnabled(false);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(12);
    font.setItalic(true);
    control->SetFont(font);
    control->LetLocked(true);
    control->LetMaxLength(5000);
    QImage icon(8, 8, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    control->SetMouseIcon(icon);
    control->LetMousePointer(host::vbCustom);
    control->LetRightMargin(9000);
    control->LetTextRTF(QStringLiteral("{\\rtf1 one {\\b two}\\par three}"));
    control->LetRemoveUnUsableData(false);
    control->LetColorVBNetKeyWord(1);
    control->LetColorVB6KeyWord(2);
    control->LetColorVBNetComment(3);
    control->LetColorVB6Comment(4);
    control->LetColorVBNetString(5);
    control->LetColorVB6String(6);
    control->LetColorMyFirstKeyWord(7);
    control->LetColorMySecondKeyWord(8);
    control->LetColorMyThirdKeyWord(0x80000008u);
    control->LetMyFirstString(QStringLiteral("\\bone\\b"));
    control->LetMySecondString(QStringLiteral("two"));
    control->LetMyThirdString(QStringLiteral("three"));
    control->LetDetectHyperLinks(false);
    control->LetAutoVMenu(false);
    control->LetMyFontColor(0xFF);
    control->LetMyHLColor(0xFF00);
    control->LetShowVB6Syntax(true);
    control->LetUseCustomFontDialog(false);
    control->LetPrinterMargin(TenEighty);
    control->LetWhatsThisHelpFile(QStringLiteral("/help/x.chm"));
    control->LetInternalShutOFF(true);
    control->LetTurnOnSound(false);
    control->LetMyWrapStyle(WindowWrap);
    control->LetDisplayRuler(false);
    control->LetAllowRTFSave(true);

    const host::PropertyBag bag = saved(*control);
    EXPECT_EQ(bag.names(), KeyOrder);

    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    auto back = loaded(bag);
    EXPECT_TRUE(RichTextLibraryState::instance().SharedDetectHyperLinks)
        << "reading stores the field only";
    EXPECT_FALSE(back->AllowImages());
    EXPECT_EQ(back->Appearance(), rtfThreeD);
    EXPECT_EQ(back->BackColor(), 0x123456u);
    EXPECT_EQ(back->BorderStyle(), rtfFixedSingle);
    EXPECT_EQ(back->BulletIndent(), 240.5f) << "a Single keeps its fraction";
    EXPECT_FALSE(back->Enabled());
    EXPECT_EQ(back->Font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(back->Font().pointSize(), 12);
    EXPECT_TRUE(back->Font().italic());
    EXPECT_TRUE(back->Locked());
    EXPECT_EQ(back->MaxLength(), 5000);
    EXPECT_EQ(back->MouseIcon().pixel(3, 3), QColor(Qt::blue).rgba());
    EXPECT_EQ(back->MousePointer(), host::vbCustom);
    EXPECT_EQ(back->RightMargin(), 9000.0f);
    EXPECT_EQ(back->Text(), control->Text());
    EXPECT_EQ(back->TextRTF(), control->TextRTF());
    EXPECT_FALSE(back->RemoveUnUsableData());
    EXPECT_EQ(back->ColorVBNetKeyWord(), 1u);
    EXPECT_EQ(back->ColorVB6KeyWord(), 2u);
    EXPECT_EQ(back->ColorVBNetComment(), 3u);
    EXPECT_EQ(back->ColorVB6Comment(), 4u);
    EXPECT_EQ(back->ColorVBNetString(), 5u);
    EXPECT_EQ(back->ColorVB6String(), 6u);
    EXPECT_EQ(back->ColorMyFirstKeyWord(), 7u);
    EXPECT_EQ(back->ColorMySecondKeyWord(), 8u);
    EXPECT_EQ(back->ColorMyThirdKeyWord(), 0x80000008u) << "a system colour keeps its bits";
    EXPECT_EQ(back->MyFirstString(), QStringLiteral("\\bone\\b"));
    EXPECT_EQ(back->MySecondString(), QStringLiteral("two"));
    EXPECT_EQ(back->MyThirdString(), QStringLiteral("three"));
    EXPECT_FALSE(back->DetectHyperLinks());
    EXPECT_FALSE(back->AutoVMenu());
    EXPECT_EQ(back->MyFontColor(), 0xFFu);
    EXPECT_EQ(back->MyHLColor(), 0xFF00u);
    EXPECT_TRUE(back->ShowVB6Syntax());
    EXPECT_FALSE(back->UseCustomFontDialog());
    EXPECT_EQ(back->PrinterMargin(), 1080);
    EXPECT_EQ(back->WhatsThisHelpFile(), QStringLiteral("/help/x.chm"));
    EXPECT_TRUE(back->InternalShutOFF());
    EXPECT_FALSE(back->TurnOnSound());
    EXPECT_EQ(back->MyWrapStyle(), WindowWrap);
    EXPECT_FALSE(back->DisplayRuler());
    EXPECT_TRUE(back->AllowRTFSave());
    EXPECT_EQ(saved(*back).toBytes(), bag.toBytes());
}

TEST_F(XrRTBPersistenceTest, ReadingTellsTheHostNothingButTheMouseIconAndLaysOutOnTheNextResize)
{
    host::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("DisplayRuler"), false);
    bag.WriteProperty(QStringLiteral("AllowRTFSave"), true);
    bag.WriteProperty(QStringLiteral("PrinterMargin"), 1080);
    auto control = std::make_unique<XrRTB>();
    testsupport::SignalRecorder events(control.get());
    control->UserControl_ReadProperties(bag);
    EXPECT_EQ(events.count(QStringLiteral("UpdateParentMenu")), 0);
    QStringList keys;
    for (const auto& emission : events.emissions())
        if (emission.name == QStringLiteral("PropertyChanged"))
            keys << emission.arguments.value(0).toString();
    EXPECT_EQ(keys, QStringList{QStringLiteral("MouseIcon")});

    control->resize(300, 200);
    control->show();
    EXPECT_EQ(control->findChild<QWidget*>(QStringLiteral("RTBPicture"))->geometry(),
              QRect(0, 0, 300, 200));
}

TEST_F(XrRTBPersistenceTest, FontComesBeforeTheTextAndTheRtfDecidesTheDocument)
{
    host::PropertyBag bag;
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(16);
    bag.WriteProperty(QStringLiteral("Font"), font);
    bag.WriteProperty(QStringLiteral("Text"), QStringLiteral("from the text"));
    auto textOnly = loaded(bag);
    EXPECT_EQ(textOnly->Text(), QStringLiteral("from the text"))
        << "an absent RTF must not wipe out the text";
    textOnly->LetSelStart(0);
    textOnly->LetSelLength(4);
    EXPECT_EQ(textOnly->SelFontName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(textOnly->SelFontSize(), 16);

    bag.WriteProperty(QStringLiteral("TextRTF"), QStringLiteral("{\\rtf1 from the RTF\\par}"));
    EXPECT_EQ(loaded(bag)->Text(), QStringLiteral("from the RTF"));
}

TEST_F(XrRTBPersistenceTest, BadStoredValuesFailTheLoad)
{
    host::PropertyBag wrongType;
    wrongType.WriteProperty(QStringLiteral("PrinterMargin"), QStringLiteral("wide"));
    EXPECT_EQ(raisedError([&] { loaded(wrongType); }), 13);

    host::PropertyBag fontAsText;
    fontAsText.WriteProperty(QStringLiteral("Font"), QStringLiteral("Arial"));
    EXPECT_EQ(raisedError([&] { loaded(fontAsText); }), 13);

    host::PropertyBag refused;
    refused.WriteProperty(QStringLiteral("BorderStyle"), 3);
    EXPECT_EQ(raisedError([&] { loaded(refused); }), 380);

    // Each value must be of a type that converts, and fit the property it goes to.
    struct Bad {
        const char* key;
        QVariant value;
        long error;
    };
    const Bad bad[] = {
        {"Appearance", 40000, vb::ErrOverflow},
        {"BulletIndent", QStringLiteral("1e39"), vb::ErrOverflow},
        {"MaxLength", 3e9f, vb::ErrOverflow},
        {"AllowImages", QFont(), vb::ErrTypeMismatch},
        {"Text", QByteArray("bytes"), vb::ErrTypeMismatch},
        {"MouseIcon", QStringLiteral("arrow.cur"), vb::ErrTypeMismatch},
        {"MyHLColor", QStringLiteral("yellow"), vb::ErrTypeMismatch},
    };
    for (const Bad& entry : bad) {
        host::PropertyBag bag;
        bag.WriteProperty(QString::fromLatin1(entry.key), entry.value);
        EXPECT_EQ(raisedError([&] { loaded(bag); }), entry.error) << entry.key;
    }

    // Numbers are converted as the platform converts them.
    host::PropertyBag converted;
    converted.WriteProperty(QStringLiteral("MyWrapStyle"), QStringLiteral(" 2 "));
    converted.WriteProperty(QStringLiteral("AutoVMenu"), QStringLiteral("False"));
    converted.WriteProperty(QStringLiteral("MaxLength"), 10.5f);
    auto control = loaded(converted);
    EXPECT_EQ(control->MyWrapStyle(), 2);
    EXPECT_FALSE(control->AutoVMenu());
    EXPECT_EQ(control->MaxLength(), 10) << "halves round to even";
}

TEST_F(XrRTBPersistenceTest, AnEmptyDocumentKeepsItsFormattingButAPlainOneSavesNoRtf)
{
    auto control = placed();
    control->LetText(QString());
    EXPECT_FALSE(saved(*control).contains(QStringLiteral("TextRTF")));

    control->LetSelBold(true);
    control->LetSelFontSize(20);
    const host::PropertyBag bag = saved(*control);
    ASSERT_TRUE(bag.contains(QStringLiteral("TextRTF")));
    auto back = loaded(bag);
    EXPECT_TRUE(back->Text().isEmpty());
    EXPECT_TRUE(back->SelBold());
    EXPECT_EQ(back->SelFontSize(), 20);
}
