// The word-count dialog: counts and lists, one entry per occurrence, the words, the numbers,
// the e-mail addresses or the web links of the shared document (SharedRichText), and opens a
// listed address. It only reads the document.
#pragma once

#include <QDialog>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CountWordsFrm : public QDialog {
    Q_OBJECT
public:
    enum CountModes : int32_t {
        WordsOnly = 0,
        WordsAndNumbers = 1,
        NumbersOnly = 2,
        EmailAddresses = 3,
        WebLinks = 4,
    };

    explicit CountWordsFrm(QWidget* owner = nullptr);

    // Shows the dialog modally, already counted in mode 1; returns once closed.
    void showModal();

    // Appends every counted item to WCList and returns how many there were; a mode outside
    // 0 to 4 counts nothing.
    int32_t iCountWords(const int32_t& mode);
    // Classification of a piece on its Windows-1252 bytes: any ASCII letter, any digit, either.
    static bool IsAlpha(const QString& token);
    static bool IsNumeriq(const QString& token);
    static bool IsAlphaNumeriq(const QString& token);

    // The separators between pieces, a run of them counting as one.
    static const QString& SeparatorPattern();
    static const QString& AccentedLetterPattern();
    static const QString& EmailPattern();
    static const QString& WebPattern();

    int32_t CountMode = WordsAndNumbers;

    QLineEdit* Reg1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QListWidget* WCList = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* LinkCmd = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* WordsOnlyOpt = nullptr;
    QRadioButton* WordsNumsOpt = nullptr;
    QRadioButton* NumsOpt = nullptr;
    QRadioButton* EmailOpt = nullptr;
    QRadioButton* URLOpt = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* WordCountLabel = nullptr;
    QPushButton* CloseButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void Form_Load();
    void selectMode(int32_t mode);
    void RecountWords();
    void WCList_Click();
    void UpdateLinkButton();
    void LinkCmd_Click();
    // The entry under a point of the list's viewport; the first entry where there is none.
    int ListItemFromPoint(const QPoint& point) const;
    void OpenEmailAddress(const QString& address);
    void OpenWebAddress(const QString& address);
};
