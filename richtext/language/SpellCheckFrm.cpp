#include "richtext/language/SpellCheckFrm.h"

#include "platform/host/EventLoop.h"
#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/host/Units.h"
#include "platform/widgets/ProgressBar.h"
#include "platform/widgets/XrSliderControl.h"
#include "richtext/common/RichTextLibraryState.h"
// The one component file that includes core: it hosts its own XrRTB, so it builds with core.
#include "richtext/core/XrRTB.h"
#include "richtext/language/FormLayout.h"
#include "richtext/language/PublicMod.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

using formlayout::designedFont;
using formlayout::place;

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

richedit::RichTextBox* document()
{
    return library().SharedRichText;
}

const QString CompleteTitle = QStringLiteral("Spell Check Complete");

}  // namespace

const QString SpellCheckFrm::Caption =
    QStringLiteral(" Spell Check                     English U.S.A.");
const QString SpellCheckFrm::GreetingWord = QStringLiteral("SCRIVET");
const QString SpellCheckFrm::Greeting =
    QStringLiteral("Hello from Scrivet! Its own name is the one word it will never know.");

SpellCheckFrm::SpellCheckFrm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("SpellCheckFrm"));
    setWindowTitle(Caption);
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    createControls();
}

SpellCheckFrm::~SpellCheckFrm()
{
    Form_Unload();
}

void SpellCheckFrm::createControls()
{
    formlayout::setClientSize(this, 7545, 5250);
    const QString arial = QStringLiteral("Arial");

    Label3 = new QLabel(QStringLiteral("Not Found in Dictionary"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(designedFont(arial, 9, true));
    place(Label3, 270, 150, 2535, 255);

    NotFoundList = new QListWidget(this);
    NotFoundList->setObjectName(QStringLiteral("NotFoundList"));
    NotFoundList->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(NotFoundList, 270, 405, 2535, 1470);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(Text1, 270, 1965, 2535, 330);

    Frame1 = new QGroupBox(QStringLiteral("Suggestions"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFont(designedFont(arial, 9, true));
    place(Frame1, 2970, 90, 3000, 2205);

    SuggestionList = new QListWidget(Frame1);
    SuggestionList->setObjectName(QStringLiteral("SuggestionList"));
    SuggestionList->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(SuggestionList, 150, 285, 2700, 1230);

    // Higher values lower the threshold: fewer suggestions at the left, more at the right.
    Label8 = new QLabel(QStringLiteral("fewer suggestions"), Frame1);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFont(designedFont(arial, 7.5));
    place(Label8, 150, 1560, 1350, 225);
    Label7 = new QLabel(QStringLiteral("more suggestions"), Frame1);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setFont(designedFont(arial, 7.5));
    Label7->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(Label7, 1500, 1560, 1350, 225);

    XrSliderControl1 = new XrSliderControl(Frame1);
    XrSliderControl1->setObjectName(QStringLiteral("XrSliderControl1"));
    XrSliderControl1->setOrientation(Qt::Horizontal);
    XrSliderControl1->setMin(0);
    XrSliderControl1->setMax(100);
    place(XrSliderControl1, 150, 1800, 2700, 315);

    struct Button {
        QPushButton*& button;
        const char* name;
        QString caption;
        double top;
    };
    const Button buttons[] = {
        {NextButton, "NextButton", QStringLiteral("Next"), 150},
        {PreviousButton, "PreviousButton", QStringLiteral("Previous"), 600},
        {ChangeButton, "ChangeButton", QStringLiteral("Change"), 1050},
        {UndoButton, "UndoButton", QStringLiteral("Undo"), 1500},
        {CloseButton, "CloseButton", QStringLiteral("Close"), 1920},
    };
    for (const Button& b : buttons) {
        b.button = new QPushButton(b.caption, this);
        b.button->setObjectName(QLatin1String(b.name));
        b.button->setFont(designedFont(arial, 9));
        b.button->setAutoDefault(false);
        place(b.button, 6180, b.top, 1095, 375);
    }
    // Until the scan has run there is nothing to step through, correct or take back.
    for (QPushButton* button : {NextButton, PreviousButton, ChangeButton, UndoButton})
        button->setEnabled(false);

    XrRTB1 = new XrRTB(this);
    XrRTB1->setObjectName(QStringLiteral("XrRTB1"));
    place(XrRTB1, 270, 2475, 7005, 2190);
    XrRTB1->LetLocked(true);
    XrRTB1->LetAutoVMenu(false);
    XrRTB1->LetDisplayRuler(false);
    XrRTB1->LetRemoveUnUsableData(false);
    XrRTB1->LetRightMargin(12240);
    XrRTB1->SetFont(designedFont(QStringLiteral("Verdana"), 9.75));

    ProgressBar1 = new ProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setMax(100);
    place(ProgressBar1, 270, 4800, 7005, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1);

    connect(XrRTB1, &XrRTB::SelChange, this, &SpellCheckFrm::XrRTB1_SelChange);
    connect(NotFoundList, &QListWidget::currentRowChanged, this, [this](int row) {
        NotFoundList_Click();
        selectListedOccurrence(row);
    });
    connect(NotFoundList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        NotFoundList_Click();
        selectListedOccurrence(NotFoundList->row(item));
    });
    Label7->installEventFilter(this);
    connect(Text1, &QLineEdit::textChanged, this,
            [this](const QString& text) { refreshSuggestions(text); });
    const auto sliderChanged = [this] {
        const QListWidgetItem* item = NotFoundList->currentItem();
        refreshSuggestions(item ? item->text() : QString());
    };
    connect(XrSliderControl1, &XrSliderControl::Change, this, sliderChanged);
    connect(XrSliderControl1, &XrSliderControl::Scroll, this, sliderChanged);
    connect(NextButton, &QPushButton::clicked, this, &SpellCheckFrm::NextButton_Click);
    connect(PreviousButton, &QPushButton::clicked, this, &SpellCheckFrm::PreviousButton_Click);
    connect(ChangeButton, &QPushButton::clicked, this, &SpellCheckFrm::ChangeButton_Click);
    connect(UndoButton, &QPushButton::clicked, this, &SpellCheckFrm::UndoButton_Click);
    connect(CloseButton, &QPushButton::clicked, this, &SpellCheckFrm::CloseButton_Click);
    connect(Timer1, &QTimer::timeout, this, &SpellCheckFrm::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &SpellCheckFrm::Timer2_Timer);
}

void SpellCheckFrm::showModal()
{
    Timer2->start();
    exec();
    Form_Unload();
}

// --- Activation ---

void SpellCheckFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The check runs once, after the window is first on screen; later activations (after a
    // message box, say) must not copy and scan the document again.
    if (m_activated)
        return;
    m_activated = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !Closing)
            Form_Activate();
    });
}

void SpellCheckFrm::Form_Activate()
{
    XrRTB1->PrepareXrRTB();
    Closing = false;
    NotFoundList->clear();
    CopyDocumentIn();
    Timer1->setInterval(1);
    Timer1->start();

    StringArray words;
    m_scanRunning = true;
    int32_t first = -1;
    {
        host::HourglassCursor hourglass;
        first = XrRTB1->SpellCheck(words);
    }
    m_scanRunning = false;
    // Closed while the scan ran: the window is already on its way out.
    if (Closing || m_unloaded)
        return;

    if (XrRTB1->IsArrayGood(words)) {
        // The list is filled whether or not input is waiting: the rest of the dialog relies
        // on it holding the scan's words.
        m_listSetByDialog = true;
        NotFoundList->addItems(*words);
        m_listSetByDialog = false;
        host::DoEvents();
        if (Closing || m_unloaded)
            return;
        setListRow(first);
    }
    PreviousButton->setEnabled(true);
    NextButton->setEnabled(true);

    if (!Closing && Text1->text().isEmpty()) {
        host::MsgBox(QStringLiteral("No spelling errors detected."), host::vbInformation,
                     CompleteTitle, this);
        Closing = true;
        close();
    }
}

void SpellCheckFrm::CopyDocumentIn()
{
    host::HourglassCursor hourglass;
    // The document is handed over in memory, as the file round trip would give it.
    if (richedit::RichTextBox* shared = document())
        XrRTB1->LetTextRTF(shared->TextRTF());
    XrSliderControl1->setValue(InitialSliderValue);
}

// --- Closing ---

void SpellCheckFrm::closeEvent(QCloseEvent* event)
{
    Closing = true;
    library().SpellScanAbort = true;
    // Closing during the scan only hides the window; it is unloaded once the scan has
    // returned (the modal loop ends when control gets back to it).
    QDialog::closeEvent(event);
}

void SpellCheckFrm::reject()
{
    Closing = true;
    library().SpellScanAbort = true;
    QDialog::reject();
}

void SpellCheckFrm::CloseButton_Click()
{
    Closing = true;
    library().SpellScanAbort = true;
    close();
}

void SpellCheckFrm::Form_Unload()
{
    if (m_unloaded || m_scanRunning)
        return;
    m_unloaded = true;
    Timer1->stop();
    Timer2->stop();
    XrRTB1->LetText(QString());
}

// --- Lists and suggestions ---

void SpellCheckFrm::refreshSuggestions(const QString& word)
{
    SPELL_CHECK_TYPE request;
    request.IncorrectWord = word;
    request.QAccuracy = int16_t(100 - XrSliderControl1->Value());
    XrRTB1->GetPossibleSpellingCorrections(request);
    SuggestionList->clear();
    if (IsArrayGood(request.Suggestions))
        SuggestionList->addItems(*request.Suggestions);
}

void SpellCheckFrm::NotFoundList_Click()
{
    const QListWidgetItem* item = NotFoundList->currentItem();
    Text1->setText(item ? item->text() : QString());
}

void SpellCheckFrm::setListRow(int row)
{
    m_listSetByDialog = true;
    NotFoundList->setCurrentRow(row);
    m_listSetByDialog = false;
}

void SpellCheckFrm::selectListedOccurrence(int row)
{
    if (m_listSetByDialog || m_scanRunning || ChangeBusy || row < 0 || row >= NotFoundList->count())
        return;
    const QString word = NotFoundList->item(row)->text();
    int rank = 0;
    for (int i = 0; i < row; ++i)
        rank += NotFoundList->item(i)->text() == word ? 1 : 0;
    // Dotted abbreviations are no whole words to the search; the scan listed them as they stand.
    const FindOptionsQ options = word.contains(u'.') ? MatchCase : WholeWord_MatchCase;
    MirrorSuspended = true;
    XrRTB1->LetSelStart(0);
    XrRTB1->LetSelLength(0);
    int32_t hit = -1;
    for (int i = 0; i <= rank; ++i) {
        hit = XrRTB1->Find2(word, FindNext, options, true);
        if (hit == -1)
            break;
    }
    // Not found after all: nothing stays selected, so Change cannot replace another word.
    if (hit == -1)
        XrRTB1->LetSelLength(0);
    MirrorSuspended = false;
    mirrorSelection();
    if (auto* copyList = XrRTB1->findChild<QListWidget*>(QStringLiteral("List1")))
        copyList->setCurrentRow(row);
    if (hit != -1) {
        library().SpellFoundStart = hit;
        library().SpellSearchAnchor = hit + int32_t(word.size());
    }
}

void SpellCheckFrm::mirrorSelection()
{
    if (richedit::RichTextBox* shared = document()) {
        shared->setSelStart(XrRTB1->SelStart());
        shared->setSelLength(XrRTB1->SelLength());
    }
}

void SpellCheckFrm::XrRTB1_SelChange()
{
    if (!MirrorSuspended)
        mirrorSelection();
}

// --- Commands ---

void SpellCheckFrm::NextButton_Click()
{
    setListRow(XrRTB1->GoToNextSpellError());
}

void SpellCheckFrm::PreviousButton_Click()
{
    setListRow(XrRTB1->GoToPreviousSpellError());
}

void SpellCheckFrm::FixSpelling2(const QString& correction)
{
    richedit::RichTextBox* shared = document();
    if (!shared || shared->SelLength() == 0)
        return;
    // A correction ending in a full stop takes the full stop after the word with it.
    const QString text = shared->Text();
    const qsizetype after = qsizetype(shared->SelStart()) + shared->SelLength();
    if (correction.endsWith(u'.') && after < text.size() && text.at(after) == u'.')
        shared->setSelLength(shared->SelLength() + 1);
    shared->setSelText(correction);
}

void SpellCheckFrm::ChangeButton_Click()
{
    if (ChangeBusy)
        return;
    const QListWidgetItem* chosen = SuggestionList->currentItem();
    // Without a chosen suggestion there is nothing to change to; replacing the word with an
    // empty text would delete it.
    if (!chosen)
        return;
    ChangeBusy = true;
    QString correction = chosen->text();
    FixSpelling2(correction);

    MirrorSuspended = true;
    const int32_t next = XrRTB1->FixSpelling(correction, true, CorrectionColor);
    MirrorSuspended = false;
    mirrorSelection();

    m_listSetByDialog = true;
    delete NotFoundList->takeItem(NotFoundList->currentRow());
    m_listSetByDialog = false;
    setListRow(next < NotFoundList->count() ? next : -1);
    SuggestionList->setCurrentRow(-1);
    const QListWidgetItem* current = NotFoundList->currentItem();
    Text1->setText(current ? current->text() : QString());

    ChangeBusy = false;
    library().SkipNextKeyUp = true;
    if (Text1->text().isEmpty())
        host::MsgBox(QStringLiteral("No additional spelling errors detected."), host::vbInformation,
                     CompleteTitle, this);
}

void SpellCheckFrm::UndoInDocument()
{
    const SpellUndoRecordType& record = library().SpellUndoRecord;
    richedit::RichTextBox* shared = document();
    if (!record.Available || !shared)
        return;
    shared->setSelStart(record.Start);
    shared->setSelLength(record.NewLength);
    shared->setSelRTF(record.OldRTF);
    shared->setSelStart(record.Start);
    shared->setSelLength(record.OldLength);
}

void SpellCheckFrm::UndoButton_Click()
{
    if (!PublicMod::GetSpellUndoAvailable())
        return;
    UndoInDocument();
    MirrorSuspended = true;
    const int32_t position = XrRTB1->UndoSpellCorrection();
    MirrorSuspended = false;
    mirrorSelection();
    const QString word = XrRTB1->SelText();
    const int row = std::clamp(int(position), 0, NotFoundList->count());
    m_listSetByDialog = true;
    NotFoundList->insertItem(row, word);
    m_listSetByDialog = false;
    setListRow(row);
}

// --- Timers and help ---

void SpellCheckFrm::Timer1_Timer()
{
    ProgressBar1->setValue(XrRTB1->ProgressPercentage());
}

void SpellCheckFrm::Timer2_Timer()
{
    if (NotFoundList->count() == 0) {
        SuggestionList->clear();
        PreviousButton->setEnabled(false);
        NextButton->setEnabled(false);
    } else if (!PreviousButton->isEnabled()) {
        PreviousButton->setEnabled(true);
        NextButton->setEnabled(true);
    }
    const bool suggestionChosen =
        SuggestionList->currentItem() != nullptr && !SuggestionList->selectedItems().isEmpty();
    if (!suggestionChosen && ChangeButton->isEnabled())
        ChangeButton->setEnabled(false);
    else if (suggestionChosen && !ChangeButton->isEnabled())
        ChangeButton->setEnabled(true);
    const bool undoAvailable = PublicMod::GetSpellUndoAvailable();
    if (!UndoButton->isEnabled() && undoAvailable)
        UndoButton->setEnabled(true);
    else if (UndoButton->isEnabled() && !undoAvailable)
        UndoButton->setEnabled(false);
}

void SpellCheckFrm::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    // Presses on a label or the suggestion frame reach the dialog too: only its own surface
    // offers help.
    const QPointF at = event->position();
    if (childAt(at.toPoint()))
        return;
    const double x = host::pixelsToTwipsX(at.x());
    const double y = host::pixelsToTwipsY(at.y());
    if (x > 270 && x < 6900 && y > 600 && y < 2415)
        host::MsgBox(
            QStringLiteral(
                "Use the Previous and Next buttons to navigate words not in the dictionary."),
            host::vbInformation, QStringLiteral("User Help"), this);
}

bool SpellCheckFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label7 && event->type() == QEvent::MouseButtonDblClick) {
        Label7_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SpellCheckFrm::Label7_DblClick()
{
    const QListWidgetItem* current = NotFoundList->currentItem();
    if (current && current->text().toUpper() == GreetingWord)
        host::MsgBox(Greeting, host::vbInformation, QStringLiteral("Greetings"), this);
}
