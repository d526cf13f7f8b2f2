#include "platform/host/CommonDialog.h"

#include "platform/runtime/VbError.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

using host::CommonDialog;
using host::DialogAnswer;
using host::DialogKind;

const QString kDocumentFilter = QStringLiteral(
    "Wexmoor Document File (*.wmdf)|*.wmdf|RichText Format (*.rtf)|*.rtf|Text Files (*.txt)|*.txt");

// Runs `act` on the next modal dialog of type Dialog once it shows; a dialog that `act` leaves
// open is cancelled so that a failing test ends instead of waiting.
template <class Dialog>
void whenShown(std::function<void(Dialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// Types a name into the file dialog and confirms it with Enter.
void typeName(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

long cancelNumberOf(const std::function<void()>& show)
{
    try {
        show();
    } catch (const vb::VbError& error) {
        return error.number();
    }
    return 0;
}

// ---- filters and file checks ------------------------------------------------------------

TEST(FileFilter, SplitsDescriptionsAndPatternListsAsTheChooserMatchesThem)
{
    const auto document = host::parseFilter(kDocumentFilter);
    ASSERT_EQ(document.size(), 3u);
    EXPECT_EQ(document[0].description, QStringLiteral("Wexmoor Document File (*.wmdf)"));
    EXPECT_EQ(document[2].patterns, QStringList{QStringLiteral("*.txt")});

    // The insert-image filter's pattern list ends in ";)": the empty and bracketed leftovers
    // go, the four extensions stay.
    const auto image = host::parseFilter(
        QStringLiteral("Image Files (*.bmp;*.gif;*.jpg;*.png;)|*.bmp;*.gif;*.jpg;*.png;)"));
    ASSERT_EQ(image.size(), 1u);
    EXPECT_EQ(image[0].patterns, (QStringList{QStringLiteral("*.bmp"), QStringLiteral("*.gif"),
                                              QStringLiteral("*.jpg"), QStringLiteral("*.png")}));

    const auto all = host::parseFilter(QStringLiteral("All (*.*)|*.*|Dangling"));
    ASSERT_EQ(all.size(), 1u);  // a description without a pattern is no entry
    EXPECT_EQ(all[0].patterns, QStringList{QStringLiteral("*")});
    EXPECT_TRUE(host::parseFilter(QString()).empty());
}

TEST(FileCheck, AddsTheDefaultExtensionOnlyToNamesWithoutOne)
{
    testsupport::TempFolder folder;
    const auto saved = host::checkFileChoice(folder.filePath("report"), 0, true, ".rtf");
    EXPECT_EQ(saved.verdict, host::FileCheck::Accept);
    EXPECT_EQ(saved.path, folder.filePath("report.rtf"));
    EXPECT_EQ(host::checkFileChoice(folder.filePath("report.txt"), 0, true, "rtf").path,
              folder.filePath("report.txt"));
    EXPECT_EQ(host::checkFileChoice(folder.filePath("report"), 0, true, "").path,
              folder.filePath("report"));

    // Opening takes an existing name as typed and tries the extension only for a missing one.
    touch(folder.filePath("notes"));
    touch(folder.filePath("letter.rtf"));
    EXPECT_EQ(
        host::checkFileChoice(folder.filePath("notes"), host::cdlOFNFileMustExist, false, "rtf")
            .path,
        folder.filePath("notes"));
    const auto opened =
        host::checkFileChoice(folder.filePath("letter"), host::cdlOFNFileMustExist, false, "rtf");
    EXPECT_EQ(opened.verdict, host::FileCheck::Accept);
    EXPECT_EQ(opened.path, folder.filePath("letter.rtf"));
}

TEST(FileCheck, EnforcesExistenceAndAsksBeforeReplacing)
{
    testsupport::TempFolder folder;
    touch(folder.filePath("old.rtf"));
    const long openFlags = 4100;  // must exist, read-only box hidden
    const long saveFlags = 4102;  // the same plus overwrite prompt, as the save code passes

    const auto missing = host::checkFileChoice(folder.filePath("gone.rtf"), openFlags, false, {});
    EXPECT_EQ(missing.verdict, host::FileCheck::Refuse);
    EXPECT_TRUE(missing.message.contains(QStringLiteral("gone.rtf")));
    EXPECT_EQ(host::checkFileChoice(folder.filePath("old.rtf"), openFlags, false, {}).verdict,
              host::FileCheck::Accept);
    EXPECT_EQ(host::checkFileChoice(folder.filePath("gone.rtf"), 0, false, {}).verdict,
              host::FileCheck::Accept);

    // Saving a new document is possible even though the save flags include must-exist.
    EXPECT_EQ(host::checkFileChoice(folder.filePath("new.rtf"), saveFlags, true, {}).verdict,
              host::FileCheck::Accept);
    EXPECT_EQ(host::checkFileChoice(folder.filePath("old.rtf"), saveFlags, true, {}).verdict,
              host::FileCheck::AskOverwrite);
    EXPECT_EQ(host::checkFileChoice(folder.filePath("old.rtf"), 4100, true, {}).verdict,
              host::FileCheck::Accept);

    const QString noFolder = folder.filePath("nowhere/doc.rtf");
    EXPECT_EQ(host::checkFileChoice(noFolder, host::cdlOFNPathMustExist, true, {}).verdict,
              host::FileCheck::Refuse);
    EXPECT_EQ(host::checkFileChoice(noFolder, 0, true, {}).verdict, host::FileCheck::Accept);
}

// ---- the control over the scripted service ----------------------------------------------

TEST(CommonDialogScripted, PassesEverySettingAndWritesTheAnswerBack)
{
    testsupport::FakeCommonDialogs dialogs;
    dialogs.answer(DialogAnswer::file(QStringLiteral("/docs/letter.rtf"), 2));
    CommonDialog dialog;
    dialog.DialogTitle = QStringLiteral("Select File...");
    dialog.Filter = kDocumentFilter;
    dialog.FilterIndex = 3;
    dialog.Flags = 4100;
    dialog.InitDir = QStringLiteral("/docs");
    dialog.DefaultExt = QStringLiteral("rtf");
    dialog.ShowOpen();

    const host::DialogRequest& shown = dialogs.last();
    EXPECT_EQ(shown.kind, DialogKind::Open);
    EXPECT_EQ(shown.title, QStringLiteral("Select File..."));
    EXPECT_EQ(shown.filter, kDocumentFilter);
    EXPECT_EQ(shown.filterIndex, 3);
    EXPECT_EQ(shown.flags, 4100);
    EXPECT_EQ(shown.initDir, QStringLiteral("/docs"));
    EXPECT_EQ(shown.defaultExt, QStringLiteral("rtf"));
    EXPECT_EQ(dialog.FileName, QStringLiteral("/docs/letter.rtf"));
    EXPECT_EQ(dialog.FileTitle, QStringLiteral("letter.rtf"));
    EXPECT_EQ(dialog.FilterIndex, 2);

    dialog.FileName = QStringLiteral("Document");
    dialogs.answer(DialogAnswer::file(QStringLiteral("/docs/Document.txt"), 3));
    dialog.ShowSave();
    EXPECT_EQ(dialogs.last().kind, DialogKind::Save);
    EXPECT_EQ(dialogs.last().fileName, QStringLiteral("Document"));
    EXPECT_EQ(dialogs.last().filterIndex, 2);
    EXPECT_EQ(dialog.FileTitle, QStringLiteral("Document.txt"));
    EXPECT_EQ(dialog.FilterIndex, 3);
}

TEST(CommonDialogScripted, CancelRaises32755OnlyWithCancelErrorAndChangesNothing)
{
    testsupport::FakeCommonDialogs dialogs;  // an empty queue cancels every dialog
    CommonDialog dialog;
    dialog.FileName = QStringLiteral("kept.rtf");
    dialog.FilterIndex = 2;
    dialog.Color = 0x123456;
    dialog.FontName = QStringLiteral("Kept");

    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowOpen(); }), 0);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowColor(); }), 0);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowFont(); }), 0);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowPrinter(); }), 0);

    dialog.CancelError = true;
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowOpen(); }), vb::ErrCancel);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowSave(); }), vb::ErrCancel);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowColor(); }), vb::ErrCancel);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowFont(); }), vb::ErrCancel);
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowPrinter(); }), vb::ErrCancel);

    EXPECT_EQ(dialogs.shown().size(), 9u);
    EXPECT_EQ(dialog.FileName, QStringLiteral("kept.rtf"));
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(dialog.Color, 0x123456u);
    EXPECT_EQ(dialog.FontName, QStringLiteral("Kept"));
}

TEST(CommonDialogScripted, ColourFontAndPrinterChoicesRoundTrip)
{
    testsupport::FakeCommonDialogs dialogs;
    CommonDialog dialog;
    dialog.Flags = host::cdlCCRGBInit | host::cdlCCFullOpen;
    dialog.Color = 0x00336699;
    dialogs.answer(DialogAnswer::withColor(0x00FF8000));
    dialog.ShowColor();
    EXPECT_EQ(dialogs.last().color, 0x00336699u);
    EXPECT_EQ(dialog.Color, 0x00FF8000u);

    dialog.Flags = host::cdlCFBoth;
    dialog.FontName = QStringLiteral("DejaVu Sans");
    dialog.FontSize = 12;
    dialog.FontBold = true;
    const host::FontChoice chosen{
        QStringLiteral("Liberation Serif"), 10.5, false, true, true, true};
    dialogs.answer(DialogAnswer::withFont(chosen));
    dialog.ShowFont();
    EXPECT_EQ(dialogs.last().font,
              (host::FontChoice{QStringLiteral("DejaVu Sans"), 12, true, false, false, false}));
    EXPECT_EQ((host::FontChoice{dialog.FontName, dialog.FontSize, dialog.FontBold,
                                dialog.FontItalic, dialog.FontUnderline, dialog.FontStrikethru}),
              chosen);

    dialog.Flags = 524556;  // no selection, no page numbers, return a DC, no print to file
    dialogs.answer(DialogAnswer::withPrinter(host::PrinterChoice{
        QStringLiteral("Office"), 3, 2, 4, host::cdlLandscape, host::cdlPDPageNums}));
    dialog.ShowPrinter();
    EXPECT_EQ(dialogs.last().kind, DialogKind::Printer);
    EXPECT_EQ(dialogs.last().flags, 524556);
    EXPECT_EQ(dialog.Orientation, host::cdlLandscape);
    EXPECT_EQ(dialog.Copies, 3);
    EXPECT_EQ(dialog.FromPage, 2);
    EXPECT_EQ(dialog.ToPage, 4);
    EXPECT_EQ(dialog.Flags, 524556 | host::cdlPDPageNums);
    EXPECT_EQ(dialog.DeviceName, QStringLiteral("Office"));
    EXPECT_EQ(host::chosenDefaultPrinter(), QStringLiteral("Office"));
    // The next print dialog opens on the printer chosen last.
    dialogs.answer(DialogAnswer::withPrinter(host::PrinterChoice{}));
    dialog.ShowPrinter();
    EXPECT_EQ(dialogs.last().printer.deviceName, QStringLiteral("Office"));
    EXPECT_EQ(dialog.Flags, 524556);
}

TEST(CommonDialogScripted, ReadOnlyBoxStateGoesIntoFlagsOnlyWhereItIsShown)
{
    testsupport::FakeCommonDialogs dialogs;
    CommonDialog dialog;
    dialog.Flags = host::cdlOFNFileMustExist;
    dialogs.answer(DialogAnswer::file(QStringLiteral("/a.rtf"), 1, true));
    dialog.ShowOpen();
    EXPECT_EQ(dialog.Flags, host::cdlOFNFileMustExist | host::cdlOFNReadOnly);
    dialogs.answer(DialogAnswer::file(QStringLiteral("/a.rtf"), 1, false));
    dialog.ShowOpen();
    EXPECT_EQ(dialog.Flags, host::cdlOFNFileMustExist);

    dialog.Flags = 4100;
    dialogs.answer(DialogAnswer::file(QStringLiteral("/a.rtf"), 1, true));
    dialog.ShowOpen();
    EXPECT_EQ(dialog.Flags, 4100);
}

// ---- the real dialogs, driven offscreen -------------------------------------------------

TEST(CommonDialogReal, OpenShowsTheFilterEntriesAndReturnsFileAndIndex)
{
    testsupport::TempFolder folder;
    touch(folder.filePath("story.txt"));
    testsupport::FakeMessageBoxes boxes;
    CommonDialog dialog;
    dialog.DialogTitle = QStringLiteral("Select File...");
    dialog.Filter = kDocumentFilter;
    dialog.FilterIndex = 2;
    dialog.Flags = 4100;
    dialog.InitDir = folder.path();

    QStringList entries;
    int initialIndex = -1;
    QString title;
    whenShown<QFileDialog>([&](QFileDialog* shown) {
        auto* combo = shown->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        initialIndex = combo->currentIndex();
        title = shown->windowTitle();
        combo->setCurrentIndex(2);
        typeName(shown, QStringLiteral("story.txt"));
    });
    dialog.ShowOpen();

    EXPECT_EQ(entries, (QStringList{QStringLiteral("Wexmoor Document File (*.wmdf)"),
                                    QStringLiteral("RichText Format (*.rtf)"),
                                    QStringLiteral("Text Files (*.txt)")}));
    EXPECT_EQ(initialIndex, 1);
    EXPECT_EQ(title, QStringLiteral("Select File..."));
    EXPECT_EQ(dialog.FileName, folder.filePath("story.txt"));
    EXPECT_EQ(dialog.FileTitle, QStringLiteral("story.txt"));
    EXPECT_EQ(dialog.FilterIndex, 3);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(CommonDialogReal, OpenRefusesAMissingFileAndStaysOpen)
{
    testsupport::TempFolder folder;
    touch(folder.filePath("there.rtf"));
    testsupport::FakeMessageBoxes boxes;
    CommonDialog dialog;
    dialog.Filter = kDocumentFilter;
    dialog.Flags = 4100;
    dialog.InitDir = folder.path();

    bool stayedOpen = false;
    whenShown<QFileDialog>([&](QFileDialog* shown) {
        typeName(shown, QStringLiteral("missing.rtf"));
        stayedOpen = shown->isVisible();
        typeName(shown, QStringLiteral("there.rtf"));
    });
    dialog.ShowOpen();

    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral("missing.rtf")));
    EXPECT_EQ(dialog.FileName, folder.filePath("there.rtf"));
}

TEST(CommonDialogReal, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing)
{
    testsupport::TempFolder folder;
    touch(folder.filePath("old.rtf"));
    testsupport::FakeMessageBoxes boxes;
    boxes.answer(host::vbNo);
    boxes.answer(host::vbYes);
    CommonDialog dialog;
    dialog.Filter = kDocumentFilter;
    dialog.Flags = 4102;
    dialog.InitDir = folder.path();
    dialog.DefaultExt = QStringLiteral("rtf");

    whenShown<QFileDialog>([&](QFileDialog* shown) { typeName(shown, QStringLiteral("fresh")); });
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, folder.filePath("fresh.rtf"));
    EXPECT_TRUE(boxes.shown().empty());

    bool openAfterNo = false;
    whenShown<QFileDialog>([&](QFileDialog* shown) {
        typeName(shown, QStringLiteral("old"));
        openAfterNo = shown->isVisible();
        typeName(shown, QStringLiteral("old"));
    });
    dialog.ShowSave();
    EXPECT_TRUE(openAfterNo);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].style & 0xF, host::vbYesNo);
    EXPECT_EQ(dialog.FileName, folder.filePath("old.rtf"));
}

// Without a default extension a name typed bare takes the extension of the chosen type, so
// the file shows under that type when opened again; "*.*" adds nothing, nor does an opening.
TEST(CommonDialogReal, SaveWithoutDefaultExtensionTakesTheChosenTypesExtension)
{
    testsupport::TempFolder folder;
    CommonDialog dialog;
    dialog.Filter = kDocumentFilter + QStringLiteral("|All Files (*.*)|*.*");
    dialog.InitDir = folder.path();

    const auto saveAs = [&](int filterIndex, const QString& typed) {
        dialog.FilterIndex = int16_t(filterIndex);
        whenShown<QFileDialog>([&](QFileDialog* shown) { typeName(shown, typed); });
        dialog.ShowSave();
        return dialog.FileName;
    };
    EXPECT_EQ(saveAs(1, QStringLiteral("fresh")), folder.filePath("fresh.wmdf"));
    EXPECT_EQ(saveAs(3, QStringLiteral("notes")), folder.filePath("notes.txt"));
    EXPECT_EQ(saveAs(3, QStringLiteral("notes.rtf")), folder.filePath("notes.rtf"));
    EXPECT_EQ(saveAs(4, QStringLiteral("bare")), folder.filePath("bare"));

    touch(folder.filePath("plain"));
    dialog.FilterIndex = 1;
    whenShown<QFileDialog>([&](QFileDialog* shown) { typeName(shown, QStringLiteral("plain")); });
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, folder.filePath("plain"));
}

TEST(CommonDialogReal, CancellingRaises32755OnlyWithCancelError)
{
    testsupport::TempFolder folder;
    CommonDialog dialog;
    dialog.InitDir = folder.path();
    dialog.FileName = QStringLiteral("before.rtf");
    dialog.FilterIndex = 2;

    whenShown<QFileDialog>([](QFileDialog* shown) { shown->reject(); });
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowOpen(); }), 0);
    EXPECT_EQ(dialog.FileName, QStringLiteral("before.rtf"));

    dialog.CancelError = true;
    whenShown<QFileDialog>([](QFileDialog* shown) { QTest::keyClick(shown, Qt::Key_Escape); });
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowSave(); }), vb::ErrCancel);
    whenShown<QColorDialog>([](QColorDialog* shown) { shown->reject(); });
    EXPECT_EQ(cancelNumberOf([&] { dialog.ShowColor(); }), vb::ErrCancel);
    EXPECT_EQ(dialog.FileName, QStringLiteral("before.rtf"));
    EXPECT_EQ(dialog.FilterIndex, 2);
}

TEST(CommonDialogReal, ColourDialogStartsFromColorAndAnswersInBgrOrder)
{
    CommonDialog dialog;
    dialog.Flags = host::cdlCCRGBInit | host::cdlCCFullOpen;
    dialog.Color = 0x00336699;  // red 0x99, green 0x66, blue 0x33

    QColor initial;
    whenShown<QColorDialog>([&](QColorDialog* shown) {
        initial = shown->currentColor();
        shown->setCurrentColor(QColor(0x10, 0x20, 0x30));
        shown->accept();
    });
    dialog.ShowColor();
    EXPECT_EQ(initial, QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(dialog.Color, 0x00302010u);

    // A system colour (here the button face) starts the dialog on the colour it stands for.
    dialog.Color = 0x8000000F;
    whenShown<QColorDialog>([&](QColorDialog* shown) {
        initial = shown->currentColor();
        shown->reject();
    });
    dialog.ShowColor();
    EXPECT_EQ(initial, QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(dialog.Color, 0x8000000Fu);  // cancelled: unchanged

    // Without the RGB-init flag the dialog starts on black; without full-open the custom
    // colour part stays folded until asked for.
    dialog.Flags = host::cdlCCPreventFullOpen;
    bool pickerShown = true;
    whenShown<QColorDialog>([&](QColorDialog* shown) {
        initial = shown->currentColor();
        for (QWidget* child : shown->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (QLatin1String(child->metaObject()->className())
                    .endsWith(QLatin1String("QColorPicker")))
                pickerShown = child->isVisible();
        }
        shown->accept();
    });
    dialog.ShowColor();
    EXPECT_EQ(initial, QColor(Qt::black));
    EXPECT_FALSE(pickerShown);
    EXPECT_EQ(dialog.Color, 0u);
}

TEST(CommonDialogReal, FontDialogStartsFromTheFontMembersAndReturnsTheChoice)
{
    CommonDialog dialog;
    dialog.Flags = host::cdlCFBoth;
    dialog.FontName = QStringLiteral("DejaVu Sans");
    dialog.FontSize = 14;
    dialog.FontItalic = true;
    dialog.FontUnderline = true;

    QFont initial;
    bool effectsShown = true;
    whenShown<QFontDialog>([&](QFontDialog* shown) {
        initial = shown->currentFont();
        for (QGroupBox* group : shown->findChildren<QGroupBox*>()) {
            if (!group->findChildren<QCheckBox*>().isEmpty())
                effectsShown = group->isVisible();
        }
        QFont next = initial;
        next.setStyleName(QString());  // the style name would override the weight
        next.setPointSize(20);
        next.setBold(true);
        shown->setCurrentFont(next);
        shown->accept();
    });
    dialog.ShowFont();
    EXPECT_EQ(initial.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(initial.pointSizeF(), 14.0);
    EXPECT_TRUE(initial.italic());
    EXPECT_FALSE(effectsShown);
    EXPECT_EQ(dialog.FontName, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog.FontSize, 20.0);
    EXPECT_TRUE(dialog.FontBold);
    EXPECT_TRUE(dialog.FontItalic);
    EXPECT_TRUE(dialog.FontUnderline);  // kept: effects were not offered
}

// A face this machine lacks is drawn in a substitute; the dialog starts on that substitute,
// not on the first family of its list, and answers the face it was given when the family is
// left alone, so that OK without changes changes nothing.
TEST(CommonDialogReal, FontDialogOnAMissingFaceStartsOnItsSubstituteAndKeepsTheFace)
{
    const QString missing = QStringLiteral("Nonexistent Face For Tests");
    const QString substitute = QFontInfo(QFont(missing)).family();
    ASSERT_FALSE(QFontDatabase::families().contains(missing));
    CommonDialog dialog;
    dialog.Flags = host::cdlCFBoth;
    dialog.FontName = missing;
    dialog.FontSize = 11;

    QString shownFamily;
    whenShown<QFontDialog>([&](QFontDialog* shown) {
        shownFamily = shown->currentFont().family();
        shown->accept();
    });
    dialog.ShowFont();
    EXPECT_EQ(shownFamily, substitute);
    EXPECT_EQ(dialog.FontName, missing);
    EXPECT_EQ(dialog.FontSize, 11.0);

    // Picking another family is answered as picked.
    const QString other = substitute == QStringLiteral("DejaVu Serif")
                              ? QStringLiteral("DejaVu Sans")
                              : QStringLiteral("DejaVu Serif");
    whenShown<QFontDialog>([&](QFontDialog* shown) {
        QFont next = shown->currentFont();
        next.setFamily(other);
        shown->setCurrentFont(next);
        shown->accept();
    });
    dialog.ShowFont();
    EXPECT_EQ(dialog.FontName, other);
}

TEST(CommonDialogReal, FontSizeOutsideTheLimitsIsRefused)
{
    testsupport::FakeMessageBoxes boxes;
    CommonDialog dialog;
    dialog.Flags = host::cdlCFBoth | host::cdlCFLimitSize;
    dialog.FontName = QStringLiteral("DejaVu Sans");
    dialog.FontSize = 12;
    dialog.Min = 8;
    dialog.Max = 16;

    bool openAfterRefusal = false;
    whenShown<QFontDialog>([&](QFontDialog* shown) {
        QFont big = shown->currentFont();
        big.setPointSize(30);
        shown->setCurrentFont(big);
        shown->accept();
        openAfterRefusal = shown->isVisible();
        big.setPointSize(16);
        shown->setCurrentFont(big);
        shown->accept();
    });
    dialog.ShowFont();
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(dialog.FontSize, 16.0);
}

TEST(CommonDialogReal, PrintDialogHonoursTheFlagsAndReturnsCopiesAndOrientation)
{
    CommonDialog dialog;
    dialog.Flags = 524556;  // no selection, no page numbers, return a DC, no print to file
    dialog.Copies = 2;

    bool rangeOffered = true;
    int initialCopies = 0;
    whenShown<QPrintDialog>([&](QPrintDialog* shown) {
        auto* pageRange = shown->findChild<QRadioButton*>(QStringLiteral("printRange"));
        ASSERT_NE(pageRange, nullptr);
        rangeOffered = pageRange->isEnabled();
        auto* copies = shown->findChild<QSpinBox*>(QStringLiteral("copies"));
        ASSERT_NE(copies, nullptr);
        initialCopies = copies->value();
        copies->setValue(3);
        shown->accept();
    });
    dialog.ShowPrinter();
    EXPECT_FALSE(rangeOffered);
    EXPECT_EQ(initialCopies, 2);
    EXPECT_EQ(dialog.Copies, 3);
    EXPECT_EQ(dialog.Orientation, host::cdlPortrait);
    EXPECT_EQ(dialog.Flags, 524556);
}

}  // namespace
