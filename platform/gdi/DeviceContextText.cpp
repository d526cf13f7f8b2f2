// Text output of DeviceContext: DrawText's line breaking, alignment, ellipsis and prefix
// handling over Qt's font rendering.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Pixels.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

namespace gdi {
namespace {

const QString ellipsis = QStringLiteral("...");

// The text as shown: without prefix processing as it stands, else "&&" becomes "&" and a
// single "&" disappears (its character is drawn underlined).
QString shownText(const QString& text, bool prefixes)
{
    if (!prefixes)
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        shown.append(text[i]);
    }
    return shown;
}

class TextLayout {
public:
    TextLayout(const QFont& font, unsigned format)
        : m_metrics(font), m_format(format), m_prefixes(!(format & DT_NOPREFIX))
    {
    }

    int width(const QString& line) const
    {
        return m_metrics.horizontalAdvance(shownText(line, m_prefixes));
    }
    int lineHeight() const { return m_metrics.height(); }

    // The lines to draw in a box of that width.
    QStringList lines(const QString& text, int boxWidth) const
    {
        QStringList result;
        const QStringList paragraphs =
            (m_format & DT_SINGLELINE) ? QStringList{singleLine(text)} : splitParagraphs(text);
        for (const QString& paragraph : paragraphs) {
            if ((m_format & DT_WORDBREAK) && !(m_format & DT_SINGLELINE))
                result += wrap(paragraph, boxWidth);
            else
                result += paragraph;
        }
        if (m_format & DT_END_ELLIPSIS) {
            for (QString& line : result)
                line = shortened(line, boxWidth);
        }
        return result;
    }

private:
    static QString singleLine(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\r', u' ');
        text.replace(u'\n', u' ');
        return text;
    }

    static QStringList splitParagraphs(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        return text.split(u'\n');
    }

    // Greedy wrapping at blanks; a word wider than the box stays whole on its own line, and
    // blanks at a break are dropped.
    QStringList wrap(const QString& paragraph, int boxWidth) const
    {
        QStringList lines;
        const QStringList words = paragraph.split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            return {QString()};
        QString line;
        for (const QString& word : words) {
            const QString candidate = line.isEmpty() ? word : line + u' ' + word;
            if (line.isEmpty() || width(candidate) <= boxWidth) {
                line = candidate;
                continue;
            }
            lines += line;
            line = word;
        }
        lines += line;
        return lines;
    }

    // The longest start of the line that fits with "..." after it, when the line is too wide.
    QString shortened(const QString& line, int boxWidth) const
    {
        if (width(line) <= boxWidth)
            return line;
        QString head = line;
        while (!head.isEmpty() && width(head + ellipsis) > boxWidth)
            head.chop(1);
        return head + ellipsis;
    }

    QFontMetrics m_metrics;
    unsigned m_format;
    bool m_prefixes;
};

}  // namespace

QSize DeviceContext::textExtent(const QString& text) const
{
    const QFontMetrics metrics(m_font.qfont());
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

int DeviceContext::drawText(const QString& text, Rect& rect, unsigned format)
{
    if (text.isEmpty()) {
        if (format & DT_CALCRECT) {
            rect.right = rect.left;
            rect.bottom = rect.top;
        }
        return 0;
    }
    const TextLayout layout(m_font.qfont(), format);
    const QStringList lines = layout.lines(text, rect.width());
    const int lineHeight = layout.lineHeight();
    const int textHeight = lineHeight * int(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, layout.width(line));
        rect.right = rect.left + widest;
        rect.bottom = rect.top + textHeight;
        return textHeight;
    }

    int top = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect.top + (rect.height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect.bottom - lineHeight;
    }
    QPainter painter;
    beginPainter(painter, (format & DT_NOCLIP) ? std::nullopt : std::optional(rect.toQRect()));
    painter.setFont(m_font.qfont());
    painter.setPen(pixels::qcolor(m_textColor));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip |
                      ((format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic);
    int y = top;
    for (const QString& line : lines) {
        const int lineWidth = layout.width(line);
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.width() - lineWidth) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - lineWidth;
        const QRect box(x, y, lineWidth, lineHeight);
        if (m_bkMode == OPAQUE)
            painter.fillRect(box, pixels::qcolor(m_bkColor));
        painter.drawText(box, flags, line);
        y += lineHeight;
    }
    return y - rect.top;
}

}  // namespace gdi
