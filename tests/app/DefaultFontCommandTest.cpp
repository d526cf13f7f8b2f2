// Set Default Font: the stored font goes into the font dialog's record, the dialog's answer
// into the settings, and onto the control only while the document is empty.
#include "richtext/core/FontFrm.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

class DefaultFontCommand : public testsupport::MainWindowTest {
protected:
    void TearDown() override
    {
        FontFrm::setShowHook({});
        MainWindowTest::TearDown();
    }
};

TEST_F(DefaultFontCommand, TheDialogShowsTheStoredFontAndItsAnswerIsStored)
{
    store("FONTSTYLE", "Italic");
    store("FONTSIZE", "13");
    app::Form1& form = load();
    QString shownName;
    QString shownSize;
    FontFrm::setShowHook([&](FontFrm& dialog) {
        shownName = dialog.FontNameTxt->text();
        shownSize = dialog.SizeTxt->text();
        dialog.FontNameTxt->setText("DejaVu Serif");
        dialog.SizeTxt->setText("16");
        dialog.UnderlineCheck->setChecked(true);
        dialog.OKButton->click();
    });
    form.menuSetDefaultFont->trigger();
    EXPECT_EQ(shownName, "Verdana");
    EXPECT_EQ(shownSize, "13");
    EXPECT_EQ(setting("FONTNAME"), "DejaVu Serif");
    EXPECT_EQ(setting("FONTSIZE"), "16");
    EXPECT_EQ(setting("FONTUNDERLINE"), "True");
    EXPECT_EQ(setting("FONTSTRIKETHROUGH"), "False");
    // The document is empty: the control takes the font at once.
    EXPECT_EQ(form.XrRTB1->Font().family(), "DejaVu Serif");
    EXPECT_EQ(form.XrRTB1->Font().pointSize(), 16);
    EXPECT_TRUE(form.XrRTB1->Font().underline());
}

TEST_F(DefaultFontCommand, AnEmptyAnswerStoresTheFallbacksAndATypedDocumentKeepsItsFont)
{
    app::Form1& form = load();
    form.XrRTB1->LetText("already typed");
    const QFont before = form.XrRTB1->Font();
    FontFrm::setShowHook([](FontFrm& dialog) {
        dialog.FontNameTxt->clear();
        dialog.SizeTxt->clear();
        dialog.OKButton->click();
    });
    form.menuSetDefaultFont->trigger();
    EXPECT_EQ(setting("FONTNAME"), "Verdana");
    EXPECT_EQ(setting("FONTSIZE"), "11");
    EXPECT_EQ(form.XrRTB1->Font(), before);
}

}  // namespace
