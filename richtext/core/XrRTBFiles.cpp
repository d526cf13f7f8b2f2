// Document loading: the in-use test, the load by type, the clean-up pass with its steps and the
// indent normaliser it ends with.
#include "richtext/core/XrRTB.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/regex/RegExp.h"
#include "platform/runtime/VbError.h"
#include "platform/system/FileSystem.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/DocumentCleanup.h"
#include "richtext/printing/IndentNormalizer.h"

#include <QLineEdit>
#include <exception>

namespace {

// The text after the last backslash or slash of a path (the whole path when it holds none).
QString FileNameOnly(const QString& path)
{
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

QString describe(const std::exception& error)
{
    if (const auto* vbError = dynamic_cast<const vb::VbError*>(&error))
        return vbError->description();
    return QString::fromLocal8Bit(error.what());
}

}  // namespace

void XrRTB::LoadFile(const QString& bstrFilename, QFileType vFileType)
{
    bool links = false;
    bool success = false;
    LoadFile(bstrFilename, vFileType, links, success);
}

void XrRTB::LoadFile(const QString& bstrFilename, QFileType vFileType, bool& TXTLinks,
                     bool& OpenSuccess)
{
    m_loadError = 0;
    bool inUse = false;
    IsFileInUse(bstrFilename, inUse);
    if (inUse) {
        m_loadError = vb::ErrFileAlreadyOpen;
        host::MsgBox(QStringLiteral("File: ") + FileNameOnly(bstrFilename) +
                         QStringLiteral(" is being used by another application.") +
                         QStringLiteral("\r\n") +
                         QStringLiteral("Cannot open file already in use."),
                     host::vbInformation, QStringLiteral("File is Already Open"), this);
        return;
    }

    emit Begin();
    if (parentWidget())
        parentWidget()->update();

    const auto linkStep = [this] {
        if (!m_settings.DetectHyperLinks)
            return;
        RichTextLibraryState::instance().StopLinkPass = false;
        int32_t caret = RichTextBox1->SelStart();
        HyperLinkPass(caret);
    };
    // The window's document is replaced only by a load that went through: a failed one leaves
    // it, and reports why in m_loadError.
    bool loaded = true;
    {
        host::HourglassCursor hourglass;
        switch (vFileType) {
            case rtfRTF:
            case rtfWXF:
                if (const auto error = RichTextBox1->LoadFile(bstrFilename, 0)) {
                    m_loadError = error->number();
                    return;  // Unreadable: the document stays, no Finish or Ready.
                }
                m_loadedType = loadedType();
                if (vFileType == rtfRTF && m_settings.RemoveUnUsableData)
                    CleanData();
                linkStep();
                break;
            case rtfText: {
                ReadTextFile(bstrFilename, loaded);
                if (loaded)
                    m_loadedType = rtfText;
                if (TXTLinks && loaded)
                    linkStep();
                break;
            }
            default:
                break;
        }
    }

    RichTextBox1->setSelStart(0);
    SyncRulerHandles();
    SetRulerTabs();
    if (loaded)
        OpenSuccess = true;
    emit Finish();
    emit Ready();
}

QVariant XrRTB::LoadFileRTBOriginal(const QString& bstrFilename, QFileType vFileType)
{
    if (const auto error = RichTextBox1->LoadFile(bstrFilename, vFileType))
        throw *error;
    m_loadedType = loadedType();
    return QVariant();
}

std::optional<QFileType> XrRTB::loadedType() const
{
    const std::optional<richedit::FileKind> kind = RichTextBox1->engine().loadedKind();
    if (!kind)
        return std::nullopt;
    return *kind == richedit::FileKind::Rtf ? rtfRTF : rtfText;
}

void XrRTB::ReadTextFile(const QString& FileName, bool& Done)
{
    const std::optional<vb::VbError> error =
        DocumentCleanup::readTextFile(*RichTextBox1, *RichTextBox2, Font().family(), FileName);
    m_loadError = error ? error->number() : 0;
    Done = !error;
}

void XrRTB::IsFileInUse(const QString& FileName, bool& InUse)
{
    // A lock probe: a read-only file nobody holds is not in use, and no file is created.
    InUse = sys::isFileInUse(FileName);
}

void XrRTB::CleanData()
{
    const int32_t lengthBefore = int32_t(RichTextBox1->Text().size());
    const int32_t caretBefore = RichTextBox1->SelStart();
    bool lock = true;
    LockWindowUpdateEx(lock);
    try {
        RemoveJunk();
        PreLoadFileLinkRemove();
        ClearUndoBuffer();
        const int32_t lengthAfter = int32_t(RichTextBox1->Text().size());
        if (caretBefore + (lengthAfter - lengthBefore) < 0)
            RichTextBox1->setSelStart(0);
        else
            RichTextBox1->setSelStart(caretBefore - (lengthBefore - lengthAfter));
    } catch (const std::exception& error) {
        host::MsgBox(describe(error), host::vbCritical, QStringLiteral("CleanData Error"), this);
    }
    // Unfrozen on every way out.
    lock = false;
    LockWindowUpdateEx(lock);
}

void XrRTB::RemoveJunk()
{
    try {
        if (parentWidget())
            parentWidget()->update();
        m_capturedRtf = GetRTFString();
        if (m_capturedRtf.contains(QLatin1String("\\trowd"))) {
            vbscript::RegExp tables;
            tables.setIgnoreCase(true);
            tables.setGlobal(true);
            tables.setPattern(regexTxt3->text());
            RichTextBox1->setTextRTF(tables.Replace(GetRTFString(), QString()));
        }
        if (!m_settings.AllowImages && m_capturedRtf.contains(QLatin1String("{\\pict\\"))) {
            host::MsgBox(
                QStringLiteral("Unable to load image. Try again without image for best results."),
                host::vbInformation, QStringLiteral("Invalid Image"), this);
            // The engine removes the pictures themselves; a pattern over the RTF could take
            // neighbouring words with them.
            RichTextBox1->engine().removePictures();
        }
        NormalizeIndents();
    } catch (const std::exception& error) {
        host::MsgBox(describe(error), host::vbCritical, QStringLiteral("RemoveJunk Error"), this);
    }
}

void XrRTB::PreLoadFileLinkRemove()
{
    // A document without underlining keeps its tags.
    if (!m_capturedRtf.contains(QLatin1String("\\ul")))
        return;
    try {
        DocumentCleanup::removeUnderlinedTags(*RichTextBox1);
    } catch (const std::exception& error) {
        host::MsgBox(describe(error), host::vbCritical,
                     QStringLiteral("PreLoadFileLinkRemove Error"), this);
    }
}

void XrRTB::NormalizeIndents()
{
    // Nothing to look at before a clean-up pass captured a document with right indents.
    if (!m_capturedRtf.contains(QLatin1String("\\ri")))
        return;
    try {
        const int64_t offset = GetPrinterOffsetX();
        QString rtf = GetRTFString();
        const int64_t lineEnd = IndentNormalizer::lineEnd(m_settings.PrinterMargin, offset);
        if (IndentNormalizer::normalize(m_capturedRtf, rtf, lineEnd))
            RichTextBox1->setTextRTF(rtf);
    } catch (const std::exception&) {
        // Passed over: the document stays as it was.
    }
}
