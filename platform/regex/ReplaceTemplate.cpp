#include "platform/regex/ReplaceTemplate.h"

#include "platform/regex/CompiledPattern.h"

namespace vbscript::detail {

namespace {

int digitAt(const QString& text, qsizetype i)
{
    if (i >= text.size())
        return -1;
    const char16_t c = text[i].unicode();
    return c >= u'0' && c <= u'9' ? c - u'0' : -1;
}

}  // namespace

ReplaceTemplate::ReplaceTemplate(const QString& replacement, int groupCount)
{
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const int consumed =
            replacement[i] == u'$' ? parseReference(replacement, i, groupCount) : 0;
        if (consumed == 0)
            addLiteral(replacement[i]);
        i += consumed;
    }
}

int ReplaceTemplate::parseReference(const QString& replacement, qsizetype dollar, int groupCount)
{
    if (dollar + 1 >= replacement.size())
        return 0;
    switch (replacement[dollar + 1].unicode()) {
        case u'$':
            addLiteral(u'$');
            return 1;
        case u'&':
            m_tokens.push_back({Kind::Group, 0, {}});
            return 1;
        case u'`':
            m_tokens.push_back({Kind::Before, 0, {}});
            return 1;
        case u'\'':
            m_tokens.push_back({Kind::After, 0, {}});
            return 1;
        default:
            break;
    }
    const int first = digitAt(replacement, dollar + 1);
    if (first < 0)
        return 0;
    const int second = digitAt(replacement, dollar + 2);
    if (second >= 0 && first * 10 + second >= 1 && first * 10 + second <= groupCount) {
        m_tokens.push_back({Kind::Group, first * 10 + second, {}});
        return 2;
    }
    if (first >= 1 && first <= groupCount) {
        m_tokens.push_back({Kind::Group, first, {}});
        return 1;
    }
    return 0;
}

void ReplaceTemplate::addLiteral(QChar c)
{
    if (m_tokens.empty() || m_tokens.back().kind != Kind::Literal)
        m_tokens.push_back({Kind::Literal, 0, {}});
    m_tokens.back().text += c;
}

void ReplaceTemplate::appendExpansion(QString& out, const MatchCursor& match) const
{
    const QString& subject = match.subject();
    for (const Token& token : m_tokens) {
        switch (token.kind) {
            case Kind::Literal:
                out += token.text;
                break;
            case Kind::Group:
                if (match.start(token.group) >= 0)
                    out += QStringView(subject).sliced(
                        match.start(token.group),
                        match.end(token.group) - match.start(token.group));
                break;
            case Kind::Before:
                out += QStringView(subject).first(match.start(0));
                break;
            case Kind::After:
                out += QStringView(subject).sliced(match.end(0));
                break;
        }
    }
}

}  // namespace vbscript::detail
