// Inserting a picture file at the caret: the hidden image control loads the file, at its own
// size or fitted into a 5-inch square, and the editing window pastes the control's rendering.
#include "app/Form1.h"
#include "image/control/MyImageInformation.h"
#include "image/control/XrImageControl.h"
#include "image/core/c32bppDIB.h"
#include "platform/host/Clipboard.h"
#include "platform/host/CommonDialog.h"
#include "platform/host/ControlFactory.h"
#include "platform/host/PropertyBag.h"
#include "platform/richedit/view/Messages.h"
#include "platform/runtime/VbError.h"
#include "richtext/core/XrRTB.h"

namespace app {
namespace {

// The control is sized to this before every load: 5 by 5 inches.
constexpr double ImageBoxTwips = 7200;
// Pictures with a side of this many pixels or more are fitted into the box; smaller ones keep
// their size.
constexpr std::int32_t ForcedScaleFrom = 528;

const QString ImageDialogTitle = QStringLiteral("Select Image...");
const QString ImageDialogFilter =
    QStringLiteral("Image Files (*.bmp;*.gif;*.jpg;*.png;)|*.bmp;*.gif;*.jpg;*.png;)");
constexpr long ImageDialogFlags = host::cdlOFNFileMustExist | host::cdlOFNHideReadOnly;  // 4100

// True when the file decodes to a picture with pixels. A header alone proves nothing: a
// truncated or damaged file would leave the control blank or holding the previous picture.
bool decodesToPicture(const QString& file)
{
    XrImage::c32bppDIB probe;
    return probe.LoadPicture_File(file, 0, 0, false, 32) && probe.Width() > 0 && probe.Height() > 0;
}

}  // namespace

void Form1::createImageControl()
{
    XrImageControl1 = qobject_cast<XrImage::XrImageControl*>(
        host::createControl(QStringLiteral("XrImage.XrImageControl"), m_client));
    if (!XrImageControl1)
        return;
    XrImageControl1->setObjectName(QStringLiteral("XrImageControl1"));
    XrImageControl1->ReadProperties(host::PropertyBag());
    XrImageControl1->hide();
}

void Form1::InsertImage()
{
    if (!XrRTB1 || !XrImageControl1)
        return;
    host::CommonDialog dialog;
    dialog.setOwner(this);
    dialog.CancelError = true;
    dialog.FileName.clear();
    dialog.DialogTitle = ImageDialogTitle;
    dialog.Filter = ImageDialogFilter;
    dialog.Flags = ImageDialogFlags;
    try {
        dialog.ShowOpen();
    } catch (const vb::VbError& error) {
        // A cancel gives the focus back; any other failure of the dialog leaves no file.
        if (error.number() == vb::ErrCancel)
            XrRTB1->SetInFocus();
        return;
    }
    if (dialog.FileName.isEmpty())
        return;

    try {
        XrImageControl1->LetWidth(ImageBoxTwips);
        XrImageControl1->LetHeight(ImageBoxTwips);
        XrImage::MyImageInformation MyImgData;
        MyImgData.sFile = dialog.FileName;
        XrImageControl1->GetMyImageInfo(MyImgData);
        // A file that does not decode inserts nothing, rather than a blank square or the
        // picture of the previous insertion.
        if (!decodesToPicture(MyImgData.sFile))
            return;
        if (MyImgData.lHeight >= ForcedScaleFrom || MyImgData.lWidth >= ForcedScaleFrom)
            XrImageControl1->LoadImageForcedScale(MyImgData);
        else
            XrImageControl1->LoadImageActualSize(MyImgData);
    } catch (const vb::VbError&) {
        return;  // a load that failed half way leaves nothing worth inserting
    }
    PasteImageIntoDocument();
}

void Form1::PasteImageIntoDocument()
{
    if (!XrRTB1 || !XrImageControl1)
        return;
    const std::optional<picture::Picture> rendered = XrImageControl1->Image();
    if (!rendered || rendered->image().isNull())
        return;
    // The editing window pastes only from the clipboard, so the picture passes through it; every
    // format the clipboard held is kept and put back exactly, not only text and rich text.
    const host::ClipboardSnapshot kept = host::Clipboard::snapshot();
    host::Clipboard::Clear();
    host::Clipboard::SetData(rendered->image());
    try {
        richedit::sendMessage(XrRTB1->hwnd(), richedit::WM_PASTE, 0, 0);
    } catch (const vb::VbError&) {
        // The paste's own failure must not cost the user the clipboard's content.
    }
    host::Clipboard::restore(kept);
}

}  // namespace app
