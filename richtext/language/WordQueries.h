// The word queries over the word lists and the control's document: the words that start with
// given letters, and the misspelling scan with its progress counters and abort flag.
#pragma once

#include "richtext/language/StringArray.h"

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
}
class WordLists;

// The word pattern of the scan, used with IgnoreCase and Global: runs of two or more letters,
// apostrophes and accented small letters, or dotted initialisms ("e.g."), with an optional
// accented letter or apostrophe on either side, not followed by ":" or "#".
const QString& MisspellingWordPattern();

class WordQueries {
public:
    WordQueries(richedit::RichTextBox& window, WordLists& lists);

    // The entries of the plain list of the prefix's initial that begin, at a word boundary and
    // in either case, with the prefix; entries with U+2019 are passed over (their twins with
    // "'" stand in the list). The prefix comes back escaped (a backslash before every
    // character that is no letter A to Z). True when the list had any match; false, with the
    // arguments untouched, for an empty prefix or one that begins with anything else.
    bool GetWordsThatStartWith(QString& MyStartingLetters, StringArray& MyReturnArray,
                               int32_t ReturnLimit = 0);

    // Scans the document's plain text, addresses and listed abbreviations removed first, and
    // appends every word the lists do not hold, once per occurrence in text order. True when
    // a word was added. Clears SpellScanAbort when it starts, so that an earlier stop request
    // does not end this scan; a request raised during the scan stops it after the current word,
    // erases the array and leaves scanAborted() true. The scan reads the document a paragraph
    // at a time and checks each word as it is found: its memory does not grow with the number
    // of words. ProgressTotal holds the number of words checked when it returns.
    bool DetectMisspellings(StringArray& MyReturnArray);
    bool scanAborted() const { return m_scanAborted; }

private:
    // The marked lists of the 26 initials and the capitals list, held for one scan.
    struct KnownWords;
    class ParagraphWords;
    richedit::RichTextBox& m_window;
    WordLists& m_lists;
    bool m_scanAborted = false;
};
