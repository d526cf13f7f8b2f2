#include "richtext/core/FontFrm.h"

#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <stdexcept>

namespace {

class FontFrmTest : public testsupport::XrRTBTestBase {
protected:
    FontFrmTest()
    {
        engine().setText(QStringLiteral("first second"));
        engine().setSelStart(0);
        engine().setSelLength(12);
        engine().setSelFontName(QStringLiteral("DejaVu Sans"));
        engine().setSelFontSize(12);
        engine().setSelBold(true);
        engine().setSelItalic(false);
        engine().setSelStrikeThru(true);
        engine().setSelUnderline(false);
    }
    ~FontFrmTest() override { FontFrm::setShowHook({}); }

    richedit::Engine& engine() { return testsupport::editingWindow(m_control).engine(); }
    // Opens the dialog through the control; `act` runs while it is open.
    void show(const std::function<void(FontFrm&)>& act)
    {
        FontFrm::setShowHook([&](FontFrm& dialog) {
            m_caption = dialog.windowTitle();
            act(dialog);
        });
        m_control.ShowFontSelect();
    }
    // Selects the second word only, after giving it other values.
    void mixSecondWord(const std::function<void()>& change)
    {
        engine().setSelStart(6);
        engine().setSelLength(6);
        change();
        engine().setSelStart(0);
        engine().setSelLength(12);
    }

    XrRTB m_control;
    QString m_caption;
};

TEST_F(FontFrmTest, DocumentModeShowsTheSelectionAndItsSample)
{
    show([](FontFrm& dialog) {
        EXPECT_EQ(dialog.FontNameTxt->text(), QStringLiteral("DejaVu Sans"));
        ASSERT_NE(dialog.FontNameLB->currentItem(), nullptr);
        EXPECT_EQ(dialog.FontNameLB->currentItem()->text(), QStringLiteral("DejaVu Sans"));
        EXPECT_EQ(dialog.FontStyleText->text(), QStringLiteral("Bold"));
        EXPECT_EQ(dialog.SizeTxt->text(), QStringLiteral("12"));
        EXPECT_TRUE(dialog.StrikeTCheck->isChecked());
        EXPECT_FALSE(dialog.UnderlineCheck->isChecked());
        const QFont sample = dialog.ExampleLbl->font();
        EXPECT_EQ(sample.family(), QStringLiteral("DejaVu Sans"));
        EXPECT_TRUE(sample.bold());
        EXPECT_EQ(sample.pointSizeF(), 12);
        EXPECT_TRUE(sample.strikeOut());
        EXPECT_EQ(dialog.ExampleLbl->text(), QStringLiteral("AaBbYyZz"));
        EXPECT_EQ(dialog.FontSizeLB->count(), 17);
        dialog.CancelButton->click();
    });
    EXPECT_EQ(m_caption, QStringLiteral("Font"));
}

// The list of faces takes the focus first. Focus on a list without a current entry makes its
// first entry current without choosing it, so a face that is not listed (or a mixed one) must
// survive the dialog opening and closing with OK.
TEST_F(FontFrmTest, FocusOnTheListChoosesNoFace)
{
    const QString missing = QStringLiteral("Face Not Installed Here");
    const auto focusFirstList = [](FontFrm& dialog) {
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(dialog.FontNameLB, &focusIn);
    };
    engine().setSelFontName(missing);
    show([&](FontFrm& dialog) {
        focusFirstList(dialog);
        EXPECT_EQ(dialog.FontNameTxt->text(), missing);
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().selFontName(), missing);

    mixSecondWord([&] { engine().setSelFontName(QStringLiteral("DejaVu Serif")); });
    show([&](FontFrm& dialog) {
        focusFirstList(dialog);
        EXPECT_TRUE(dialog.FontNameTxt->text().isEmpty());
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().selFontName(), std::nullopt) << "the mixed faces were replaced";

    // A click or a key still chooses: the entry is selected as well as current.
    show([&](FontFrm& dialog) {
        focusFirstList(dialog);
        ASSERT_GT(dialog.FontNameLB->count(), 1);
        dialog.FontNameLB->setCurrentRow(1);
        EXPECT_EQ(dialog.FontNameTxt->text(), dialog.FontNameLB->item(1)->text());
        dialog.CancelButton->click();
    });
}

TEST_F(FontFrmTest, OkAppliesTheFieldsAndMarksTheNextKeyRelease)
{
    auto& window = testsupport::editingWindow(m_control);
    show([](FontFrm& dialog) {
        dialog.FontStyleLB->setCurrentRow(dialog.FontStyleLB->count() - 1);  // "Bold Italic"
        dialog.SizeTxt->setText(QStringLiteral("13"));                       // not in the list
        dialog.FontNameTxt->setText(QStringLiteral("DejaVu Serif"));
        dialog.StrikeTCheck->setChecked(false);
        dialog.UnderlineCheck->setChecked(true);
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().selFontName(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(engine().selFontSize(), 13);
    EXPECT_EQ(engine().selBold(), true);
    EXPECT_EQ(engine().selItalic(), true);
    EXPECT_EQ(engine().selStrikeThru(), false);
    EXPECT_EQ(engine().selUnderline(), true);
    EXPECT_EQ(window.Tag(), QStringLiteral("1"));

    // A face name longer than the record holds is cut to 31 characters.
    const QString longName = QStringLiteral("An Exceedingly Long Typeface Name Indeed");
    show([&](FontFrm& dialog) {
        dialog.FontNameTxt->setText(longName);
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().selFontName(), longName.left(31));
}

TEST_F(FontFrmTest, MixedValuesStayMixedUnlessChosen)
{
    auto& window = testsupport::editingWindow(m_control);
    mixSecondWord([&] {
        engine().setSelFontName(QStringLiteral("DejaVu Serif"));
        engine().setSelStrikeThru(false);
    });
    show([](FontFrm& dialog) {
        EXPECT_TRUE(dialog.FontNameTxt->text().isEmpty());
        EXPECT_FALSE(dialog.StrikeTCheck->isChecked());
        dialog.OKButton->click();  // the uniform size is a difference: a format is sent
    });
    EXPECT_EQ(window.Tag(), QStringLiteral("1"));
    EXPECT_FALSE(engine().selFontName().has_value()) << "the faces are as they were";
    EXPECT_FALSE(engine().selStrikeThru().has_value());

    // Mixed sizes, empty size field, everything else equal: nothing is sent.
    window.setTag(QString());
    mixSecondWord([&] {
        engine().setSelFontName(QStringLiteral("DejaVu Sans"));
        engine().setSelStrikeThru(true);
        engine().setSelFontSize(20);
    });
    const QString before = engine().textRtf();
    show([](FontFrm& dialog) {
        EXPECT_TRUE(dialog.SizeTxt->text().isEmpty());
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().textRtf(), before);
    EXPECT_TRUE(window.Tag().isEmpty());

    // A size of 0 on mixed sizes sends no size; the rest still applies.
    show([](FontFrm& dialog) {
        dialog.SizeTxt->setText(QStringLiteral("0"));
        dialog.FontStyleText->setText(QStringLiteral("Italic"));
        dialog.OKButton->click();
    });
    EXPECT_FALSE(engine().selFontSize().has_value());
    EXPECT_EQ(engine().selItalic(), true);
    EXPECT_EQ(engine().selBold(), false);

    // A size that is no number falls back to a uniform selection's size.
    mixSecondWord([&] { engine().setSelFontSize(12); });
    show([](FontFrm& dialog) {
        dialog.SizeTxt->setText(QStringLiteral("big"));
        dialog.OKButton->click();
    });
    EXPECT_EQ(engine().selFontSize(), 12);
}

TEST_F(FontFrmTest, DefaultModeEditsTheSharedRecordOnly)
{
    DEFUALT_FONT_DATA shared{QStringLiteral("DejaVu Serif"), QStringLiteral("Italic"), 14, true,
                             false};
    m_control.SetDefaultFontMode();
    m_control.ShareDefaultFontData(shared);
    const QString before = engine().textRtf();
    show([](FontFrm& dialog) {
        EXPECT_EQ(dialog.FontNameTxt->text(), QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(dialog.FontStyleText->text(), QStringLiteral("Italic"));
        EXPECT_EQ(dialog.SizeTxt->text(), QStringLiteral("14"));
        ASSERT_NE(dialog.FontSizeLB->currentItem(), nullptr);
        EXPECT_EQ(dialog.FontSizeLB->currentItem()->text(), QStringLiteral("14"));
        EXPECT_TRUE(dialog.StrikeTCheck->isChecked());
        EXPECT_TRUE(dialog.ExampleLbl->font().italic());
        dialog.CancelButton->click();
    });
    EXPECT_EQ(m_caption, QStringLiteral("Default Font"));
    EXPECT_EQ(m_control.GetDefaultFontData(), shared) << "Cancel keeps the record";

    show([](FontFrm& dialog) {
        dialog.FontStyleLB->setCurrentRow(0);
        dialog.SizeTxt->clear();
        dialog.UnderlineCheck->setChecked(true);
        dialog.OKButton->click();
    });
    DEFUALT_FONT_DATA chosen = m_control.GetDefaultFontData();
    EXPECT_EQ(chosen.tFONTNAME, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(chosen.tFONTSTYLE, QStringLiteral("Regular"));
    EXPECT_EQ(chosen.tFONTSIZE, 0) << "an empty size stores 0";
    EXPECT_TRUE(chosen.tFONTSTRIKETHROUGH);
    EXPECT_TRUE(chosen.tFONTUNDERLINE);
    EXPECT_EQ(engine().textRtf(), before) << "the document is left alone";

    for (const auto& [text, size] :
         {std::pair{QStringLiteral("large"), 0}, std::pair{QStringLiteral("99999"), 0},
          std::pair{QStringLiteral("10.5"), 10}}) {
        show([&](FontFrm& dialog) {
            dialog.SizeTxt->setText(text);
            dialog.OKButton->click();
        });
        EXPECT_EQ(m_control.GetDefaultFontData().tFONTSIZE, size) << text.toStdString();
    }

    m_control.EndDefaultFontMode();
    show([](FontFrm& dialog) { dialog.CancelButton->click(); });
    EXPECT_EQ(m_caption, QStringLiteral("Font"));
}

TEST_F(FontFrmTest, ShowFontSelectHandsTheWindowOverAndRaisesReadyAfter)
{
    testsupport::SignalRecorder events(&m_control);
    richedit::RichTextBox* shared = nullptr;
    QWidget* owner = nullptr;
    show([&](FontFrm& dialog) {
        shared = RichTextLibraryState::instance().SharedRichText.data();
        owner = dialog.parentWidget();
        EXPECT_TRUE(dialog.isModal());
        EXPECT_TRUE(events.names().isEmpty());
        dialog.CancelButton->click();
    });
    EXPECT_EQ(shared, &testsupport::editingWindow(m_control));
    EXPECT_EQ(owner, &m_control);
    EXPECT_EQ(RichTextLibraryState::instance().SharedRichText.data(), nullptr);
    EXPECT_EQ(events.names(), QStringList{QStringLiteral("Ready")});

    events.clear();
    FontFrm::setShowHook([](FontFrm&) { throw std::runtime_error("dialog failed"); });
    EXPECT_THROW(m_control.ShowFontSelect(), std::runtime_error);
    EXPECT_EQ(RichTextLibraryState::instance().SharedRichText.data(), nullptr);
    EXPECT_TRUE(events.names().isEmpty());
}

}  // namespace
