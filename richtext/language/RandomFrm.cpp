#include "richtext/language/RandomFrm.h"

#include "richtext/language/FormLayout.h"
#include "richtext/language/Thesaurus.h"
#include "richtext/language/WordLists.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using formlayout::designedFont;
using formlayout::place;

RandomFrm::RandomFrm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("RandomFrm"));
    setWindowTitle(QStringLiteral("Random Word"));
    setModal(true);
    // The window's close box is its only way out; there is no help button.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    createControls();
    ShowNewWord();
}

void RandomFrm::createControls()
{
    formlayout::setClientSize(this, 4230, 4920);

    Frame3 = new QGroupBox(QStringLiteral("Results"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setFont(designedFont(QStringLiteral("Arial"), 9, true));
    place(Frame3, 128, 120, 3975, 4620);

    RWordTxt = new QLineEdit(Frame3);
    RWordTxt->setObjectName(QStringLiteral("RWordTxt"));
    RWordTxt->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(RWordTxt, 240, 360, 3375, 375);

    NewWordButton = new QPushButton(QStringLiteral("New Word"), Frame3);
    NewWordButton->setObjectName(QStringLiteral("NewWordButton"));
    NewWordButton->setFont(designedFont(QStringLiteral("Arial"), 9));
    NewWordButton->setAutoDefault(false);
    place(NewWordButton, 2400, 840, 1215, 375);

    Label2 = new QLabel(QStringLiteral("Synonyms"), Frame3);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(designedFont(QStringLiteral("Arial"), 9, true));
    place(Label2, 1020, 1320, 1815, 255);

    SynoList = new QListWidget(Frame3);
    SynoList->setObjectName(QStringLiteral("SynoList"));
    SynoList->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(SynoList, 240, 1560, 3375, 2130);

    Label1 = new QLabel(QStringLiteral("Copy Selected Synonym"), Frame3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(designedFont(QStringLiteral("Arial"), 8.25));
    Label1->setStyleSheet(QStringLiteral("color: #800000"));
    place(Label1, 240, 3720, 2055, 255);

    Text1 = new QLineEdit(Frame3);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(designedFont(QStringLiteral("Verdana"), 9));
    place(Text1, 240, 3960, 3375, 375);

    connect(NewWordButton, &QPushButton::clicked, this, &RandomFrm::ShowNewWord);
    connect(SynoList, &QListWidget::itemClicked, this, &RandomFrm::SynoList_Click);
    connect(SynoList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            SynoList_Click();
    });
}

void RandomFrm::showModal()
{
    exec();
}

void RandomFrm::ShowNewWord()
{
    Text1->clear();
    SynoList->clear();
    WordLists& lists = WordLists::instance();
    RWordTxt->setText(Thesaurus::GetRandomWord(lists));
    StringArray synonyms;
    const QString answer = Thesaurus::GetSynonyms(lists, RWordTxt->text(), synonyms);
    if (IsArrayGood(synonyms))
        SynoList->addItems(*synonyms);
    else
        SynoList->addItem(answer);
}

void RandomFrm::SynoList_Click()
{
    Text1->clear();
    const QListWidgetItem* item = SynoList->currentItem();
    if (item && item->text() != Thesaurus::NoSynonymsFound)
        Text1->setText(item->text());
}
