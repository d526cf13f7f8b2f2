// The display lines of a whole document: a lazily filled, bounded cache of paragraph layouts for
// the current wrap mode, device and width, line and position queries in O(log n), the vertical
// scroll state and the freeze count of one editing window.
#pragma once

#include "platform/richedit/layout/LineIndex.h"
#include "platform/richedit/layout/ParagraphLayout.h"
#include "platform/richedit/model/Document.h"

#include <QMargins>
#include <QPoint>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPaintDevice;

namespace richedit {

// Where lines break.
enum class WrapMode {
    Window,  // the formatting width of the window
    None,    // only at paragraph ends and U+000B
    Width,   // a fixed width, with the measuring device's metrics
};

// The formatting rectangle in client pixels; right and bottom are exclusive.
struct FormattingRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const FormattingRect&) const = default;
};

class DocumentLayout {
public:
    // A window without a widget measures 96 dpi.
    static constexpr double DefaultTwipsPerPixel = 15;
    // The viewport of a window nobody sized (320 × 240 pixels).
    static constexpr int32_t DefaultViewportWidthTw = 4800;
    static constexpr int32_t DefaultViewportHeightTw = 3600;
    // A pass that lays out many paragraphs keeps the layouts of this many paragraphs on either
    // side of the top of the view.
    static constexpr int KeptAroundTop = 256;
    // Layouts read on demand (painting, line queries) stay until this many are held (besides
    // those a pass keeps near the top); the ones farthest from the top of the view go first.
    static constexpr int MaxLayoutsHeld = 4096;

    explicit DocumentLayout(const Document& document);
    ~DocumentLayout();
    DocumentLayout(const DocumentLayout&) = delete;
    DocumentLayout& operator=(const DocumentLayout&) = delete;

    // Where "the caret" (line -1, position -1) is; without a source it is position 0.
    void setCaretSource(std::function<int32_t()> caret) { m_caret = std::move(caret); }
    // Called whenever what the window shows changed while not frozen, and at the final
    // unfreeze.
    std::function<void()> onRepaintNeeded;

    // --- Wrap mode ---
    // (null, 0) window width; (null, 1) no wrap; (device, W > 1) W twips with the device's
    // metrics; (null, W > 1) W twips with screen metrics; (device, W <= 0) the window width with
    // the device's metrics. Only the device's resolution is kept: it may be freed afterwards.
    void setTargetDevice(const QPaintDevice* device, int32_t widthTw);
    // A non-zero margin acts as (screen, margin), 0 as (screen, 0).
    void setRightMargin(double twips);
    WrapMode wrapMode() const { return m_mode; }
    // The width lines break at (ParagraphLayout::NoWrap without wrapping).
    int32_t wrapWidth() const;
    // The layout's own device of the measuring resolution; null for the screen.
    const QPaintDevice* measuringDevice() const;

    // --- Viewport (hidden windows have one too) ---
    void setViewportSize(QSize twips);
    QSize viewportSize() const { return m_viewport; }
    void setTwipsPerPixel(double twipsPerPixel);
    double twipsPerPixel() const { return m_twipsPerPixel; }
    // Text insets of the view, in pixels.
    void setInsets(QMargins pixels);
    // How far the view is scrolled to the right (no-wrap mode), in twips.
    void setHorizontalOffset(int32_t twips) { m_horizontalOffset = twips; }
    FormattingRect formattingRectPx() const;

    // --- Display lines (0-based; positions are snapped and clamped) ---
    int lineCount();
    // The line's first position; -1 for a line past the end or below -1; -1 = the caret's line.
    int32_t lineIndex(int line);
    // Length of the line holding a position, without its paragraph end and a closing U+000B.
    int32_t lineLength(int32_t position);
    // -1 = the caret; beyond the end gives the last line.
    int lineFromChar(int32_t position);
    // Twips from the document's top.
    int64_t lineTop(int line);
    int32_t lineHeight(int line);
    // The line at a height from the document's top, clamped to the existing lines.
    int lineAtHeight(int64_t y);
    // The position nearest a point of the formatting rectangle (twips from its top-left).
    int32_t charFromPointTw(QPoint twips);
    // The same for a point in client pixels.
    int32_t charFromPos(QPoint pixels);

    // --- Paragraphs, for painting and measuring ---
    // The layout of a paragraph, laid out now when needed. Do not keep it across changes.
    const ParagraphLayout& paragraphLayout(int paragraph);
    int firstLineOfParagraph(int paragraph);
    int64_t paragraphTop(int paragraph);
    // The list number a paragraph shows (0 when it is not numbered).
    int listNumber(int paragraph) const { return m_index.number(paragraph); }
    // What the paragraph layout is made from, so that other layouts of the same paragraph
    // (pages) break alike. Points into the document: use it before the document changes.
    LayoutParagraphInput paragraphInput(int paragraph) const;

    // --- Laying out ahead of queries ---
    // Lays out the paragraphs the viewport shows from the top line down.
    void layOutVisible();
    // Lays out up to `count` waiting paragraphs; true while some still wait.
    bool layOutPending(int count);
    bool fullyLaidOut() const { return m_index.firstDirty() < 0 && !m_deferred; }
    // How many paragraphs hold their lines in memory now.
    int layoutsHeld() const;

    // --- Scrolling ---
    int firstVisibleLine();
    // The first position of the top line; needs only the top paragraph laid out.
    int32_t topPosition();
    // Scrolls by display lines, the top line clamped to 0 .. lineCount - 1. Returns 1.
    int lineScroll(int delta);
    // A caret above the view becomes the top line, one below it the last fully visible line.
    void scrollCaretIntoView();
    // To be called on every selection change: scrolls the caret into view, or remembers to do
    // so at the final unfreeze.
    void selectionChanged();

    // --- Freeze ---
    void freeze();
    // Unbalanced calls are ignored.
    void unfreeze();
    bool frozen() const { return m_freezeCount > 0; }
    int freezeCount() const { return m_freezeCount; }

private:
    void documentChanged(const ChangeRecord& record);
    // Whether a change (in the coordinates of the lines laid out) made while frozen stays
    // inside one paragraph that holds its layout and can wait: the changes of a pass that marks
    // or replaces many times in one long paragraph then cost one layout of it, at the final
    // unfreeze or when something reads the lines before.
    bool canDefer(const ChangeRecord& record) const;
    // Lays out the change that waits, if any; every reading of the lines comes here first.
    void settleDeferred();
    void resetAll();
    bool replaceEntries(const ChangeRecord& record);
    // Lays a paragraph out again from the lines a change inside it touched; false when it has
    // no layout or the change is not one its layout can follow.
    bool relayOut(int paragraph, const ChangeRecord& record);
    static LineIndex::Entry entryOf(const ParagraphLayout& layout);
    void renumberFrom(int first, int lastChanged);
    int computeNumber(int paragraph) const;
    LineIndex::Entry dirtyEntry(int paragraph, const LineIndex::Entry& estimate) const;
    void moveTopAnchor(const ChangeRecord& record);
    void setWrap(WrapMode mode, int32_t widthTw, const QPaintDevice* device);
    // Lays out anew when the width or the resolution lines break with changed.
    void wrapInputsChanged();
    void invalidateLayouts();
    void checkConsistency();
    void markDirty(int paragraph);

    // A paragraph laid out for someone who reads its lines keeps its layout; one laid out by a
    // pass over many paragraphs (a load, a line count) keeps only its line count and height in
    // the index unless it is near the top paragraph of the view, so that a document's layout
    // memory does not grow with its paragraphs. The others are laid out again when read.
    void layOut(int paragraph, bool keep);
    static bool keptInBulk(int paragraph, int top);
    // The first paragraph still to lay out once every paragraph up to `laidOut` is.
    int nextDirty(int laidOut) const;
    // Drops the layouts farthest from the top paragraph until MaxLayoutsHeld / 2 are held, but
    // never the last ones read: a caller may still hold them. Counting takes a pass over all
    // paragraphs, so it runs once per MaxLayoutsHeld / 2 layouts made on demand.
    void dropFarLayouts();
    // Lets go of the last paragraph laid out in the reused layout (its text and pictures, which
    // an edit would otherwise have to copy) and keeps the memory.
    void releaseBulkLayout();
    // Fills `input` as paragraphInput does, reusing its memory.
    void fillParagraphInput(int paragraph, LayoutParagraphInput& input) const;
    void layOutUpTo(int paragraph);
    int paragraphOfLine(int64_t line);
    int paragraphAtHeight(int64_t y);
    struct LineAt {
        int paragraph = 0;
        int line = 0;  // within the paragraph
    };
    // A display line clamped to the existing ones.
    LineAt locateLine(int64_t line);
    int32_t caretPosition() const;
    int textHeightTw() const;
    int textWidthTw() const;
    void scrollToLine(int line);
    void repaint();

    const Document& m_document;
    int m_watcher = 0;
    std::function<int32_t()> m_caret;

    WrapMode m_mode = WrapMode::Window;
    int32_t m_fixedWidth = 0;
    std::shared_ptr<const QImage> m_device;  // null: the screen

    QSize m_viewport{DefaultViewportWidthTw, DefaultViewportHeightTw};
    double m_twipsPerPixel = DefaultTwipsPerPixel;
    QMargins m_insets;
    int32_t m_horizontalOffset = 0;
    // What the cached layouts were made with.
    int32_t m_laidOutWidth = 0;
    LayoutDevice m_laidOutDevice;

    LineIndex m_index;  // with each paragraph's layout and list number
    // Reused by every layOut: a pass over many paragraphs allocates nearly nothing per
    // paragraph.
    LayoutParagraphInput m_bulkInput;
    ParagraphLayout m_bulkLayout;
    // Layouts made on demand since the held ones were last counted, and the paragraphs read
    // last (-1: none).
    int m_laidOutOnDemand = 0;
    std::array<int, 8> m_lastRead{-1, -1, -1, -1, -1, -1, -1, -1};
    size_t m_nextLastRead = 0;

    // The changes since the lines were last made, joined into one, while they all lie inside
    // one laid-out paragraph and the window stays frozen (see canDefer).
    std::optional<ChangeRecord> m_deferred;

    int32_t m_topAnchor = 0;  // a position on the top line
    int m_freezeCount = 0;
    bool m_scrollPending = false;
};

}  // namespace richedit
