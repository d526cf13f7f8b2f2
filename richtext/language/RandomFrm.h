// The random-word dialog: a random dictionary word with its synonyms, one of which the user
// can pick into a box to copy it. It needs no control and no shared document.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class RandomFrm : public QDialog {
    Q_OBJECT
public:
    explicit RandomFrm(QWidget* owner = nullptr);

    // Shows the dialog modally (a first word is drawn before it shows); returns once closed.
    void showModal();

    QGroupBox* Frame3 = nullptr;
    QLineEdit* RWordTxt = nullptr;
    QPushButton* NewWordButton = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* SynoList = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;

private:
    void createControls();
    void ShowNewWord();
    void SynoList_Click();
};
