#include "app/Form1.h"

#include "app/ArtWork.h"
#include "app/DocumentNames.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "controls/frame/XrFrameControl.h"
#include "image/control/XrImageControl.h"
#include "platform/host/ControlFactory.h"
#include "platform/host/KeyCodes.h"
#include "platform/host/MessageBox.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"
#include "platform/system/FileSystem.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QTimer>

namespace app {
namespace {

const QString Settings = SettingsSection;
// The editing window's error for a file that is no document.
constexpr long InvalidFileFormat = 321;

void writeSetting(const char* key, const QString& value)
{
    IniWrite(Settings, QString::fromLatin1(key), value, settingsFilePath());
}

int pixelsX(double twips)
{
    return qRound(host::twipsToPixelsX(twips));
}

int pixelsY(double twips)
{
    return qRound(host::twipsToPixelsY(twips));
}

// Places an editing control as a window saved with it at its defaults would.
XrRTB* createEditingControl(const QString& name, QWidget* parent)
{
    auto* control =
        qobject_cast<XrRTB*>(host::createControl(QStringLiteral("XrRichTextBox.XrRTB"), parent));
    if (!control)
        return nullptr;
    control->setObjectName(name);
    host::AmbientProperties ambient;
    ambient.DisplayName = name;
    ambient.Font = parent->font();
    control->setAmbientProperties(ambient);
    control->UserControl_ReadProperties(host::PropertyBag());
    return control;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(QIcon(QPixmap::fromImage(drawDocumentIcon(64))));
    m_clock = [] { return QDateTime::currentDateTime(); };
    createControls();
    createMenus();
    createToolbar();
    connectControlEvents();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_client);

    XrRTB1 = createEditingControl(QStringLiteral("XrRTB1"), m_client);
    // The second editor only holds clipboard content while a picture is inserted.
    XrRTB2 = createEditingControl(QStringLiteral("XrRTB2"), m_client);
    if (XrRTB2)
        XrRTB2->hide();
    createImageControl();

    XrFrameControl1 = qobject_cast<XrFrameControl*>(
        host::createControl(QStringLiteral("XrFrame.XrFrameControl"), m_client));
    if (XrFrameControl1) {
        XrFrameControl1->setObjectName(QStringLiteral("XrFrameControl1"));
        XrFrameControl1->LetStyle(XrFrame::Panel);
        XrFrameControl1->LetThemeColor(XrFrame::Silver);
        XrFrameControl1->LetCaption(QString());
        XrFrameControl1->setFocusPolicy(Qt::NoFocus);
        XrFrameControl1->installEventFilter(this);
    }

    StatusBar1 = new StatusBar(4, m_client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->Panels(1).setAutoSize(StatusBar::sbrSpring);
    StatusBar1->Panels(1).setMinWidth(3600);
    for (int panel = 2; panel <= 4; ++panel) {
        StatusBar1->Panels(panel).setAutoSize(StatusBar::sbrContents);
        StatusBar1->Panels(panel).setMinWidth(1500);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

void Form1::connectControlEvents()
{
    if (!XrRTB1)
        return;
    m_caretPanelsTimer = new QTimer(this);
    m_caretPanelsTimer->setSingleShot(true);
    m_caretPanelsTimer->setInterval(0);
    connect(m_caretPanelsTimer, &QTimer::timeout, this, &Form1::UpdateCaretPanels);
    connect(XrRTB1, &XrRTB::SelChange, this, [this] {
        if (!m_selectionRefresh) {
            // Find Next and the spell check select words while their dialog holds the control
            // in its Begin bracket: the panels still follow the selection the user sees.
            const QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != window())
                m_caretPanelsTimer->start();
            return;
        }
        UpdateTitleAndStatus(false);
        RefreshToolbarState();
    });
    connect(XrRTB1, &XrRTB::Begin, this, [this] { m_selectionRefresh = false; });
    connect(XrRTB1, &XrRTB::Finish, this, [this] { m_selectionRefresh = true; });
    connect(XrRTB1, &XrRTB::Ready, this, [this] {
        UpdateTitleAndStatus(false);
        RefreshToolbarState();
    });
    connect(XrRTB1, &XrRTB::KeyDown, this, [this](int& KeyCode, int& Shift) {
        m_selectionRefresh = !isTypingKey(KeyCode, Shift);
        if (KeyCode == host::vbKeyA + ('F' - 'A') && Shift == host::vbCtrlMask) {
            XrRTB1->ShowFindReplace();
            XrRTB1->SetInFocus();
        }
    });
    connect(XrRTB1, &XrRTB::KeyUp, this, [this](int& KeyCode, int& Shift) {
        m_selectionRefresh = !isTypingKey(KeyCode, Shift);
    });
    connect(XrRTB1, &XrRTB::UpdateParentMenu, this,
            [this] { menuAllowAutomaticHyperlink->setChecked(XrRTB1->DetectHyperLinks()); });
    connect(XrRTB1, &XrRTB::MenuFontColorClick, this,
            [this] { writeSetting("FONTCOLOR", QString::number(XrRTB1->MyFontColor())); });
    connect(XrRTB1, &XrRTB::MenuHLColorClick, this,
            [this] { writeSetting("HIGHLIGHTCOLOR", QString::number(XrRTB1->MyHLColor())); });
    connect(XrRTB1, &XrRTB::MenuVBSyntaxClickStart, Timer1, [this] { Timer1->start(); });
    connect(XrRTB1, &XrRTB::MenuVBSyntaxClickEnd, Timer1, [this] { Timer1->stop(); });
}

bool Form1::isTypingKey(int keyCode, int shift)
{
    if (keyCode == host::vbKeyA && shift == host::vbCtrlMask)
        return false;
    return keyCode == host::vbKeyTab || keyCode == host::vbKeyReturn ||
           keyCode == host::vbKeySpace || keyCode == host::vbKeyDelete ||
           (keyCode >= host::vbKey0 && keyCode <= host::vbKey0 + 9) ||
           (keyCode >= host::vbKeyA && keyCode <= host::vbKeyA + 25) ||
           (keyCode >= host::vbKeyNumpad0 && keyCode <= host::vbKeyDivide);
}

void Form1::Form_Load(const QString& commandLine)
{
    const QString& ini = settingsFilePath();

    XrRTB1->PrepareXrRTB();
    if (!commandLine.isEmpty()) {
        m_documentPath = documentPathFromCommandLine(commandLine);
        m_documentType = DocumentTypeFromPath(TextAfterLastTilde(m_documentPath));
    } else {
        m_documentType = rtfWXF;
    }

    // A stored size larger than the screen (a damaged or hand-edited settings file) is cut to
    // the screen: a window past it cannot be seen whole and its buffers could take gigabytes.
    const WindowGeometry geometry = readWindowGeometry(ini);
    QSize size(pixelsX(geometry.width), pixelsY(geometry.height));
    if (const QScreen* shownOn = screen())
        size = size.boundedTo(shownOn->availableGeometry().size());
    resize(size);
    if (geometry.windowState == 2)
        setWindowState(Qt::WindowMaximized);
    else if (geometry.windowState == 1)
        setWindowState(Qt::WindowMinimized);

    UpdateTitleAndStatus(true);
    ApplySettings();
    if (!commandLine.isEmpty()) {
        // A name that does not exist yet stays, so that saving creates it; an existing file that
        // cannot be loaded is never adopted, or a save would overwrite it.
        if (sys::pathExists(m_documentPath)) {
            try {
                XrRTB1->LoadFileRTBOriginal(m_documentPath, ::rtfRTF);
                m_documentType = documentTypeOfContent(m_documentType, XrRTB1->loadedFileType());
                noteDocumentFileVersion();
            } catch (const vb::VbError& error) {
                refuseCommandLineFile(error);
            }
        }
        if (readSettingInt16(Settings, QStringLiteral("ENABLEAUTOLINK"), ini) == 1 &&
            readSettingInt16(Settings, QStringLiteral("DISABLELINKING"), ini) <= 0)
            XrRTB1->HyperLinkDocument();
        else
            XrRTB1->UnHyperLinkDocument();
    }
    ApplyWrapSetting();
    XrRTB1->EmptyRTBUndoRedoBuffer();
    // Setting the control up (its font, its wrap) is not an edit: the document starts
    // unchanged, so closing an untouched window asks nothing.
    setDocumentUnchanged();

    if (XrRTB1 && !XrRTB1->PrinterInstalled()) {
        if (readSettingInt16(Settings, QStringLiteral("WRAP"), ini) == 2) {
            bool wrap = true;
            bool rulerWrap = false;
            XrRTB1->Word_Wrap(wrap, rulerWrap);
            writeSetting("WRAP", QStringLiteral("1"));
            setWrapChecks(menuWindowWrap);
        }
        menuWrapRuler->setEnabled(false);
    }
}

void Form1::refuseCommandLineFile(const vb::VbError& error)
{
    const QString reason = error.number() == InvalidFileFormat
                               ? QStringLiteral("it is not a valid document")
                               : error.description();
    host::MsgBox(QStringLiteral("Cannot open %1: %2.").arg(m_documentPath, reason),
                 host::vbOKOnly | host::vbInformation, QStringLiteral("Cannot Open File"), this);
    m_documentPath.clear();
    m_documentType = rtfWXF;
    UpdateTitleAndStatus(true);
}

QString Form1::CurExt() const
{
    return extensionOfType(m_documentType);
}

void Form1::UpdateTitleAndStatus(bool storedPath)
{
    QString name = QStringLiteral("Document");
    if (!m_documentPath.isEmpty()) {
        name = storedPath ? m_documentPath : GetDisplayName(m_documentPath);
        if (name.isEmpty())
            name = QStringLiteral("Document");
    }
    const QString extension = CurExt();
    setWindowTitle(name + extension + QStringLiteral(" - ") + ProductName);
    StatusBar1->Panels(1).setText(QStringLiteral("Document Name: ") + name + extension);
    UpdateCaretPanels();
}

void Form1::UpdateCaretPanels()
{
    if (!XrRTB1)
        return;
    StatusBar1->Panels(2).setText(QStringLiteral("Line: ") + QString::number(XrRTB1->VanticLine()));
    StatusBar1->Panels(3).setText(QStringLiteral("Column: ") +
                                  QString::number(XrRTB1->VanticColumn()));
    StatusBar1->Panels(4).setText(QStringLiteral("Position: ") +
                                  QString::number(XrRTB1->VanticChar()));
}

double Form1::ScaleWidth() const
{
    return host::pixelsToTwipsX(m_client->width());
}

double Form1::ScaleHeight() const
{
    return host::pixelsToTwipsY(m_client->height());
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    const double scaleWidth = host::pixelsToTwipsX(m_client->width());
    const double scaleHeight = host::pixelsToTwipsY(m_client->height());
    const int toolbarHeight = pixelsY(ToolbarFrameHeight);
    if (XrRTB1) {
        XrRTB1->setGeometry(0, toolbarHeight, m_client->width(), XrRTB1->height());
        // A negative height is refused and the old one kept.
        if (scaleHeight - 765 >= 0)
            XrRTB1->resize(XrRTB1->width(), pixelsY(scaleHeight - 765));
    }
    if (XrFrameControl1) {
        if (scaleWidth >= ToolbarFrameWidth)
            XrFrameControl1->setGeometry(0, 0, m_client->width(), toolbarHeight);
        else
            XrFrameControl1->setGeometry(m_client->width() - pixelsX(ToolbarFrameWidth), 0,
                                         pixelsX(ToolbarFrameWidth), toolbarHeight);
        layoutToolbarButtons();
    }
    if (XrRTB1) {
        XrRTB1->resize(XrRTB1->width(), XrRTB1->height() + pixelsY(10));
        XrRTB1->ClearRuler();
        XrRTB1->DrawRuler();
        XrRTB1->ShadeRuler();
    }
    const int statusHeight = pixelsY(StatusBarHeight);
    StatusBar1->setGeometry(0, m_client->height() - statusHeight, m_client->width(), statusHeight);
    StatusBar1->raise();
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && XrRTB1 &&
        XrRTB1->DisplayRuler())
        XrRTB1->DrawRuler();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // Activating the toolbar frame leaves the keyboard focus in the editor.
    if (watched == XrFrameControl1 && XrRTB1 &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn))
        XrRTB1->SetInFocus();
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool Form1::Form_QueryUnload()
{
    if (XrRTB1 && XrRTB1->HasRTBChanged()) {
        const int answer = askSaveQuestion();
        if (answer == host::vbYes) {
            if (!saveChangedDocument())
                return false;
        } else if (answer != host::vbNo) {
            return false;
        }
    }
    storeWindowGeometry();
    return true;
}

void Form1::storeWindowGeometry()
{
    const Qt::WindowStates state = windowState();
    const bool minimised = state.testFlag(Qt::WindowMinimized);
    const qint32 height = qRound(host::pixelsToTwipsY(this->height()));
    const qint32 width = qRound(host::pixelsToTwipsX(this->width()));
    writeSetting("APPHEIGHT",
                 QString::number(minimised ? DefaultAppHeight : std::max(height, 2400)));
    writeSetting("APPWIDTH", QString::number(minimised ? DefaultAppWidth : width));
    writeSetting("WINDOWSTATE", QString::number(minimised                             ? 0
                                                : state.testFlag(Qt::WindowMaximized) ? 2
                                                                                      : 0));
}

QDateTime Form1::now() const
{
    return m_clock();
}

}  // namespace app
