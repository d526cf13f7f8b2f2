// The print-preview window: a private copy of the document in a hidden letter-size editing
// window, one page of it shown at a time with an optional stamp and a magnifier, and the
// choices of what to print, the margin, the stamp and the number of copies.
#pragma once

#include "richtext/printing/PageCanvas.h"

#include <QDialog>
#include <QImage>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace richedit {
class RichTextBox;
}

// A picture box that shows its kept picture (its "background picture") and reports pointer
// moves in twips from its top-left corner.
class PreviewPicture : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPicture(QWidget* parent = nullptr);
    const QImage& picture() const { return m_picture; }
    void setPicture(QImage picture);
    void clearPicture();

signals:
    void MouseMove(int Button, int Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};

class PrintPreview : public QDialog {
    Q_OBJECT
public:
    // Runs in place of the modal loop once the window has loaded (for tests).
    using ShowHook = std::function<void(PrintPreview&)>;

    explicit PrintPreview(QWidget* owner = nullptr);
    ~PrintPreview() override;

    // Loads the window and shows it modally; returns when it has closed, or at once when there
    // is no printer to preview for.
    void showModal();
    static void setShowHook(ShowHook hook);

    // Runs the loading sequence; false when the window closed itself (no printer).
    bool Form_Load();
    void Form_Unload();

    // Window variables.
    int32_t StampKind = 0;
    int32_t StampPosition = 0;
    int32_t PageCount = 0;
    int32_t SelectedPage = 0;
    bool IsLoading = false;

    // Controls.
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* PageCountLabel = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* PrinterNameTxt = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* PrintOpsCombo = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* PageCombo = nullptr;
    QLabel* FromLbl = nullptr;
    QComboBox* FromCombo = nullptr;
    QLabel* ToLbl = nullptr;
    QComboBox* ToCombo = nullptr;
    QRadioButton* OneInMarginOpt = nullptr;
    QRadioButton* ThreeQInMarginOpt = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* StampOpsCombo = nullptr;
    QLabel* StampLbl = nullptr;
    QLineEdit* CustomTxtBox = nullptr;
    QLabel* AlignLbl = nullptr;
    QComboBox* AlignmentCombo = nullptr;
    QRadioButton* TopOpt = nullptr;
    QRadioButton* BottomOpt = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* CopiesTxt = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* CancelButton = nullptr;
    PreviewPicture* Picture2 = nullptr;
    PreviewPicture* Picture3 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Picture4 = nullptr;
    richedit::RichTextBox* RichTextBox1 = nullptr;
    richedit::RichTextBox* RichTextBox2 = nullptr;
    PageCanvas Picture1;

    // Handlers. Each runs as a user's choice would run it; code that selects an entry or
    // chooses an option calls the handler itself.
    void PrintOpsCombo_Click();
    void PageCombo_Click();
    void FromCombo_Click();
    void StampOpsCombo_Click();
    void AlignmentCombo_Click();
    void TopOpt_Click() { AlignmentCombo_Click(); }
    void BottomOpt_Click() { AlignmentCombo_Click(); }
    void OneInMarginOpt_Click() { ApplyMarginOption(); }
    void ThreeQInMarginOpt_Click() { ApplyMarginOption(); }
    void VScroll1_Change();
    void PrintButton_Click();
    void CancelButton_Click();
    void CustomTxtBox_Change();
    void HyperLinkAll();

    // The page display.
    void DrawPreviewPage();
    void SetPreviewStampFont();
    void Picture2_MouseMove(int Button, int Shift, float X, float Y);
    void Picture3_MouseMove(int Button, int Shift, float X, float Y);
    // The magnifier's place in the page picture, twips.
    double magnifierLeft() const { return m_magnifierLeft; }
    double magnifierTop() const { return m_magnifierTop; }
    // The canvas pixel the magnifier shows at its top-left corner.
    QPoint magnifierSource() const { return m_magnifierSource; }

    // Sizes of the pictures in twips.
    int32_t pageViewWidth() const { return PageViewWidth; }
    int32_t pageViewHeight() const { return PageViewHeight; }

    // The device the hidden copy's lines break for; replaced by every render, which frees the
    // one before once the copy holds the new one.
    std::unique_ptr<QImage> TargetDevice;

    static constexpr int32_t PageViewWidth = 7215;
    static constexpr int32_t PageViewHeight = 9465;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    bool VerifyPrinter();
    bool IsPrinterAvailable();
    void RefreshPageList();
    void RefreshRangeLists();
    void ApplyMarginOption();
    void showCanvas();
    // Runs a handler from a user's action; an error it raises ends in one message box.
    void guarded(const std::function<void()>& handler);

    double m_magnifierLeft = 480;
    double m_magnifierTop = 2400;
    QPoint m_magnifierSource;
};
