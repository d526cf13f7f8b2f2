#include "richtext/printing/PrintPreview.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/host/OleColor.h"
#include "platform/host/Printer.h"
#include "platform/host/Units.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/printing/PrintPreviewMod.h"
#include "richtext/printing/PrintingMod.h"
#include "richtext/scanning/HyperlinkMark.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

const QString NotInstalledText = QStringLiteral("Make sure that you have a printer installed. ");
const QString NotConnectedText =
    QStringLiteral("Make sure that you have a printer installed and connected. ");

constexpr int32_t OneInchMargin = 1440;
constexpr int32_t ThreeQuarterInchMargin = 1080;
constexpr int32_t CopiesMaximum = 1000;
constexpr quint32 MagnifierStrip = 0xC00000;  // 0x00BBGGRR: dark blue

PrintPreview::ShowHook& showHook()
{
    static PrintPreview::ShowHook hook;
    return hook;
}

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(qRound(host::twipsToPixelsX(left)), qRound(host::twipsToPixelsY(top)),
                 qRound(host::twipsToPixelsX(width)), qRound(host::twipsToPixelsY(height)));
}

template <typename Widget>
Widget* place(Widget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

QLabel* label(QWidget* parent, const QString& caption, int left, int top, int width)
{
    return place(new QLabel(caption, parent), left, top, width, 255);
}

QComboBox* list(QWidget* parent, int left, int top, int width)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    return place(combo, left, top, width, 315);
}

// The page number of a list entry: the numeric value of its text; 0 when none is selected.
int32_t selectedNumber(const QComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return 0;
    return vb::CLng(vb::Val(combo->currentText()));
}

void fillPages(QComboBox* combo, int32_t from, int32_t to)
{
    combo->clear();
    for (int32_t page = from; page <= to; ++page)
        combo->addItem(QString::number(page));
}

QColor colorOf(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace

// --- Picture boxes ---

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPicture::setPicture(QImage picture)
{
    m_picture = std::move(picture);
    update();
}

void PreviewPicture::clearPicture()
{
    m_picture = QImage();
    update();
}

void PreviewPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(0, 0, m_picture);
}

void PreviewPicture::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    emit MouseMove(int(event->buttons()), int(event->modifiers()),
                   float(host::pixelsToTwipsX(at.x())), float(host::pixelsToTwipsY(at.y())));
}

// --- The window ---

PrintPreview::PrintPreview(QWidget* owner) : QDialog(owner)
{
    setModal(true);
    setWindowTitle(QStringLiteral("Print Preview"));
    buildControls();
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::setShowHook(ShowHook hook)
{
    showHook() = std::move(hook);
}

void PrintPreview::showModal()
{
    if (!Form_Load())
        return;
    if (showHook()) {
        const ShowHook hook = showHook();
        hook(*this);
    } else {
        exec();
    }
    Form_Unload();
}

void PrintPreview::buildControls()
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(9);
    setFont(arial);
    setFixedSize(twipsRect(0, 0, 11745, 10050).size());
    setMouseTracking(true);
    installEventFilter(this);
    setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));

    Frame3 = place(new QGroupBox(QStringLiteral("Information"), this), 240, 120, 3855, 1575);
    Label9 = label(Frame3, QStringLiteral("Total Pages :"), 240, 360, 1200);
    PageCountLabel = label(Frame3, QString(), 1500, 330, 1500);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(9.75);
    PageCountLabel->setFont(verdana);
    PageCountLabel->setStyleSheet(QStringLiteral("color: #0000ff;"));
    Label10 = label(Frame3, QStringLiteral("Printer Name"), 240, 780, 2000);
    PrinterNameTxt = place(new QLineEdit(Frame3), 240, 1020, 3375, 315);
    PrinterNameTxt->setReadOnly(true);
    QPalette greyed = PrinterNameTxt->palette();
    greyed.setColor(QPalette::Base, greyed.color(QPalette::Button));
    PrinterNameTxt->setPalette(greyed);

    Frame1 = place(new QGroupBox(QStringLiteral("Print Options"), this), 240, 1800, 3855, 3495);
    Label5 = label(Frame1, QStringLiteral("Print what?"), 240, 300, 3000);
    PrintOpsCombo = list(Frame1, 240, 540, 3375);
    PrintOpsCombo->addItems({QStringLiteral("Print All Pages"),
                             QStringLiteral("Print Selected Page Only"),
                             QStringLiteral("Print From Page To Page")});
    Label2 = label(Frame1, QStringLiteral("Select / View Page"), 240, 1000, 3000);
    PageCombo = list(Frame1, 240, 1240, 1500);
    FromLbl = label(Frame1, QStringLiteral("From Page"), 240, 1700, 1500);
    FromCombo = list(Frame1, 240, 1940, 1500);
    ToLbl = label(Frame1, QStringLiteral("To Page"), 2115, 1700, 1500);
    ToCombo = list(Frame1, 2115, 1940, 1500);
    OneInMarginOpt =
        place(new QRadioButton(QStringLiteral("1\" Margin"), Frame1), 240, 2640, 1700, 315);
    ThreeQInMarginOpt =
        place(new QRadioButton(QStringLiteral("3/4\" Margin"), Frame1), 2115, 2640, 1500, 315);

    Frame2 = place(new QGroupBox(QStringLiteral("Stamp Options"), this), 240, 5400, 3855, 3495);
    Label6 = label(Frame2, QStringLiteral("Stamp"), 240, 300, 3000);
    StampOpsCombo = list(Frame2, 240, 540, 3375);
    StampOpsCombo->addItems({QStringLiteral("No Stamp"),
                             QStringLiteral("Date & Time & Page Number"),
                             QStringLiteral("Page Number Only"), QStringLiteral("Date & Time Only"),
                             QStringLiteral("Custom"), QStringLiteral("Custom & Number")});
    StampLbl = label(Frame2, QStringLiteral("Custom Stamp Text"), 240, 1000, 3000);
    CustomTxtBox = place(new QLineEdit(Frame2), 240, 1240, 3375, 315);
    AlignLbl = label(Frame2, QStringLiteral("Stamp Alignment"), 240, 1700, 3000);
    AlignmentCombo = list(Frame2, 240, 1940, 1900);
    AlignmentCombo->addItems({QStringLiteral("Align Left"), QStringLiteral("Align Center"),
                              QStringLiteral("Align Right")});
    TopOpt = place(new QRadioButton(QStringLiteral("Top"), Frame2), 2400, 1860, 1200, 285);
    BottomOpt = place(new QRadioButton(QStringLiteral("Bottom"), Frame2), 2400, 2160, 1200, 285);
    Label3 = label(Frame2, QStringLiteral("Number of Copies"), 240, 2820, 1800);
    CopiesTxt = place(new QLineEdit(QStringLiteral("1"), Frame2), 2115, 2760, 900, 315);
    CopiesTxt->setReadOnly(true);
    VScroll1 = place(new QScrollBar(Qt::Vertical, Frame2), 3015, 2760, 255, 315);
    VScroll1->setRange(1, CopiesMaximum);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    VScroll1->setValue(CopiesMaximum);

    PrintButton = place(new QPushButton(QStringLiteral("Print"), this), 240, 9240, 1800, 495);
    CancelButton = place(new QPushButton(QStringLiteral("Exit"), this), 2295, 9240, 1800, 495);

    Picture4 = place(new QWidget(this), 4320, 9600, PageViewWidth, 255);
    Picture4->setAutoFillBackground(true);
    QPalette bar = Picture4->palette();
    bar.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    Picture4->setPalette(bar);
    Picture2 = place(new PreviewPicture(this), 4320, 230, PageViewWidth, PageViewHeight);
    Picture3 = new PreviewPicture(Picture2);
    Picture3->setGeometry(twipsRect(480, 2400, 1815, 855));
    Picture3->hide();
    Label1 = place(new QLabel(QStringLiteral("Magnifying Box"), Picture3), 0, 0, 1815, 255);
    QFont strip(QStringLiteral("Arial"));
    strip.setPointSizeF(9);
    strip.setBold(true);
    strip.setItalic(true);
    Label1->setFont(strip);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAutoFillBackground(true);
    QPalette stripColours = Label1->palette();
    stripColours.setColor(QPalette::Window, colorOf(MagnifierStrip));
    stripColours.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(stripColours);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

    RichTextBox1 = new richedit::RichTextBox(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox2 = new richedit::RichTextBox(this);
    RichTextBox2->setObjectName(QStringLiteral("RichTextBox2"));

    for (QWidget* frame : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                           static_cast<QWidget*>(Frame3)}) {
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
    }

    setTabOrder(PrintOpsCombo, PageCombo);
    setTabOrder(PageCombo, FromCombo);
    setTabOrder(FromCombo, ToCombo);
    setTabOrder(ToCombo, OneInMarginOpt);
    setTabOrder(OneInMarginOpt, ThreeQInMarginOpt);
    setTabOrder(ThreeQInMarginOpt, StampOpsCombo);
    setTabOrder(StampOpsCombo, CustomTxtBox);
    setTabOrder(CustomTxtBox, AlignmentCombo);
    setTabOrder(AlignmentCombo, PrintButton);
    setTabOrder(PrintButton, CancelButton);
    setTabOrder(CancelButton, TopOpt);
    setTabOrder(TopOpt, BottomOpt);
    setTabOrder(BottomOpt, CopiesTxt);
    setTabOrder(CopiesTxt, VScroll1);

    // Only a user's choice arrives through these signals; code that selects runs the handler.
    const auto onUser = [this](auto handler) { return [this, handler] { guarded(handler); }; };
    connect(PrintOpsCombo, &QComboBox::activated, this, onUser([this] { PrintOpsCombo_Click(); }));
    connect(PageCombo, &QComboBox::activated, this, onUser([this] { PageCombo_Click(); }));
    connect(FromCombo, &QComboBox::activated, this, onUser([this] { FromCombo_Click(); }));
    connect(StampOpsCombo, &QComboBox::activated, this, onUser([this] { StampOpsCombo_Click(); }));
    connect(AlignmentCombo, &QComboBox::activated, this,
            onUser([this] { AlignmentCombo_Click(); }));
    connect(TopOpt, &QRadioButton::clicked, this, onUser([this] { TopOpt_Click(); }));
    connect(BottomOpt, &QRadioButton::clicked, this, onUser([this] { BottomOpt_Click(); }));
    connect(OneInMarginOpt, &QRadioButton::clicked, this,
            onUser([this] { OneInMarginOpt_Click(); }));
    connect(ThreeQInMarginOpt, &QRadioButton::clicked, this,
            onUser([this] { ThreeQInMarginOpt_Click(); }));
    // A value set from code raises the change too, as the copies' wrap relies on.
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
    connect(CustomTxtBox, &QLineEdit::textChanged, this, onUser([this] { CustomTxtBox_Change(); }));
    connect(PrintButton, &QPushButton::clicked, this, onUser([this] { PrintButton_Click(); }));
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(Picture2, &PreviewPicture::MouseMove, this, [this](int b, int s, float x, float y) {
        guarded([&] { Picture2_MouseMove(b, s, x, y); });
    });
    connect(Picture3, &PreviewPicture::MouseMove, this, [this](int b, int s, float x, float y) {
        guarded([&] { Picture3_MouseMove(b, s, x, y); });
    });
}

void PrintPreview::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const vb::VbError& error) {
        host::MsgBox(QString::number(error.number()), host::vbExclamation, error.description(),
                     this);
    }
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && Picture3->isVisible() &&
        (watched == this || watched == Frame1 || watched == Frame2 || watched == Frame3))
        Picture3->hide();
    return QDialog::eventFilter(watched, event);
}

// The page view lies on a grey desk and casts a shadow, as a sheet of paper would.
void PrintPreview::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QRect page = Picture2->geometry();
    painter.fillRect(page.adjusted(-12, -8, 12, 8), QColor(0x9a, 0x9e, 0xa6));
    painter.fillRect(page.translated(5, 5), QColor(0x50, 0x50, 0x58));
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(page.adjusted(-1, -1, 0, 0));
}

// --- Loading ---

bool PrintPreview::Form_Load()
{
    host::HourglassCursor hourglass;
    RichTextBox1->engine().setViewportSize(QSize(PageCanvas::SheetWidth, PageCanvas::SheetHeight));
    // The document is handed over in memory, as RTF, instead of through a file in the shared
    // temporary folder.
    if (richedit::RichTextBox* document = library().SharedRichText.data())
        RichTextBox1->setTextRTF(document->TextRTF());
    RichTextBox2->engine().setViewportSize(QSize(PageCanvas::SheetWidth, PageCanvas::SheetHeight));
    Picture1.setSize(PageCanvas::SheetWidth, PageCanvas::SheetHeight);

    // The server is asked again as the window opens; its answer is taken up as soon as it is
    // there, without the window waiting for it.
    host::refreshPrintersSoon();
    if (!VerifyPrinter())
        return false;
    IsLoading = true;
    RefreshPageList();
    if (library().SharedDetectHyperLinks)
        HyperLinkAll();
    int32_t firstPage = 1;
    int32_t limit = 1;
    PrintPreviewMod::RenderPreviewPage(*this, firstPage, limit);
    showCanvas();
    try {
        PrinterNameTxt->setText(host::printer().DeviceName());
    } catch (const vb::VbError&) {
        // The name could not be read after all: the box stays empty.
    }
    PrintOpsCombo->setCurrentIndex(1);
    PrintOpsCombo_Click();
    StampOpsCombo->setCurrentIndex(0);
    StampOpsCombo_Click();
    AlignmentCombo->setCurrentIndex(1);
    AlignmentCombo_Click();
    if (library().SharedPrintMargin == ThreeQuarterInchMargin) {
        ThreeQInMarginOpt->setChecked(true);
        ThreeQInMarginOpt_Click();
    } else if (library().SharedPrintMargin == OneInchMargin) {
        OneInMarginOpt->setChecked(true);
        OneInMarginOpt_Click();
    }
    TopOpt->setChecked(true);
    TopOpt_Click();
    IsLoading = false;
    return true;
}

void PrintPreview::Form_Unload()
{
    RichTextBox1->setText(QString());
    RichTextBox2->setText(QString());
}

bool PrintPreview::VerifyPrinter()
{
    try {
        host::printer().DeviceName();
    } catch (const vb::VbError& error) {
        if (error.number() == vb::ErrPrinter) {
            host::MsgBox(NotInstalledText, host::vbExclamation, QStringLiteral("Printer Error"),
                         this);
            return false;
        }
        host::MsgBox(QString::number(error.number()), host::vbExclamation, error.description(),
                     this);
    }
    return true;
}

bool PrintPreview::IsPrinterAvailable()
{
    try {
        host::printer().DeviceName();
        return true;
    } catch (const vb::VbError&) {
        return false;
    }
}

// --- Page lists ---

void PrintPreview::RefreshPageList()
{
    const int32_t oldPage = selectedNumber(PageCombo);
    PageCount = PrintingMod::CountPages(*RichTextBox1);
    PageCountLabel->setText(QString::number(PageCount));
    fillPages(PageCombo, 1, PageCount);
    // A failed count leaves the lists empty: there is no page to select or draw.
    if (PageCount > 0) {
        PageCombo->setCurrentIndex(oldPage != 0 && oldPage <= PageCount ? oldPage - 1 : 0);
        PageCombo_Click();
    }
    if (FromCombo->isEnabled())
        RefreshRangeLists();
}

namespace {

// Rebuilds the last-page list from the first page chosen, keeping the old last page when it is
// still in the list.
void rebuildLastPages(QComboBox* from, QComboBox* to, int32_t pageCount, int32_t oldLast)
{
    fillPages(to, selectedNumber(from), pageCount);
    to->setCurrentIndex(0);
    for (int index = 1; index < to->count(); ++index) {
        if (vb::CLng(vb::Val(to->itemText(index))) == oldLast) {
            to->setCurrentIndex(index);
            break;
        }
    }
}

}  // namespace

void PrintPreview::FromCombo_Click()
{
    rebuildLastPages(FromCombo, ToCombo, PageCount, selectedNumber(ToCombo));
}

void PrintPreview::RefreshRangeLists()
{
    const int32_t oldLast = selectedNumber(ToCombo);
    const int32_t oldFirst = selectedNumber(FromCombo);
    fillPages(FromCombo, 1, PageCount);
    FromCombo->setCurrentIndex(oldFirst < 1 || oldFirst > PageCount ? 0 : oldFirst - 1);
    FromCombo_Click();
    rebuildLastPages(FromCombo, ToCombo, PageCount, oldLast);
}

void PrintPreview::PrintOpsCombo_Click()
{
    const bool range = PrintOpsCombo->currentIndex() == 2;
    FromLbl->setEnabled(range);
    ToLbl->setEnabled(range);
    FromCombo->setEnabled(range);
    ToCombo->setEnabled(range);
    if (!range)
        return;
    fillPages(FromCombo, 1, PageCount);
    fillPages(ToCombo, 1, PageCount);
    FromCombo->setCurrentIndex(0);
    FromCombo_Click();
    ToCombo->setCurrentIndex(0);
}

void PrintPreview::PageCombo_Click()
{
    SelectedPage = selectedNumber(PageCombo);
    DrawPreviewPage();
}

// --- Stamp and margin ---

void PrintPreview::StampOpsCombo_Click()
{
    const int kind = StampOpsCombo->currentIndex();
    const bool custom = kind == PrintCustom || kind == PrintCustomWNum;
    const bool placed = kind >= PrintBoth && kind <= PrintCustomWNum;
    StampLbl->setEnabled(custom);
    CustomTxtBox->setEnabled(custom);
    QPalette colours = CustomTxtBox->palette();
    colours.setColor(QPalette::Base, custom ? QColor(Qt::white) : colours.color(QPalette::Button));
    CustomTxtBox->setPalette(colours);
    AlignLbl->setEnabled(placed);
    AlignmentCombo->setEnabled(placed);
    TopOpt->setEnabled(placed);
    BottomOpt->setEnabled(placed);
    if (kind >= PrintNiether && kind <= PrintCustomWNum)
        StampKind = kind;
    DrawPreviewPage();
}

void PrintPreview::AlignmentCombo_Click()
{
    const bool top = TopOpt->isChecked();
    if (!top && !BottomOpt->isChecked())
        return;
    static constexpr int32_t TopPositions[] = {LeftAlignHeading, CenterAlignHeading,
                                               RightAlignHeading};
    static constexpr int32_t BottomPositions[] = {LeftAlignHeadingBottom, CenterAlignHeadingBottom,
                                                  RightAlignHeadingBottom};
    const int alignment = AlignmentCombo->currentIndex();
    if (alignment >= 0 && alignment <= 2)
        StampPosition = top ? TopPositions[alignment] : BottomPositions[alignment];
    DrawPreviewPage();
}

void PrintPreview::ApplyMarginOption()
{
    if (OneInMarginOpt->isChecked())
        library().SharedPrintMargin = OneInchMargin;
    else if (ThreeQInMarginOpt->isChecked())
        library().SharedPrintMargin = ThreeQuarterInchMargin;
    RefreshPageList();
    DrawPreviewPage();
}

void PrintPreview::CustomTxtBox_Change()
{
    DrawPreviewPage();
}

// --- Copies and printing ---

void PrintPreview::VScroll1_Change()
{
    if (VScroll1->value() == 1)
        VScroll1->setValue(CopiesMaximum);
    CopiesTxt->setText(QString::number(CopiesMaximum + 1 - VScroll1->value()));
}

void PrintPreview::PrintButton_Click()
{
    if (!IsPrinterAvailable()) {
        host::MsgBox(NotConnectedText, host::vbExclamation, QStringLiteral("Cannot Print"), this);
        return;
    }
    const int copies = vb::CInt(CopiesTxt->text());
    for (int copy = 1; copy <= copies; ++copy) {
        QString customText = CustomTxtBox->text();
        switch (PrintOpsCombo->currentIndex()) {
            case 0:
                PrintingMod::PrintAllPages(*RichTextBox1, PageCount, StampKind, customText,
                                           StampPosition);
                break;
            case 1:
                PrintingMod::PrintSinglePage(*RichTextBox1, SelectedPage, StampKind, customText,
                                             StampPosition);
                break;
            case 2: {
                int32_t first = vb::CLng(vb::Val(FromCombo->currentText()));
                int32_t last = vb::CLng(vb::Val(ToCombo->currentText()));
                PrintingMod::PrintPageRange(*RichTextBox1, first, last, PageCount, StampKind,
                                            customText, StampPosition);
                break;
            }
            default:
                break;
        }
        // The user who cancels one copy wants none of the others.
        if (PrintingMod::JobCancelled())
            break;
    }
}

void PrintPreview::CancelButton_Click()
{
    close();
}

// --- Link colouring of the copy ---

void PrintPreview::HyperLinkAll()
{
    const QString text = RichTextBox1->Text();
    if (!text.contains(QStringLiteral("www"), Qt::CaseInsensitive) &&
        !text.contains(QLatin1Char(':')) && !text.contains(QLatin1Char('@')))
        return;
    vbscript::RegExp pattern;
    pattern.setIgnoreCase(true);
    pattern.setGlobal(true);
    pattern.setPattern(AddressPattern);
    const vbscript::MatchCollection matches = pattern.Execute(text);
    const intptr_t handle = RichTextBox1->hWnd();
    for (const vbscript::Match& match : matches) {
        host::COLORREF blue = 0;
        if (!host::OleTranslateColor(0x00FF0000, blue))
            blue = host::COLORREF(-1);
        richedit::CharRange range{int32_t(match.FirstIndex()),
                                  int32_t(match.FirstIndex() + match.Length())};
        richedit::sendMessage(handle, richedit::EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&range));
        richedit::RtfFormatQ format;
        format.cbSize = sizeof(richedit::RtfFormatQ);
        format.dwMask = 0x40000004;  // colour, underline
        format.dwEffects = 4;        // underline
        format.crTextColor = blue;
        richedit::sendMessage(handle, richedit::EM_SETCHARFORMAT, richedit::SCF_SELECTION,
                              reinterpret_cast<intptr_t>(&format));
    }
}
