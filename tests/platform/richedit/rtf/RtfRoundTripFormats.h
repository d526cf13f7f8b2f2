// Formats as an RTF round trip keeps them, described field by field so that a failing
// comparison shows which field differs.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <QString>
#include <string>

namespace testsupport {

// The link effect follows locale 357 and an automatic colour has no value.
inline richedit::CharFormat keptByRtf(richedit::CharFormat f)
{
    using namespace richedit;
    if (f.is(AutoColorEffect))
        f.color = 0;
    if (f.is(AutoBackColorEffect))
        f.backColor = 0;
    f.effects = (f.effects & ~uint32_t(Link)) | (f.lcid == LinkLcid ? uint32_t(Link) : 0u);
    return f;
}

// Rule-5 spacing of 30 and 40 is rule 1 and 2, and numbering start and style exist only for
// numbered paragraphs (RTF has no words for them elsewhere; bullets draw the same with any).
inline richedit::ParaFormat keptByRtf(richedit::ParaFormat f)
{
    using namespace richedit;
    if (f.lineSpacingRule == 5 && (f.lineSpacing == 30 || f.lineSpacing == 40)) {
        f.lineSpacingRule = f.lineSpacing == 30 ? 1 : 2;
        f.lineSpacing = 0;
    }
    if (f.numbering < Arabic) {
        f.numberingStart = 1;
        f.numberingStyle = 0;
    }
    return f;
}

inline std::string describe(const richedit::CharFormat& f)
{
    return QStringLiteral(
               "{mask %1 effects %2 height %3 offset %4 color %5 back %6 lcid %7 charset %8 "
               "face '%9'}")
        .arg(f.mask, 0, 16)
        .arg(f.effects, 0, 16)
        .arg(f.heightTw)
        .arg(f.offsetTw)
        .arg(f.color, 0, 16)
        .arg(f.backColor, 0, 16)
        .arg(f.lcid)
        .arg(f.charset)
        .arg(f.face)
        .toStdString();
}

inline std::string describe(const richedit::ParaFormat& f)
{
    QString tabs;
    for (const int32_t tab : f.tabs)
        tabs += QString::number(tab) + QLatin1Char(' ');
    return QStringLiteral(
               "{numbering %1/%2/%3/%4 align %5 indents %6/%7/%8 space %9/%10 line %11/%12 "
               "tabs %13}")
        .arg(f.numbering)
        .arg(f.numberingStart)
        .arg(f.numberingStyle)
        .arg(f.numberingTab)
        .arg(f.alignment)
        .arg(f.startIndent)
        .arg(f.rightIndent)
        .arg(f.offset)
        .arg(f.spaceBefore)
        .arg(f.spaceAfter)
        .arg(f.lineSpacingRule)
        .arg(f.lineSpacing)
        .arg(tabs)
        .toStdString();
}

}  // namespace testsupport
