// The Basic string functions with the runtime's semantics: 1-based positions, 0 for "not
// found", binary or text (case-insensitive) comparison, blank-only trimming. Invalid
// arguments raise VbError 5 (invalid procedure call) as the runtime does.
#pragma once

#include <QString>
#include <QStringList>

namespace vb {

enum CompareMethod : int {
    vbBinaryCompare = 0,
    vbTextCompare = 1,
};

// StrConv conversions on text.
enum StrConvMode : int {
    vbUpperCase = 1,
    vbLowerCase = 2,
    vbProperCase = 3,
};

qsizetype Len(const QString& text);
QString Left(const QString& text, qsizetype length);
QString Right(const QString& text, qsizetype length);
// Mid from the 1-based start to the end, or for at most length characters.
QString Mid(const QString& text, qsizetype start);
QString Mid(const QString& text, qsizetype start, qsizetype length);

// The 1-based position of the first occurrence of find at or after start, 0 when there is
// none or text is empty; an empty find gives start while start <= Len(text) + 1.
qsizetype InStr(const QString& text, const QString& find, CompareMethod compare = vbBinaryCompare);
qsizetype InStr(qsizetype start, const QString& text, const QString& find,
                CompareMethod compare = vbBinaryCompare);

// The 1-based position of the last occurrence of find that ends at or before start
// (-1: the end of text). 0 when none, when text is empty or when start > Len(text).
qsizetype InStrRev(const QString& text, const QString& find, qsizetype start = -1,
                   CompareMethod compare = vbBinaryCompare);

// Removes leading and/or trailing U+0020 blanks only (no tabs, no line ends).
QString LTrim(const QString& text);
QString RTrim(const QString& text);
QString Trim(const QString& text);

// Case mapping character by character: the result has the length of the input.
QString LCase(const QString& text);
QString UCase(const QString& text);
// vbUpperCase, vbLowerCase or vbProperCase (the first character of each word upper case,
// every other letter lower case; words are separated by blanks, tabs, line ends, vertical
// tabs, form feeds and NULs).
QString StrConv(const QString& text, int conversion);

QString Space(qsizetype count);
// count copies of ch, or of the first character of text (an empty text raises error 5).
QString String(qsizetype count, QChar ch);
QString String(qsizetype count, const QString& text);

// Replaces count occurrences (-1: all) of find, searching from start; like the runtime it
// returns the text from start onwards. An empty find returns that part unchanged.
QString Replace(const QString& expression, const QString& find, const QString& replacement,
                qsizetype start = 1, qsizetype count = -1, CompareMethod compare = vbBinaryCompare);

// Splits at delimiter into at most limit pieces (-1: no limit); an empty expression gives
// an empty list, an empty delimiter a list holding the whole expression.
QStringList Split(const QString& expression, const QString& delimiter = QStringLiteral(" "),
                  qsizetype limit = -1, CompareMethod compare = vbBinaryCompare);
QString Join(const QStringList& list, const QString& delimiter = QStringLiteral(" "));

}  // namespace vb
