#include "richtext/printing/IndentNormalizer.h"

#include "platform/regex/RegExp.h"
#include "platform/runtime/VbError.h"

#include <QRegularExpression>
#include <cstdint>

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
    // Numbers past the range of a Long are held at its limit, so that the normaliser's sums
    // stay exact.
    const auto toNumber = [](const QString& digits) -> int64_t {
        if (digits.isEmpty())
            return 0;
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok);
        return !ok || value > qulonglong(INT32_MAX) ? INT32_MAX : int64_t(value);
    };
    return IndentPair{toNumber(first), toNumber(second)};
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
