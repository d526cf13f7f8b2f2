#include "platform/richedit/view/RichTextView.h"

#include "platform/host/Units.h"
#include "platform/richedit/layout/ParagraphPainter.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/ViewInput.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <algorithm>
#include <cmath>

namespace richedit {
namespace {

QColor systemColor(int index)
{
    return host::colorFromColorref(host::GetSysColor(index));
}

}  // namespace

RichTextView::RichTextView(Engine& engine, QWidget* parent)
    : QAbstractScrollArea(parent), m_engine(&engine)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(false);
    // The view paints every pixel itself; while the engine is frozen it paints nothing, and
    // what was shown stays.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    // Always there, so that wrapping at the window never makes the bar come and go in turn.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);

    connect(&m_caretTimer, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        viewport()->update(caretRect().adjusted(-1, -1, 1, 1));
    });
    attach();
}

RichTextView::~RichTextView()
{
    detach();
}

void RichTextView::attach()
{
    DocumentLayout& layout = m_engine->layout();
    m_previousRepaintHook = layout.onRepaintNeeded;
    layout.onRepaintNeeded = [this, previous = m_previousRepaintHook] {
        if (previous)
            previous();
        layoutWantsRepaint();
    };
    layout.setTwipsPerPixel(host::TwipsPerPixelX());
    layout.setInsets(m_insets);
    syncViewport();
    m_selectionConnection = connect(m_engine, &Engine::selectionChanged, this,
                                    &RichTextView::selectionMoved, Qt::DirectConnection);
    m_documentWatcher = m_engine->document().addWatcher(
        [this](const ChangeRecord& record) { documentChanged(record); });
    m_pending.full = true;
    scheduleRefresh();
}

void RichTextView::detach()
{
    if (!m_engine)
        return;
    m_engine->layout().onRepaintNeeded = m_previousRepaintHook;
    m_engine->document().removeWatcher(m_documentWatcher);
    disconnect(m_selectionConnection);
}

void RichTextView::setBackColor(host::OLE_COLOR color)
{
    m_backColor = color;
    viewport()->update();
}

void RichTextView::setTextInsets(QMargins pixels)
{
    m_insets = pixels;
    if (m_engine)
        m_engine->layout().setInsets(pixels);
    viewport()->update();
}

double RichTextView::twipsPerPixel() const
{
    return m_engine ? m_engine->layout().twipsPerPixel() : DocumentLayout::DefaultTwipsPerPixel;
}

// --- Following the engine ---

void RichTextView::layoutWantsRepaint()
{
    m_pending.layoutAsked = true;
    scheduleRefresh();
}

void RichTextView::documentChanged(const ChangeRecord& record)
{
    ++m_edits;
    // Formats may renumber lists further down; whole documents are new.
    if (record.kind != ChangeKind::Text || m_engine->frozen()) {
        m_pending.full = true;
    } else {
        const int32_t delta = record.added - record.removed;
        if (m_pending.to >= record.position)
            m_pending.to += delta;
        m_pending.from = std::min(m_pending.from, record.position);
        m_pending.to = std::max(m_pending.to, record.position + record.added);
    }
    scheduleRefresh();
}

void RichTextView::selectionMoved()
{
    ++m_edits;
    if (!m_movingVertically)
        m_goalX.reset();
    restartCaretBlink();
    if (m_engine->frozen()) {
        m_caretMovedWhileFrozen = true;  // the final unfreeze asks for a repaint
        m_pending.full = true;
        return;
    }
    keepCaretInViewHorizontally();
    m_pending.selection = true;
    scheduleRefresh();
}

void RichTextView::syncViewport()
{
    if (!m_engine)
        return;
    const double tpp = twipsPerPixel();
    const QSize pixels = viewport()->size();
    m_engine->setViewportSize(
        QSize(int(std::lround(pixels.width() * tpp)), int(std::lround(pixels.height() * tpp))));
}

void RichTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    syncViewport();
    m_pending.full = true;
    scheduleRefresh();
}

// --- Refreshing: scroll bars and repaints ---

void RichTextView::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    // Queued: the layout and the document report in the middle of a change, before the
    // selection has followed it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void RichTextView::refresh()
{
    if (!m_engine)
        return;
    if (m_engine->frozen()) {
        // Nothing is painted meanwhile; the final unfreeze asks again and shows it all.
        m_pending.full = true;
        return;
    }
    if (m_caretMovedWhileFrozen) {
        m_caretMovedWhileFrozen = false;
        keepCaretInViewHorizontally();
    }
    syncScrollBars();
    Engine& engine = *m_engine;
    const int lines = engine.lineCount();
    Shown now;
    now.firstLine = engine.firstVisibleLine();
    now.lineCount = lines;
    now.paragraphCount = engine.document().paragraphCount();
    now.height = engine.layout().lineTop(lines - 1) + engine.layout().lineHeight(lines - 1);
    now.anchor = engine.anchor();
    now.caret = engine.caret();
    // A repaint the layout asked for without a text change is a scroll, a new width or an
    // unfreeze: everything moved.
    const bool textChanged = m_pending.to >= 0;
    if (m_pending.full || now.firstLine != m_shown.firstLine ||
        (m_pending.layoutAsked && !textChanged))
        viewport()->update();
    else
        updateChangedRows(now);
    m_shown = now;
    m_pending = {};
}

QRect RichTextView::rowsOf(int32_t from, int32_t to)
{
    DocumentLayout& layout = m_engine->layout();
    const double tpp = twipsPerPixel();
    const int64_t topTw = layout.lineTop(layout.firstVisibleLine());
    const int first = layout.lineFromChar(std::min(from, to));
    const int last = layout.lineFromChar(std::max(from, to));
    const double top = m_insets.top() + double(layout.lineTop(first) - topTw) / tpp;
    const double bottom =
        m_insets.top() + double(layout.lineTop(last) + layout.lineHeight(last) - topTw) / tpp;
    const QRect rows(0, int(std::floor(top)) - 1, viewport()->width(),
                     int(std::ceil(bottom - top)) + 3);
    return rows.intersected(viewport()->rect());
}

void RichTextView::updateChangedRows(const Shown& now)
{
    const Document& document = m_engine->document();
    QRegion region;
    if (m_pending.to >= 0) {
        // Whole paragraphs: a changed paragraph may wrap anew.
        const int first = document.paragraphAt(document.snap(m_pending.from));
        const int last = document.paragraphAt(document.snap(m_pending.to));
        const int32_t end =
            document.paragraphStart(last) + int32_t(document.paragraph(last).text.size());
        QRect rows = rowsOf(document.paragraphStart(first), end);
        // Lines below moved, or list numbers below changed.
        if (now.lineCount != m_shown.lineCount || now.height != m_shown.height ||
            now.paragraphCount != m_shown.paragraphCount)
            rows.setBottom(viewport()->height());
        region += rows;
    }
    const bool moved =
        m_pending.selection || now.anchor != m_shown.anchor || now.caret != m_shown.caret;
    // A selection shown before a text change may have moved with the text.
    if (moved && m_pending.to >= 0 && m_shown.anchor != m_shown.caret) {
        viewport()->update();
        return;
    }
    if (moved) {
        region += rowsOf(m_shown.anchor, m_shown.caret);
        region += rowsOf(now.anchor, now.caret);
    }
    if (!region.isEmpty())
        viewport()->update(region);
}

void RichTextView::syncScrollBars()
{
    if (!m_engine || m_engine->frozen())
        return;  // the final unfreeze asks again
    Engine& engine = *m_engine;
    const bool noWrap = engine.layout().wrapMode() == WrapMode::None;
    m_syncingScrollBars = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(engine.lineCount() - 1, 0));
    vertical->setPageStep(visibleLineCount());
    vertical->setValue(engine.firstVisibleLine());

    setHorizontalScrollBarPolicy(noWrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (!noWrap && m_horizontalOffsetTw != 0) {
        m_horizontalOffsetTw = 0;
        engine.layout().setHorizontalOffset(0);
        viewport()->update();
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const double tpp = twipsPerPixel();
    const int textWidth = std::max(viewport()->width() - m_insets.left() - m_insets.right(), 1);
    const int contentWidth = noWrap ? int(std::ceil(contentWidthTw() / tpp)) : 0;
    // Room for the caret after the widest line.
    const int maximum = std::max(contentWidth + 2 - textWidth, 0);
    horizontal->setRange(0, maximum);
    horizontal->setPageStep(textWidth);
    horizontal->setSingleStep(std::max(textWidth / 20, 1));
    if (m_horizontalOffsetTw > maximum * tpp) {
        m_horizontalOffsetTw = int32_t(std::lround(maximum * tpp));
        engine.layout().setHorizontalOffset(m_horizontalOffsetTw);
        viewport()->update();
    }
    horizontal->setValue(int(std::lround(m_horizontalOffsetTw / tpp)));
    m_syncingScrollBars = false;
}

void RichTextView::scrollContentsBy(int dx, int dy)
{
    if (m_syncingScrollBars || !m_engine)
        return;
    if (dy != 0)
        m_engine->lineScroll(verticalScrollBar()->value() - m_engine->firstVisibleLine());
    if (dx != 0) {
        m_horizontalOffsetTw =
            int32_t(std::lround(horizontalScrollBar()->value() * twipsPerPixel()));
        m_engine->layout().setHorizontalOffset(m_horizontalOffsetTw);
        viewport()->update();
    }
}

int RichTextView::visibleLineCount()
{
    DocumentLayout& layout = m_engine->layout();
    const int lines = layout.lineCount();
    const int first = layout.firstVisibleLine();
    const int64_t bottom =
        layout.lineTop(first) +
        int64_t(std::lround((viewport()->height() - m_insets.top() - m_insets.bottom()) *
                            twipsPerPixel()));
    int count = 0;
    while (first + count < lines &&
           layout.lineTop(first + count) + layout.lineHeight(first + count) <= bottom)
        ++count;
    // Room left below the last line counts in lines of its height, so the thumb of a document
    // that fits fills the track.
    if (first + count == lines && lines > 0) {
        const int64_t end = layout.lineTop(lines - 1) + layout.lineHeight(lines - 1);
        const int64_t height = std::max<int64_t>(layout.lineHeight(lines - 1), 1);
        if (bottom > end)
            count += int((bottom - end) / height);
    }
    return std::max(count, 1);
}

int32_t RichTextView::contentWidthTw()
{
    DocumentLayout& layout = m_engine->layout();
    double widest = 0;
    for (int i = 0; i < m_engine->document().paragraphCount(); ++i)
        widest = std::max(widest, layout.paragraphLayout(i).boxWidth());
    return int32_t(std::min<double>(std::ceil(widest), INT32_MAX));
}

void RichTextView::keepCaretInViewHorizontally()
{
    if (!m_engine || m_engine->layout().wrapMode() != WrapMode::None)
        return;
    const double tpp = twipsPerPixel();
    const double width = (viewport()->width() - m_insets.left() - m_insets.right()) * tpp;
    const double x = viewinput::xOfPosition(*m_engine, m_engine->caret());
    double offset = m_horizontalOffsetTw;
    if (x < offset)
        offset = std::max(x - width / 4, 0.0);
    else if (x > offset + width - 2 * tpp)
        offset = x - width * 3 / 4;
    const auto next = int32_t(std::lround(std::max(offset, 0.0)));
    if (next == m_horizontalOffsetTw)
        return;
    m_horizontalOffsetTw = next;
    m_engine->layout().setHorizontalOffset(next);
    viewport()->update();
}

// --- Painting ---

void RichTextView::paintEvent(QPaintEvent* event)
{
    if (m_engine && m_engine->frozen())
        return;
    QPainter painter(viewport());
    painter.fillRect(event->rect(), host::colorFromOleColor(m_backColor));
    if (!m_engine)
        return;
    paintText(painter, event->rect());
    paintCaret(painter);
}

void RichTextView::paintText(QPainter& painter, const QRect& exposed)
{
    Engine& engine = *m_engine;
    DocumentLayout& layout = engine.layout();
    const Document& document = engine.document();
    const double tpp = twipsPerPixel();
    const QRect textRect = viewport()->rect().marginsRemoved(m_insets);
    painter.setClipRect(textRect.intersected(exposed));

    ParagraphPaintOptions options;
    options.windowText = systemColor(host::COLOR_WINDOWTEXT);
    const int32_t selFrom = engine.selStart();
    const int32_t selTo = selFrom + engine.selLength();

    const int first = layout.firstVisibleLine();
    const int64_t topTw = layout.lineTop(first);
    const int64_t bottomTw = topTw + int64_t(std::ceil(textRect.height() * tpp));
    const int32_t firstStart = layout.lineIndex(first);
    int paragraph = document.paragraphAt(std::max(firstStart, 0));
    int64_t paragraphTop = layout.paragraphTop(paragraph);
    int line =
        layout.paragraphLayout(paragraph).lineAt(firstStart - document.paragraphStart(paragraph));
    ParagraphPainter painterOfLines(painter, 1.0 / tpp);
    const double left = m_insets.left() - m_horizontalOffsetTw / tpp;
    for (; paragraph < document.paragraphCount(); ++paragraph, line = 0) {
        const ParagraphLayout& paragraphLayout = layout.paragraphLayout(paragraph);
        if (paragraphLayout.showsNothing())
            continue;
        const int64_t top = paragraphTop;
        paragraphTop += paragraphLayout.height();
        if (top + paragraphLayout.line(line).top >= bottomTw)
            break;
        const double yTop =
            m_insets.top() + double(top + paragraphLayout.line(line).top - topTw) / tpp;
        const double yBottom = m_insets.top() + double(paragraphTop - topTw) / tpp;
        if (yBottom < exposed.top() || yTop > exposed.bottom() + 1)
            continue;
        int count = 0;
        while (line + count < paragraphLayout.lineCount() &&
               top + paragraphLayout.line(line + count).top < bottomTw)
            ++count;
        const int32_t start = document.paragraphStart(paragraph);
        const int32_t length = paragraphLayout.textLength();
        options.selection.reset();
        if (selTo > selFrom && selTo > start && selFrom < start + length + 2) {
            const int32_t from = std::max(selFrom - start, 0);
            const int32_t to = std::min(selTo - start, length + 1);
            options.selection = PaintSelection{from, to, systemColor(host::COLOR_HIGHLIGHT),
                                               systemColor(host::COLOR_HIGHLIGHTTEXT)};
        }
        painterOfLines.paintLines(paragraphLayout, line, count, QPointF(left, yTop), options);
    }
    painter.setClipping(false);
}

QRect RichTextView::caretRect()
{
    if (!m_engine)
        return {};
    Engine& engine = *m_engine;
    DocumentLayout& layout = engine.layout();
    const Document& document = engine.document();
    const int32_t caret = document.snap(engine.caret());
    int paragraph = document.paragraphAt(caret);
    int32_t offset = caret - document.paragraphStart(paragraph);
    // In a paragraph that shows nothing the caret stands where the next one starts.
    for (; layout.paragraphLayout(paragraph).showsNothing(); offset = 0)
        ++paragraph;
    const ParagraphLayout& paragraphLayout = layout.paragraphLayout(paragraph);
    const LayoutLine& line = paragraphLayout.line(paragraphLayout.lineAt(offset));
    const double tpp = twipsPerPixel();
    const int64_t topTw = layout.lineTop(layout.firstVisibleLine());
    const double x =
        m_insets.left() + (paragraphLayout.xFromPosition(offset) - m_horizontalOffsetTw) / tpp;
    const double y =
        m_insets.top() + double(layout.paragraphTop(paragraph) + line.textTop() - topTw) / tpp;
    const int width = std::max(1, int(std::lround(devicePixelRatioF())));
    return QRect(int(std::floor(x)), int(std::floor(y)), width,
                 std::max(1, int(std::lround(line.textHeight() / tpp))));
}

void RichTextView::paintCaret(QPainter& painter)
{
    if (!hasFocus() || !m_caretShown || m_engine->selLength() != 0)
        return;
    const QRect rect = caretRect();
    if (!rect.intersects(viewport()->rect().marginsRemoved(m_insets)))
        return;
    painter.save();
    // Inverting shows the caret on any background colour.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(rect, Qt::white);
    painter.restore();
}

void RichTextView::restartCaretBlink()
{
    m_caretShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_caretTimer.start(flash / 2);
    else
        m_caretTimer.stop();
}

void RichTextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartCaretBlink();
    viewport()->update();
}

void RichTextView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_caretTimer.stop();
    viewport()->update();
}

bool RichTextView::focusNextPrevChild(bool)
{
    // Tab types a tab.
    return false;
}

}  // namespace richedit
