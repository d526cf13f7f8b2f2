// The spell-check dialog. It checks a copy of the shared document (SharedRichText) in an
// editing control of its own, shows the misspelled words with suggestions whose threshold a
// slider sets, and mirrors every selection and correction into the document behind it.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class ProgressBar;
class XrRTB;
class XrSliderControl;

class SpellCheckFrm : public QDialog {
    Q_OBJECT
public:
    // The caption: a blank, "Spell Check", 21 blanks and "English U.S.A.".
    static const QString Caption;
    // The slider's value when the document is copied in: the threshold starts at 100 - 28.
    static constexpr int InitialSliderValue = 28;
    // The colour of a correction in the copy (0x00BBGGRR: blue).
    static constexpr unsigned CorrectionColor = 0xFF0000;
    // A double click on "more suggestions" while this word (in any case) is the current one
    // shows the greeting: the program's own name, which no dictionary holds.
    static const QString GreetingWord;
    static const QString Greeting;

    explicit SpellCheckFrm(QWidget* owner = nullptr);
    ~SpellCheckFrm() override;

    // Shows the dialog modally; the check starts once it is shown. Returns once closed.
    void showModal();

    XrRTB* XrRTB1 = nullptr;
    QLabel* Label3 = nullptr;
    QListWidget* NotFoundList = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QListWidget* SuggestionList = nullptr;
    XrSliderControl* XrSliderControl1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* PreviousButton = nullptr;
    QPushButton* ChangeButton = nullptr;
    QPushButton* UndoButton = nullptr;
    QPushButton* CloseButton = nullptr;
    ProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // Set while the dialog itself corrects or restores the copy, so that the copy's passing
    // selections are not mirrored.
    bool MirrorSuspended = false;
    bool ChangeBusy = false;
    bool Closing = false;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window as its close box does.
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void Form_Activate();
    void Form_Unload();
    void CopyDocumentIn();
    void refreshSuggestions(const QString& word);
    void mirrorSelection();
    void FixSpelling2(const QString& correction);
    void UndoInDocument();

    void XrRTB1_SelChange();
    void NotFoundList_Click();
    // A row the user chose: the occurrence that entry stands for (the entry's rank among the
    // entries of the same word) is selected in the copy and the document, whole word, past
    // addresses, and the copy's own list follows, so that Change, Undo and Next act on it.
    void selectListedOccurrence(int row);
    // Changes of the list made by the dialog itself select nothing.
    void setListRow(int row);
    void Label7_DblClick();
    void NextButton_Click();
    void PreviousButton_Click();
    void ChangeButton_Click();
    void UndoButton_Click();
    void CloseButton_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    bool m_activated = false;
    bool m_scanRunning = false;
    bool m_unloaded = false;
    bool m_listSetByDialog = false;
};
