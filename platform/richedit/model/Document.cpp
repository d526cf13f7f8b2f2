#include "platform/richedit/model/Document.h"

#include "platform/richedit/model/Headroom.h"
#include "platform/richedit/model/OutsideText.h"
#include "platform/richedit/model/ParagraphRuns.h"

#include <QStringView>
#include <algorithm>

namespace richedit {

namespace {

const QString ParagraphEnd = QStringLiteral("\r\n");

// The lines of a text whose lines end in CR LF, a lone CR or a lone LF.
std::vector<QStringView> splitLines(QStringView text)
{
    std::vector<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.push_back(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(text.mid(start));
    return lines;
}

int32_t joinedLength(const std::vector<Paragraph>& paragraphs)
{
    int32_t total = 0;
    for (const Paragraph& paragraph : paragraphs)
        total += int32_t(paragraph.text.size());
    return total + 2 * int32_t(paragraphs.empty() ? 0 : paragraphs.size() - 1);
}

bool hasLineEnd(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

ParaFormat completePara(const ParaFormat& format)
{
    ParaFormat result = defaultParaFormat();
    mergeParaFormat(result, format);
    if (result.tabs.size() > size_t(MaxTabStops))
        result.tabs.resize(MaxTabStops);
    return result;
}

}  // namespace

Document::Document(const CharFormat& defaultFormat)
{
    m_defaultFormat = defaultCharFormat();
    mergeCharFormat(m_defaultFormat, defaultFormat);
    Paragraph empty;
    empty.format = m_paraPool.intern(defaultParaFormat());
    empty.mark = m_pool.intern(m_defaultFormat);
    m_paragraphs.assignWith(1, [&empty](size_t) {
        return ParagraphSlot{std::make_unique<Paragraph>(std::move(empty)), 2};
    });
}

void Document::setDefaultFormat(const CharFormat& format)
{
    m_defaultFormat = complete(format);
    // Converted formats are completed with the default: the ones remembered no longer hold.
    m_recentFormats = {};
    m_recentFormatCount = 0;
    m_nextRecentFormat = 0;
}

CharFormat Document::complete(const CharFormat& format) const
{
    CharFormat result = m_defaultFormat;
    mergeCharFormat(result, format);
    result.mask = AllCharFields;
    if ((result.effects & SubSuperscript) == SubSuperscript)
        result.effects &= ~uint32_t(Subscript);
    return result;
}

// --- Content and positions ---

const QString& Document::text() const
{
    if (!m_textValid) {
        m_text = mid(0, length());
        m_textValid = true;
    }
    return m_text;
}

int32_t Document::length() const
{
    return int32_t(m_paragraphs.total(0) - 2);
}

QString Document::textRange(CharRange range) const
{
    const CharRange r = normalized(range);
    return mid(r.cpMin, r.cpMax - r.cpMin);
}

QChar Document::charAt(int32_t position) const
{
    if (position < 0 || position >= length())
        return {};
    const int index = m_paragraphs.find(0, position);
    const ParagraphText& text = paragraph(index).text;
    const auto offset = qsizetype(position - paragraphStart(index));
    if (offset < text.size())
        return text[offset];
    return offset == text.size() ? QChar(u'\r') : QChar(u'\n');
}

QString Document::mid(int32_t position, int32_t count) const
{
    const int32_t total = length();
    const int32_t from = std::clamp(position, 0, total);
    const int32_t to = from + std::clamp(count, 0, total - from);
    QString result;
    result.reserve(to - from);
    int index = m_paragraphs.find(0, from);
    for (int32_t start = paragraphStart(index); start < to; ++index) {
        const ParagraphText& text = paragraph(index).text;
        const auto size = int32_t(text.size());
        if (start + size > from)
            text.appendTo(result, std::max(from - start, 0),
                          std::min(start + size, to) - std::max(from, start));
        // The mark's CR and LF, as far as they fall inside the range.
        for (int32_t i = start + size; i < start + size + 2; ++i)
            if (i >= from && i < to)
                result += ParagraphEnd[i - start - size];
        start += size + 2;
    }
    return result;
}

int32_t Document::previousPosition(int32_t position) const
{
    int32_t previous = std::clamp(position - 1, 0, length());
    if (previous > 0 &&
        ((charAt(previous) == u'\n' && charAt(previous - 1) == u'\r') ||
         (charAt(previous).isLowSurrogate() && charAt(previous - 1).isHighSurrogate())))
        --previous;
    return previous;
}

int32_t Document::nextPosition(int32_t position) const
{
    return snap(std::clamp(position, 0, length()) + 1);
}

int32_t Document::paragraphStart(int index) const
{
    return int32_t(m_paragraphs.before(0, index));
}

int Document::paragraphAt(int32_t position) const
{
    return m_paragraphs.find(0, std::clamp(position, 0, length()));
}

Document::Location Document::locate(int32_t position) const
{
    const int index = paragraphAt(position);
    return {index,
            std::clamp(position - paragraphStart(index), 0, int32_t(paragraph(index).text.size()))};
}

int32_t Document::snap(int32_t position) const
{
    const int32_t pos = std::clamp(position, 0, length());
    const int index = m_paragraphs.find(0, pos);
    const int32_t start = paragraphStart(index);
    const ParagraphText& text = paragraph(index).text;
    const int32_t offset = pos - start;
    if (offset > int32_t(text.size()))
        return paragraphStart(index + 1);
    if (offset > 0 && offset < int32_t(text.size()) && text[offset - 1].isHighSurrogate() &&
        text[offset].isLowSurrogate())
        return pos + 1;
    return pos;
}

CharRange Document::normalized(CharRange range) const
{
    const int32_t end = range.cpMax == -1 ? length() : range.cpMax;
    int32_t a = snap(std::max(range.cpMin, 0));
    int32_t b = snap(std::max(end, 0));
    if (a > b)
        std::swap(a, b);
    return {a, b};
}

CharFormat Document::formatAt(int32_t position) const
{
    const Location at = locate(snap(position));
    const Paragraph& paragraph = this->paragraph(at.paragraph);
    const size_t run = runAt(at.paragraph, at.offset).first;
    return m_pool.at(run < paragraph.runs.size() ? paragraph.runs[run].format : paragraph.mark);
}

CharFormat Document::insertionFormat(int32_t position) const
{
    const Location at = locate(snap(position));
    const Paragraph& paragraph = this->paragraph(at.paragraph);
    if (paragraph.text.isEmpty())
        return m_pool.at(paragraph.mark);
    return formatAt(paragraphStart(at.paragraph) + std::max(at.offset - 1, 0));
}

// --- Text changes ---

void Document::insert(int32_t position, const QString& outsideText, const CharFormat& format)
{
    const QString text = withoutInvisibles(outsideText);
    if (text.isEmpty())
        return;
    const int32_t pos = snap(position);
    const Location at = locate(pos);
    const Paragraph& old = paragraph(at.paragraph);
    const uint32_t formatIndex = m_pool.intern(complete(format));
    const std::vector<QStringView> lines = splitLines(text);

    if (lines.size() == 1) {
        editInPlace(at.paragraph, at.offset, 0, int32_t(text.size()), [&](Paragraph& paragraph) {
            insertText(paragraph, at.offset, text, formatIndex);
        });
        return;
    }
    std::vector<Paragraph> result;
    Paragraph current;
    current.format = old.format;
    appendSlice(current, old, 0, at.offset);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            current.mark = formatIndex;
            result.push_back(std::move(current));
            current = Paragraph{};
            current.format = old.format;
        }
        appendText(current, lines[i], formatIndex);
    }
    appendSlice(current, old, at.offset, int32_t(old.text.size()));
    current.mark = old.mark;
    result.push_back(std::move(current));
    const int32_t added = joinedLength(result) - int32_t(old.text.size());
    replaceParagraphs(at.paragraph, 1, std::move(result), {ChangeKind::Text, pos, 0, added});
}

void Document::remove(CharRange range)
{
    const CharRange r = normalized(range);
    if (r.cpMin == r.cpMax)
        return;
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    if (a.paragraph == b.paragraph) {
        editInPlace(a.paragraph, a.offset, b.offset - a.offset, 0,
                    [&](Paragraph& paragraph) { removeText(paragraph, a.offset, b.offset); });
        return;
    }
    const Paragraph& first = paragraph(a.paragraph);
    const Paragraph& last = paragraph(b.paragraph);
    Paragraph merged;
    merged.format = last.format;
    merged.mark = last.mark;
    appendSlice(merged, first, 0, a.offset);
    appendSlice(merged, last, b.offset, int32_t(last.text.size()));
    std::vector<Paragraph> result;
    result.push_back(std::move(merged));
    replaceParagraphs(a.paragraph, b.paragraph - a.paragraph + 1, std::move(result),
                      {ChangeKind::Text, r.cpMin, r.cpMax - r.cpMin, 0});
}

void Document::replace(CharRange range, const QString& outsideText, const CharFormat& format)
{
    const CharRange r = normalized(range);
    const QString text = withoutInvisibles(outsideText);
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    const ParagraphText& old = paragraph(a.paragraph).text;
    // The insertion would snap past a pair that the removal joins.
    const bool joinsPair = a.offset > 0 && b.offset < int32_t(old.size()) &&
                           old[a.offset - 1].isHighSurrogate() && old[b.offset].isLowSurrogate();
    if (r.cpMin != range.cpMin || r.cpMin == r.cpMax || text.isEmpty() ||
        a.paragraph != b.paragraph || joinsPair || hasLineEnd(text)) {
        remove(range);
        insert(range.cpMin, outsideText, format);
        return;
    }
    const uint32_t formatIndex = m_pool.intern(complete(format));
    editInPlace(a.paragraph, a.offset, b.offset - a.offset, int32_t(text.size()),
                [&](Paragraph& paragraph) {
                    replaceText(paragraph, a.offset, b.offset, text, formatIndex);
                });
}

uint32_t Document::convertedFormat(const CharFormat& source)
{
    for (size_t k = 0; k < m_recentFormatCount; ++k) {
        if (sameCharFormat(m_recentFormats[k].first, source)) {
            // Debug builds check the remembered index against the pool, so that every test
            // that reads a document also tests the remembering.
            Q_ASSERT(m_pool.at(m_recentFormats[k].second) == complete(source));
            return m_recentFormats[k].second;
        }
    }
    const uint32_t index = m_pool.intern(complete(source));
    m_recentFormats[m_nextRecentFormat] = {source, index};
    m_nextRecentFormat = (m_nextRecentFormat + 1) % m_recentFormats.size();
    m_recentFormatCount = std::max(m_recentFormatCount, m_nextRecentFormat);
    return index;
}

uint32_t Document::convertedParaFormat(const ParaFormat& source)
{
    if (m_recentParaFormat && m_recentParaFormat->first == source) {
        Q_ASSERT(m_paraPool.at(m_recentParaFormat->second) == completePara(source));
        return m_recentParaFormat->second;
    }
    const uint32_t index = m_paraPool.intern(completePara(source));
    m_recentParaFormat.emplace(source, index);
    return index;
}

void Document::appendConverted(FragmentParagraph&& source, std::vector<Paragraph>& out)
{
    const uint32_t format = convertedParaFormat(source.format);
    Paragraph current;
    current.format = format;
    auto& runs = source.runs;
    if (source.textJoined) {
        appendJoined(std::move(source), current);
        out.push_back(std::move(current));
        return;
    }
    const bool lineEnds =
        source.hasLineEnds && std::any_of(runs.begin(), runs.end(), [](const FragmentRun& run) {
            return !run.picture && hasLineEnd(run.text);
        });
    const bool severalRuns = runs.size() > 1;
    if (!lineEnds && severalRuns) {
        // The usual case of several runs: the text is put together in one block of its size.
        qsizetype total = 0;
        for (const FragmentRun& run : runs)
            total += run.text.size();
        current.text.reserve(total);
        current.runs.reserve(runs.size());
    }
    for (FragmentRun& run : runs) {
        const uint32_t formatIndex = convertedFormat(run.format);
        if (run.picture) {
            appendPicture(current, run.picture, formatIndex);
            continue;
        }
        if (!lineEnds && !severalRuns) {
            // A paragraph of one run takes its text without a copy.
            appendText(current, std::move(run.text), formatIndex);
            continue;
        }
        if (!lineEnds) {
            appendText(current, QStringView(run.text), formatIndex);
            continue;
        }
        // A line end inside a run still has to count as a paragraph end.
        const std::vector<QStringView> lines = splitLines(run.text);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                current.mark = formatIndex;
                out.push_back(std::move(current));
                current = Paragraph{};
                current.format = format;
            }
            appendText(current, lines[i], formatIndex);
        }
    }
    // The source's text is the paragraph's now: what is left of it goes at once, so that the
    // document and its source never both hold the whole text. The emptied list keeps its room
    // for a reader's next paragraph.
    runs.clear();
    current.mark = convertedFormat(source.markFormat);
    current.text.keepTight();
    out.push_back(std::move(current));
}

void Document::appendJoined(FragmentParagraph&& source, Paragraph& target)
{
    Q_ASSERT(source.runLengths.size() == source.runs.size());
    // The reader's block is the paragraph's text as it is.
    target.text = std::move(source.joinedText);
    target.runs.reserve(source.runs.size());
    for (size_t i = 0; i < source.runs.size(); ++i) {
        FragmentRun& run = source.runs[i];
        const uint32_t formatIndex = convertedFormat(run.format);
        const int32_t length = source.runLengths[i];
        auto& runs = target.runs;
        if (run.picture)
            runs.push_back(TextRun{1, formatIndex, std::move(run.picture)});
        else if (!runs.empty() && !runs.back().picture && runs.back().format == formatIndex)
            runs.back().length += length;  // two source formats may complete to one
        else if (length > 0)
            runs.push_back(TextRun{length, formatIndex, nullptr});
    }
    source.runs.clear();
    target.mark = convertedFormat(source.markFormat);
    target.text.keepTight();
}

std::vector<Paragraph> Document::paragraphsFrom(DocumentFragment&& fragment, uint32_t lastFormat,
                                                bool* lastHasMark)
{
    std::vector<Paragraph> result;
    result.reserve(fragment.paragraphs.size());
    *lastHasMark = fragment.paragraphs.empty() || fragment.paragraphs.back().hasMark;
    for (FragmentParagraph& source : fragment.paragraphs)
        appendConverted(std::move(source), result);
    if (!*lastHasMark)
        result.back().format = lastFormat;
    return result;
}

void Document::insertFragment(int32_t position, const DocumentFragment& fragment)
{
    if (fragment.paragraphs.empty())
        return;
    const int32_t pos = snap(position);
    const Location at = locate(pos);
    const Paragraph old = paragraph(at.paragraph);
    bool lastHasMark = true;
    // The copy shares the fragment's text; nothing is copied before the paragraphs take it,
    // unless a run holds something invisible.
    DocumentFragment copy(fragment);
    removeInvisibles(copy);
    std::vector<Paragraph> parts = paragraphsFrom(std::move(copy), old.format, &lastHasMark);
    if (parts.empty())
        return;
    const int32_t oldLength = int32_t(old.text.size());
    if (lastHasMark) {
        Paragraph tail;
        tail.format = old.format;
        tail.mark = old.mark;
        appendSlice(tail, old, at.offset, oldLength);
        parts.push_back(std::move(tail));
    } else {
        parts.back().mark = old.mark;
        appendSlice(parts.back(), old, at.offset, oldLength);
    }
    Paragraph head;
    head.format = parts.front().format;
    head.mark = parts.front().mark;
    appendSlice(head, old, 0, at.offset);
    appendSlice(head, parts.front(), 0, int32_t(parts.front().text.size()));
    parts.front() = std::move(head);
    const int32_t added = joinedLength(parts) - oldLength;
    replaceParagraphs(at.paragraph, 1, std::move(parts), {ChangeKind::Text, pos, 0, added});
}

void Document::replaceAll(DocumentFragment fragment)
{
    replaceAll([&fragment](const ParagraphSink& sink) {
        for (FragmentParagraph& paragraph : fragment.paragraphs)
            sink(std::move(paragraph));
    });
}

void Document::replaceAll(const std::function<void(const ParagraphSink&)>& produce)
{
    // Boxed as they come: a flat list of a million paragraphs would be copied as it grows.
    std::vector<std::unique_ptr<Paragraph>> parts;
    std::vector<Paragraph> converted;
    int64_t newLength = -2;
    produce([&](FragmentParagraph&& paragraph) {
        appendConverted(std::move(paragraph), converted);
        for (Paragraph& part : converted) {
            newLength += part.text.size() + 2;
            parts.push_back(std::make_unique<Paragraph>(std::move(part)));
        }
        converted.clear();
    });
    const int32_t oldLength = length();
    replaceParagraphs(0, paragraphCount(), std::move(parts),
                      {ChangeKind::Reset, 0, oldLength, int32_t(std::max<int64_t>(newLength, 0))});
}

void Document::setPlainText(const QString& outsideText)
{
    const uint32_t formatIndex = m_pool.intern(m_defaultFormat);
    const QString text = withoutInvisibles(outsideText);
    std::vector<Paragraph> parts;
    for (QStringView line : splitLines(text)) {
        Paragraph paragraph;
        paragraph.format = m_paraPool.intern(defaultParaFormat());
        paragraph.mark = formatIndex;
        appendText(paragraph, line, formatIndex);
        parts.push_back(std::move(paragraph));
    }
    const int32_t oldLength = length();
    const int32_t newLength = joinedLength(parts);
    replaceParagraphs(0, paragraphCount(), std::move(parts),
                      {ChangeKind::Reset, 0, oldLength, newLength});
}

void Document::overwrite(int32_t position, const QString& text)
{
    const int32_t start = snap(position);
    const int32_t end = std::min(start + int32_t(text.size()), length());
    if (end <= start)
        return;
    const Location a = locate(start);
    const Location b = locate(end);
    std::vector<Paragraph> result = copyParagraphs(a.paragraph, b.paragraph - a.paragraph + 1);
    for (size_t k = 0; k < result.size(); ++k) {
        Paragraph& paragraph = result[k];
        const int32_t paragraphPos = paragraphStart(a.paragraph + int(k));
        const int32_t from = std::max(start - paragraphPos, 0);
        const int32_t to = std::min(end - paragraphPos, int32_t(paragraph.text.size()));
        if (to > from)
            paragraph.text.replace(
                from, to - from, QStringView(text).sliced(paragraphPos + from - start, to - from));
    }
    const int count = int(result.size());
    replaceParagraphs(a.paragraph, count, std::move(result),
                      {ChangeKind::Text, start, end - start, end - start});
}

int Document::removePictures()
{
    int first = -1;
    int last = -1;
    for (int i = 0; i < paragraphCount(); ++i) {
        for (const TextRun& run : paragraph(i).runs) {
            if (run.picture) {
                first = first < 0 ? i : first;
                last = i;
                break;
            }
        }
    }
    if (first < 0)
        return 0;
    int removed = 0;
    int32_t firstPos = -1;
    int32_t lastPos = -1;
    std::vector<Paragraph> result;
    for (int i = first; i <= last; ++i) {
        const Paragraph& old = paragraph(i);
        Paragraph paragraph;
        paragraph.format = old.format;
        paragraph.mark = old.mark;
        int32_t offset = paragraphStart(i);
        for (const TextRun& run : old.runs) {
            if (run.picture) {
                firstPos = firstPos < 0 ? offset : firstPos;
                lastPos = offset;
                ++removed;
            } else {
                const int32_t from = offset - paragraphStart(i);
                appendText(paragraph, old.text, from, from + run.length, run.format);
            }
            offset += run.length;
        }
        result.push_back(std::move(paragraph));
    }
    const int32_t span = lastPos + 1 - firstPos;
    replaceParagraphs(first, last - first + 1, std::move(result),
                      {ChangeKind::Text, firstPos, span, span - removed});
    return removed;
}

// --- Fragments out ---

FragmentParagraph Document::toFragment(const Paragraph& paragraph, int32_t from, int32_t to,
                                       bool withMark) const
{
    FragmentParagraph result;
    result.format = paraFormat(paragraph.format);
    result.markFormat = m_pool.at(paragraph.mark);
    result.hasMark = withMark;
    forEachRun(paragraph, from, to, [&](const TextRun& run, int32_t start, int32_t end) {
        result.runs.push_back(FragmentRun{paragraph.text.mid(start, end - start),
                                          m_pool.at(run.format), run.picture});
    });
    return result;
}

DocumentFragment Document::extract(CharRange range) const
{
    DocumentFragment fragment;
    const CharRange r = normalized(range);
    if (r.cpMin == r.cpMax)
        return fragment;
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    const bool endsAfterMark = b.offset == 0 && b.paragraph > a.paragraph;
    const int last = endsAfterMark ? b.paragraph - 1 : b.paragraph;
    for (int i = a.paragraph; i <= last; ++i) {
        const Paragraph& paragraph = this->paragraph(i);
        const int32_t from = i == a.paragraph ? a.offset : 0;
        const int32_t to = i == b.paragraph ? b.offset : int32_t(paragraph.text.size());
        fragment.paragraphs.push_back(toFragment(paragraph, from, to, i < b.paragraph));
    }
    return fragment;
}

DocumentFragment Document::extractAll() const
{
    DocumentFragment fragment;
    fragment.paragraphs.reserve(size_t(m_paragraphs.size()));
    m_paragraphs.forEach([&](const ParagraphSlot& slot) {
        fragment.paragraphs.push_back(toFragment(*slot.paragraph, 0, slot.span - 2, true));
    });
    return fragment;
}

// --- Replacement, snapshots and notification ---

int32_t Document::spanOf(int first, int count) const
{
    if (count <= 0)
        return 0;
    const int end = first + count;
    if (end >= paragraphCount())
        return length() - paragraphStart(first);
    return paragraphStart(end) - paragraphStart(first);
}

std::vector<Paragraph> Document::copyParagraphs(int first, int count) const
{
    std::vector<Paragraph> result;
    result.reserve(size_t(count));
    for (int i = first; i < first + count; ++i)
        result.push_back(paragraph(i));
    return result;
}

void Document::restoreParagraphs(int first, int count, std::vector<Paragraph> paragraphs)
{
    const int32_t start = paragraphStart(first);
    const int32_t removed = spanOf(first, count);
    const bool includesLast = first + count >= paragraphCount();
    const int32_t added = joinedLength(paragraphs) + (includesLast ? 0 : 2);
    // Putting back formats alone is a format change.
    bool sameText = size_t(count) == paragraphs.size();
    for (int k = 0; sameText && k < count; ++k)
        sameText = paragraph(first + k).text == paragraphs[size_t(k)].text;
    const ChangeKind kind = sameText ? ChangeKind::Format : ChangeKind::Text;
    replaceParagraphs(first, count, std::move(paragraphs), {kind, start, removed, added});
}

void Document::restoreEdit(int paragraph, int32_t offset, int32_t removed, const QString& text,
                           RunList runs, uint32_t format)
{
    editInPlace(paragraph, offset, removed, int32_t(text.size()), [&](Paragraph& target) {
        target.text.replace(offset, removed, text);
        target.runs = std::move(runs);
        target.format = format;
    });
}

template <typename Mutate>
void Document::editInPlace(int index, int32_t offset, int32_t removed, int32_t added, Mutate mutate)
{
    if (m_observer)
        m_observer->aboutToEdit(index, offset, removed, added);
    m_textValid = false;
    const int32_t start = paragraphStart(index);
    m_paragraphs.update(index, [&](ParagraphSlot& slot) {
        mutate(*slot.paragraph);
        slot.span = int32_t(slot.paragraph->text.size()) + 2;
    });
    notify({ChangeKind::Text, start + offset, removed, added});
}

void Document::replaceParagraphs(int first, int count, std::vector<Paragraph> replacement,
                                 const ChangeRecord& record)
{
    std::vector<std::unique_ptr<Paragraph>> boxes;
    boxes.reserve(replacement.size());
    for (Paragraph& paragraph : replacement)
        boxes.push_back(std::make_unique<Paragraph>(std::move(paragraph)));
    replaceParagraphs(first, count, std::move(boxes), record);
}

void Document::replaceParagraphs(int first, int count,
                                 std::vector<std::unique_ptr<Paragraph>> replacement,
                                 const ChangeRecord& record)
{
    const bool includesLast = first + count >= paragraphCount();
    if (includesLast && replacement.empty()) {
        auto empty = std::make_unique<Paragraph>();
        empty->format = m_paraPool.intern(defaultParaFormat());
        empty->mark = m_pool.intern(m_defaultFormat);
        replacement.push_back(std::move(empty));
    }
    if (m_observer)
        m_observer->aboutToReplace(first, count);
    if (record.kind != ChangeKind::Format)
        m_textValid = false;
    const int newCount = int(replacement.size());
    const auto spanOf = [](const Paragraph& paragraph) {
        return int32_t(paragraph.text.size()) + 2;
    };
    if (newCount == count) {
        for (int k = 0; k < count; ++k)
            m_paragraphs.update(first + k, [&](ParagraphSlot& slot) {
                slot.span = spanOf(*replacement[size_t(k)]);
                slot.paragraph = std::move(replacement[size_t(k)]);
            });
    } else {
        // Only the block holding the change moves its paragraphs.
        m_paragraphs.replaceWith(first, count, replacement.size(), [&](size_t k) {
            ParagraphSlot slot;
            slot.span = spanOf(*replacement[k]);
            slot.paragraph = std::move(replacement[k]);
            return slot;
        });
    }
    if (m_observer)
        m_observer->replaced(first, count, newCount);
    notify(record);
}

int Document::addWatcher(std::function<void(const ChangeRecord&)> watcher) const
{
    const int id = m_nextWatcher++;
    m_watchers.emplace(id, std::move(watcher));
    return id;
}

void Document::removeWatcher(int id) const
{
    m_watchers.erase(id);
}

void Document::beginEditBlock()
{
    ++m_blockDepth;
}

void Document::endEditBlock()
{
    if (m_blockDepth == 0 || --m_blockDepth > 0)
        return;
    if (m_blockRecord) {
        const ChangeRecord record = *m_blockRecord;
        m_blockRecord.reset();
        tellWatchers(record);
    }
}

void Document::notify(const ChangeRecord& record)
{
    ++m_version;
    if (m_blockDepth > 0) {
        m_blockRecord = m_blockRecord ? combineChanges(*m_blockRecord, record) : record;
        return;
    }
    tellWatchers(record);
}

void Document::tellWatchers(const ChangeRecord& record)
{
    // A watcher may add or remove watchers while it is told.
    const auto watchers = m_watchers;
    for (const auto& [id, watcher] : watchers)
        watcher(record);
}

ChangeRecord combineChanges(const ChangeRecord& first, const ChangeRecord& second)
{
    const int32_t firstDelta = first.added - first.removed;
    const int32_t secondDelta = second.added - second.removed;
    if (first.kind == ChangeKind::Reset)
        return {ChangeKind::Reset, 0, first.removed, first.added + secondDelta};
    if (second.kind == ChangeKind::Reset)
        return {ChangeKind::Reset, 0, second.removed - firstDelta, second.added};
    // Work in the coordinates between the two changes.
    const int32_t start = std::min(first.position, second.position);
    const int32_t end = std::max(first.position + first.added, second.position + second.removed);
    const ChangeKind kind = first.kind == ChangeKind::Format && second.kind == ChangeKind::Format
                                ? ChangeKind::Format
                                : ChangeKind::Text;
    return {kind, start, end - firstDelta - start, end + secondDelta - start};
}

}  // namespace richedit
