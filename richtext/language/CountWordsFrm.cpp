#include "richtext/language/CountWordsFrm.h"

#include "platform/host/MessageBox.h"
#include "platform/host/Resources.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/Windows1252.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/FormLayout.h"
#include "richtext/scanning/LinkLauncher.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

using formlayout::designedFont;
using formlayout::place;

namespace {

QString buildSeparatorPattern()
{
    const QStringList alternatives = {
        QStringLiteral("\\s"),        QStringLiteral("\\!"),
        QStringLiteral("\\?"),        QStringLiteral("\\~"),
        QStringLiteral("\\@"),        QStringLiteral("\\#"),
        QStringLiteral("\\$"),        QStringLiteral("\\%"),
        QStringLiteral("\\&"),        QStringLiteral("\\="),
        QStringLiteral("\\+"),        QStringLiteral("\\`"),
        QStringLiteral("\\\""),       QStringLiteral("\\_"),
        QStringLiteral("\\\\"),       QStringLiteral("\\/"),
        QStringLiteral("\\("),        QStringLiteral("\\)"),
        QStringLiteral("\\{"),        QStringLiteral("\\}"),
        QStringLiteral("\\["),        QStringLiteral("\\]"),
        QStringLiteral("\\<"),        QStringLiteral("\\>"),
        QStringLiteral("\\:(?!\\d)"), QStringLiteral("\\;"),
        QStringLiteral("\\|"),        QStringLiteral("\\,(?!\\d\\d\\d\\b)"),
        QStringLiteral("\\-(?=\\d)"),
    };
    return u'(' + alternatives.join(u'|') + QStringLiteral("){1,}");
}

bool anyByteIn(const QString& token, std::initializer_list<std::pair<char, char>> ranges)
{
    for (const char byte : vb::toWindows1252(token)) {
        for (const auto& [low, high] : ranges) {
            if (byte >= low && byte <= high)
                return true;
        }
    }
    return false;
}

QPixmap linkPicture(int id)
{
    QPixmap picture;
    if (const std::optional<QByteArray> bitmap =
            host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("BITMAP"), id))
        picture.loadFromData(*bitmap);
    return picture;
}

}  // namespace

const QString& CountWordsFrm::SeparatorPattern()
{
    static const QString pattern = buildSeparatorPattern();
    return pattern;
}

const QString& CountWordsFrm::AccentedLetterPattern()
{
    static const QString pattern = QString::fromUtf8(
        "[\\à\\á\\â\\ã\\ä\\è\\é\\ê\\ë\\ì\\í\\î\\ï\\ñ\\ò\\ó\\ô\\õ\\ö\\ù\\ú\\û\\ü\\ý\\ÿ]");
    return pattern;
}

const QString& CountWordsFrm::EmailPattern()
{
    static const QString pattern = QStringLiteral("\\b[A-Z0-9._%-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}\\b");
    return pattern;
}

const QString& CountWordsFrm::WebPattern()
{
    static const QString pattern = QStringLiteral(
        "\\b(((https?|ftp|gopher|telnet|file|notes|ms-help):((//)|(\\\\\\\\))|(WWW)\\.)+"
        "[\\w\\d:#@%/;$()~_?\\+-=\\\\\\.&]{3,})");
    return pattern;
}

CountWordsFrm::CountWordsFrm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("CountWordsFrm"));
    setWindowTitle(QStringLiteral("Word Count"));
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    createControls();
    Form_Load();
}

void CountWordsFrm::createControls()
{
    formlayout::setClientSize(this, 6930, 4140);
    const QString arial = QStringLiteral("Arial");
    const QString verdana = QStringLiteral("Verdana");

    // Kept with the layout and never shown: the separator pattern the count reads.
    Reg1 = new QLineEdit(SeparatorPattern(), this);
    Reg1->setObjectName(QStringLiteral("Reg1"));
    place(Reg1, 600, 4560, 3495, 285);
    Reg1->hide();

    Frame3 = new QGroupBox(QStringLiteral("Results"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setFont(designedFont(arial, 9, true));
    place(Frame3, 218, 158, 6495, 3780);

    WCList = new QListWidget(Frame3);
    WCList->setObjectName(QStringLiteral("WCList"));
    WCList->setFont(designedFont(verdana, 9));
    place(WCList, 240, 360, 3375, 2130);
    WCList->viewport()->setMouseTracking(true);
    WCList->viewport()->installEventFilter(this);

    Label8 = new QLabel(QStringLiteral("Copy text or click button to e-mail or link."), Frame3);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFont(designedFont(arial, 8.25));
    Label8->setStyleSheet(QStringLiteral("color: #800000"));
    place(Label8, 240, 2880, 3015, 255);

    Text1 = new QLineEdit(Frame3);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(designedFont(verdana, 9));
    place(Text1, 240, 3135, 3015, 375);

    LinkCmd = new QPushButton(Frame3);
    LinkCmd->setObjectName(QStringLiteral("LinkCmd"));
    LinkCmd->setAutoDefault(false);
    place(LinkCmd, 3260, 3135, 375, 375);

    Frame1 = new QGroupBox(QStringLiteral("Word Count Options"), Frame3);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFont(designedFont(arial, 9, true));
    place(Frame1, 3840, 260, 2415, 2290);

    struct Option {
        QRadioButton*& button;
        const char* name;
        QString caption;
        double top;
        double width;
        int32_t mode;
    };
    const Option options[] = {
        {WordsOnlyOpt, "WordsOnlyOpt", QStringLiteral("Words Only"), 360, 1575, WordsOnly},
        {WordsNumsOpt, "WordsNumsOpt", QStringLiteral("Words + Numbers"), 720, 1815,
         WordsAndNumbers},
        {NumsOpt, "NumsOpt", QStringLiteral("Numbers Only"), 1080, 1575, NumbersOnly},
        {EmailOpt, "EmailOpt", QStringLiteral("E-mail Addresses"), 1440, 1935, EmailAddresses},
        {URLOpt, "URLOpt", QStringLiteral("Web Links"), 1800, 1575, WebLinks},
    };
    for (const Option& option : options) {
        option.button = new QRadioButton(option.caption, Frame1);
        option.button->setObjectName(QLatin1String(option.name));
        option.button->setFont(designedFont(arial, 9));
        place(option.button, 240, option.top, option.width, 255);
        const int32_t mode = option.mode;
        connect(option.button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                selectMode(mode);
        });
    }

    Label7 = new QLabel(QStringLiteral("Total :"), Frame3);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setFont(designedFont(arial, 9, true));
    Label7->setStyleSheet(QStringLiteral("color: #800000"));
    place(Label7, 3960, 2760, 615, 255);

    WordCountLabel = new QLabel(Frame3);
    WordCountLabel->setObjectName(QStringLiteral("WordCountLabel"));
    WordCountLabel->setFont(designedFont(verdana, 9.75));
    WordCountLabel->setStyleSheet(QStringLiteral("color: #0000ff"));
    place(WordCountLabel, 4680, 2760, 1575, 225);

    CloseButton = new QPushButton(QStringLiteral("Close"), Frame3);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setFont(designedFont(arial, 9));
    CloseButton->setAutoDefault(false);
    place(CloseButton, 5040, 3135, 1215, 375);

    // A click, or a move through the list with the keys, takes the entry.
    connect(WCList, &QListWidget::itemClicked, this, &CountWordsFrm::WCList_Click);
    connect(WCList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            WCList_Click();
    });
    connect(LinkCmd, &QPushButton::clicked, this, &CountWordsFrm::LinkCmd_Click);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

void CountWordsFrm::showModal()
{
    exec();
}

void CountWordsFrm::Form_Load()
{
    // Selecting the option runs its handler: mode 1 and a first count.
    WordsNumsOpt->setChecked(true);
}

void CountWordsFrm::selectMode(int32_t mode)
{
    CountMode = mode;
    RecountWords();
}

void CountWordsFrm::RecountWords()
{
    WCList->clear();
    WordCountLabel->setText(QString::number(iCountWords(CountMode)));
    Text1->clear();
    LinkCmd->setIcon(QIcon());
    LinkCmd->setToolTip(QString());
    LinkCmd->setEnabled(false);
}

int32_t CountWordsFrm::iCountWords(const int32_t& mode)
{
    int32_t count = 0;
    try {
        const richedit::RichTextBox* shared = RichTextLibraryState::instance().SharedRichText;
        if (!shared)
            return 0;
        // Only what the reader sees counts: hidden text neither adds words nor splits one.
        QString text = richedit::ShownText(shared->engine().document()).text();
        vbscript::RegExp regex;
        regex.setGlobal(true);
        regex.setIgnoreCase(true);
        if (mode == EmailAddresses || mode == WebLinks) {
            regex.setPattern(mode == EmailAddresses ? EmailPattern() : WebPattern());
            const vbscript::MatchCollection matches = regex.Execute(text);
            for (const vbscript::Match& match : matches) {
                ++count;
                WCList->addItem(match.Value());
            }
            return count;
        }
        if (mode != WordsOnly && mode != WordsAndNumbers && mode != NumbersOnly)
            return 0;
        regex.setPattern(EmailPattern());
        text = regex.Replace(text, QString());
        regex.setPattern(WebPattern());
        text = regex.Replace(text, QString());
        regex.setPattern(Reg1->text());
        text = regex.Replace(text, QStringLiteral(" "));
        regex.setPattern(AccentedLetterPattern());
        text = regex.Replace(text, QStringLiteral("A"));
        for (const QString& piece : text.split(u' ')) {
            bool counted = false;
            if (mode == WordsOnly)
                counted = IsAlpha(piece) && !IsNumeriq(piece);
            else if (mode == WordsAndNumbers)
                counted = IsAlphaNumeriq(piece);
            else
                counted = IsNumeriq(piece);
            if (counted) {
                ++count;
                WCList->addItem(piece);
            }
        }
    } catch (const std::exception&) {
        // The count so far stands; the failing step is passed over.
    }
    return count;
}

bool CountWordsFrm::IsAlpha(const QString& token)
{
    return anyByteIn(token, {{'A', 'Z'}, {'a', 'z'}});
}

bool CountWordsFrm::IsNumeriq(const QString& token)
{
    return anyByteIn(token, {{'0', '9'}});
}

bool CountWordsFrm::IsAlphaNumeriq(const QString& token)
{
    return anyByteIn(token, {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}});
}

void CountWordsFrm::WCList_Click()
{
    if (const QListWidgetItem* item = WCList->currentItem())
        Text1->setText(item->text());
    UpdateLinkButton();
}

void CountWordsFrm::UpdateLinkButton()
{
    if (EmailOpt->isChecked()) {
        LinkCmd->setEnabled(true);
        LinkCmd->setIcon(linkPicture(103));
        LinkCmd->setToolTip(QStringLiteral("Create Email"));
    } else if (URLOpt->isChecked()) {
        LinkCmd->setEnabled(true);
        LinkCmd->setIcon(linkPicture(102));
        LinkCmd->setToolTip(QStringLiteral("Connect to: ") + Text1->text());
    } else {
        LinkCmd->setIcon(QIcon());
        LinkCmd->setToolTip(QString());
        LinkCmd->setEnabled(false);
    }
}

void CountWordsFrm::LinkCmd_Click()
{
    if (EmailOpt->isChecked())
        OpenEmailAddress(Text1->text());
    else if (URLOpt->isChecked())
        OpenWebAddress(Text1->text());
}

int CountWordsFrm::ListItemFromPoint(const QPoint& point) const
{
    const QListWidgetItem* item = WCList->itemAt(point);
    return item ? WCList->row(item) : 0;
}

bool CountWordsFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == WCList->viewport() && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QListWidgetItem* item = WCList->item(ListItemFromPoint(move->position().toPoint()));
        WCList->setToolTip(item ? item->text() : QString());
    }
    return QDialog::eventFilter(watched, event);
}

void CountWordsFrm::OpenEmailAddress(const QString& address)
{
    // Only addresses the link launcher allows reach the shell.
    QString error;
    LinkLauncher::GoToEmailClient(address, error);
    if (!error.isEmpty())
        host::MsgBox(QStringLiteral("GoToEmailClient") + error, host::vbOKOnly, QString(), this);
}

void CountWordsFrm::OpenWebAddress(const QString& address)
{
    QString error;
    LinkLauncher::GoToWebsite(address, error);
    if (!error.isEmpty())
        host::MsgBox(QStringLiteral("GoToWebsite") + error, host::vbOKOnly, QString(), this);
}
