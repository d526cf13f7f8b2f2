// The find and replace dialog of the control library. It works only on the document of the
// shared editing window (SharedRichText): Find Next and Find Previous select through the
// window's text object model, Replace and Replace All run the replace command.
#pragma once

#include "platform/host/OleColor.h"
#include "platform/richedit/view/TextObjectModel.h"

#include <QDialog>
#include <cstdint>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class ProgressBar;

namespace host {
class CommonDialog;
}

class FindReplaceFrm : public QDialog {
    Q_OBJECT
public:
    explicit FindReplaceFrm(QWidget* owner = nullptr);
    ~FindReplaceFrm() override;

    // Replace All progress in percent: ProgressDone x 100 / ProgressTotal, 0 while the total
    // is 0.
    static int16_t SearchProgress();

protected:
    // Closing the window (its close box) asks a running Replace All to stop. During Replace
    // All the window is only hidden; it closes once the replace has returned.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void createControls();
    void layoutControls();
    void Form_Load();

    void MatchCaseCheck_Click();
    void WholeWordCheck_Click();
    void ApplyFontColorCheck_Click();
    void FontColorButton_Click();
    void FindNextButton_Click();
    void FindPreviousButton_Click();
    void ReplaceButton_Click();
    void ReplaceAllButton_Click();
    void Timer1_Timer();

    void ReadSearchOptions();
    void ChooseReplaceColor();
    host::OLE_COLOR replacementForeColor() const;
    void setReplacementForeColor(host::OLE_COLOR color);
    void replace(int32_t mode);

    QLabel* Label1 = nullptr;
    QLineEdit* FindTxt = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* ReplacementTxt = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* MatchCaseCheck = nullptr;
    QCheckBox* WholeWordCheck = nullptr;
    QCheckBox* ApplyFontColorCheck = nullptr;
    QPushButton* FontColorButton = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* FindPreviousButton = nullptr;
    QPushButton* ReplaceButton = nullptr;
    QPushButton* ReplaceAllButton = nullptr;
    QTimer* Timer1 = nullptr;
    ProgressBar* ProgressBar1 = nullptr;
    std::unique_ptr<host::CommonDialog> CommonDialog1;

    bool ApplyFontColor = false;
    int32_t SearchOptions = 0;
    host::OLE_COLOR ReplaceColor = 0;
    richedit::TextDocument TextDocument;

    bool m_replaceAllRunning = false;
    bool m_closeRequested = false;
};
