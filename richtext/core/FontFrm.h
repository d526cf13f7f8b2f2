// The library's font dialog. In document mode it shows the font of the selection of the shared
// editing window and applies the choice to it; in default-font mode it shows and edits the
// library's default-font record instead.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace richedit {
class RichTextBox;
}

class FontFrm : public QDialog {
    Q_OBJECT
public:
    // Runs in place of the modal loop (for tests); it may press OK or Cancel.
    using ShowHook = std::function<void(FontFrm&)>;

    explicit FontFrm(QWidget* owner = nullptr);

    // Loads the form for the current mode, shows it modally and returns when it has closed.
    void showModal();
    static void setShowHook(ShowHook hook);

    // The face-name field of the character-format record holds this many characters before
    // its terminator.
    static constexpr int MaxFaceNameLength = 31;

    QListWidget* FontNameLB = nullptr;
    QLineEdit* FontNameTxt = nullptr;
    QListWidget* FontStyleLB = nullptr;
    QLineEdit* FontStyleText = nullptr;
    QListWidget* FontSizeLB = nullptr;
    QLineEdit* SizeTxt = nullptr;
    QCheckBox* StrikeTCheck = nullptr;
    QCheckBox* UnderlineCheck = nullptr;
    QLabel* ExampleLbl = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();
    void CancelButton_Click();

private:
    void Form_Load();
    void loadDefaultFont();
    void loadSelection(richedit::RichTextBox& window);
    void FontNameLB_Click();
    void FontStyleLB_Click();
    void FontSizeLB_Click();
    void StrikeTCheck_Click();
    void UnderlineCheck_Click();
    void fillStyles(const QStringList& styles);
    // Selects the entry equal to `text`, which runs its list's click; false when none is.
    static bool selectEntry(QListWidget* list, const QString& text);
    // Whether the fields differ from the selection of `window`.
    bool differsFromSelection(richedit::RichTextBox& window) const;
    void applyToSelection(richedit::RichTextBox& window);
};
