#include "richtext/language/SpellCheckMembers.h"

#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/WordQueries.h"

#include <QListWidget>

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

}  // namespace

SpellCheckMembers::SpellCheckMembers(richedit::RichTextBox& window, QListWidget& list,
                                     WordQueries& queries)
    : m_window(window), m_list(list), m_queries(queries)
{
}

int32_t SpellCheckMembers::find(const QString& text, int32_t direction, int32_t options)
{
    if (!m_find2)
        return -1;
    try {
        return m_find2(text, direction, options, true);
    } catch (const vb::VbError&) {
        return -1;
    }
}

void SpellCheckMembers::select(int32_t start, int32_t length)
{
    // A position the window refuses leaves the selection as it was; the member goes on.
    m_window.setSelStart(start);
    m_window.setSelLength(length);
}

int32_t SpellCheckMembers::listIndex() const
{
    return m_list.currentRow();
}

int32_t SpellCheckMembers::listCount() const
{
    return m_list.count();
}

void SpellCheckMembers::setListIndex(int32_t index)
{
    if (index >= -1 && index < listCount())
        m_list.setCurrentRow(index);
}

QString SpellCheckMembers::currentEntry() const
{
    const QListWidgetItem* item = m_list.currentItem();
    return item ? item->text() : QString();
}

void SpellCheckMembers::fillList(const QStringList& words)
{
    m_list.addItems(words);
}

int32_t SpellCheckMembers::SpellCheck(StringArray& ReturnArray)
{
    m_list.clear();
    if (!m_queries.DetectMisspellings(ReturnArray)) {
        // A stopped scan is no clean document, whether or not it had found words.
        return m_queries.scanAborted() ? 0 : -1;
    }
    if (!IsArrayGood(ReturnArray))
        return 0;
    fillList(*ReturnArray);
    setListIndex(0);
    const QString first = currentEntry();
    m_window.setSelStart(0);
    find(first, FindNext, WholeWord_MatchCase);
    library().SpellSearchAnchor = m_window.SelStart() + m_window.SelLength();
    return listIndex();
}

void SpellCheckMembers::PrepNonSpellCheckRTB(const StringArray& PassInArray)
{
    m_list.clear();
    if (IsArrayGood(PassInArray)) {
        fillList(*PassInArray);
        setListIndex(0);
    }
}

int32_t SpellCheckMembers::GoToNextSpellError()
{
    RichTextLibraryState& state = library();
    if (state.SpellNavBusy || listIndex() == listCount() - 1)
        return listIndex();
    state.SpellNavBusy = true;
    if (state.SpellSearchAnchor != state.SpellFoundStart)
        m_window.setSelStart(state.SpellSearchAnchor);
    else
        m_window.setSelStart(state.SpellSearchAnchor + m_window.SelLength());
    setListIndex(listIndex() + 1);
    const int32_t result = listIndex();
    const QString entry = currentEntry();
    state.SpellFoundStart = find(entry, FindNext, entry.contains(u'.') ? AllMatches : WholeWord);
    if (state.SpellFoundStart != -1)
        state.SpellSearchAnchor = state.SpellFoundStart + m_window.SelLength();
    state.SpellNavBusy = false;
    return result;
}

int32_t SpellCheckMembers::GoToPreviousSpellError()
{
    RichTextLibraryState& state = library();
    if (state.SpellNavBusy || listIndex() <= 0)
        return listIndex();
    state.SpellNavBusy = true;
    if (state.SpellSearchAnchor <= state.SpellFoundStart)
        m_window.setSelStart(state.SpellSearchAnchor);
    else
        m_window.setSelStart(state.SpellSearchAnchor - m_window.SelLength());
    setListIndex(listIndex() - 1);
    const int32_t result = listIndex();
    const QString entry = currentEntry();
    state.SpellFoundStart =
        find(entry, FindPrevious, entry.contains(u'.') ? AllMatches : WholeWord);
    if (state.SpellFoundStart != -1)
        state.SpellSearchAnchor = state.SpellFoundStart;
    state.SpellNavBusy = false;
    return result;
}

int32_t SpellCheckMembers::replaceSelection(const QString& correction, int32_t& position)
{
    RichTextLibraryState& state = library();
    const QString text = m_window.Text();
    const qsizetype after = qsizetype(m_window.SelStart()) + m_window.SelLength();
    if (correction.endsWith(u'.') && after < text.size() && text.at(after) == u'.')
        m_window.setSelLength(m_window.SelLength() + 1);

    SpellUndoRecordType& record = state.SpellUndoRecord;
    record.OldRTF = m_window.SelRTF();
    record.Start = m_window.SelStart();
    record.OldLength = m_window.SelLength();
    record.NewLength = static_cast<int32_t>(correction.size());
    record.Available = true;

    int32_t remaining = listCount() - (listIndex() + 1);
    position = m_window.SelStart();
    m_window.setSelText(correction);
    if (remaining == 0 && listCount() >= 1)
        remaining = 1;
    return remaining;
}

void SpellCheckMembers::removeCurrentWord(int32_t remaining)
{
    const int32_t index = listIndex();
    library().SpellUndoRecord.ListPosition = index;
    delete m_list.takeItem(index);
    setListIndex(listCount() - remaining);
}

int32_t SpellCheckMembers::FixSpelling(const QString& CorrectSpelling, bool HighlightFixes,
                                       host::OLE_COLOR HighLightColor)
{
    if (m_window.SelLength() == 0)
        return 0;
    const bool wasLast = listIndex() + 1 == listCount();
    int32_t position = 0;
    const int32_t remaining = replaceSelection(CorrectSpelling, position);
    if (HighlightFixes) {
        select(position, static_cast<int32_t>(CorrectSpelling.size()));
        m_window.engine().setSelColor(HighLightColor);
    }
    if (listCount() == 0 || listIndex() == -1)
        return listIndex();
    removeCurrentWord(remaining);
    const int32_t result = listIndex();
    if (listCount() == 0)
        return result;
    RichTextLibraryState& state = library();
    state.SpellFoundStart = find(currentEntry(), wasLast ? FindPrevious : FindNext, AllMatches);
    if (state.SpellFoundStart != -1)
        state.SpellSearchAnchor = state.SpellFoundStart + m_window.SelLength();
    return result;
}

void SpellCheckMembers::FixSpelling2(const QString& CorrectSpelling)
{
    if (m_window.SelLength() == 0)
        return;
    int32_t position = 0;
    const int32_t remaining = replaceSelection(CorrectSpelling, position);
    if (listCount() == 0 || listIndex() == -1)
        return;
    removeCurrentWord(remaining);
}

int32_t SpellCheckMembers::UndoSpellCorrection()
{
    RichTextLibraryState& state = library();
    SpellUndoRecordType& record = state.SpellUndoRecord;
    if (!record.Available)
        return 0;
    select(record.Start, record.NewLength);
    m_window.setSelRTF(record.OldRTF);
    select(record.Start, record.OldLength);
    const QString restored = m_window.SelText();
    // A position beyond the list's end takes no entry.
    if (record.ListPosition >= 0 && record.ListPosition <= listCount()) {
        m_list.insertItem(record.ListPosition, restored);
        setListIndex(record.ListPosition);
    }
    state.SpellFoundStart = m_window.SelStart();
    state.SpellSearchAnchor = m_window.SelStart();
    record.Available = false;
    return record.ListPosition;
}
