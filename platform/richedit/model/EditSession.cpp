#include "platform/richedit/model/EditSession.h"

#include "platform/richedit/model/CaseChange.h"
#include "platform/richedit/model/HiddenText.h"

#include <algorithm>
#include <climits>

namespace richedit {

namespace {

// Positions a text takes once its line ends are paragraph ends (two each).
int32_t insertedLength(const QString& text)
{
    int32_t length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        length += text[i] == u'\r' || text[i] == u'\n' ? 2 : 1;
    }
    return length;
}

// The longest head of a text that takes at most `room` positions, never splitting a line end
// or a surrogate pair.
QString cutToFit(const QString& text, int32_t room)
{
    int32_t used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype next = i + 1;
        int32_t cost = 1;
        if (text[i] == u'\r' || text[i] == u'\n') {
            cost = 2;
            if (text[i] == u'\r' && next < text.size() && text[next] == u'\n')
                ++next;
        } else if (text[i].isHighSurrogate() && next < text.size() && text[next].isLowSurrogate()) {
            cost = 2;
            ++next;
        }
        if (used + cost > room)
            break;
        used += cost;
        i = next;
    }
    return text.left(i);
}

}  // namespace

// One operation as callers see it: the document's records grouped, then Change (after a text
// change) and SelChange (after a real selection change), in that order, once.
class EditSession::Operation {
public:
    explicit Operation(EditSession& session) : m_session(session)
    {
        m_session.m_document.beginEditBlock();
        if (m_session.m_operationDepth++ == 0) {
            m_session.m_textChanged = false;
            m_session.m_selectionAtStart = m_session.m_selection;
        }
    }
    ~Operation()
    {
        m_session.m_document.endEditBlock();
        if (--m_session.m_operationDepth > 0)
            return;
        const bool changed = m_session.m_textChanged;
        const bool moved = m_session.m_selection != m_session.m_selectionAtStart;
        m_session.m_textChanged = false;
        if (changed && m_session.onChanged)
            m_session.onChanged();
        if (moved && m_session.onSelectionChanged)
            m_session.onSelectionChanged();
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

private:
    EditSession& m_session;
};

EditSession::EditSession(const CharFormat& defaultFormat)
    : m_document(defaultFormat), m_undo(m_document)
{
    m_watcher = m_document.addWatcher([this](const ChangeRecord& record) {
        m_modified = true;
        if (record.kind != ChangeKind::Format) {
            m_textChanged = true;
            m_pending.reset();
        }
    });
}

EditSession::~EditSession()
{
    m_document.removeWatcher(m_watcher);
}

// --- Selection ---

void EditSession::setSelectionState(int32_t anchor, int32_t caret)
{
    const SelectionState next{m_document.snap(anchor), m_document.snap(caret)};
    if (next == m_selection)
        return;
    m_selection = next;
    m_pending.reset();
}

void EditSession::moveSelection(int32_t anchor, int32_t caret)
{
    Operation operation(*this);
    const SelectionState before = m_selection;
    setSelectionState(anchor, caret);
    if (m_selection != before)
        m_undo.breakRun();
}

std::optional<vb::VbError> EditSession::setSelStart(int32_t position)
{
    if (position < 0)
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    moveSelection(position, position);
    return std::nullopt;
}

std::optional<vb::VbError> EditSession::setSelLength(int32_t length)
{
    if (length < 0)
        return vb::VbError::fromNumber(vb::ErrInvalidPropertyValue);
    const int32_t start = selStart();
    moveSelection(start, int32_t(std::min<int64_t>(int64_t(start) + length, INT32_MAX)));
    return std::nullopt;
}

int32_t EditSession::exSetSel(CharRange range)
{
    if (range.cpMin == -1) {
        moveSelection(caret(), caret());
        return caret();
    }
    const int32_t anchor = std::max(range.cpMin, 0);
    const int32_t caret = range.cpMax == -1 ? m_document.length() : std::max(range.cpMax, 0);
    moveSelection(anchor, caret);
    return this->caret();
}

void EditSession::select(int32_t anchor, int32_t caret)
{
    moveSelection(anchor, caret);
}

// --- Code edits ---

QString EditSession::selText() const
{
    return m_document.textRange(selection());
}

template <typename Change>
void EditSession::recorded(UndoKind kind, Change change)
{
    Operation operation(*this);
    if (m_discardingUndo > 0) {
        change();
        m_undo.clear();
        return;
    }
    m_undo.begin(kind, m_selection);
    change();
    m_undo.end(m_selection);
}

CharFormat EditSession::insertionFormat() const
{
    CharFormat format;
    if (selLength() > 0) {
        format = m_document.formatAt(selStart());
        // What replaces hidden text stays hidden; text typed over a selection that shows
        // something is shown.
        if (format.is(Hidden) && !m_document.charFormatAt(selection()).has(Hidden))
            format.effects &= ~uint32_t(Hidden);
    } else {
        // Text typed next to hidden text is shown unless the pending format asks otherwise.
        format = m_document.insertionFormat(caret());
        format.effects &= ~uint32_t(Hidden);
        if (m_pending)
            mergeCharFormat(format, *m_pending);
    }
    // Plain text keeps the locale (a link made by the control grows) but never the look.
    format.effects &= ~uint32_t(Link);
    format.mask = AllCharFields;
    return format;
}

void EditSession::replaceWithText(const QString& text, UndoKind kind, bool recordUndo)
{
    const CharFormat format = insertionFormat();
    const int32_t start = selStart();
    const auto change = [&] {
        const CharRange removed = m_document.normalized(selection());
        const int32_t before = m_document.length() - (removed.cpMax - removed.cpMin);
        m_document.replace(selection(), text, format);
        const int32_t end = start + m_document.length() - before;
        setSelectionState(end, end);
    };
    if (recordUndo) {
        recorded(kind, change);
        return;
    }
    Operation operation(*this);
    change();
    m_undo.clear();
}

void EditSession::setSelText(const QString& text)
{
    replaceWithText(text, UndoKind::Other, true);
}

void EditSession::replaceSel(const QString& text, bool canUndo)
{
    replaceWithText(text, UndoKind::Other, canUndo);
}

void EditSession::replaceSelWithFragment(const DocumentFragment& fragment)
{
    const int32_t start = selStart();
    recorded(UndoKind::Other, [&] {
        m_document.remove(selection());
        const int32_t before = m_document.length();
        m_document.insertFragment(start, fragment);
        const int32_t end = start + m_document.length() - before;
        setSelectionState(end, end);
    });
}

void EditSession::changeCase(int code)
{
    const QString text = selText();
    const QString changed = changeCaseOf(text, code);
    if (changed == text)
        return;
    const int32_t start = selStart();
    recorded(UndoKind::Other, [&] { m_document.overwrite(start, changed); });
}

int EditSession::removePictures()
{
    // Each end moves back by the pictures before it.
    const auto shifted = [this](int32_t position) {
        int32_t pictures = 0;
        const int last = m_document.paragraphAt(position);
        for (int i = 0; i <= last; ++i) {
            int32_t offset = m_document.paragraphStart(i);
            for (const TextRun& run : m_document.paragraph(i).runs) {
                if (offset >= position)
                    break;
                pictures += run.picture ? 1 : 0;
                offset += run.length;
            }
        }
        return position - pictures;
    };
    const SelectionState after{shifted(anchor()), shifted(caret())};
    int removed = 0;
    recorded(UndoKind::Other, [&] {
        removed = m_document.removePictures();
        setSelectionState(after.anchor, after.caret);
    });
    return removed;
}

void EditSession::span(const QString& set, bool forward, bool negate)
{
    const int32_t length = m_document.length();
    int32_t position = caret();
    if (forward) {
        while (position < length && set.contains(m_document.charAt(position)) != negate)
            ++position;
    } else {
        while (position > 0 && set.contains(m_document.charAt(position - 1)) != negate)
            --position;
    }
    moveSelection(anchor(), position);
}

void EditSession::upTo(const QString& set, bool forward, bool negate)
{
    const int32_t length = m_document.length();
    int32_t position = caret();
    if (forward) {
        while (position < length && set.contains(m_document.charAt(position)) == negate)
            ++position;
    } else {
        while (position > 0 && set.contains(m_document.charAt(position - 1)) == negate)
            --position;
    }
    moveSelection(position, position);
}

// --- Whole document ---

void EditSession::setPlainText(const QString& text)
{
    Operation operation(*this);
    m_document.setPlainText(text);
    m_undo.clear();
    m_selection = {};
    m_pending.reset();
}

void EditSession::replaceDocument(DocumentFragment fragment)
{
    replaceDocument([&fragment](const ParagraphSink& sink) {
        for (FragmentParagraph& paragraph : fragment.paragraphs)
            sink(std::move(paragraph));
    });
}

void EditSession::replaceDocument(const std::function<void(const ParagraphSink&)>& produce)
{
    Operation operation(*this);
    m_document.replaceAll(produce);
    m_undo.clear();
    m_selection = {};
    m_pending.reset();
}

void EditSession::setDefaultFormat(const CharFormat& format)
{
    m_document.setDefaultFormat(format);
}

// --- User edits ---

bool EditSession::userMayRemove(CharRange range) const
{
    if (range.cpMin == range.cpMax)
        return true;
    const CharFormat reading = m_document.charFormatAt(range);
    return reading.has(Protected) && !reading.is(Protected);
}

bool EditSession::userMayInsertAtCaret() const
{
    const int32_t position = caret();
    if (position == 0)
        return true;
    return !(m_document.formatAt(m_document.previousPosition(position)).is(Protected) &&
             m_document.formatAt(position).is(Protected));
}

int32_t EditSession::roomLeft() const
{
    if (m_maxLength == 0)
        return INT32_MAX;
    return m_maxLength - (m_document.length() - selLength());
}

bool EditSession::typeText(const QString& text)
{
    if (m_readOnly || text.isEmpty())
        return false;
    if (selLength() > 0 ? !userMayRemove(selection()) : !userMayInsertAtCaret())
        return false;
    if (insertedLength(text) > roomLeft())
        return false;
    replaceWithText(text, UndoKind::Typing, true);
    return true;
}

void EditSession::removeRange(CharRange range, UndoKind kind)
{
    recorded(kind, [&] {
        m_document.remove(range);
        setSelectionState(range.cpMin, range.cpMin);
    });
}

bool EditSession::backspace()
{
    if (m_readOnly)
        return false;
    // Without a selection, the character that shows before the caret goes, with the hidden
    // text between it and the caret.
    const CharRange range =
        selLength() > 0 ? selection() : shownCharacterBefore(m_document, caret());
    if (range.cpMin == range.cpMax || !userMayRemove(range))
        return false;
    removeRange(range, UndoKind::Backspace);
    return true;
}

bool EditSession::deleteForward()
{
    if (m_readOnly)
        return false;
    const CharRange range =
        selLength() > 0 ? selection() : shownCharacterAfter(m_document, caret());
    if (range.cpMin == range.cpMax || !userMayRemove(range))
        return false;
    removeRange(range, UndoKind::Delete);
    return true;
}

bool EditSession::backspaceTo(int32_t position)
{
    if (selLength() > 0 || position >= caret())
        return backspace();
    const CharRange range{m_document.snap(position), caret()};
    if (m_readOnly || !userMayRemove(range))
        return false;
    removeRange(range, UndoKind::Backspace);
    return true;
}

bool EditSession::deleteTo(int32_t position)
{
    if (selLength() > 0 || position <= caret())
        return deleteForward();
    const CharRange range{caret(), m_document.snap(position)};
    if (m_readOnly || !userMayRemove(range))
        return false;
    removeRange(range, UndoKind::Delete);
    return true;
}

bool EditSession::clear()
{
    if (m_readOnly || selLength() == 0 || !userMayRemove(selection()))
        return false;
    removeRange(selection(), UndoKind::Other);
    return true;
}

bool EditSession::pasteText(const QString& text)
{
    if (m_readOnly || text.isEmpty())
        return false;
    if (selLength() > 0 ? !userMayRemove(selection()) : !userMayInsertAtCaret())
        return false;
    const QString fitting = cutToFit(text, roomLeft());
    if (fitting.isEmpty())
        return false;
    replaceWithText(fitting, UndoKind::Other, true);
    return true;
}

// --- Formats ---

CharFormat EditSession::charFormat() const
{
    if (selLength() == 0)
        return charFormatReading(insertionFormat(), AllCharFields);
    return m_document.charFormatAt(selection());
}

bool EditSession::setCharFormat(uint32_t scope, const CharFormat& change)
{
    if (scope == AllScope) {
        recorded(UndoKind::Other, [&] { m_document.applyChar({0, -1}, change); });
        return true;
    }
    if ((scope & ~uint32_t(UseUiRules)) != SelectionScope)
        return false;
    if (selLength() > 0) {
        recorded(UndoKind::Other, [&] { m_document.applyChar(selection(), change); });
        return true;
    }
    // A caret keeps the change for the next text typed there; at the end it also reaches the
    // end mark.
    CharFormat pending = m_pending.value_or(CharFormat{});
    mergeCharFormat(pending, change);
    if (caret() == m_document.length())
        recorded(UndoKind::Other, [&] { m_document.applyChar(selection(), change); });
    m_pending = pending;
    return true;
}

void EditSession::setParaFormat(const ParaFormat& change)
{
    recorded(UndoKind::Other, [&] { m_document.applyPara(selection(), change); });
}

// --- Undo ---

bool EditSession::undo()
{
    if (!m_undo.canUndo())
        return false;
    Operation operation(*this);
    const std::optional<SelectionState> selection = m_undo.undo();
    setSelectionState(selection->anchor, selection->caret);
    return true;
}

}  // namespace richedit
