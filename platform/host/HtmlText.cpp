#include "platform/host/HtmlText.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <vector>

namespace host {
namespace {

constexpr char16_t ReplacementCharacter = 0xFFFD;

// The Latin-1 names in code order from U+00A0.
const char* const Latin1Names =
    "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn "
    "sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave "
    "Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml "
    "ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN "
    "szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave "
    "iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute "
    "ucirc uuml yacute thorn yuml";

const QHash<QString, char32_t>& namedReferences()
{
    static const QHash<QString, char32_t> names = [] {
        QHash<QString, char32_t> table = {
            {"amp", '&'},       {"lt", '<'},        {"gt", '>'},       {"quot", '"'},
            {"apos", '\''},     {"ensp", 0x2002},   {"emsp", 0x2003},  {"thinsp", 0x2009},
            {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},   {"rlm", 0x200F},
            {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018}, {"rsquo", 0x2019},
            {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D}, {"bdquo", 0x201E},
            {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},  {"hellip", 0x2026},
            {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033}, {"lsaquo", 0x2039},
            {"rsaquo", 0x203A}, {"euro", 0x20AC},   {"trade", 0x2122}, {"larr", 0x2190},
            {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},  {"harr", 0x2194},
            {"minus", 0x2212},  {"infin", 0x221E},  {"asymp", 0x2248}, {"ne", 0x2260},
            {"le", 0x2264},     {"ge", 0x2265},     {"OElig", 0x152},  {"oelig", 0x153},
            {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},   {"fnof", 0x192},
            {"circ", 0x2C6},    {"tilde", 0x2DC},
        };
        char32_t code = 0xA0;
        for (const QString& name : QString::fromLatin1(Latin1Names).split(u' '))
            table.insert(name, code++);
        return table;
    }();
    return names;
}

bool isDigitOf(char16_t ch, bool hex)
{
    return (ch >= u'0' && ch <= u'9') ||
           (hex && ((ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F')));
}

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f';
}

bool isBlockElement(const QString& name)
{
    static const QSet<QString> blocks = {
        "address",    "article", "aside",  "blockquote", "body",  "caption", "center",
        "dd",         "details", "dialog", "div",        "dl",    "dt",      "fieldset",
        "figcaption", "figure",  "footer", "form",       "h1",    "h2",      "h3",
        "h4",         "h5",      "h6",     "header",     "hr",    "html",    "legend",
        "li",         "main",    "nav",    "ol",         "p",     "pre",     "section",
        "summary",    "table",   "tbody",  "tfoot",      "thead", "tr",      "ul",
    };
    return blocks.contains(name);
}

// Elements whose content is text up to their end tag, never shown.
bool isRawTextElement(const QString& name)
{
    return name == u"script" || name == u"style" || name == u"title";
}

// Elements whose content is markup, never shown.
bool isHiddenElement(const QString& name)
{
    return name == u"head" || name == u"template";
}

// What a head holds; any other start tag ends an unclosed head, as it begins the body.
bool belongsInHead(const QString& name)
{
    return name == u"base" || name == u"link" || name == u"meta" || name == u"noscript" ||
           name == u"script" || name == u"style" || name == u"template" || name == u"title" ||
           name == u"head";
}

// Elements that have no content and no end tag.
bool isVoidElement(const QString& name)
{
    static const QSet<QString> voids = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return voids.contains(name);
}

class HtmlReader {
public:
    explicit HtmlReader(const QString& html) : m_html(html) {}

    QString read()
    {
        while (m_at < m_html.size()) {
            const QChar ch = m_html[m_at];
            if (ch == u'<' && readMarkup())
                continue;
            if (m_hiddenDepth > 0) {
                ++m_at;
                continue;
            }
            if (ch == u'&') {
                readReference();
                continue;
            }
            addCharacter(ch);
            ++m_at;
        }
        return m_out;
    }

private:
    // A tag, comment or declaration at `m_at`; false when the '<' is plain text.
    bool readMarkup()
    {
        const QStringView rest = QStringView(m_html).sliced(m_at);
        if (rest.startsWith(u"<!--")) {
            const qsizetype end = m_html.indexOf(QStringLiteral("-->"), m_at + 4);
            m_at = end < 0 ? m_html.size() : end + 3;
            return true;
        }
        if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
            skipPast(u'>');
            return true;
        }
        const bool closing = rest.startsWith(u"</");
        const qsizetype nameStart = m_at + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < m_html.size() && (m_html[nameEnd].isLetterOrNumber()))
            ++nameEnd;
        if (nameEnd == nameStart || !m_html[nameStart].isLetter())
            return false;
        const QString name = m_html.mid(nameStart, nameEnd - nameStart).toLower();
        m_at = nameEnd;
        const bool selfClosing = skipAttributes();
        bool shown = m_hiddenDepth == 0;
        if (closing) {
            closeThrough(name);
        } else {
            if (!belongsInHead(name) && m_openCount.value(QStringLiteral("head")) > 0)
                closeThrough(QStringLiteral("head"));
            shown = m_hiddenDepth == 0;
            if (isRawTextElement(name) && !selfClosing) {
                skipRawText(name);
                return true;
            }
            if (!selfClosing && !isVoidElement(name))
                open(name);
        }
        if (shown)
            tag(name, closing);
        return true;
    }

    void open(const QString& name)
    {
        const bool hides = isHiddenElement(name);
        m_open.push_back({name, hides});
        ++m_openCount[name];
        m_hiddenDepth += hides ? 1 : 0;
    }

    // An end tag closes its element and every element opened inside it; an end tag of nothing
    // open is passed over.
    void closeThrough(const QString& name)
    {
        if (m_openCount.value(name) == 0)
            return;
        while (!m_open.empty()) {
            const OpenElement top = std::move(m_open.back());
            m_open.pop_back();
            if (--m_openCount[top.name] == 0)
                m_openCount.remove(top.name);
            m_hiddenDepth -= top.hides ? 1 : 0;
            if (top.name == name)
                return;
        }
    }

    // Past the content of a script, style or title: text up to its own end tag, but no further
    // than the end of an element it is in, or the document's end. Each character is looked at
    // once, so unclosed ones cost no more than closed ones.
    void skipRawText(const QString& name)
    {
        qsizetype at = m_at;
        while ((at = m_html.indexOf(u"</", at)) >= 0) {
            const qsizetype nameStart = at + 2;
            qsizetype nameEnd = nameStart;
            while (nameEnd < m_html.size() && m_html[nameEnd].isLetterOrNumber())
                ++nameEnd;
            if (nameEnd > nameStart && m_html[nameStart].isLetter()) {
                const QString closing = m_html.mid(nameStart, nameEnd - nameStart).toLower();
                if (closing == name) {
                    m_at = nameEnd;
                    skipPast(u'>');
                    return;
                }
                if (m_openCount.value(closing) > 0) {
                    m_at = at;
                    return;
                }
            }
            at = nameStart;
        }
        m_at = m_html.size();
    }

    // Past the attributes (quoted values may hold '>') and the tag's '>'; true for "/>".
    bool skipAttributes()
    {
        QChar quote;
        bool slash = false;
        while (m_at < m_html.size()) {
            const QChar ch = m_html[m_at++];
            if (!quote.isNull()) {
                if (ch == quote)
                    quote = QChar();
            } else if (ch == u'"' || ch == u'\'') {
                quote = ch;
            } else if (ch == u'>') {
                return slash;
            } else if (!isBlank(ch)) {
                slash = ch == u'/';
            }
        }
        return slash;
    }

    void skipPast(QChar end)
    {
        const qsizetype found = m_html.indexOf(end, m_at);
        m_at = found < 0 ? m_html.size() : found + 1;
    }

    void tag(const QString& name, bool closing)
    {
        if (name == u"br") {
            ++m_owedBreaks;
            m_owedSpace = false;
        } else if (name == u"td" || name == u"th") {
            if (!closing && m_owedBreaks == 0 && !atLineStart())
                m_owedTab = true;
        } else if (isBlockElement(name)) {
            m_owedBreaks = std::max(m_owedBreaks, 1);
            m_owedSpace = false;
            m_owedTab = false;
            if (name == u"pre")
                m_preDepth = std::max(0, m_preDepth + (closing ? -1 : 1));
        }
    }

    void readReference()
    {
        const qsizetype start = m_at + 1;
        qsizetype end = start;
        if (end < m_html.size() && m_html[end] == u'#') {
            ++end;
            const bool hex = end < m_html.size() && (m_html[end] == u'x' || m_html[end] == u'X');
            if (hex)
                ++end;
            const qsizetype digits = end;
            while (end < m_html.size() && end - digits < 8 && isDigitOf(m_html[end].unicode(), hex))
                ++end;
            if (end > digits) {
                const uint value = m_html.mid(digits, end - digits).toUInt(nullptr, hex ? 16 : 10);
                m_at = end < m_html.size() && m_html[end] == u';' ? end + 1 : end;
                addCodePoint(value);
                return;
            }
        } else {
            while (end < m_html.size() && end - start < 32 && m_html[end].isLetterOrNumber())
                ++end;
            if (end < m_html.size() && m_html[end] == u';') {
                const auto found = namedReferences().constFind(m_html.mid(start, end - start));
                if (found != namedReferences().constEnd()) {
                    m_at = end + 1;
                    addCodePoint(found.value());
                    return;
                }
            }
        }
        addCharacter(u'&');
        ++m_at;
    }

    void addCodePoint(char32_t code)
    {
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = ReplacementCharacter;
        if (code > 0xFFFF) {
            flushOwed();
            m_out += QChar(QChar::highSurrogate(code));
            m_out += QChar(QChar::lowSurrogate(code));
            return;
        }
        // A decoded character is text as written, blanks included.
        flushOwed();
        m_out += QChar(char16_t(code));
    }

    void addCharacter(QChar ch)
    {
        if (m_preDepth > 0) {
            if (ch == u'\r')
                return;
            if (ch == u'\n') {
                flushOwed();
                m_out += u"\r\n";
                return;
            }
        } else if (isBlank(ch)) {
            m_owedSpace = m_owedSpace || !atLineStart();
            return;
        }
        flushOwed();
        m_out += ch;
    }

    bool atLineStart() const { return m_out.isEmpty() || m_out.endsWith(u'\n'); }

    // What went unwritten before the next character: paragraph ends (none at the start), or a
    // tab between cells, or one space for a run of blanks.
    void flushOwed()
    {
        if (m_owedBreaks > 0 && !m_out.isEmpty()) {
            for (int i = 0; i < m_owedBreaks; ++i)
                m_out += u"\r\n";
        } else if (m_owedTab) {
            m_out += u'\t';
        } else if (m_owedSpace && m_owedBreaks == 0) {
            m_out += u' ';
        }
        m_owedBreaks = 0;
        m_owedTab = false;
        m_owedSpace = false;
    }

    struct OpenElement {
        QString name;
        bool hides;
    };

    const QString& m_html;
    qsizetype m_at = 0;
    // The elements open at `m_at`, innermost last, and how many of each name; those of them
    // whose content is not shown.
    std::vector<OpenElement> m_open;
    QHash<QString, int> m_openCount;
    int m_hiddenDepth = 0;
    QString m_out;
    int m_owedBreaks = 0;
    bool m_owedSpace = false;
    bool m_owedTab = false;
    int m_preDepth = 0;
};

}  // namespace

QString textOfHtml(const QString& html)
{
    return HtmlReader(html).read();
}

QString decodeHtmlBytes(const QByteArray& bytes)
{
    const auto byte = [&](qsizetype i) { return uint8_t(bytes[i]); };
    const bool littleMark = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    const bool bigMark = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    // Markup starts with an ASCII character: a zero byte after it means UTF-16 without a mark.
    const bool unmarkedLittle = !littleMark && bytes.size() >= 2 && byte(0) != 0 && byte(1) == 0;
    if (littleMark || bigMark || unmarkedLittle) {
        const bool little = !bigMark;
        QString text;
        text.reserve(bytes.size() / 2);
        for (qsizetype i = (littleMark || bigMark) ? 2 : 0; i + 1 < bytes.size(); i += 2)
            text +=
                QChar(char16_t(little ? byte(i) | byte(i + 1) << 8 : byte(i + 1) | byte(i) << 8));
        return text;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    return QString::fromUtf8(bytes);
}

}  // namespace host
