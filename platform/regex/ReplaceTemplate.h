// A replacement text of RegExp::Replace, parsed once and expanded for each match.
#pragma once

#include <QString>
#include <vector>

namespace vbscript::detail {

class MatchCursor;

// Understands $1..$9 and $01..$99 (two digits only when that group exists; "$10" with fewer
// than ten groups is group 1 and a "0"), $& (the match), $` (the subject before the match),
// $' (the subject after it) and $$ (a dollar sign). A "$" in any other position, or naming a
// group the pattern does not have, stands for itself.
class ReplaceTemplate {
public:
    ReplaceTemplate(const QString& replacement, int groupCount);

    void appendExpansion(QString& out, const MatchCursor& match) const;

private:
    enum class Kind { Literal, Group, Before, After };
    struct Token {
        Kind kind;
        int group = 0;
        QString text;
    };

    void addLiteral(QChar c);
    // Parses the reference after the "$" at position dollar; returns the characters consumed
    // after the "$" (0 when it is no reference).
    int parseReference(const QString& replacement, qsizetype dollar, int groupCount);

    std::vector<Token> m_tokens;
};

}  // namespace vbscript::detail
