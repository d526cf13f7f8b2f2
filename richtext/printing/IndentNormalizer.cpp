#include "richtext/printing/IndentNormalizer.h"

#include "platform/regex/RegExp.h"
#include "platform/runtime/VbError.h"

#include <QRegularExpression>

IndentPair ParseIndentPair(const QString& pair)
{
    QString first;
    QString second;
    bool afterBackslash = false;
    // Positions 3 onward; the leading "\l" never counts.
    for (qsizetype i = 2; i < pair.size(); ++i) {
        const QChar c = pair.at(i);
        if (c.isDigit() && c.unicode() < 128)
            (afterBackslash ? second : first).append(c);
        else if (c == QLatin1Char('\\'))
            afterBackslash = true;
    }
    bool ok = false;
    IndentPair result;
    const qlonglong left = first.toLongLong(&ok);
    if (ok)
        result.left = left;
    const qlonglong right = second.toLongLong(&ok);
    if (ok)
        result.right = right;
    return result;
}

int64_t IndentNormalizer::lineEnd(int64_t printerMargin, int64_t printerOffset)
{
    return PageWidthTwips - 2 * (printerMargin + printerOffset);
}

bool IndentNormalizer::normalize(const QString& capturedRtf, QString& currentRtf, int64_t lineEnd)
{
    if (!capturedRtf.contains(QLatin1String("\\ri")))
        return false;
    bool changed = false;
    try {
        vbscript::RegExp pairs;
        pairs.setPattern(QStringLiteral(R"((\\)(li)\d+(\\)(ri)\d+)"));
        pairs.setIgnoreCase(true);
        pairs.setGlobal(true);
        const vbscript::MatchCollection matches = pairs.Execute(capturedRtf);
        for (const vbscript::Match match : matches) {
            const IndentPair indents = ParseIndentPair(match.Value());
            if (lineEnd - indents.right >= indents.left + MinimumWidthTwips)
                continue;
            const int64_t excess = (indents.left + MinimumWidthTwips) - (lineEnd - indents.right);
            const int64_t newRight = indents.right - (excess + MinimumWidthTwips);
            // Only paragraphs carrying this very pair are too narrow; a right indent of the same
            // value beside another left indent, or one that merely starts with the same digits,
            // stays.
            const QRegularExpression samePair(
                QStringLiteral(R"(\\li%1\\ri%2(?!\d))").arg(indents.left).arg(indents.right),
                QRegularExpression::CaseInsensitiveOption);
            const QString replacement =
                QStringLiteral(R"(\li%1\ri%2)").arg(indents.left).arg(newRight);
            const QString before = currentRtf;
            currentRtf.replace(samePair, replacement);
            changed = changed || currentRtf != before;
        }
    } catch (const vb::VbError&) {
        // Passed over: the document keeps what was rewritten so far.
    }
    return changed;
}
