// The thesaurus and the random dictionary word. Both work on the word lists alone, without a
// control, so the control's members, its context menu and the random-word dialog share them.
#pragma once

#include "richtext/language/StringArray.h"

#include <QString>
#include <QStringList>
#include <functional>

class WordLists;

namespace Thesaurus {

// The answer of a lookup that found nothing.
inline const QString NoSynonymsFound = QStringLiteral("No synonyms found.");

// Blanks trimmed from both ends, then every CR LF pair removed.
QString TrimNewLines(const QString& text);

// The synonyms written between the head word's "<" and ">", split at single blanks: two blanks
// in a row give an empty synonym, blanks at either end give none.
QStringList SplitSynonyms(const QString& body);

// Looks the whole head word up, in any case, in the synonym list of its initial (A to Z only).
bool LookUpSynonyms(WordLists& lists, const QString& word, QStringList& synonyms);

// Found: ASynArray holds exactly the synonyms and the result is "". Not found: ASynArray is left
// as it was and the result is NoSynonymsFound.
QString GetSynonyms(WordLists& lists, const QString& MYWORD1, StringArray& ASynArray);

// Values uniform in [0, 1); the generator is reseeded from the clock on every draw.
using UniformSource = std::function<double()>;
// Replaces the generator (for tests); an empty source restores the clock-seeded one.
void setUniformSource(UniformSource source);

// Attempts after which a draw gives up; every list holds many acceptable entries, so only
// damaged lists could reach it.
constexpr int MaxDrawAttempts = 10000;

// A dictionary entry of at least four characters without an apostrophe of either kind or a
// full stop, never the first line of its list, in proper case; NULs that end a list are not
// part of an entry. "" when no acceptable entry was drawn within MaxDrawAttempts.
QString GetRandomWord(WordLists& lists);

}  // namespace Thesaurus
