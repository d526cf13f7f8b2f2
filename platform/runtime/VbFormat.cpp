#include "platform/runtime/VbFormat.h"

#include <QLocale>
#include <algorithm>
#include <vector>

namespace vb {
namespace {

const QDate ZeroDay(1899, 12, 30);

// The locale's short date with a four-digit year, as the desktop's short date shows it.
QString shortDatePattern()
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return pattern;
}

// The locale's long time without the time-zone name that Qt's long form carries.
QString longTimePattern()
{
    const QString pattern = QLocale().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

QString shortDate(const QDateTime& value)
{
    return QLocale().toString(value.date(), shortDatePattern());
}

QString longDate(const QDateTime& value)
{
    return QLocale().toString(value.date(), QLocale::LongFormat);
}

QString longTime(const QDateTime& value)
{
    return QLocale().toString(value.time(), longTimePattern());
}

QString generalDate(const QDateTime& value)
{
    const bool hasDate = value.date() != ZeroDay;
    const bool hasTime = value.time() != QTime(0, 0);
    if (hasDate && hasTime)
        return shortDate(value) + u' ' + longTime(value);
    return hasDate ? shortDate(value) : longTime(value);
}

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

int hour12(int hour)
{
    return hour % 12 == 0 ? 12 : hour % 12;
}

QString amPm(const QDateTime& value, const QString& morning, const QString& evening)
{
    return value.time().hour() < 12 ? morning : evening;
}

// Weekday 1 (Sunday) to 7 (Saturday).
int weekday(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

// Week of the year, weeks starting on Sunday, week 1 holding 1 January.
int weekOfYear(const QDate& date)
{
    const int firstWeekday = weekday(QDate(date.year(), 1, 1));
    return (date.dayOfYear() - 1 + firstWeekday - 1) / 7 + 1;
}

enum class Token {
    Literal,
    General,
    Day,
    Day2,
    DayShort,
    DayLong,
    ShortDate,
    LongDate,
    Weekday,
    WeekOfYear,
    Month,
    Month2,
    MonthShort,
    MonthLong,
    Quarter,
    DayOfYear,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    LongTime,
    AmPm,
    LocaleAmPm,
};

struct Piece {
    Token token;
    QString text;  // literal text, or the morning/evening pair of an AM/PM token
    QString evening;
};

// Splits a custom pattern into its tokens and literal text.
class PatternReader {
public:
    explicit PatternReader(const QString& pattern) : m_pattern(pattern) {}
    std::vector<Piece> read();

private:
    qsizetype runOf(char16_t lower) const;
    bool readAmPm();
    void readLetter(char16_t lower);
    void push(Token token, qsizetype length)
    {
        m_pieces.push_back({token, {}, {}});
        m_pos += length;
    }
    void literal(QString text)
    {
        if (!m_pieces.empty() && m_pieces.back().token == Token::Literal)
            m_pieces.back().text += text;
        else
            m_pieces.push_back({Token::Literal, std::move(text), {}});
    }

    const QString& m_pattern;
    qsizetype m_pos = 0;
    std::vector<Piece> m_pieces;
};

qsizetype PatternReader::runOf(char16_t lower) const
{
    qsizetype end = m_pos;
    while (end < m_pattern.size() && m_pattern[end].toLower() == QChar(lower))
        ++end;
    return end - m_pos;
}

bool PatternReader::readAmPm()
{
    const QStringView rest = QStringView(m_pattern).mid(m_pos);
    if (rest.startsWith(u"am/pm", Qt::CaseInsensitive)) {
        m_pieces.push_back({Token::AmPm, rest.mid(0, 2).toString(), rest.mid(3, 2).toString()});
        m_pos += 5;
    } else if (rest.startsWith(u"a/p", Qt::CaseInsensitive)) {
        m_pieces.push_back({Token::AmPm, rest.mid(0, 1).toString(), rest.mid(2, 1).toString()});
        m_pos += 3;
    } else if (rest.startsWith(u"ampm", Qt::CaseInsensitive)) {
        push(Token::LocaleAmPm, 4);
    } else {
        return false;
    }
    return true;
}

void PatternReader::readLetter(char16_t lower)
{
    const qsizetype run = runOf(lower);
    switch (lower) {
        case u'c':
            return push(Token::General, 1);
        case u'q':
            return push(Token::Quarter, 1);
        case u'd': {
            static const Token days[] = {Token::Day,     Token::Day2,      Token::DayShort,
                                         Token::DayLong, Token::ShortDate, Token::LongDate};
            const qsizetype length = std::min<qsizetype>(run, 6);
            return push(days[length - 1], length);
        }
        case u'w':
            return run >= 2 ? push(Token::WeekOfYear, 2) : push(Token::Weekday, 1);
        case u'm': {
            static const Token months[] = {Token::Month, Token::Month2, Token::MonthShort,
                                           Token::MonthLong};
            const qsizetype length = std::min<qsizetype>(run, 4);
            return push(months[length - 1], length);
        }
        case u'y':
            if (run >= 4)
                return push(Token::Year4, 4);
            return run >= 2 ? push(Token::Year2, 2) : push(Token::DayOfYear, 1);
        case u'h':
            return run >= 2 ? push(Token::Hour2, 2) : push(Token::Hour, 1);
        case u'n':
            return run >= 2 ? push(Token::Minute2, 2) : push(Token::Minute, 1);
        case u's':
            return run >= 2 ? push(Token::Second2, 2) : push(Token::Second, 1);
        case u't':
            if (run >= 5)
                return push(Token::LongTime, 5);
            break;
        default:
            break;
    }
    literal(m_pattern.mid(m_pos, 1));
    ++m_pos;
}

std::vector<Piece> PatternReader::read()
{
    while (m_pos < m_pattern.size()) {
        const QChar c = m_pattern[m_pos];
        if (c == u'"') {
            const qsizetype close = m_pattern.indexOf(u'"', m_pos + 1);
            const qsizetype end = close < 0 ? m_pattern.size() : close;
            literal(m_pattern.mid(m_pos + 1, end - m_pos - 1));
            m_pos = end + 1;
        } else if (c == u'\\') {
            literal(m_pattern.mid(m_pos + 1, 1));
            m_pos += 2;
        } else if (c.toLower() == u'a' && readAmPm()) {
            continue;
        } else {
            readLetter(c.toLower().unicode());
        }
    }
    return m_pieces;
}

bool isHour(Token t)
{
    return t == Token::Hour || t == Token::Hour2;
}

bool isSecond(Token t)
{
    return t == Token::Second || t == Token::Second2;
}

// A month token next to time tokens stands for minutes: after an hour, or before seconds.
void resolveMinutes(std::vector<Piece>& pieces)
{
    Token previous = Token::Literal;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Piece& piece = pieces[i];
        if (piece.token != Token::Month && piece.token != Token::Month2) {
            if (piece.token != Token::Literal)
                previous = piece.token;
            continue;
        }
        Token next = Token::Literal;
        for (std::size_t j = i + 1; j < pieces.size() && next == Token::Literal; ++j)
            next = pieces[j].token;
        if (isHour(previous) || isSecond(next))
            piece.token = piece.token == Token::Month ? Token::Minute : Token::Minute2;
        previous = piece.token;
    }
}

QString render(const Piece& piece, const QDateTime& value, bool twelveHour)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale locale;
    const int hour = twelveHour ? hour12(time.hour()) : time.hour();
    switch (piece.token) {
        case Token::Literal:
            return piece.text;
        case Token::General:
            return generalDate(value);
        case Token::Day:
            return QString::number(date.day());
        case Token::Day2:
            return twoDigits(date.day());
        case Token::DayShort:
            return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
        case Token::DayLong:
            return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
        case Token::ShortDate:
            return shortDate(value);
        case Token::LongDate:
            return longDate(value);
        case Token::Weekday:
            return QString::number(weekday(date));
        case Token::WeekOfYear:
            return QString::number(weekOfYear(date));
        case Token::Month:
            return QString::number(date.month());
        case Token::Month2:
            return twoDigits(date.month());
        case Token::MonthShort:
            return locale.monthName(date.month(), QLocale::ShortFormat);
        case Token::MonthLong:
            return locale.monthName(date.month(), QLocale::LongFormat);
        case Token::Quarter:
            return QString::number((date.month() - 1) / 3 + 1);
        case Token::DayOfYear:
            return QString::number(date.dayOfYear());
        case Token::Year2:
            return twoDigits(date.year() % 100);
        case Token::Year4:
            return QString::number(date.year());
        case Token::Hour:
            return QString::number(hour);
        case Token::Hour2:
            return twoDigits(hour);
        case Token::Minute:
            return QString::number(time.minute());
        case Token::Minute2:
            return twoDigits(time.minute());
        case Token::Second:
            return QString::number(time.second());
        case Token::Second2:
            return twoDigits(time.second());
        case Token::LongTime:
            return longTime(value);
        case Token::AmPm:
            return amPm(value, piece.text, piece.evening);
        case Token::LocaleAmPm:
            return amPm(value, locale.amText(), locale.pmText());
    }
    return {};
}

QString formatCustom(const QDateTime& value, const QString& pattern)
{
    std::vector<Piece> pieces = PatternReader(pattern).read();
    resolveMinutes(pieces);
    bool twelveHour = false;
    for (const Piece& piece : pieces)
        twelveHour = twelveHour || piece.token == Token::AmPm || piece.token == Token::LocaleAmPm;
    QString result;
    for (const Piece& piece : pieces)
        result += render(piece, value, twelveHour);
    return result;
}

}  // namespace

QString Format(const QDateTime& value, const QString& format)
{
    if (!value.isValid())
        return {};
    const QString name = format.toLower();
    if (name.isEmpty() || name == u"general date")
        return generalDate(value);
    if (name == u"long date")
        return longDate(value);
    if (name == u"medium date")
        return formatCustom(value, QStringLiteral("dd-mmm-yy"));
    if (name == u"short date")
        return shortDate(value);
    if (name == u"long time")
        return longTime(value);
    if (name == u"medium time")
        return formatCustom(value, QStringLiteral("hh:mm AMPM"));
    if (name == u"short time")
        return formatCustom(value, QStringLiteral("hh:mm"));
    return formatCustom(value, format);
}

QString Format(const QDate& value, const QString& format)
{
    return Format(QDateTime(value, QTime(0, 0)), format);
}

QString Format(const QTime& value, const QString& format)
{
    return Format(QDateTime(ZeroDay, value), format);
}

}  // namespace vb
