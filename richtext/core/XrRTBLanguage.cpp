// The language members of XrRTB: thin forwards to the word queries, the suggestion engine and
// the spell-check members.
#include "richtext/core/XrRTB.h"
#include "richtext/language/SpellCheckMembers.h"
#include "richtext/language/Thesaurus.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"

void XrRTB::createLanguageTools()
{
    WordLists& lists = WordLists::instance();
    m_wordQueries = std::make_unique<WordQueries>(*RichTextBox1, lists);
    m_suggestions = std::make_unique<SpellingSuggestions>(lists);
    m_spelling = std::make_unique<SpellCheckMembers>(*RichTextBox1, *List1, *m_wordQueries);
    m_spelling->setFind2(
        [this](const QString& text, int32_t direction, int32_t options, bool skipAddresses) {
            return Find2(text, FindDirectionQ(direction), FindOptionsQ(options), skipAddresses);
        });
}

bool XrRTB::GetWordsThatStartWith(QString& MyStartingLetters, StringArray& MyReturnArray,
                                  const int32_t& ReturnLimit)
{
    return m_wordQueries->GetWordsThatStartWith(MyStartingLetters, MyReturnArray, ReturnLimit);
}

bool XrRTB::IsArrayGood(const StringArray& AnyArray) const
{
    return ::IsArrayGood(AnyArray);
}

bool XrRTB::IsArrayGood(const QVariant& AnyArray) const
{
    return ::IsArrayGood(AnyArray);
}

bool XrRTB::DetectMisspellings(StringArray& MyReturnArray)
{
    return m_wordQueries->DetectMisspellings(MyReturnArray);
}

void XrRTB::GetPossibleSpellingCorrections(SPELL_CHECK_TYPE& SCData)
{
    m_suggestions->GetPossibleSpellingCorrections(SCData);
}

int32_t XrRTB::SpellCheck(StringArray& ReturnArray)
{
    return m_spelling->SpellCheck(ReturnArray);
}

void XrRTB::PrepNonSpellCheckRTB(StringArray& PassInArray)
{
    m_spelling->PrepNonSpellCheckRTB(PassInArray);
}

int32_t XrRTB::GoToNextSpellError()
{
    return m_spelling->GoToNextSpellError();
}

int32_t XrRTB::GoToPreviousSpellError()
{
    return m_spelling->GoToPreviousSpellError();
}

int32_t XrRTB::FixSpelling(QString& CorrectSpelling, bool HighlightFixes,
                           host::OLE_COLOR HighLightColor)
{
    return m_spelling->FixSpelling(CorrectSpelling, HighlightFixes, HighLightColor);
}

void XrRTB::FixSpelling2(QString& CorrectSpelling)
{
    m_spelling->FixSpelling2(CorrectSpelling);
}

int32_t XrRTB::UndoSpellCorrection()
{
    return m_spelling->UndoSpellCorrection();
}

QString XrRTB::GetSynonyms(QString& MYWORD1, StringArray& ASynArray)
{
    return Thesaurus::GetSynonyms(WordLists::instance(), MYWORD1, ASynArray);
}

QString XrRTB::GetRandomWord()
{
    return Thesaurus::GetRandomWord(WordLists::instance());
}
