#include "richtext/scanning/FindReplaceFrm.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/OleColor.h"
#include "platform/host/Resources.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/widgets/ProgressBar.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/ReplaceCommand.h"
#include "richtext/scanning/TextFinder.h"

#include "platform/host/CommonDialog.h"
#include "platform/runtime/VbError.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

QColor toQColor(host::OLE_COLOR color)
{
    const host::COLORREF rgb = host::TranslateOleColor(color);
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

host::OLE_COLOR fromQColor(const QColor& color)
{
    return host::OLE_COLOR(color.red()) | (host::OLE_COLOR(color.green()) << 8) |
           (host::OLE_COLOR(color.blue()) << 16);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

FindReplaceFrm::FindReplaceFrm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FindReplaceFrm"));
    setWindowTitle(QStringLiteral("Find / Replace"));
    setModal(true);
    createControls();
    layoutControls();
    Form_Load();
}

FindReplaceFrm::~FindReplaceFrm()
{
    // Terminate: the document handle is let go with the window.
    TextDocument = richedit::TextDocument();
}

void FindReplaceFrm::createControls()
{
    Label1 = new QLabel(QStringLiteral("Find What ?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    FindTxt = new QLineEdit(this);
    FindTxt->setObjectName(QStringLiteral("FindTxt"));
    Label1->setBuddy(FindTxt);
    Label2 = new QLabel(QStringLiteral("Replace with:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ReplacementTxt = new QLineEdit(this);
    ReplacementTxt->setObjectName(QStringLiteral("ReplacementTxt"));
    Label2->setBuddy(ReplacementTxt);
    setReplacementForeColor(0);

    Frame3 = new QGroupBox(QStringLiteral("Find / Replace Options"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    MatchCaseCheck =
        makeCheck(Frame3, QStringLiteral("MatchCaseCheck"), QStringLiteral("Match Case"));
    WholeWordCheck =
        makeCheck(Frame3, QStringLiteral("WholeWordCheck"), QStringLiteral("Whole Word Only"));
    ApplyFontColorCheck = makeCheck(Frame3, QStringLiteral("ApplyFontColorCheck"),
                                    QStringLiteral("Apply Font Color"));
    FontColorButton =
        makeButton(Frame3, QStringLiteral("FontColorButton"), QStringLiteral("Font Color"));

    FindNextButton =
        makeButton(this, QStringLiteral("FindNextButton"), QStringLiteral("Find Next"));
    FindNextButton->setDefault(true);
    FindPreviousButton =
        makeButton(this, QStringLiteral("FindPreviousButton"), QStringLiteral("Find Previous"));
    ReplaceButton = makeButton(this, QStringLiteral("ReplaceButton"), QStringLiteral("Replace"));
    ReplaceAllButton =
        makeButton(this, QStringLiteral("ReplaceAllButton"), QStringLiteral("Replace All"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    ProgressBar1 = new ProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    CommonDialog1 = std::make_unique<host::CommonDialog>();
    CommonDialog1->setOwner(this);

    connect(MatchCaseCheck, &QCheckBox::clicked, this, &FindReplaceFrm::MatchCaseCheck_Click);
    connect(WholeWordCheck, &QCheckBox::clicked, this, &FindReplaceFrm::WholeWordCheck_Click);
    connect(ApplyFontColorCheck, &QCheckBox::clicked, this,
            &FindReplaceFrm::ApplyFontColorCheck_Click);
    connect(FontColorButton, &QPushButton::clicked, this, &FindReplaceFrm::FontColorButton_Click);
    connect(FindNextButton, &QPushButton::clicked, this, &FindReplaceFrm::FindNextButton_Click);
    connect(FindPreviousButton, &QPushButton::clicked, this,
            &FindReplaceFrm::FindPreviousButton_Click);
    connect(ReplaceButton, &QPushButton::clicked, this, &FindReplaceFrm::ReplaceButton_Click);
    connect(ReplaceAllButton, &QPushButton::clicked, this, &FindReplaceFrm::ReplaceAllButton_Click);
    connect(Timer1, &QTimer::timeout, this, &FindReplaceFrm::Timer1_Timer);
}

void FindReplaceFrm::layoutControls()
{
    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(FindTxt, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(ReplacementTxt, 1, 1);
    fields->setColumnStretch(1, 1);

    auto* options = new QGridLayout(Frame3);
    options->addWidget(MatchCaseCheck, 0, 0);
    options->addWidget(WholeWordCheck, 1, 0);
    options->addWidget(ApplyFontColorCheck, 0, 1);
    options->addWidget(FontColorButton, 1, 1, Qt::AlignLeft);
    options->setColumnStretch(2, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(Frame3);
    left->addStretch(1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button :
         {FindNextButton, FindPreviousButton, ReplaceButton, ReplaceAllButton})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addSpacing(8);
    top->addLayout(buttons);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(ProgressBar1);
    setMinimumWidth(460);

    setTabOrder(FindTxt, ReplacementTxt);
    setTabOrder(ReplacementTxt, MatchCaseCheck);
    setTabOrder(MatchCaseCheck, WholeWordCheck);
    setTabOrder(WholeWordCheck, ApplyFontColorCheck);
    setTabOrder(ApplyFontColorCheck, FontColorButton);
    setTabOrder(FontColorButton, FindNextButton);
    setTabOrder(FindNextButton, FindPreviousButton);
    setTabOrder(FindPreviousButton, ReplaceButton);
    setTabOrder(ReplaceButton, ReplaceAllButton);
}

void FindReplaceFrm::Form_Load()
{
    if (const std::optional<QByteArray> bitmap =
            host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("BITMAP"), 101)) {
        QPixmap picture;
        if (picture.loadFromData(*bitmap))
            FontColorButton->setIcon(picture);
    }
    richedit::RichTextBox* shared = library().SharedRichText;
    if (shared)
        richedit::sendMessage(shared->hWnd(), richedit::EM_GETOLEINTERFACE, 0,
                              reinterpret_cast<intptr_t>(&TextDocument));
    ReadSearchOptions();
    if (shared) {
        // The selection as it shows: hidden text in it is no part of what to find.
        const richedit::Engine& engine = shared->engine();
        const QString selected = richedit::shownTextOf(
            engine.document(), {engine.selStart(), engine.selStart() + engine.selLength()});
        if (!selected.contains(u' '))
            FindTxt->setText(selected);
    }
    Timer1->start();
}

void FindReplaceFrm::closeEvent(QCloseEvent* event)
{
    library().ReplaceAbort = true;
    if (m_replaceAllRunning) {
        // The Replace All handler is still on the stack: hide now, close when it returns.
        m_closeRequested = true;
        hide();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FindReplaceFrm::reject()
{
    // Escape closes the window the way its close box does.
    if (m_replaceAllRunning) {
        close();
        return;
    }
    library().ReplaceAbort = true;
    QDialog::reject();
}

host::OLE_COLOR FindReplaceFrm::replacementForeColor() const
{
    return fromQColor(ReplacementTxt->palette().color(QPalette::Text));
}

void FindReplaceFrm::setReplacementForeColor(host::OLE_COLOR color)
{
    QPalette palette = ReplacementTxt->palette();
    palette.setColor(QPalette::Text, toQColor(color));
    ReplacementTxt->setPalette(palette);
}

void FindReplaceFrm::ReadSearchOptions()
{
    const bool matchCase = MatchCaseCheck->isChecked();
    const bool wholeWord = WholeWordCheck->isChecked();
    SearchOptions = (wholeWord ? WholeWord : 0) | (matchCase ? MatchCase : 0);
    ApplyFontColor = ApplyFontColorCheck->isChecked();
}

void FindReplaceFrm::MatchCaseCheck_Click()
{
    ReadSearchOptions();
}

void FindReplaceFrm::WholeWordCheck_Click()
{
    ReadSearchOptions();
}

void FindReplaceFrm::ApplyFontColorCheck_Click()
{
    ApplyFontColor = ApplyFontColorCheck->isChecked();
    ReplaceColor = replacementForeColor();
}

void FindReplaceFrm::FontColorButton_Click()
{
    ChooseReplaceColor();
}

void FindReplaceFrm::ChooseReplaceColor()
{
    CommonDialog1->CancelError = true;
    CommonDialog1->Color = replacementForeColor();
    CommonDialog1->Flags = 3;
    try {
        CommonDialog1->ShowColor();
    } catch (const vb::VbError&) {
        // Cancelled (32755): the colour it was given stays and is taken below.
    }
    ReplaceColor = host::OLE_COLOR(CommonDialog1->Color);
    setReplacementForeColor(ReplaceColor);
    ReplacementTxt->setFocus();
}

void FindReplaceFrm::FindNextButton_Click()
{
    ReadSearchOptions();
    FindAndSelect(TextDocument, FindTxt->text(), 1, SearchOptions);
}

void FindReplaceFrm::FindPreviousButton_Click()
{
    ReadSearchOptions();
    FindAndSelect(TextDocument, FindTxt->text(), -1, SearchOptions);
}

void FindReplaceFrm::replace(int32_t mode)
{
    richedit::RichTextBox* shared = library().SharedRichText;
    if (!shared)
        return;
    ReplaceCommand command(*shared, TextDocument);
    int32_t count = 0;
    command.ReplaceText(FindTxt->text(), ReplacementTxt->text(), mode, SearchOptions,
                        ApplyFontColor, ReplaceColor, count);
}

void FindReplaceFrm::ReplaceButton_Click()
{
    ReadSearchOptions();
    replace(ReplaceNext);
}

void FindReplaceFrm::ReplaceAllButton_Click()
{
    ReadSearchOptions();
    if (m_replaceAllRunning)
        return;
    host::HourglassCursor hourglass;
    Timer1->start();
    m_replaceAllRunning = true;
    replace(ReplaceAll);
    m_replaceAllRunning = false;
    Timer1->stop();
    hourglass.restore();
    if (m_closeRequested)
        done(QDialog::Rejected);
}

void FindReplaceFrm::Timer1_Timer()
{
    ProgressBar1->setValue(double(SearchProgress()));
}

int16_t FindReplaceFrm::SearchProgress()
{
    const int percent = library().ProgressPercentage();
    return int16_t(std::clamp(percent, -32768, 32767));
}
