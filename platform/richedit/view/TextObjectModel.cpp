#include "platform/richedit/view/TextObjectModel.h"

#include "platform/richedit/model/Search.h"
#include "platform/richedit/view/Engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace richedit {

namespace {

// A backward search scans windows of this many positions from the start backwards, so that a
// hit just before the start is found without scanning the whole story.
constexpr int32_t BackwardChunk = 64 * 1024;

uint32_t findFlags(long flags)
{
    return uint32_t(flags) & (WholeWord | MatchCase);
}

}  // namespace

// --- TextRange ---

TextRange::TextRange(Engine* engine, bool isSelection, int32_t start, int32_t end)
    : m_engine(engine), m_isSelection(isSelection), m_start(start), m_end(end)
{
}

TextRange TextRange::GetDuplicate() const
{
    return TextRange(m_engine.data(), false, Start(), End());
}

int32_t TextRange::Start() const
{
    if (!m_engine)
        return 0;
    if (m_isSelection)
        return m_engine->selStart();
    // A detached range does not follow edits; its ends are kept inside the text.
    return m_engine->document().snap(m_start);
}

int32_t TextRange::End() const
{
    if (!m_engine)
        return 0;
    if (m_isSelection)
        return m_engine->selStart() + m_engine->selLength();
    return std::max(Start(), m_engine->document().snap(m_end));
}

void TextRange::setRange(int32_t start, int32_t end)
{
    if (m_isSelection) {
        m_engine->exSetSel({start, end});
        return;
    }
    m_start = std::min(start, end);
    m_end = std::max(start, end);
}

long TextRange::GetIndex(long unit) const
{
    if (!m_engine)
        return 0;
    switch (unit) {
        case tomLine:
            return m_engine->lineFromChar(Start()) + 1;
        case tomCharacter:
            return Start() + 1;
        default:
            return 0;
    }
}

long TextRange::StartOf(long unit, long extend)
{
    if (!m_engine || unit != tomLine)
        return 0;
    const int32_t start = Start();
    const int32_t lineStart = m_engine->lineIndex(m_engine->lineFromChar(start));
    setRange(lineStart, extend == 0 ? lineStart : End());
    return lineStart - start;
}

void TextRange::ChangeCase(long type)
{
    if (!m_engine)
        return;
    if (m_isSelection) {
        m_engine->changeCase(int(type));
        return;
    }
    // The engine changes case on its selection: lend it this range and give it back, frozen so
    // that the view neither scrolls nor repaints in between.
    Engine& engine = *m_engine;
    const int32_t anchor = engine.anchor();
    const int32_t caret = engine.caret();
    engine.freeze();
    engine.exSetSel({Start(), End()});
    engine.changeCase(int(type));
    engine.exSetSel({anchor, caret});
    engine.unfreeze();
}

long TextRange::FindText(const QString& text, long count, long flags)
{
    if (!m_engine || count == 0 || text.isEmpty())
        return 0;
    // Bounded first: no story is longer, and the extreme long values have no absolute value.
    const int64_t span = std::abs(std::clamp<int64_t>(count, -INT32_MAX, INT32_MAX));
    const CharRange hit = count > 0 ? findForward(text, End(), span, flags)
                                    : findBackward(text, Start(), span, flags);
    if (hit.cpMin < 0)
        return 0;
    // A hidden run inside the hit is part of it.
    setRange(hit.cpMin, hit.cpMax);
    return long(hit.cpMax - hit.cpMin);
}

CharRange TextRange::findForward(const QString& text, int32_t from, int64_t span, long flags) const
{
    const Document& document = m_engine->document();
    const auto to = int32_t(std::min<int64_t>(document.length(), from + span));
    return findShownText(document, {from, to}, text, findFlags(flags));
}

// The occurrence with the greatest start that ends at or before `before`, starting no earlier
// than `before - span`.
CharRange TextRange::findBackward(const QString& text, int32_t before, int64_t span,
                                  long flags) const
{
    const Document& document = m_engine->document();
    const auto lowest = int32_t(std::max<int64_t>(0, before - span));
    const auto size = int32_t(text.size());
    for (int32_t chunkEnd = before; chunkEnd > lowest;) {
        const int32_t chunkStart = std::max(lowest, chunkEnd - BackwardChunk);
        // Hits starting inside [chunkStart, chunkEnd) and ending by `before`; the window reaches
        // a chunk further for hidden runs inside a hit.
        const int32_t windowEnd = int32_t(std::min<int64_t>(
            before, int64_t(chunkEnd) - 1 + size + (chunkEnd < before ? BackwardChunk : 0)));
        const CharRange last =
            findLastShownText(document, {chunkStart, windowEnd}, text, findFlags(flags));
        if (last.cpMin >= 0)
            return last;
        chunkEnd = chunkStart;
    }
    return {-1, -1};
}

// --- TextDocument ---

TextDocument::TextDocument(Engine& engine) : m_engine(&engine)
{
}

void TextDocument::Freeze()
{
    if (m_engine)
        m_engine->freeze();
}

void TextDocument::Unfreeze()
{
    if (m_engine)
        m_engine->unfreeze();
}

long TextDocument::Undo(long count)
{
    if (!m_engine)
        return 0;
    if (count == tomSuspend)
        m_engine->suspendUndo();
    else if (count == tomResume)
        m_engine->resumeUndo();
    return 0;
}

TextRange TextDocument::Selection() const
{
    if (!m_engine)
        return {};
    return TextRange(m_engine.data(), true, 0, 0);
}

long TextDocument::StoryLength() const
{
    return m_engine ? long(m_engine->document().length()) + 1 : 0;
}

}  // namespace richedit
