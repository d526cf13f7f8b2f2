#include "platform/host/CommonDialog.h"

#include "platform/host/MessageBox.h"
#include "platform/host/OleColor.h"
#include "platform/host/PrinterDevice.h"
#include "platform/runtime/VbError.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace host {
namespace {

QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString& defaultPrinterChoice()
{
    static QString name;
    return name;
}

// A pattern the chooser can match: "*.*" means every file here as on the platform, and the
// chooser's filter syntax has no room for brackets.
QString usablePattern(const QString& raw)
{
    const QString pattern = raw.trimmed();
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    if (pattern.contains(QLatin1Char('(')) || pattern.contains(QLatin1Char(')')))
        return {};
    return pattern;
}

// ---- open and save ---------------------------------------------------------------------

QString nameFilterOf(const FileFilter& entry)
{
    // The chooser hides the bracketed pattern list (HideNameFilterDetails), so the user sees
    // the description exactly as the filter string gives it.
    return entry.description + QStringLiteral(" (") + entry.patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

QString startFolder(const DialogRequest& request)
{
    const QFileInfo name(request.fileName);
    if (!request.fileName.isEmpty() && name.isAbsolute() && name.dir().exists())
        return name.absolutePath();
    if (!request.initDir.isEmpty() && QDir(request.initDir).exists())
        return QDir(request.initDir).absolutePath();
    if (!lastFolder().isEmpty() && QDir(lastFolder()).exists())
        return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

class FileChooser : public QFileDialog {
public:
    FileChooser(const DialogRequest& request, const std::vector<FileFilter>& filters)
        : QFileDialog(request.owner), m_request(request)
    {
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontConfirmOverwrite);  // asked by accept() when the flag says so
        setOption(QFileDialog::HideNameFilterDetails);
        setAcceptMode(saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::AnyFile);  // existence is judged by accept()
        setWindowTitle(!request.title.isEmpty() ? request.title
                       : saving()               ? QStringLiteral("Save As")
                                                : QStringLiteral("Open"));
        setDirectory(startFolder(request));
        if (!request.fileName.isEmpty())
            selectFile(QFileInfo(request.fileName).fileName());
        setUpFilters(filters);
        if (!saving() && !(request.flags & cdlOFNHideReadOnly))
            addReadOnlyBox();
    }

    const QString& chosen() const { return m_chosen; }
    bool readOnlyChecked() const { return m_readOnly && m_readOnly->isChecked(); }

    int chosenFilterIndex() const
    {
        if (m_filterCount == 0)
            return m_request.filterIndex;
        if (const auto* combo = findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            return combo->currentIndex() + 1;
        return m_request.filterIndex;
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (files.isEmpty() || files.first().isEmpty())
            return;
        const QString typed = files.first();
        if (QFileInfo(typed).isDir()) {
            QFileDialog::accept();  // enters the folder
            return;
        }
        const FileCheck check = checkFileChoice(typed, m_request.flags, saving(), extensionToAdd());
        if (check.verdict == FileCheck::Refuse) {
            MsgBox(check.message, vbExclamation, windowTitle(), this);
            return;
        }
        if (check.verdict == FileCheck::AskOverwrite &&
            MsgBox(check.message, vbYesNo | vbExclamation | vbDefaultButton2, windowTitle(),
                   this) != vbYes)
            return;
        m_chosen = check.path;
        lastFolder() = QFileInfo(m_chosen).absolutePath();
        QDialog::accept();
    }

private:
    bool saving() const { return m_request.kind == DialogKind::Save; }

    // Without a default extension a save adds the chosen type's own, so that the file shows
    // under that type when it is opened again.
    QString extensionToAdd() const
    {
        if (!saving() || !m_request.defaultExt.trimmed().isEmpty())
            return m_request.defaultExt;
        const int index = chosenFilterIndex();
        if (index < 1 || index > int(m_filters.size()))
            return {};
        const QStringList& patterns = m_filters[size_t(index - 1)].patterns;
        if (patterns.isEmpty())
            return {};
        const QString pattern = patterns.first().trimmed();
        if (!pattern.startsWith(QLatin1String("*.")))
            return {};
        const QString extension = pattern.mid(2);
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]+$"));
        return plain.match(extension).hasMatch() ? extension : QString();
    }

    void setUpFilters(const std::vector<FileFilter>& filters)
    {
        m_filters = filters;
        m_filterCount = static_cast<int>(filters.size());
        if (filters.empty())
            return;
        QStringList names;
        for (const FileFilter& entry : filters)
            names << nameFilterOf(entry);
        setNameFilters(names);
        const int index = m_request.filterIndex;
        selectNameFilter(names.at(index >= 1 && index <= m_filterCount ? index - 1 : 0));
    }

    void addReadOnlyBox()
    {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        if (!grid)
            return;
        m_readOnly = new QCheckBox(QStringLiteral("Open as &read-only"), this);
        m_readOnly->setChecked((m_request.flags & cdlOFNReadOnly) != 0);
        grid->addWidget(m_readOnly, grid->rowCount(), 0, 1, grid->columnCount());
    }

    const DialogRequest& m_request;
    QString m_chosen;
    QCheckBox* m_readOnly = nullptr;
    std::vector<FileFilter> m_filters;
    int m_filterCount = 0;
};

DialogAnswer showFileDialog(const DialogRequest& request)
{
    const std::vector<FileFilter> filters = parseFilter(request.filter);
    FileChooser chooser(request, filters);
    if (chooser.exec() != QDialog::Accepted || chooser.chosen().isEmpty())
        return DialogAnswer::cancel();
    return DialogAnswer::file(chooser.chosen(), chooser.chosenFilterIndex(),
                              chooser.readOnlyChecked());
}

// ---- colour ------------------------------------------------------------------------------

bool isCustomColourPart(const QWidget* widget)
{
    const QLatin1String name(widget->metaObject()->className());
    return name.endsWith(QLatin1String("QColorPicker")) ||
           name.endsWith(QLatin1String("QColorLuminancePicker")) ||
           name.endsWith(QLatin1String("QColorShower"));
}

// Without cdlCCFullOpen the dialog opens on the basic and custom colours only; the part that
// defines custom colours opens with a button unless cdlCCPreventFullOpen forbids it.
void collapseCustomPart(QColorDialog& dialog, bool allowOpening)
{
    QList<QWidget*> part;
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (isCustomColourPart(child)) {
            child->hide();
            part << child;
        }
    }
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (!allowOpening || part.isEmpty() || !buttons)
        return;
    QPushButton* open = buttons->addButton(QStringLiteral("&Define Custom Colors >>"),
                                           QDialogButtonBox::ActionRole);
    QObject::connect(open, &QPushButton::clicked, &dialog, [part, open] {
        for (QWidget* widget : part)
            widget->show();
        open->setEnabled(false);
    });
}

DialogAnswer showColorDialog(const DialogRequest& request)
{
    QColorDialog dialog(request.owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("Color"));
    // A system colour (the fore colour of a text box, say) starts the dialog on what it
    // stands for; one that does not translate starts it on black.
    const QColor initial = colorFromOleColor(static_cast<OLE_COLOR>(request.color));
    dialog.setCurrentColor((request.flags & cdlCCRGBInit) && initial.isValid() ? initial
                                                                               : QColor(Qt::black));
    if (!(request.flags & cdlCCFullOpen))
        collapseCustomPart(dialog, !(request.flags & cdlCCPreventFullOpen));
    if (dialog.exec() != QDialog::Accepted)
        return DialogAnswer::cancel();
    return DialogAnswer::withColor(colorrefFromColor(dialog.selectedColor()));
}

// ---- font --------------------------------------------------------------------------------

class FontChooser : public QFontDialog {
public:
    explicit FontChooser(const DialogRequest& request)
        : QFontDialog(request.owner), m_request(request)
    {
        setOption(QFontDialog::DontUseNativeDialog);
        if (request.flags & cdlCFScalableOnly)
            setOption(QFontDialog::ScalableFonts);
        if (request.flags & cdlCFFixedPitchOnly)
            setOption(QFontDialog::MonospacedFonts);
        setWindowTitle(QStringLiteral("Font"));
        setCurrentFont(initialFont());
        if (!(request.flags & cdlCFEffects))
            hideEffects();
    }

    void done(int result) override
    {
        if (result == QDialog::Accepted && (m_request.flags & cdlCFLimitSize)) {
            const double size = currentFont().pointSizeF();
            if (size < m_request.min || size > m_request.max) {
                MsgBox(QStringLiteral("Size must be between %1 and %2 points.")
                           .arg(m_request.min)
                           .arg(m_request.max),
                       vbExclamation, windowTitle(), this);
                return;
            }
        }
        QFontDialog::done(result);
    }

private:
    QFont initialFont()
    {
        const FontChoice& given = m_request.font;
        QFont font = QFontDialog::font();
        font.setStyleName(QString());  // the flags below decide the style
        if (!given.name.isEmpty()) {
            font.setFamily(given.name);
            // The dialog lists installed families only and would fall back on the first of
            // them; start on the family the text is actually drawn with instead.
            if (!QFontDatabase::families().contains(given.name, Qt::CaseInsensitive)) {
                m_substitute = QFontInfo(font).family();
                font.setFamily(m_substitute);
            }
        }
        if (given.size > 0)
            font.setPointSizeF(given.size);
        font.setBold(given.bold);
        font.setItalic(given.italic);
        font.setUnderline(given.underline);
        font.setStrikeOut(given.strikethru);
        return font;
    }

    // Without cdlCFEffects underline and strikethrough are not offered; they keep the values
    // the dialog was opened with.
    void hideEffects()
    {
        int height = 0;
        const QList<QGroupBox*> groups = findChildren<QGroupBox*>();
        for (QGroupBox* group : groups) {
            if (!group->findChildren<QCheckBox*>().isEmpty()) {
                height = std::max(height, group->sizeHint().height());
                group->hide();
            }
        }
        // The sample beside the effects keeps the height they gave it.
        for (QGroupBox* group : groups) {
            if (!group->isHidden())
                group->setMinimumHeight(height);
        }
    }

public:
    // The family to answer: the face given when the user kept its stand-in, so that a
    // document keeps naming the face it was written with.
    QString answeredFamily(const QString& chosen) const
    {
        if (!m_substitute.isEmpty() && chosen == m_substitute)
            return m_request.font.name;
        return chosen;
    }

private:
    const DialogRequest& m_request;
    QString m_substitute;
};

DialogAnswer showFontDialog(const DialogRequest& request)
{
    FontChooser dialog(request);
    if (dialog.exec() != QDialog::Accepted)
        return DialogAnswer::cancel();
    const QFont font = dialog.selectedFont();
    return DialogAnswer::withFont(FontChoice{dialog.answeredFamily(font.family()),
                                             font.pointSizeF(), font.bold(), font.italic(),
                                             font.underline(), font.strikeOut()});
}

// ---- printer -----------------------------------------------------------------------------

void setUpPrinter(QPrinter& printer, const DialogRequest& request)
{
    const PrinterChoice& given = request.printer;
    if (!given.deviceName.isEmpty())
        printer.setPrinterName(given.deviceName);
    printer.setCopyCount(std::max(1, given.copies));
    printer.setPageOrientation(given.orientation == cdlLandscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
    if (given.fromPage >= 1 && given.toPage >= given.fromPage)
        printer.setFromTo(given.fromPage, given.toPage);
    if (given.range == cdlPDPageNums && !(request.flags & cdlPDNoPageNums))
        printer.setPrintRange(QPrinter::PageRange);
    else if (given.range == cdlPDSelection && !(request.flags & cdlPDNoSelection))
        printer.setPrintRange(QPrinter::Selection);
}

long rangeOf(const QPrinter& printer)
{
    switch (printer.printRange()) {
        case QPrinter::Selection:
            return cdlPDSelection;
        case QPrinter::PageRange:
            return cdlPDPageNums;
        default:
            return cdlPDAllPages;
    }
}

class PrintChooser : public QPrintDialog {
public:
    PrintChooser(QPrinter& printer, const DialogRequest& request)
        : QPrintDialog(&printer, request.owner), m_flags(request.flags)
    {
        setOption(QAbstractPrintDialog::PrintSelection, !(m_flags & cdlPDNoSelection));
        setOption(QAbstractPrintDialog::PrintPageRange, !(m_flags & cdlPDNoPageNums));
        setOption(QAbstractPrintDialog::PrintToFile,
                  !(m_flags & (cdlPDDisablePrintToFile | cdlPDHidePrintToFile)));
        setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        if (request.max > 0)
            setMinMax(std::max(1, request.min), request.max);
    }

    // The dialog sets its widgets up as it shows and leaves the page-range choices enabled
    // whatever the option says; without page numbers they are taken away here.
    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (!visible || !(m_flags & cdlPDNoPageNums))
            return;
        for (const char* name : {"printRange", "pagesRadioButton", "from", "to", "pagesLineEdit"}) {
            if (auto* widget = findChild<QWidget*>(QLatin1String(name)))
                widget->setEnabled(false);
        }
    }

private:
    long m_flags;
};

DialogAnswer showPrintDialog(const DialogRequest& request)
{
    QPrinter printer;
    setUpPrinter(printer, request);
    PrintChooser dialog(printer, request);
    if (dialog.exec() != QDialog::Accepted)
        return DialogAnswer::cancel();
    return DialogAnswer::withPrinter(PrinterChoice{
        printer.printerName(), printer.copyCount(), printer.fromPage(), printer.toPage(),
        printer.pageLayout().orientation() == QPageLayout::Landscape ? cdlLandscape : cdlPortrait,
        rangeOf(printer)});
}

class QtCommonDialogService : public CommonDialogService {
public:
    DialogAnswer show(const DialogRequest& request) override
    {
        switch (request.kind) {
            case DialogKind::Open:
            case DialogKind::Save:
                return showFileDialog(request);
            case DialogKind::Color:
                return showColorDialog(request);
            case DialogKind::Font:
                return showFontDialog(request);
            case DialogKind::Printer:
                return showPrintDialog(request);
        }
        return DialogAnswer::cancel();
    }
};

bool hasExtension(const QString& path)
{
    return QFileInfo(path).fileName().contains(QLatin1Char('.'));
}

}  // namespace

// ---- answers -----------------------------------------------------------------------------

DialogAnswer DialogAnswer::file(const QString& name, int index, bool readOnly)
{
    DialogAnswer answer;
    answer.accepted = true;
    answer.fileName = name;
    answer.filterIndex = index;
    answer.readOnly = readOnly;
    return answer;
}

DialogAnswer DialogAnswer::withColor(unsigned long color)
{
    DialogAnswer answer;
    answer.accepted = true;
    answer.color = color & 0xFFFFFF;
    return answer;
}

DialogAnswer DialogAnswer::withFont(const FontChoice& font)
{
    DialogAnswer answer;
    answer.accepted = true;
    answer.font = font;
    return answer;
}

DialogAnswer DialogAnswer::withPrinter(const PrinterChoice& printer)
{
    DialogAnswer answer;
    answer.accepted = true;
    answer.printer = printer;
    return answer;
}

ServiceSlot<CommonDialogService>& commonDialogService()
{
    static ServiceSlot<CommonDialogService> slot([]() -> std::unique_ptr<CommonDialogService> {
        return std::make_unique<QtCommonDialogService>();
    });
    return slot;
}

QString chosenDefaultPrinter()
{
    return defaultPrinterChoice();
}

// ---- filters and file checks -------------------------------------------------------------

std::vector<FileFilter> parseFilter(const QString& filter)
{
    std::vector<FileFilter> entries;
    if (filter.isEmpty())
        return entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype at = 0; at + 1 < parts.size(); at += 2) {
        FileFilter entry;
        entry.description = parts.at(at);
        for (const QString& raw : parts.at(at + 1).split(QLatin1Char(';'))) {
            const QString pattern = usablePattern(raw);
            if (!pattern.isEmpty())
                entry.patterns << pattern;
        }
        if (entry.patterns.isEmpty())
            entry.patterns << QStringLiteral("*");
        entries.push_back(entry);
    }
    return entries;
}

FileCheck checkFileChoice(const QString& path, long flags, bool saving, const QString& defaultExt)
{
    FileCheck check;
    check.path = QDir::cleanPath(path);
    QString extension = defaultExt.trimmed();
    while (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    // The open dialog takes a typed name that exists as it is; otherwise the default
    // extension is added to a name without one.
    if (!extension.isEmpty() && !hasExtension(check.path) &&
        (saving || !QFileInfo::exists(check.path)))
        check.path += QLatin1Char('.') + extension;

    const QFileInfo info(check.path);
    // The must-exist flag only means something when opening: the system's save dialog passes
    // it too, and honouring it there would make every new document unsaveable.
    const bool mustExist = !saving && (flags & cdlOFNFileMustExist);
    if ((mustExist || (flags & cdlOFNPathMustExist)) && !info.dir().exists()) {
        check.verdict = FileCheck::Refuse;
        check.message = info.fileName() + QStringLiteral(
                                              "\nPath does not exist.\n"
                                              "Check the path and try again.");
    } else if (mustExist && !info.exists()) {
        check.verdict = FileCheck::Refuse;
        check.message = info.fileName() + QStringLiteral(
                                              "\nFile not found.\n"
                                              "Check the file name and try again.");
    } else if (saving && (flags & cdlOFNOverwritePrompt) && info.exists()) {
        check.verdict = FileCheck::AskOverwrite;
        check.message = info.fileName() + QStringLiteral(
                                              " already exists.\n"
                                              "Do you want to replace it?");
    }
    return check;
}

// ---- the control -------------------------------------------------------------------------

DialogRequest CommonDialog::request(DialogKind kind) const
{
    DialogRequest request;
    request.kind = kind;
    request.title = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = Flags;
    request.fileName = FileName;
    request.initDir = InitDir;
    request.defaultExt = DefaultExt;
    request.color = Color;
    request.font =
        FontChoice{FontName, FontSize, FontBold, FontItalic, FontUnderline, FontStrikethru};
    request.min = Min;
    request.max = Max;
    const long range = Flags & (cdlPDSelection | cdlPDPageNums);
    request.printer = PrinterChoice{chosenDefaultPrinter(),
                                    Copies,
                                    FromPage,
                                    ToPage,
                                    Orientation,
                                    range == cdlPDSelection ? cdlPDSelection
                                    : range != 0            ? cdlPDPageNums
                                                            : cdlPDAllPages};
    request.owner = m_owner;
    return request;
}

DialogAnswer CommonDialog::run(const DialogRequest& request) const
{
    DialogAnswer answer = commonDialogService().get().show(request);
    if (!answer.accepted && CancelError)
        throw vb::VbError(vb::ErrCancel, QStringLiteral("Cancel was selected."),
                          QStringLiteral("CommonDialog"));
    return answer;
}

void CommonDialog::showFile(DialogKind kind)
{
    const DialogRequest settings = request(kind);
    const DialogAnswer answer = run(settings);
    if (!answer.accepted)
        return;
    FileName = answer.fileName;
    FileTitle = QFileInfo(answer.fileName).fileName();
    FilterIndex = answer.filterIndex;
    if (kind == DialogKind::Open && !(Flags & cdlOFNHideReadOnly))
        Flags = answer.readOnly ? (Flags | cdlOFNReadOnly) : (Flags & ~long(cdlOFNReadOnly));
}

void CommonDialog::ShowOpen()
{
    showFile(DialogKind::Open);
}

void CommonDialog::ShowSave()
{
    showFile(DialogKind::Save);
}

void CommonDialog::ShowColor()
{
    const DialogAnswer answer = run(request(DialogKind::Color));
    if (answer.accepted)
        Color = answer.color & 0xFFFFFF;
}

void CommonDialog::ShowFont()
{
    const DialogAnswer answer = run(request(DialogKind::Font));
    if (!answer.accepted)
        return;
    FontName = answer.font.name;
    FontSize = answer.font.size;
    FontBold = answer.font.bold;
    FontItalic = answer.font.italic;
    FontUnderline = answer.font.underline;
    FontStrikethru = answer.font.strikethru;
}

void CommonDialog::ShowPrinter()
{
    // A printer added or made the default a moment ago must be offered and followed at once.
    refreshPrinters();
    const DialogAnswer answer = run(request(DialogKind::Printer));
    if (!answer.accepted)
        return;
    const PrinterChoice& chosen = answer.printer;
    DeviceName = chosen.deviceName;
    Copies = chosen.copies;
    FromPage = chosen.fromPage;
    ToPage = chosen.toPage;
    Orientation = chosen.orientation;
    Flags = (Flags & ~long(cdlPDSelection | cdlPDPageNums)) | chosen.range;
    if (PrinterDefault)
        defaultPrinterChoice() = chosen.deviceName;
}

}  // namespace host
