#include "platform/richedit/layout/DocumentLayout.h"

#include "platform/richedit/model/Headroom.h"
#include "platform/richedit/model/ListLabels.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace richedit {
namespace {

bool isNumberedKind(uint16_t kind)
{
    return kind >= Arabic && kind <= UpperRoman;
}

// The counting rule of lists: a numbered paragraph continues the number of the paragraph before
// it (`previous`, null for the first) when that has the same kind, else it starts at its own
// start; other paragraphs count 0.
int numberInList(const ParaFormat* previous, int previousNumber, const ParaFormat& format)
{
    if (!isNumberedKind(format.numbering))
        return 0;
    if (previous && previous->numbering == format.numbering)
        return previousNumber + 1;
    return format.numberingStart;
}

// A 1 × 1 image whose logical resolution is the device's: the font metrics of a layout look at
// nothing else, and the caller's device may go away.
std::shared_ptr<const QImage> resolutionOf(const QPaintDevice* device)
{
    if (!device)
        return nullptr;
    const LayoutDevice dpi = LayoutDevice::of(device);
    auto image = std::make_shared<QImage>(1, 1, QImage::Format_RGB32);
    image->setDotsPerMeterX(int(std::lround(dpi.dpiX / 0.0254)));
    image->setDotsPerMeterY(int(std::lround(dpi.dpiY / 0.0254)));
    return image;
}

}  // namespace

DocumentLayout::DocumentLayout(const Document& document) : m_document(document)
{
    resetAll();
    m_laidOutWidth = wrapWidth();
    m_watcher =
        document.addWatcher([this](const ChangeRecord& record) { documentChanged(record); });
}

DocumentLayout::~DocumentLayout()
{
    m_document.removeWatcher(m_watcher);
}

// --- Following the document ---

void DocumentLayout::documentChanged(const ChangeRecord& record)
{
    if (record.kind == ChangeKind::Reset) {
        m_deferred.reset();
        resetAll();
        m_topAnchor = 0;
    } else {
        // The lines still stand for the text before the waiting change: this one joins it.
        const ChangeRecord combined = m_deferred ? combineChanges(*m_deferred, record) : record;
        m_deferred.reset();
        if (canDefer(combined))
            m_deferred = combined;
        else if (!replaceEntries(combined))
            resetAll();
        moveTopAnchor(record);
    }
    repaint();
}

bool DocumentLayout::canDefer(const ChangeRecord& record) const
{
    if (!frozen() || record.kind == ChangeKind::Reset || record.position < 0 ||
        record.removed < 0 || m_index.size() != m_document.paragraphCount())
        return false;
    const int paragraph = m_index.entryAtPosition(record.position);
    if (paragraph != m_index.entryAtPosition(int64_t(record.position) + record.removed) ||
        !m_index.layout(paragraph))
        return false;
    // The change leaves the paragraph end where it was.
    const int64_t end = m_index.spanBefore(paragraph) + m_index.entry(paragraph).span - 2;
    return int64_t(record.position) + record.removed <= end &&
           m_document.paragraphStart(paragraph) == m_index.spanBefore(paragraph);
}

void DocumentLayout::settleDeferred()
{
    if (!m_deferred)
        return;
    const ChangeRecord record = *m_deferred;
    m_deferred.reset();
    if (!replaceEntries(record))
        resetAll();
}

void DocumentLayout::resetAll()
{
    // One pass over the paragraphs: each entry waits to be laid out, and each list number
    // follows from the one just given to the paragraph before.
    const ParaFormat* previous = nullptr;
    int32_t previousNumber = 0;
    m_index.assignWith(m_document.paragraphCount(),
                       [&](int paragraph, LineIndex::Entry& entry, int32_t& number) {
                           entry = dirtyEntry(paragraph, {});
                           const ParaFormat& format = m_document.paragraphFormat(paragraph);
                           number = numberInList(previous, previousNumber, format);
                           previous = &format;
                           previousNumber = number;
                       });
}

bool DocumentLayout::replaceEntries(const ChangeRecord& record)
{
    const int oldCount = m_index.size();
    const int newCount = m_document.paragraphCount();
    if (oldCount == 0 || record.position < 0 || record.removed < 0)
        return false;
    // Paragraphs before the one holding the change and after the one holding its end are the
    // same paragraphs before and after it.
    const int first = m_index.entryAtPosition(record.position);
    const int oldLast = m_index.entryAtPosition(int64_t(record.position) + record.removed);
    const int newLast = newCount - oldCount + oldLast;
    if (newLast < first || newLast >= newCount)
        return false;

    const int oldSpan = oldLast - first + 1;
    const int newSpan = newLast - first + 1;
    if (oldSpan == 1 && newSpan == 1 && relayOut(first, record)) {
        renumberFrom(first, first);
        return m_index.totalSpan() == int64_t(m_document.length()) + 2;
    }
    std::vector<LineIndex::Entry> fresh;
    fresh.reserve(size_t(newSpan));
    for (int k = 0; k < newSpan; ++k)
        fresh.push_back(dirtyEntry(first + k, m_index.entry(first + std::min(k, oldSpan - 1))));
    // The replaced paragraphs lose their layouts; their numbers are counted again below.
    m_index.replace(first, oldSpan, std::move(fresh));
    renumberFrom(first, newLast);
    return m_index.size() == newCount && m_index.totalSpan() == int64_t(m_document.length()) + 2;
}

bool DocumentLayout::relayOut(int paragraph, const ChangeRecord& record)
{
    ParagraphLayout* layout = m_index.layout(paragraph);
    if (!layout)
        return false;
    const ParagraphEdit edit{record.position - m_document.paragraphStart(paragraph), record.removed,
                             record.added};
    const LayoutParagraphInput input = paragraphInput(paragraph);
    if (!layout->canRelayout(input, edit))
        return false;
    layout->relayout(input, edit);
    m_index.set(paragraph, entryOf(*layout));
    return true;
}

LineIndex::Entry DocumentLayout::entryOf(const ParagraphLayout& layout)
{
    LineIndex::Entry entry;
    entry.span = layout.textLength() + 2;
    entry.lines = layout.showsNothing() ? 0 : layout.lineCount();
    entry.height = layout.height();
    entry.dirty = false;
    return entry;
}

LineIndex::Entry DocumentLayout::dirtyEntry(int paragraph, const LineIndex::Entry& estimate) const
{
    LineIndex::Entry entry = estimate;
    entry.span = int32_t(m_document.paragraph(paragraph).text.size()) + 2;
    entry.dirty = true;
    return entry;
}

void DocumentLayout::renumberFrom(int first, int lastChanged)
{
    const int count = m_index.size();
    for (int i = first; i < count; ++i) {
        const int number = computeNumber(i);
        if (number == m_index.number(i)) {
            // The numbers after an unchanged paragraph stay as they are.
            if (i > lastChanged)
                return;
            continue;
        }
        m_index.setNumber(i, number);
        if (i > lastChanged)
            markDirty(i);
    }
}

int DocumentLayout::computeNumber(int paragraph) const
{
    if (paragraph == 0)
        return numberInList(nullptr, 0, m_document.paragraphFormat(0));
    return numberInList(&m_document.paragraphFormat(paragraph - 1), m_index.number(paragraph - 1),
                        m_document.paragraphFormat(paragraph));
}

void DocumentLayout::moveTopAnchor(const ChangeRecord& record)
{
    const int64_t end = int64_t(record.position) + record.removed;
    // Text inserted at the anchor goes onto the top line (its start, when the anchor is the
    // line's start): the anchor stays, or every keystroke at the top would scroll the view.
    if (m_topAnchor > end || (m_topAnchor == end && record.removed > 0))
        m_topAnchor = int32_t(m_topAnchor + int64_t(record.added) - record.removed);
    else if (m_topAnchor > record.position)
        m_topAnchor = record.position;
    m_topAnchor = std::max(m_topAnchor, 0);
}

void DocumentLayout::markDirty(int paragraph)
{
    m_index.keepLayout(paragraph, nullptr);
    m_index.set(paragraph, dirtyEntry(paragraph, m_index.entry(paragraph)));
}

void DocumentLayout::checkConsistency()
{
    settleDeferred();
    // Inside an edit block the document changes before its record arrives; never read
    // paragraphs that are not there.
    if (m_index.size() != m_document.paragraphCount() ||
        m_index.totalSpan() != int64_t(m_document.length()) + 2)
        resetAll();
}

// --- Wrap mode and viewport ---

void DocumentLayout::setTargetDevice(const QPaintDevice* device, int32_t widthTw)
{
    if (widthTw == 1)
        setWrap(WrapMode::None, 0, device);
    else if (widthTw > 1)
        setWrap(WrapMode::Width, widthTw, device);
    else
        setWrap(WrapMode::Window, 0, device);
}

void DocumentLayout::setRightMargin(double twips)
{
    const double rounded = std::isfinite(twips) ? std::round(twips) : 0;
    setTargetDevice(nullptr, int32_t(std::clamp<double>(rounded, INT32_MIN, INT32_MAX)));
}

void DocumentLayout::setWrap(WrapMode mode, int32_t widthTw, const QPaintDevice* device)
{
    m_mode = mode;
    m_fixedWidth = widthTw;
    m_device = resolutionOf(device);
    wrapInputsChanged();
}

int32_t DocumentLayout::wrapWidth() const
{
    switch (m_mode) {
        case WrapMode::None:
            return ParagraphLayout::NoWrap;
        case WrapMode::Width:
            return m_fixedWidth;
        case WrapMode::Window:
            break;
    }
    const double insets = (m_insets.left() + m_insets.right()) * m_twipsPerPixel;
    // Every line holds at least one character, so a window narrower than its insets still wraps.
    return int32_t(std::clamp<double>(std::round(m_viewport.width() - insets), 1, INT32_MAX));
}

const QPaintDevice* DocumentLayout::measuringDevice() const
{
    return m_device.get();
}

void DocumentLayout::setViewportSize(QSize twips)
{
    m_viewport = QSize(std::max(twips.width(), 0), std::max(twips.height(), 0));
    wrapInputsChanged();
}

void DocumentLayout::setTwipsPerPixel(double twipsPerPixel)
{
    if (!std::isfinite(twipsPerPixel) || twipsPerPixel <= 0)
        return;
    m_twipsPerPixel = twipsPerPixel;
    wrapInputsChanged();
}

void DocumentLayout::setInsets(QMargins pixels)
{
    m_insets = pixels;
    wrapInputsChanged();
}

void DocumentLayout::wrapInputsChanged()
{
    if (wrapWidth() != m_laidOutWidth || LayoutDevice::of(measuringDevice()) != m_laidOutDevice)
        invalidateLayouts();
    repaint();
}

void DocumentLayout::invalidateLayouts()
{
    checkConsistency();
    m_laidOutWidth = wrapWidth();
    m_laidOutDevice = LayoutDevice::of(measuringDevice());
    m_index.markAllDirty();  // the old sizes stay as estimates
    layOutVisible();
}

FormattingRect DocumentLayout::formattingRectPx() const
{
    const auto pixels = [this](int twips) { return int32_t(std::lround(twips / m_twipsPerPixel)); };
    FormattingRect rect{m_insets.left(), m_insets.top(),
                        pixels(m_viewport.width()) - m_insets.right(),
                        pixels(m_viewport.height()) - m_insets.bottom()};
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    return rect;
}

int DocumentLayout::textHeightTw() const
{
    const double insets = (m_insets.top() + m_insets.bottom()) * m_twipsPerPixel;
    return int(std::clamp<double>(std::round(m_viewport.height() - insets), 0, INT32_MAX));
}

// --- Paragraph layouts ---

LayoutParagraphInput DocumentLayout::paragraphInput(int paragraph) const
{
    LayoutParagraphInput input;
    fillParagraphInput(paragraph, input);
    return input;
}

void DocumentLayout::fillParagraphInput(int paragraph, LayoutParagraphInput& input) const
{
    const Paragraph& source = m_document.paragraph(paragraph);
    input.source = &source.text;
    input.runs.clear();
    input.runs.reserve(source.runs.size());
    for (const TextRun& run : source.runs)
        input.runs.push_back({run.length, &m_document.format(run.format), run.picture});
    const ParaFormat& format = m_document.paraFormat(source.format);
    input.format = &format;
    input.markFormat = &m_document.format(source.mark);
    input.listLabel =
        listLabelText(format.numbering, format.numberingStyle, m_index.number(paragraph));
    input.endsDocument = paragraph + 1 == m_document.paragraphCount();
}

void DocumentLayout::layOut(int paragraph, bool keep)
{
    fillParagraphInput(paragraph, m_bulkInput);
    m_bulkLayout.layOut(m_bulkInput, m_laidOutWidth, m_laidOutDevice);
    m_index.set(paragraph, entryOf(m_bulkLayout));
    // A copy holds no spare capacity.
    if (keep)
        m_index.keepLayout(paragraph, std::make_unique<ParagraphLayout>(m_bulkLayout));
}

int DocumentLayout::layoutsHeld() const
{
    return m_index.layoutsHeld();
}

bool DocumentLayout::keptInBulk(int paragraph, int top)
{
    return paragraph >= top - KeptAroundTop && paragraph <= top + KeptAroundTop;
}

int DocumentLayout::nextDirty(int laidOut) const
{
    // Every paragraph up to `laidOut` is laid out now: when the one after it waits, it is the
    // first that does, without a search.
    const int next = laidOut + 1;
    return next < m_index.size() && m_index.entry(next).dirty ? next : m_index.firstDirty();
}

void DocumentLayout::layOutUpTo(int paragraph)
{
    int dirty = m_index.firstDirty();
    if (dirty < 0 || dirty > paragraph)
        return;
    const int top = m_document.paragraphAt(m_topAnchor);
    for (; dirty >= 0 && dirty <= paragraph; dirty = nextDirty(dirty))
        layOut(dirty, keptInBulk(dirty, top));
    releaseBulkLayout();
}

void DocumentLayout::releaseBulkLayout()
{
    m_bulkInput.text.clear();
    m_bulkInput.runs.clear();
    m_bulkInput.format = nullptr;
    m_bulkInput.markFormat = nullptr;
    m_bulkInput.listLabel.clear();
    m_bulkLayout.layOut(m_bulkInput, ParagraphLayout::NoWrap, m_laidOutDevice);
}

const ParagraphLayout& DocumentLayout::paragraphLayout(int paragraph)
{
    checkConsistency();
    if (m_lastRead[(m_nextLastRead + m_lastRead.size() - 1) % m_lastRead.size()] != paragraph) {
        m_lastRead[m_nextLastRead] = paragraph;
        m_nextLastRead = (m_nextLastRead + 1) % m_lastRead.size();
    }
    if (!m_index.layout(paragraph)) {
        layOut(paragraph, true);
        releaseBulkLayout();
        if (++m_laidOutOnDemand >= MaxLayoutsHeld / 2)
            dropFarLayouts();
    }
    return *m_index.layout(paragraph);
}

void DocumentLayout::dropFarLayouts()
{
    m_laidOutOnDemand = 0;
    const int top = m_document.paragraphAt(m_topAnchor);
    std::vector<std::pair<int, int>> held;  // distance from the top, paragraph
    int lastReadHeld = 0;
    for (int paragraph = 0; paragraph < m_index.size(); ++paragraph) {
        if (!m_index.layout(paragraph))
            continue;
        if (std::find(m_lastRead.begin(), m_lastRead.end(), paragraph) != m_lastRead.end())
            ++lastReadHeld;
        else
            held.emplace_back(std::abs(paragraph - top), paragraph);
    }
    const size_t kept = size_t(MaxLayoutsHeld / 2 - lastReadHeld);
    if (held.size() <= kept)
        return;
    std::nth_element(held.begin(), held.begin() + std::ptrdiff_t(kept), held.end());
    for (auto far = held.begin() + std::ptrdiff_t(kept); far != held.end(); ++far)
        m_index.keepLayout(far->second, nullptr);
}

int DocumentLayout::firstLineOfParagraph(int paragraph)
{
    checkConsistency();
    layOutUpTo(paragraph - 1);
    return int(m_index.linesBefore(paragraph));
}

int64_t DocumentLayout::paragraphTop(int paragraph)
{
    checkConsistency();
    layOutUpTo(paragraph - 1);
    return m_index.heightBefore(paragraph);
}

void DocumentLayout::layOutVisible()
{
    checkConsistency();
    const int32_t top = m_document.snap(m_topAnchor);
    int paragraph = m_document.paragraphAt(top);
    const ParagraphLayout& first = paragraphLayout(paragraph);
    const LayoutLine& topLine =
        first.line(first.lineAt(top - m_document.paragraphStart(paragraph)));
    int64_t shown = first.height() - topLine.top;
    for (++paragraph; shown < textHeightTw() && paragraph < m_index.size(); ++paragraph)
        shown += paragraphLayout(paragraph).height();
}

bool DocumentLayout::layOutPending(int count)
{
    checkConsistency();
    int dirty = m_index.firstDirty();
    if (dirty < 0)
        return false;
    const int top = m_document.paragraphAt(m_topAnchor);
    for (int k = 0; k < count && dirty >= 0; ++k) {
        layOut(dirty, keptInBulk(dirty, top));
        dirty = nextDirty(dirty);
    }
    releaseBulkLayout();
    return dirty >= 0;
}

// --- Line queries ---

int DocumentLayout::paragraphOfLine(int64_t line)
{
    for (;;) {
        const int paragraph = m_index.entryOfLine(line);
        const int dirty = m_index.firstDirty();
        if (dirty < 0 || dirty > paragraph)
            return paragraph;
        layOutUpTo(paragraph);
    }
}

int DocumentLayout::paragraphAtHeight(int64_t y)
{
    for (;;) {
        const int paragraph = m_index.entryAtHeight(y);
        const int dirty = m_index.firstDirty();
        if (dirty < 0 || dirty > paragraph)
            return paragraph;
        layOutUpTo(paragraph);
    }
}

DocumentLayout::LineAt DocumentLayout::locateLine(int64_t line)
{
    line = std::max<int64_t>(line, 0);
    const int paragraph = paragraphOfLine(line);
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    const int64_t within = line - m_index.linesBefore(paragraph);
    return {paragraph, int(std::min<int64_t>(within, layout.lineCount() - 1))};
}

int32_t DocumentLayout::caretPosition() const
{
    return m_caret ? m_caret() : 0;
}

int DocumentLayout::lineCount()
{
    checkConsistency();
    layOutUpTo(m_index.size() - 1);
    return int(std::max<int64_t>(m_index.totalLines(), 1));
}

int32_t DocumentLayout::lineIndex(int line)
{
    checkConsistency();
    if (line == -1)
        line = lineFromChar(-1);
    if (line < 0)
        return -1;
    const int paragraph = paragraphOfLine(line);
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    const int64_t within = line - m_index.linesBefore(paragraph);
    if (within >= layout.lineCount())
        return -1;
    return m_document.paragraphStart(paragraph) + layout.line(int(within)).start;
}

int32_t DocumentLayout::lineLength(int32_t position)
{
    checkConsistency();
    int32_t at = m_document.snap(position);
    int paragraph = m_document.paragraphAt(at);
    // A position in a paragraph that shows nothing is on the next line shown (lineFromChar);
    // the last paragraph always shows.
    while (paragraphLayout(paragraph).showsNothing()) {
        ++paragraph;
        at = m_document.paragraphStart(paragraph);
    }
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    return layout.line(layout.lineAt(at - m_document.paragraphStart(paragraph)))
        .lengthWithoutBreak();
}

int DocumentLayout::lineFromChar(int32_t position)
{
    checkConsistency();
    const int32_t at = m_document.snap(position == -1 ? caretPosition() : position);
    const int paragraph = m_document.paragraphAt(at);
    layOutUpTo(paragraph);
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    return int(m_index.linesBefore(paragraph)) +
           layout.lineAt(at - m_document.paragraphStart(paragraph));
}

int64_t DocumentLayout::lineTop(int line)
{
    checkConsistency();
    const LineAt at = locateLine(line);
    return m_index.heightBefore(at.paragraph) + paragraphLayout(at.paragraph).line(at.line).top;
}

int32_t DocumentLayout::lineHeight(int line)
{
    checkConsistency();
    const LineAt at = locateLine(line);
    return paragraphLayout(at.paragraph).line(at.line).height;
}

int DocumentLayout::lineAtHeight(int64_t y)
{
    checkConsistency();
    y = std::max<int64_t>(y, 0);
    const int paragraph = paragraphAtHeight(y);
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    const int64_t local = y - m_index.heightBefore(paragraph);
    return int(m_index.linesBefore(paragraph)) + layout.lineAtHeight(local);
}

int32_t DocumentLayout::charFromPointTw(QPoint twips)
{
    checkConsistency();
    const int64_t y = lineTop(firstVisibleLine()) + twips.y();
    const LineAt at = locateLine(lineAtHeight(y));
    const double x = double(twips.x()) + m_horizontalOffset;
    return m_document.paragraphStart(at.paragraph) +
           paragraphLayout(at.paragraph).positionFromX(at.line, x);
}

int32_t DocumentLayout::charFromPos(QPoint pixels)
{
    const auto twips = [this](int value, int inset) {
        const double tw = std::round((value - inset) * m_twipsPerPixel);
        return int(std::clamp<double>(tw, INT32_MIN / 2, INT32_MAX / 2));
    };
    return charFromPointTw(
        QPoint(twips(pixels.x(), m_insets.left()), twips(pixels.y(), m_insets.top())));
}

}  // namespace richedit
