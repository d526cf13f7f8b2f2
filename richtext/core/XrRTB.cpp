#include "richtext/core/XrRTB.h"

#include "platform/host/CommonDialog.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/Units.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/common/LineQueries.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/DocumentText.h"
#include "richtext/core/FileManagementMod.h"
#include "richtext/core/SpecialUndo.h"
#include "richtext/core/TypingKeys.h"
#include "richtext/core/XrRTBKeyActions.h"
#include "richtext/language/SpellCheckMembers.h"
#include "richtext/language/WordQueries.h"
#include "richtext/printing/PrinterTarget.h"
#include "richtext/printing/Ruler.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/HyperlinkPasses.h"
#include "richtext/scanning/ViewKeeper.h"

#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace {

// A double-quoted string on one line.
const QString StringPattern = QStringLiteral(R"("[^"\r\n]*")");
// One character that is neither a letter, a digit nor printable ASCII punctuation.
const QString OtherCharPattern =
    QStringLiteral(R"([^A-Z0-9\!\"\#\$\%\&\'\(\)\*\+\,\-\.\/\:\;\<\=\>\?\@\[\\\]\^\_\`\{\|\}\~])");
// Table markup in RTF.
const QString TableMarkupPattern = QStringLiteral(R"((\\trowd|\\cell)(.)*(\\intbl|\\row))");

int toPixelsX(double twips)
{
    return static_cast<int>(std::lround(host::twipsToPixelsX(twips)));
}

int toPixelsY(double twips)
{
    return static_cast<int>(std::lround(host::twipsToPixelsY(twips)));
}

// Twips rectangle to pixels; sizes below zero become zero, as the platform refuses them.
QRect toPixels(double left, double top, double width, double height)
{
    return QRect(toPixelsX(left), toPixelsY(top), std::max(0, toPixelsX(width)),
                 std::max(0, toPixelsY(height)));
}

QLineEdit* makeHiddenText(QWidget* parent, const QString& name, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->hide();
    return box;
}

}  // namespace

XrRTB::XrRTB(QWidget* parent) : QWidget(parent)
{
    createConstituents();
    m_lines = std::make_unique<LineQueries>(*RichTextBox1);
    m_documentText = std::make_unique<DocumentText>(*RichTextBox1, TextDocument);
    m_formatting = std::make_unique<SelectionFormatting>(*RichTextBox1);
    m_links = std::make_unique<HyperlinkMark>(*RichTextBox1);
    m_viewKeeper = std::make_unique<ViewKeeper>(*RichTextBox1);
    m_printerTarget = std::make_unique<PrinterTarget>();
    createDocumentServices();
    createLanguageTools();
    m_finder = std::make_unique<TextFinder>(*RichTextBox1);
    createKeywordColouring();
    createTypingKeys();
    connectEditingWindow();
    UserControl_Initialize();
}

XrRTB::~XrRTB()
{
    UserControl_Terminate();
}

void XrRTB::createConstituents()
{
    RichTextBox1 = new richedit::RichTextBox(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setFont(QFont(QStringLiteral("Verdana")));
    RichTextBox2 = new richedit::RichTextBox(this);
    RichTextBox2->setObjectName(QStringLiteral("RichTextBox2"));

    RTBPicture = new QWidget(this);
    RTBPicture->setObjectName(QStringLiteral("RTBPicture"));
    RichTextBox1->view(RTBPicture).setObjectName(QStringLiteral("RichTextBox1View"));

    createRuler();
    createHiddenHelpers();
}

void XrRTB::createRuler()
{
    m_ruler =
        new Ruler(this, *RichTextBox1, TextDocument, m_settings.PrinterMargin, HandleDragging);
    const auto direct = Qt::DirectConnection;
    connect(m_ruler, &Ruler::Begin, this, &XrRTB::Begin, direct);
    connect(m_ruler, &Ruler::Ready, this, &XrRTB::Ready, direct);
    connect(m_ruler, &Ruler::handleReleased, this, &XrRTB::IndentHandle_MouseUp, direct);
    // A tab-stop click takes the whole-document undo snapshot before it changes the stops.
    m_ruler->setSaveSpecialUndoData([this] { SaveSpecialUndoData(); });
}

void XrRTB::createHiddenHelpers()
{
    regexTxt = makeHiddenText(this, QStringLiteral("regexTxt"), StringPattern);
    regexTxt2 = makeHiddenText(this, QStringLiteral("regexTxt2"), OtherCharPattern);
    regexTxt3 = makeHiddenText(this, QStringLiteral("regexTxt3"), TableMarkupPattern);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();
    CommonDialog1 = std::make_unique<host::CommonDialog>();
    CommonDialog1->setOwner(this);
}

void XrRTB::createDocumentServices()
{
    const auto freeze = [this](bool lock) { LockWindowUpdateEx(lock); };
    HyperlinkPassHooks links;
    links.detectHyperLinks = [this] { return m_settings.DetectHyperLinks; };
    links.disableHyperLinks = [this] { LetDetectHyperLinks(false); };
    links.freeze = freeze;
    links.begin = [this] { emit Begin(); };
    links.finish = [this] { emit Finish(); };
    links.ready = [this] { emit Ready(); };
    links.saveRegularUndoData = [this] { SaveRegularUndoData(); };
    links.documentRtfLength = [this] { return RichTextBox1->engine().textRtfLength(); };
    links.owner = [this] { return static_cast<QWidget*>(this); };
    m_linkPasses = std::make_unique<HyperlinkPasses>(*RichTextBox1, *m_links, *m_viewKeeper,
                                                     *m_lines, std::move(links));

    SpecialUndoHooks undo;
    undo.begin = [this] { emit Begin(); };
    undo.finish = [this] { emit Finish(); };
    undo.ready = [this] { emit Ready(); };
    undo.freeze = freeze;
    undo.syncRulerHandles = [this] { SyncRulerHandles(); };
    undo.setRulerTabs = [this] { SetRulerTabs(); };
    undo.detectHyperLinks = [this] { return m_settings.DetectHyperLinks; };
    undo.hyperLinkPassUndo = [this] { m_linkPasses->HyperLinkPassUndo(); };
    undo.documentRtf = [this] { return GetRTFString(); };
    m_undo =
        std::make_unique<SpecialUndo>(*RichTextBox1, *m_viewKeeper, UndoKeyState, std::move(undo));
    // The replace command's snapshot goes into the same record that HyperUndo swaps back.
    replaceUndoWriter() = [](const ReplaceUndoRecord& record) {
        auto& snapshot = RichTextLibraryState::instance().SpecialUndoSnapshot;
        snapshot.SelLength = record.SelLength;
        snapshot.SelStart = record.SelStart;
        snapshot.RTF = record.RTF;
        snapshot.held = true;
    };
}

void XrRTB::connectEditingWindow()
{
    using richedit::RichTextBox;
    // Direct connections throughout: the hosts' changes to the arguments reach the window.
    const auto direct = Qt::DirectConnection;
    connect(RichTextBox1, &RichTextBox::Click, this, &XrRTB::Click, direct);
    connect(RichTextBox1, &RichTextBox::DblClick, this, &XrRTB::DblClick, direct);
    connect(RichTextBox1, &RichTextBox::SelChange, this, &XrRTB::RichTextBox1_SelChange, direct);
    connect(RichTextBox1, &RichTextBox::Change, this, &XrRTB::Change, direct);
    connect(RichTextBox1, &RichTextBox::KeyDown, this, &XrRTB::RichTextBox1_KeyDown, direct);
    connect(RichTextBox1, &RichTextBox::KeyPress, this, &XrRTB::KeyPress, direct);
    connect(RichTextBox1, &RichTextBox::KeyUp, this, &XrRTB::RichTextBox1_KeyUp, direct);
    connect(RichTextBox1, &RichTextBox::MouseDown, this, &XrRTB::MouseDown, direct);
    connect(RichTextBox1, &RichTextBox::MouseMove, this, &XrRTB::MouseMove, direct);
    connect(RichTextBox1, &RichTextBox::MouseUp, this, &XrRTB::RichTextBox1_MouseUp, direct);
}

// --- Lifecycle ---

void XrRTB::UserControl_Initialize()
{
    obtainTextDocument();
    RichTextLibraryState::instance().SpellScanAbort = false;
    // Writes the help file when it is missing; only that side effect is wanted here.
    QString helpFile;
    FileManagementMod::BuildHelpFilePath(helpFile);
}

void XrRTB::obtainTextDocument()
{
    // No handle leaves TextDocument invalid: the control then works as a plain editor.
    TextDocument = richedit::TextDocument();
    richedit::sendMessage(RichTextBox1->hWnd(), richedit::EM_GETOLEINTERFACE, 0,
                          reinterpret_cast<intptr_t>(&TextDocument));
}

void XrRTB::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void XrRTB::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    UserControl_Show();
}

void XrRTB::UserControl_Resize()
{
    placeEditingWindow();
    if (m_settings.DisplayRuler)
        ShadeRuler();
}

void XrRTB::UserControl_Show()
{
    emit Begin();
    // The host sets the tool tip and help identifier on the control itself; the editing window
    // shows them.
    RichTextBox1->setToolTipText(toolTip());
    RichTextBox1->setWhatsThisHelpID(property("WhatsThisHelpID").toInt());
    RichTextLibraryState::instance().SharedDetectHyperLinks = m_settings.DetectHyperLinks;
    emit Finish();
    emit Ready();
    richedit::sendMessage(RichTextBox1->hWnd(), richedit::EM_SETMODIFY, 0, 0);
}

void XrRTB::UserControl_Terminate()
{
    // Emptying the windows is no change the host should hear of from a control going away.
    const QSignalBlocker quiet(this);
    RichTextBox1->setText(QString());
    RichTextBox2->setText(QString());
    RichTextLibraryState::instance().CleanupRTF.clear();
    m_capturedRtf.clear();
    TextDocument = richedit::TextDocument();
}

// --- Layout ---

void XrRTB::LayoutControls()
{
    placeEditingWindow();
    // Hiding the ruler changes no document: the indent normaliser runs only with it shown.
    if (m_settings.DisplayRuler)
        RefreshPageLayout();
}

void XrRTB::placeEditingWindow()
{
    const double width = host::pixelsToTwipsX(this->width());
    const double height = host::pixelsToTwipsY(this->height());
    if (m_settings.DisplayRuler)
        RTBPicture->setGeometry(toPixels(0, RulerStripTwips, width, height - RulerStripTwips));
    else
        RTBPicture->setGeometry(toPixels(0, 0, width, height));
    m_ruler->setGeometry(toPixels(0, 0, width, RulerStripTwips));
    m_ruler->setVisible(m_settings.DisplayRuler);

    const QRect inner = RTBPicture->contentsRect();
    const double innerLeft = host::pixelsToTwipsX(inner.left());
    const double innerTop = host::pixelsToTwipsY(inner.top());
    const double innerWidth = host::pixelsToTwipsX(inner.width());
    const double innerHeight = host::pixelsToTwipsY(inner.height());
    RichTextBox1->view().setGeometry(
        toPixels(innerLeft + GutterTwips, innerTop, innerWidth - GutterTwips, innerHeight));
}

// --- Events of the editing window and the ruler ---

void XrRTB::RichTextBox1_SelChange()
{
    if (!SuppressSelChange)
        emit SelChange();
}

void XrRTB::IndentHandle_MouseUp()
{
    // Every release resumes undo collection, dragged or not.
    if (TextDocument.isValid())
        TextDocument.Undo(richedit::tomResume);
    HandleDragging = false;
    emit Ready();
}
