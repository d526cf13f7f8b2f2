#include "richtext/scanning/ReplaceUndo.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/WholeDocumentUndo.h"

#include <QStringList>

using namespace richedit;

namespace ReplaceUndo {

namespace {

// A line that begins with the paragraph-end word (not "\pard").
bool startsParagraphEnd(const QString& line)
{
    return line.startsWith(QLatin1String("\\par")) && (line.size() == 4 || !line.at(4).isLetter());
}

}  // namespace

QString BuildSharedUndoSnapshot(const QString& rtf, const QString& text)
{
    QStringList rtfLines = rtf.split(u'\n');
    const QStringList textLines = text.split(u'\n');
    const QString emptyParagraph = QStringLiteral("\\par \r");

    // A "\par " line may only be dropped while the body holds more paragraph ends than the
    // text: in the one-paragraph-per-line shape every such line is an empty paragraph of the
    // text, and dropping it would lose that paragraph when the snapshot is read back.
    qsizetype surplus = -(textLines.size() - 1) - 1;
    bool inBody = false;
    for (const QString& line : rtfLines) {
        inBody = inBody || line.contains(QLatin1String("\\pard\\"));
        if (inBody && startsParagraphEnd(line))
            ++surplus;
    }

    qsizetype textLine = 0;
    inBody = false;
    QStringList kept;
    kept.reserve(rtfLines.size());
    for (QString& line : rtfLines) {
        inBody = inBody || line.contains(QLatin1String("\\pard\\"));
        if (inBody) {
            if (line == emptyParagraph && surplus > 0 && textLine < textLines.size() &&
                textLines.at(textLine) != QStringLiteral("\r") &&
                !textLines.at(textLine).isEmpty()) {
                --surplus;
                continue;  // stands for no paragraph of the text: dropped, the text line stays
            }
            ++textLine;
        }
        kept.append(std::move(line));
    }
    return kept.join(u'\n');
}

QString BuildSharedUndoSnapshot(RichTextBox& window)
{
    const QString text = window.Text();
    if (text.isEmpty())
        return window.TextRTF();
    // The shared document's RTF is taken in memory, as the file hand-over would give it.
    return BuildSharedUndoSnapshot(window.TextRTF(), text);
}

void SaveSharedViewPos2(RichTextBox& window)
{
    const intptr_t handle = window.hWnd();
    const intptr_t first = sendMessage(handle, EM_GETFIRSTVISIBLELINE, 0, 0);
    RichTextLibraryState::instance().TopLinePos2 =
        int32_t(sendMessage(handle, EM_LINEINDEX, first, 0));
}

void SaveReplaceUndo(RichTextBox& window)
{
    SaveSharedViewPos2(window);
    ReplaceUndoRecord record;
    record.SelLength = window.SelLength();
    record.SelStart = window.SelStart();
    record.RTF = BuildSharedUndoSnapshot(window);
    if (const auto& writer = replaceUndoWriter())
        writer(record);
}

}  // namespace ReplaceUndo
