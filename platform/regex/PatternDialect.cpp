#include "platform/regex/PatternDialect.h"

#include <QStringView>

namespace vbscript::detail {

namespace {

// Letters whose escape means something in the Basic dialect, outside and inside brackets.
constexpr QStringView knownOutside = u"bBcdDfnrsStuvwWx";
constexpr QStringView knownInside = u"bcdDfnrsStuvwWx";

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isClassEscapeLetter(char16_t c)
{
    return c == u'd' || c == u'D' || c == u's' || c == u'S' || c == u'w' || c == u'W';
}

class Translator {
public:
    explicit Translator(const QString& pattern) : m_in(pattern)
    {
        m_out.reserve(pattern.size() + 8);
    }

    QString run()
    {
        while (m_pos < m_in.size()) {
            if (at(m_pos) == u'\\' && m_pos + 1 < m_in.size())
                escape();
            else if (m_inClass)
                classCharacter();
            else
                plainCharacter();
        }
        return m_out;
    }

private:
    char16_t at(qsizetype i) const { return i < m_in.size() ? m_in[i].unicode() : u'\0'; }

    bool classEscapeAt(qsizetype i) const
    {
        return at(i) == u'\\' && isClassEscapeLetter(at(i + 1));
    }

    void escape()
    {
        const char16_t letter = at(m_pos + 1);
        m_pos += 2;
        m_afterClassEscape = m_inClass && isClassEscapeLetter(letter);
        if (!isAsciiLetter(letter)) {
            m_out += u'\\';
            m_out += QChar(letter);
        } else if (letter == u'c') {
            controlEscape();
        } else if (letter == u'v') {
            m_out += u"\\x0b";
        } else if ((m_inClass ? knownInside : knownOutside).contains(QChar(letter))) {
            m_out += u'\\';
            m_out += QChar(letter);
        } else {
            m_out += QChar(letter);
        }
    }

    // \cX is a control character only with a letter after it; otherwise the backslash and the
    // c stand for themselves.
    void controlEscape()
    {
        if (isAsciiLetter(at(m_pos))) {
            m_out += u"\\c";
            m_out += QChar(at(m_pos));
            ++m_pos;
        } else {
            m_out += u"\\\\c";
        }
    }

    void classCharacter()
    {
        const char16_t c = at(m_pos++);
        if (c == u']') {
            m_inClass = false;
            m_out += QChar(c);
        } else if (c == u'[') {
            m_out += u"\\[";
        } else if (c == u'-' && (m_afterClassEscape || classEscapeAt(m_pos))) {
            m_out += u"\\-";
        } else {
            m_out += QChar(c);
        }
        m_afterClassEscape = false;
    }

    void plainCharacter()
    {
        const char16_t c = at(m_pos++);
        m_out += QChar(c);
        if (c == u'[') {
            m_inClass = true;
            m_afterClassEscape = false;
            if (at(m_pos) == u'^') {
                m_out += u'^';
                ++m_pos;
            }
        }
    }

    const QString& m_in;
    QString m_out;
    qsizetype m_pos = 0;
    bool m_inClass = false;
    bool m_afterClassEscape = false;
};

}  // namespace

QString toPcre2Pattern(const QString& pattern)
{
    return Translator(pattern).run();
}

}  // namespace vbscript::detail
