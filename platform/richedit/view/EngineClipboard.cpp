#include "platform/richedit/view/EngineClipboard.h"

#include "platform/host/Clipboard.h"
#include "platform/host/HtmlText.h"
#include "platform/richedit/layout/LayoutPictures.h"
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include <QBuffer>
#include <algorithm>
#include <climits>

namespace richedit {

namespace {

constexpr int32_t TwipsPerPixel = 15;

// The user may remove a selection without protected characters, and insert at a caret unless
// both its neighbours are protected.
bool userMayReplaceSelection(const EditSession& session)
{
    const Document& document = session.document();
    if (session.selLength() > 0) {
        const CharFormat reading = document.charFormatAt(session.selection());
        return reading.has(Protected) && !reading.is(Protected);
    }
    const int32_t caret = session.caret();
    if (caret == 0)
        return true;
    return !(document.formatAt(document.previousPosition(caret)).is(Protected) &&
             document.formatAt(caret).is(Protected));
}

int32_t roomLeft(const EditSession& session)
{
    if (session.maxLength() == 0)
        return INT32_MAX;
    return session.maxLength() - (session.document().length() - session.selLength());
}

// The picture of a selection that is exactly one picture.
std::shared_ptr<const Picture> lonePicture(const DocumentFragment& fragment)
{
    std::shared_ptr<const Picture> found;
    for (const FragmentParagraph& paragraph : fragment.paragraphs) {
        if (paragraph.hasMark)
            return nullptr;
        for (const FragmentRun& run : paragraph.runs) {
            if (run.text.isEmpty() && !run.picture)
                continue;
            if (!run.picture || found)
                return nullptr;
            found = run.picture;
        }
    }
    return found;
}

// How far a budget of positions reaches into a run's text.
struct TextCut {
    qsizetype units = 0;    // units that fit
    int64_t positions = 0;  // positions they take
};

TextCut cutText(const QString& text, int64_t room)
{
    TextCut cut;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype next = i + 1;
        int64_t cost = 1;
        if (text[i] == u'\r' || text[i] == u'\n') {
            cost = 2;
            if (text[i] == u'\r' && next < text.size() && text[next] == u'\n')
                ++next;
        } else if (text[i].isHighSurrogate() && next < text.size() && text[next].isLowSurrogate()) {
            ++cost;
            ++next;
        }
        if (cut.positions + cost > room)
            break;
        cut.positions += cost;
        i = next;
    }
    cut.units = i;
    return cut;
}

bool pasteFragment(EditSession& session, const DocumentFragment& fragment)
{
    const DocumentFragment fitting = fragmentHead(fragment, roomLeft(session));
    if (fragmentLength(fitting) == 0)
        return false;
    session.replaceSelWithFragment(fitting);
    return true;
}

DocumentFragment pictureFragment(const EditSession& session, const QImage& image)
{
    const std::shared_ptr<const Picture> picture = pictureFromImage(image);
    if (!picture)
        return {};
    FragmentParagraph paragraph;
    paragraph.hasMark = false;
    paragraph.runs.push_back(
        FragmentRun{QString(ObjectReplacementCharacter), session.insertionFormat(), picture});
    DocumentFragment fragment;
    fragment.paragraphs.push_back(std::move(paragraph));
    return fragment;
}

}  // namespace

std::unique_ptr<QMimeData> selectionMimeData(const EditSession& session)
{
    if (session.selLength() == 0)
        return nullptr;
    const DocumentFragment fragment = session.selFragment();
    auto data = std::make_unique<QMimeData>();
    const QByteArray rtf = writeRtf(fragment, RtfWriteMode::Selection);
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    const QByteArray text = PlainText::encode(PlainText::shownText(fragment));
    if (!text.isEmpty())
        data->setData(QStringLiteral("text/plain"), text);
    if (const std::shared_ptr<const Picture> picture = lonePicture(fragment)) {
        const QImage& image = pictureImage(picture);
        if (!image.isNull())
            data->setImageData(image);
    }
    return data;
}

bool copySelection(const EditSession& session)
{
    std::unique_ptr<QMimeData> data = selectionMimeData(session);
    if (!data)
        return false;
    host::clipboardService().get().setMimeData(data.release());
    return true;
}

bool cutSelection(EditSession& session)
{
    if (session.readOnly() || session.selLength() == 0 || !userMayReplaceSelection(session))
        return false;
    // The clipboard is filled before the text goes, so that Change handlers already see it.
    copySelection(session);
    return session.clear();
}

bool pasteClipboard(EditSession& session)
{
    if (session.readOnly() || !userMayReplaceSelection(session))
        return false;
    if (host::Clipboard::hasRichText()) {
        const QByteArray rtf = host::Clipboard::rtf();
        if (looksLikeRtf(rtf))
            return pasteFragment(session, readRtf(rtf, RtfReadMode::Insert));
    }
    if (host::Clipboard::hasImage()) {
        const QImage image = host::Clipboard::GetData(host::vbCFBitmap);
        if (!image.isNull())
            return pasteFragment(session, pictureFragment(session, image));
    }
    if (host::Clipboard::hasText())
        return session.pasteText(host::Clipboard::GetText(host::vbCFText));
    // Browsers may offer only HTML: its text goes in as a plain-text paste would.
    if (host::Clipboard::hasHtml())
        return session.pasteText(host::textOfHtml(host::Clipboard::html()));
    return false;
}

bool canPasteClipboard()
{
    return host::Clipboard::hasPastable();
}

std::shared_ptr<const Picture> pictureFromImage(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    auto picture = std::make_shared<Picture>();
    QBuffer buffer(&picture->encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return nullptr;
    picture->kind = PictureKind::Png;
    picture->pixelWidth = image.width();
    picture->pixelHeight = image.height();
    const auto twips = [](int pixels) {
        return int32_t(std::min<int64_t>(int64_t(pixels) * TwipsPerPixel, MaxPictureSideTw));
    };
    picture->goalWidthTw = twips(image.width());
    picture->goalHeightTw = twips(image.height());
    return picture;
}

int64_t fragmentLength(const DocumentFragment& fragment)
{
    int64_t length = 0;
    for (const FragmentParagraph& paragraph : fragment.paragraphs) {
        for (const FragmentRun& run : paragraph.runs)
            length += run.picture ? 1 : cutText(run.text, INT64_MAX).positions;
        length += paragraph.hasMark ? 2 : 0;
    }
    return length;
}

DocumentFragment fragmentHead(const DocumentFragment& fragment, int64_t room)
{
    DocumentFragment head;
    int64_t used = 0;
    for (const FragmentParagraph& paragraph : fragment.paragraphs) {
        FragmentParagraph part{{}, paragraph.format, paragraph.markFormat, false};
        bool full = false;
        for (const FragmentRun& run : paragraph.runs) {
            const TextCut cut =
                run.picture ? TextCut{run.text.size(), 1} : cutText(run.text, room - used);
            if (used + cut.positions > room) {
                full = true;
                break;
            }
            used += cut.positions;
            part.runs.push_back(FragmentRun{run.text.left(cut.units), run.format, run.picture});
            if (cut.units < run.text.size()) {
                full = true;
                break;
            }
        }
        if (!full && paragraph.hasMark && used + 2 <= room) {
            part.hasMark = true;
            used += 2;
        } else {
            full = full || paragraph.hasMark;
        }
        head.paragraphs.push_back(std::move(part));
        if (full)
            break;
    }
    return head;
}

}  // namespace richedit
