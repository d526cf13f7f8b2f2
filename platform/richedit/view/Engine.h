// One editing window's model: the document and its selection, formats, undo, whole-document
// text and RTF, files, and the Change and SelChange notifications. Works with no widget.
#pragma once

#include "platform/richedit/layout/DocumentLayout.h"
#include "platform/richedit/layout/FormatRange.h"
#include "platform/richedit/model/EditSession.h"
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/model/Search.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace richedit {

class FormatRangeCache;

enum class FileKind { Rtf = 0, Text = 1 };

struct FindText {
    CharRange chrg;
    QString text;  // UTF-16
};

class Engine : public QObject {
    Q_OBJECT

public:
    explicit Engine(QObject* parent = nullptr);
    ~Engine() override;

    // The editing operations behind the members below, for the view and the clipboard.
    EditSession& session() { return m_session; }
    const Document& document() const { return m_session.document(); }

    // --- Whole document ---
    // Hidden text included: it has positions (a plain-text file leaves it out).
    QString text() const { return document().text(); }
    void setText(const QString& text);
    // The whole-document RTF (7-bit, one character per byte), without a trailing NUL.
    QString textRtf() const;
    QByteArray textRtfBytes() const;
    // The length of textRtf(), in characters.
    int64_t textRtfLength() const;
    // "" empties the document, RTF is read as a whole document, anything else is plain text.
    void setTextRtf(const QString& data);
    // Errors: 53 missing file, 70 no right to read it, 75 otherwise unreadable, 321 binary data
    // in an RTF-kind load, 7 too large for the memory left; the description says why. A
    // failed load leaves the document as it was.
    std::optional<vb::VbError> loadFile(const QString& path, FileKind kind);
    // What the last load that went through read its file as: RTF only when an RTF-kind load
    // found RTF. Nothing for an empty file, which reads the same either way.
    std::optional<FileKind> loadedKind() const { return m_loadedKind; }
    // How a plain-text save writes the document: as the text file it was last read from or
    // written to, the platform's UTF-8 with LF after any other load.
    const TextFileFormat& textFileFormat() const { return m_textFormat; }
    void setTextFileFormat(const TextFileFormat& format) { m_textFormat = format; }
    // Writes beside the target, then renames, keeping its permission bits; 75 on failure, the
    // old file kept, with the reason in plain words as the description.
    std::optional<vb::VbError> saveFile(const QString& path, FileKind kind);
    // Applies the font's fields to the whole document and makes them the default format.
    void setDefaultFont(const QFont& font);
    int removePictures() { return m_session.removePictures(); }

    // --- Selection ---
    int32_t selStart() const { return m_session.selStart(); }
    std::optional<vb::VbError> setSelStart(int32_t position);
    int32_t selLength() const { return m_session.selLength(); }
    std::optional<vb::VbError> setSelLength(int32_t length);
    int32_t exSetSel(CharRange range) { return m_session.exSetSel(range); }
    int32_t anchor() const { return m_session.anchor(); }
    int32_t caret() const { return m_session.caret(); }
    QString selText() const { return m_session.selText(); }
    void setSelText(const QString& text) { m_session.setSelText(text); }
    QString selRtf() const;
    void setSelRtf(const QString& rtf);
    void replaceSel(const QString& text, bool canUndo) { m_session.replaceSel(text, canUndo); }
    void span(const QString& set, bool forward = true, bool negate = false);
    void upTo(const QString& set, bool forward = true, bool negate = false);

    // --- Character format (empty optional = mixed) ---
    CharFormat charFormat() const { return m_session.charFormat(); }
    bool setCharFormat(uint32_t scope, const CharFormat& change);
    std::optional<bool> selBold() const { return effect(Bold); }
    void setSelBold(bool on) { setEffect(Bold, on); }
    std::optional<bool> selItalic() const { return effect(Italic); }
    void setSelItalic(bool on) { setEffect(Italic, on); }
    std::optional<bool> selUnderline() const { return effect(Underline); }
    void setSelUnderline(bool on) { setEffect(Underline, on); }
    std::optional<bool> selStrikeThru() const { return effect(StrikeOut); }
    void setSelStrikeThru(bool on) { setEffect(StrikeOut, on); }
    std::optional<bool> selProtected() const { return effect(Protected); }
    void setSelProtected(bool on) { setEffect(Protected, on); }
    // 0x00BBGGRR; automatic reads as 0.
    std::optional<uint32_t> selColor() const;
    void setSelColor(uint32_t color);
    std::optional<QString> selFontName() const;
    void setSelFontName(const QString& face);
    // Points.
    std::optional<double> selFontSize() const;
    void setSelFontSize(double points);
    // Twips, positive raises.
    std::optional<int32_t> selCharOffset() const;
    void setSelCharOffset(int32_t twips);

    // --- Paragraph format ---
    ParaFormat paraFormat() const { return m_session.paraFormat(); }
    void setParaFormat(const ParaFormat& change) { m_session.setParaFormat(change); }
    // 0 left, 1 right, 2 centre; justified text reads as mixed.
    std::optional<int> selAlignment() const;
    std::optional<vb::VbError> setSelAlignment(int alignment);
    std::optional<int32_t> selIndent() const;
    // Keeps the offset, so the following lines move with the first.
    void setSelIndent(int32_t twips);
    std::optional<int32_t> selHangingIndent() const;
    void setSelHangingIndent(int32_t twips);
    std::optional<int32_t> selRightIndent() const;
    void setSelRightIndent(int32_t twips);
    std::optional<bool> selBullet() const;
    void setSelBullet(bool on);
    std::optional<int> selTabCount() const;
    // Keeps the first stops and appends stops at 0; error 380 outside 0..32.
    std::optional<vb::VbError> setSelTabCount(int count);
    // Empty when mixed or outside the count.
    std::optional<int32_t> selTab(int index) const;
    // Sets the stop in place without sorting; error 380 for an index outside the count.
    std::optional<vb::VbError> setSelTab(int index, int32_t twips);
    int32_t bulletIndent() const { return m_bulletIndent; }
    void setBulletIndent(int32_t twips) { m_bulletIndent = twips; }

    // --- Clipboard ---
    // Copy puts the selection's RTF, text and (for a lone picture) image on the clipboard;
    // nothing for an empty selection.
    bool copy() const;
    // Cut, paste and clear are user commands: refused (false, nothing changed) on a Locked
    // window and for protected text. Each is one undo step.
    bool cut();
    // Rich text first (every paragraph end kept), then a picture, then text in the insertion
    // format; the caret ends after the inserted content.
    bool paste();
    bool clear() { return m_session.clear(); }
    // True when the clipboard holds rich text, a picture or text.
    bool canPaste() const;

    // --- Lines and view (display lines, 0-based; -1 as a line or position means the caret's) ---
    DocumentLayout& layout() { return *m_layout; }
    int lineCount() { return m_layout->lineCount(); }
    // -1 for a line past the end.
    int32_t lineIndex(int line) { return m_layout->lineIndex(line); }
    // The length of the display line holding a position, without its paragraph end.
    int32_t lineLength(int32_t position) { return m_layout->lineLength(position); }
    int lineFromChar(int32_t position) { return m_layout->lineFromChar(position); }
    int firstVisibleLine() { return m_layout->firstVisibleLine(); }
    int lineScroll(int lines) { return m_layout->lineScroll(lines); }
    FormattingRect formattingRectPx() const { return m_layout->formattingRectPx(); }
    int32_t charFromPos(QPoint pixels) { return m_layout->charFromPos(pixels); }
    void setViewportSize(QSize twips) { m_layout->setViewportSize(twips); }
    // Wrap at a device's line width (see DocumentLayout for the modes); the last of this and
    // setRightMargin decides.
    void setTargetDevice(const QPaintDevice* device, int32_t widthTw)
    {
        m_layout->setTargetDevice(device, widthTw);
    }
    void setRightMargin(double twips) { m_layout->setRightMargin(twips); }
    // Nesting; queries keep working while frozen, the scroll to the caret waits for the last
    // unfreeze.
    void freeze() { m_layout->freeze(); }
    void unfreeze() { m_layout->unfreeze(); }
    bool frozen() const { return m_layout->frozen(); }

    // --- Layout and print ---
    // Measures, or measures and draws, a range as one page (see FormatRange.h). The page
    // layouts stay cached for the same resolution and width until released or an edit.
    int32_t formatRange(FormatRange& range, bool draw);
    void releaseFormatCache();
    const FormatRangeCache& formatCache() const { return *m_formatCache; }
    // Prints the selection, or the whole document when it is empty, page by page over the
    // printable area of the printer object. With `startDoc` the job is opened and ended here;
    // without it the pages go to the job already open (one is opened when none is). Printer
    // errors (482) come back; a failed job has been aborted.
    std::optional<vb::VbError> printSelection(bool startDoc = true);

    // --- Search, case, undo and state ---
    int32_t findText(const FindText& find, uint32_t flags) const;
    void changeCase(int code) { m_session.changeCase(code); }
    bool canUndo() const { return m_session.canUndo(); }
    bool undo() { return m_session.undo(); }
    void emptyUndoBuffer() { m_session.emptyUndoBuffer(); }
    void suspendUndo() { m_session.suspendUndo(); }
    void resumeUndo() { m_session.resumeUndo(); }
    bool isModified() const { return m_session.isModified(); }
    void setModified(bool modified) { m_session.setModified(modified); }
    bool readOnly() const { return m_session.readOnly(); }
    void setReadOnly(bool readOnly) { m_session.setReadOnly(readOnly); }
    int32_t maxLength() const { return m_session.maxLength(); }
    void setMaxLength(int32_t length) { m_session.setMaxLength(length); }
    // A settable flag callers toggle; it has no effect.
    bool dispId2Flag() const { return m_dispId2Flag; }
    void setDispId2Flag(bool on) { m_dispId2Flag = on; }

signals:
    void changed();
    void selectionChanged();

private:
    std::optional<bool> effect(uint32_t bit) const;
    void setEffect(uint32_t bit, bool on);
    // One masked field of the selection's format: empty when the selection mixes values.
    template <typename T>
    std::optional<T> charField(T CharFormat::*field, uint32_t bit) const;
    template <typename T>
    void setCharField(T CharFormat::*field, uint32_t bit, T value);
    template <typename T>
    std::optional<T> paraField(T ParaFormat::*field, uint32_t bit) const;
    template <typename T>
    void setParaField(T ParaFormat::*field, uint32_t bit, T value);
    void applyChar(const CharFormat& change) { m_session.setCharFormat(SelectionScope, change); }
    void applyPara(const ParaFormat& change) { m_session.setParaFormat(change); }

    EditSession m_session;
    // Declared after the session: it watches the session's document and goes first.
    std::unique_ptr<DocumentLayout> m_layout;
    // After the layout: it watches the document too and goes before it.
    std::unique_ptr<FormatRangeCache> m_formatCache;
    int32_t m_bulletIndent = 0;
    bool m_dispId2Flag = false;
    std::optional<FileKind> m_loadedKind;
    TextFileFormat m_textFormat;
};

// Holds an engine's undo discarded for one pass (see EditSession::beginDiscardingUndo); the
// pass must leave the buffer empty after each of its changes anyway.
class DiscardedUndo {
public:
    explicit DiscardedUndo(Engine& engine) : m_session(engine.session())
    {
        m_session.beginDiscardingUndo();
    }
    ~DiscardedUndo() { m_session.endDiscardingUndo(); }
    DiscardedUndo(const DiscardedUndo&) = delete;
    DiscardedUndo& operator=(const DiscardedUndo&) = delete;

private:
    EditSession& m_session;
};

}  // namespace richedit
