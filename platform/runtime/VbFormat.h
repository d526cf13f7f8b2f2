// Format of dates and times as the Basic runtime writes them: the named forms and custom
// patterns, with month and day names and the AM/PM texts of the current locale (QLocale()).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vb {

// Named forms (any letter case): "General Date" (also the empty format), "Long Date",
// "Medium Date", "Short Date", "Long Time", "Medium Time", "Short Time".
// Custom patterns: d dd ddd dddd ddddd dddddd, w ww, m mm mmm mmmm, q, y yy yyyy, h hh,
// n nn, s ss, ttttt, c, AM/PM am/pm A/P a/p AMPM (any of them makes hours 12-hour);
// "m"/"mm" right after an hour token or right before a seconds token mean minutes.
// Letters of tokens match in any case ("Hh:Mm:Ss" = "hh:mm:ss"). Text in double quotes
// and a character after a backslash are copied as they stand, as is any other character.
QString Format(const QDateTime& value, const QString& format = {});

// A date alone is that day at midnight; a time alone is that time on the runtime's zero day
// (30 December 1899), so that "General Date" shows only the part that is there.
QString Format(const QDate& value, const QString& format = {});
QString Format(const QTime& value, const QString& format = {});

}  // namespace vb
