// The print preview's page display: the chosen page rendered with its stamp and shown scaled in
// the page picture, and the magnifier that shows the canvas unscaled near the pointer.
#include "platform/host/HourglassCursor.h"
#include "platform/host/Printer.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/printing/PrintPreview.h"
#include "richtext/printing/PrintPreviewMod.h"
#include "richtext/printing/PrintingMod.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>

namespace {

constexpr int32_t TopStampY = 360;
constexpr int32_t BottomStampRise = 420;
constexpr int32_t MagnifierOffsetX = 1900;
constexpr int32_t MagnifierOffsetY = 500;
constexpr double MagnifierScaleX = 0.13;
constexpr double MagnifierDivisorY = 137154;

}  // namespace

void PrintPreview::showCanvas()
{
    // Smooth scaling keeps the text readable at the page view's scale.
    Picture2->setPicture(
        Picture1.image().scaled(Picture2->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void PrintPreview::SetPreviewStampFont()
{
    QFont font(QStringLiteral("Lucida Console"));
    font.setPointSizeF(9);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(false);
    font.setWeight(QFont::Weight(400));
    Picture1.ForeColor = 0;
    Picture1.Font = font;
}

void PrintPreview::DrawPreviewPage()
{
    if (IsLoading)
        return;
    Picture2->clearPicture();
    // Put back on every way out, errors included.
    host::HourglassCursor hourglass;

    bool hasLine = false;
    const QString line =
        PrintingMod::StampLine(StampKind, CustomTxtBox->text(), SelectedPage, &hasLine);
    if (StampKind < PrintNiether || StampKind > PrintCustomWNum)
        return;

    int32_t wantedPage = vb::CLng(vb::Val(PageCombo->currentText()));
    int32_t pageLimit = PageCombo->count();
    PrintPreviewMod::RenderPreviewPage(*this, wantedPage, pageLimit);
    showCanvas();
    if (StampKind == PrintNiether)
        return;

    SetPreviewStampFont();
    const int32_t margin = RichTextLibraryState::instance().SharedPrintMargin;
    if (StampPosition < CenterAlignHeading || StampPosition > LeftAlignHeadingBottom ||
        (margin != 1440 && margin != 1080))
        return;
    const double width = Picture1.Width();
    const double textWidth = Picture1.TextWidth(line);
    // The preview keeps 1260 twips on the right at the 1-inch margin, as the sheet's own
    // corner is its origin.
    const int32_t rightGap = margin == 1440 ? 1260 : 1080;
    double x = 0;
    switch (StampPosition) {
        case CenterAlignHeading:
        case CenterAlignHeadingBottom:
            x = vb::CLng(width - textWidth) / 2;
            break;
        case RightAlignHeading:
        case RightAlignHeadingBottom:
            x = width - (textWidth + rightGap);
            break;
        default:
            x = margin;
            break;
    }
    // Kept clear of the text as the print keeps it; the canvas is the whole sheet.
    const PrintingMod::PrinterPage page = PrintingMod::printerPage(host::printer(), margin);
    const int32_t wantedY =
        StampPosition <= LeftAlignHeading ? TopStampY : Picture1.Height() - BottomStampRise;
    const double y = PrintingMod::fitStampY(page, StampPosition, wantedY, Picture1.Height());
    Picture1.CurrentX = x;
    Picture1.CurrentY = y;
    Picture1.Print(line);
    showCanvas();
}

void PrintPreview::Picture2_MouseMove(int, int, float X, float Y)
{
    if (!Picture3->isVisible())
        Picture3->show();
    Picture3->clearPicture();
    m_magnifierLeft = double(X) - MagnifierOffsetX;
    m_magnifierTop = double(Y) - MagnifierOffsetY;
    Picture3->move(qRound(host::twipsToPixelsX(m_magnifierLeft)),
                   qRound(host::twipsToPixelsY(m_magnifierTop)));
    const int sourceX = vb::CLng(m_magnifierLeft * MagnifierScaleX);
    const int sourceY = vb::CLng(m_magnifierTop * (Picture1.Height() / MagnifierDivisorY));
    m_magnifierSource = QPoint(sourceX, sourceY);

    // Unscaled: one canvas pixel to one magnifier pixel. What lies outside the canvas shows as
    // blank paper.
    QImage piece(Picture3->size(), QImage::Format_RGB32);
    piece.fill(Qt::white);
    {
        const QRect wanted(m_magnifierSource, piece.size());
        const QRect available = wanted & Picture1.image().rect();
        QPainter painter(&piece);
        if (!available.isEmpty())
            painter.drawImage(available.topLeft() - wanted.topLeft(), Picture1.image(), available);
    }
    Picture3->setPicture(std::move(piece));
}

void PrintPreview::Picture3_MouseMove(int Button, int Shift, float, float)
{
    Picture2_MouseMove(Button, Shift, float(m_magnifierLeft + 1000), float(m_magnifierTop + 250));
}
