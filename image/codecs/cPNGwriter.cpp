#include "image/codecs/cPNGwriter.h"

#include "image/codecs/PngReduction.h"
#include "image/codecs/PngZlib.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"
#include "platform/runtime/Windows1252.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <array>
#include <cmath>
#include <new>
#include <optional>

namespace XrImage {

namespace {

constexpr int DateSlot = 10;
constexpr int FirstMiscSlot = 11;

const std::array<QString, 10> standardKeywords{
    QStringLiteral("Title"),      QStringLiteral("Author"),        QStringLiteral("Description"),
    QStringLiteral("Copyright"),  QStringLiteral("Creation Time"), QStringLiteral("Software"),
    QStringLiteral("Disclaimer"), QStringLiteral("Warning"),       QStringLiteral("Source"),
    QStringLiteral("Comment")};

// The slot (0-9) of a standard text's flag, -1 for any other identifier.
int standardSlot(std::int32_t id)
{
    for (int slot = 0; slot < 10; ++slot)
        if (id == (1 << slot))
            return slot;
    return -1;
}

bool isValidId(std::int32_t id)
{
    return id > 0 && id <= pngProp_FilterMethod && (id & (id - 1)) == 0;
}

QString normaliseKeyword(const QString& keyword)
{
    // Only spaces are trimmed: a tab or line end at either end rejects the keyword below.
    const QString cut = keyword.left(79);
    qsizetype start = 0;
    qsizetype end = cut.size();
    while (start < end && cut[start] == QLatin1Char(' '))
        ++start;
    while (end > start && cut[end - 1] == QLatin1Char(' '))
        --end;
    QString result = cut.mid(start, end - start);
    while (result.contains(QLatin1String("  ")))
        result.replace(QLatin1String("  "), QLatin1String(" "));
    for (QChar& c : result) {
        const int code = vb::unicodeToWindows1252(c.unicode());
        if (code == 160) {
            c = QLatin1Char(' ');
        } else if (!((code >= 32 && code <= 126) || (code >= 161 && code <= 255))) {
            return {};
        }
    }
    return result;
}

// The standard slot a keyword names (any letter case), -1 for a free keyword.
int standardKeywordSlot(const QString& keyword)
{
    for (int slot = 0; slot < 10; ++slot)
        if (keyword.compare(standardKeywords[std::size_t(slot)], Qt::CaseInsensitive) == 0)
            return slot;
    return -1;
}

QString normaliseText(const QString& text)
{
    QString result = text.left(32700);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar c : result) {
        const int code = vb::unicodeToWindows1252(c.unicode());
        if (code < 32 && code != 9 && code != 10)
            return {};
    }
    return result;
}

// Dates as people write them, in English: month first with slashes or dashes, the year first,
// the month's name or its first three letters before or after the day, each with an optional
// time of day in 24 or 12 hours ("12/10/2024 8:30:15 AM", "December 10, 2024", "10-Dec-24").
// A time alone falls on the zero date; two-digit years below 30 are this century's.
std::optional<QDateTime> writtenDate(const QString& text)
{
    static const QStringList dates = {
        QStringLiteral("M/d/yyyy"),     QStringLiteral("M/d/yy"),
        QStringLiteral("M-d-yyyy"),     QStringLiteral("M-d-yy"),
        QStringLiteral("yyyy/M/d"),     QStringLiteral("yyyy-M-d"),
        QStringLiteral("MMMM d, yyyy"), QStringLiteral("MMM d, yyyy"),
        QStringLiteral("MMMM d yyyy"),  QStringLiteral("MMM d yyyy"),
        QStringLiteral("d MMMM yyyy"),  QStringLiteral("d MMM yyyy"),
        QStringLiteral("d-MMM-yyyy"),   QStringLiteral("d-MMM-yy"),
    };
    static const QStringList times = {
        QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm AP"), QStringLiteral("h AP"),
        QStringLiteral("H:mm:ss"),    QStringLiteral("H:mm"),
    };
    const QLocale english = QLocale::c();
    for (const QString& time : times) {
        const QTime parsed = english.toTime(text, time);
        if (parsed.isValid())
            return QDateTime(QDate(1899, 12, 30), parsed);
    }
    const auto centuryMended = [](QDate date, const QString& format) {
        if (format.endsWith(QStringLiteral("yy")) && !format.endsWith(QStringLiteral("yyyy")) &&
            date.year() < 1930)
            return date.addYears(100);
        return date;
    };
    for (const QString& date : dates) {
        const QDate day = english.toDate(text, date);
        if (day.isValid())
            return centuryMended(day, date).startOfDay();
        for (const QString& time : times) {
            const QDateTime both = english.toDateTime(text, date + QLatin1Char(' ') + time);
            if (both.isValid())
                return QDateTime(centuryMended(both.date(), date), both.time());
        }
    }
    return std::nullopt;
}

std::optional<QDateTime> toDate(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    for (Qt::DateFormat format : {Qt::ISODate, Qt::TextDate, Qt::RFC2822Date}) {
        const QDateTime parsed = QDateTime::fromString(text, format);
        if (parsed.isValid())
            return parsed;
    }
    if (const std::optional<QDateTime> written = writtenDate(text.simplified()))
        return written;
    const QLocale locale;
    for (QLocale::FormatType format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime parsed = locale.toDateTime(text, format);
        if (parsed.isValid())
            return parsed;
        const QDate date = locale.toDate(text, format);
        if (date.isValid())
            return date.startOfDay();
    }
    return std::nullopt;
}

// A Long from a number or numeric text; nothing when it is neither.
std::optional<std::int32_t> toLong(const QVariant& value)
{
    try {
        switch (value.typeId()) {
            case QMetaType::QString:
                return vb::CLng(value.toString());
            case QMetaType::Bool:
                return value.toBool() ? -1 : 0;
            default:
                break;
        }
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return vb::CLng(number);
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

QDateTime zeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

void appendBigEndian(QByteArray& out, std::uint32_t value)
{
    out.append(char(value >> 24))
        .append(char(value >> 16))
        .append(char(value >> 8))
        .append(char(value));
}

// Compresses into the buffer rule's room: n + round(n x 0.01 + 12), halves to even.
std::optional<QByteArray> compressed(png::ZlibBinding& zlib, const std::uint8_t* data,
                                     std::size_t size)
{
    const double room = double(size) + vb::roundHalfEven(double(size) * 0.01 + 12);
    QByteArray out(qsizetype(room), '\0');
    unsigned long length = static_cast<unsigned long>(room);
    if (!zlib.Compress(reinterpret_cast<std::uint8_t*>(out.data()), length, data, size))
        return std::nullopt;
    out.truncate(qsizetype(length));
    return out;
}

class ChunkStream {
public:
    explicit ChunkStream(png::ZlibBinding& zlib) : m_zlib(zlib)
    {
        m_bytes.append("\x89PNG\r\n\x1a\n", 8);
    }

    bool add(const char* type, const QByteArray& data)
    {
        QByteArray typed(type, 4);
        typed.append(data);
        const std::optional<std::uint32_t> crc = m_zlib.Crc32(
            reinterpret_cast<const std::uint8_t*>(typed.constData()), std::size_t(typed.size()));
        if (!crc)
            return false;
        appendBigEndian(m_bytes, std::uint32_t(data.size()));
        m_bytes.append(typed);
        appendBigEndian(m_bytes, *crc);
        return true;
    }

    const QByteArray& bytes() const { return m_bytes; }

private:
    png::ZlibBinding& m_zlib;
    QByteArray m_bytes;
};

QByteArray textChunkBody(const QString& keyword, const QString& text)
{
    QByteArray body = vb::toWindows1252(keyword);
    body.append('\0');
    body.append(vb::toWindows1252(text));
    return body;
}

}  // namespace

bool cPNGwriter::setText(int slot, const QVariant& value)
{
    Texts[slot] = normaliseText(value.toString());
    Mask |= 1 << slot;
    return true;
}

bool cPNGwriter::SetPngProperty(std::int32_t PropertyID, const QVariant& PropertyValue,
                                const QString& Caption_Misc)
{
    if (!isValidId(PropertyID) || !PropertyValue.isValid() || PropertyValue.isNull() ||
        PropertyValue.metaType().flags().testFlag(QMetaType::PointerToQObject))
        return false;
    if (Texts.isEmpty())
        Texts = QStringList(FirstMiscSlot, QString());
    switch (PropertyID) {
        case pngProp_Miscellaneous: {
            const QString keyword = normaliseKeyword(Caption_Misc);
            if (keyword.isEmpty())
                return false;
            if (const int slot = standardKeywordSlot(keyword); slot >= 0)
                return SetPngProperty(1 << slot, PropertyValue);
            const QString entry = keyword + QChar(0) + normaliseText(PropertyValue.toString());
            for (int slot = FirstMiscSlot; slot < Texts.size(); ++slot) {
                if (Texts[slot].section(QChar(0), 0, 0).compare(keyword, Qt::CaseInsensitive) ==
                    0) {
                    Texts[slot] = entry;
                    Mask |= pngProp_Miscellaneous;
                    return true;
                }
            }
            Texts.append(entry);
            Mask |= pngProp_Miscellaneous;
            return true;
        }
        case pngProp_DateTimeModified: {
            const std::optional<QDateTime> date = toDate(PropertyValue);
            if (!date)
                return false;
            Modified = *date;
            Texts[DateSlot] = date->toString(Qt::ISODate);
            Mask |= pngProp_DateTimeModified;
            return true;
        }
        case pngProp_DefaultBkgColor:
        case pngProp_FilterMethod: {
            const std::optional<std::int32_t> number = toLong(PropertyValue);
            if (!number)
                return false;
            if (PropertyID == pngProp_DefaultBkgColor)
                BackgroundColour = *number & 0xFFFFFF;
            else
                FilterMethod = *number;
            Mask |= PropertyID;
            return true;
        }
        default:
            return setText(standardSlot(PropertyID), PropertyValue);
    }
}

bool cPNGwriter::RemovePngProperty(std::int32_t PropertyID, const QString& Caption_Misc)
{
    if (!isValidId(PropertyID) || (Mask & PropertyID) == 0)
        return false;
    switch (PropertyID) {
        case pngProp_Miscellaneous: {
            const QString keyword = normaliseKeyword(Caption_Misc);
            if (keyword.isEmpty())
                return false;
            if (const int slot = standardKeywordSlot(keyword); slot >= 0)
                return RemovePngProperty(1 << slot);
            for (int slot = FirstMiscSlot; slot < Texts.size(); ++slot) {
                if (Texts[slot].section(QChar(0), 0, 0) == keyword) {
                    Texts[slot] = Texts.last();
                    Texts.removeLast();
                    if (Texts.size() == FirstMiscSlot)
                        Mask &= ~pngProp_Miscellaneous;
                    return true;
                }
            }
            return false;
        }
        case pngProp_DefaultBkgColor:
            Mask &= ~pngProp_DefaultBkgColor;
            return true;
        case pngProp_FilterMethod:
            FilterMethod = 0;
            Mask &= ~pngProp_FilterMethod;
            return true;
        case pngProp_DateTimeModified:
            Texts[DateSlot].clear();
            Modified = {};
            Mask &= ~pngProp_DateTimeModified;
            return true;
        default:
            Texts[standardSlot(PropertyID)].clear();
            Mask &= ~PropertyID;
            return true;
    }
}

QVariant cPNGwriter::GetPngProperty(std::int32_t PropertyID, const QString& Caption_Misc) const
{
    if (!isValidId(PropertyID))
        return {};
    switch (PropertyID) {
        case pngProp_Miscellaneous: {
            const QString keyword = normaliseKeyword(Caption_Misc);
            if ((Mask & pngProp_Miscellaneous) == 0 || keyword.isEmpty())
                return QString();
            if (const int slot = standardKeywordSlot(keyword); slot >= 0)
                return GetPngProperty(1 << slot);
            for (int slot = FirstMiscSlot; slot < Texts.size(); ++slot)
                if (Texts[slot].section(QChar(0), 0, 0).compare(keyword, Qt::CaseInsensitive) == 0)
                    return Texts[slot].section(QChar(0), 1);
            return QString();
        }
        case pngProp_DateTimeModified:
            return (Mask & pngProp_DateTimeModified) ? Modified : zeroDate();
        case pngProp_DefaultBkgColor:
            return (Mask & pngProp_DefaultBkgColor) ? BackgroundColour : std::int32_t(-1);
        case pngProp_FilterMethod:
            return FilterMethod;
        default:
            return (Mask & PropertyID) ? Texts[standardSlot(PropertyID)] : QString();
    }
}

bool cPNGwriter::WritePng(c32bppDIB& cHost, const QString& FileName, QByteArray& outStream)
{
    // Running out of memory for the prepared rows or the compressed data fails the write.
    try {
        return writePngOrThrow(cHost, FileName, outStream);
    } catch (const std::bad_alloc&) {
        if (FileName.isEmpty())
            outStream.clear();
        return false;
    }
}

bool cPNGwriter::writePngOrThrow(c32bppDIB& cHost, const QString& FileName, QByteArray& outStream)
{
    const bool toFile = !FileName.isEmpty();
    auto fail = [&] {
        if (!toFile)
            outStream.clear();
        return false;
    };
    if (cHost.Handle() == 0 || !cHost.BitsPointer())
        return fail();
    png::ZlibBinding zlib;
    if (!zlib.BindCompressor())
        return fail();

    png::PreparedImage image;
    if (!png::ReduceToPalette(cHost.BitsPointer(), cHost.Width(), cHost.Height(), cHost.Alpha(),
                              image))
        png::PrepareTrueColour(cHost.BitsPointer(), cHost.Width(), cHost.Height(), cHost.Alpha(),
                               image);

    const bool hasBackground = (Mask & pngProp_DefaultBkgColor) != 0;
    const std::uint8_t backRed = std::uint8_t(BackgroundColour);
    const std::uint8_t backGreen = std::uint8_t(BackgroundColour >> 8);
    const std::uint8_t backBlue = std::uint8_t(BackgroundColour >> 16);
    int backgroundIndex = -1;
    if (hasBackground && image.colorType == 3) {
        const int entries = int(image.palette.size() / 3);
        for (int k = 0; k < entries && backgroundIndex < 0; ++k) {
            const std::uint8_t* rgb = image.palette.data() + 3 * k;
            if (rgb[0] == backRed && rgb[1] == backGreen && rgb[2] == backBlue)
                backgroundIndex = k;
        }
        // An added entry lies past tRNS, so it is opaque.
        if (backgroundIndex < 0 && entries < 256) {
            image.palette.insert(image.palette.end(), {backRed, backGreen, backBlue});
            backgroundIndex = entries;
        }
    }

    ChunkStream chunks(zlib);
    auto addText = [&](int slot) {
        if ((Mask & (1 << slot)) == 0)
            return true;
        return chunks.add("tEXt", textChunkBody(standardKeywords[std::size_t(slot)], Texts[slot]));
    };

    QByteArray header;
    appendBigEndian(header, std::uint32_t(image.width));
    appendBigEndian(header, std::uint32_t(image.height));
    header.append(char(8)).append(char(image.colorType)).append(3, '\0');
    bool ok = chunks.add("IHDR", header) && addText(0) && addText(1);
    if (ok && image.colorType == 3)
        ok = chunks.add("PLTE", QByteArray(reinterpret_cast<const char*>(image.palette.data()),
                                           qsizetype(image.palette.size())));
    if (ok && hasBackground && (image.colorType != 3 || backgroundIndex >= 0)) {
        QByteArray background;
        switch (image.colorType) {
            case 0:
                background.append('\0').append(char(backRed));
                break;
            case 3:
                background.append(char(backgroundIndex));
                break;
            default:
                for (std::uint8_t sample : {backRed, backGreen, backBlue})
                    background.append('\0').append(char(sample));
                break;
        }
        ok = chunks.add("bKGD", background);
    }
    if (ok && image.transparency != -1 && image.colorType != 6) {
        QByteArray transparency;
        const auto key = std::uint32_t(image.transparency);
        if (image.colorType == 0)
            transparency.append('\0').append(char(key));
        else if (image.colorType == 2)
            for (int shift : {0, 8, 16})
                transparency.append('\0').append(char(key >> shift));
        else
            transparency = QByteArray(reinterpret_cast<const char*>(image.paletteAlpha.data()),
                                      qsizetype(image.paletteAlpha.size()));
        ok = chunks.add("tRNS", transparency);
    }
    if (ok) {
        std::vector<std::uint8_t> filtered = png::FilterRows(image, FilterMethod);
        std::vector<std::uint8_t>().swap(image.rows);
        const std::optional<QByteArray> data = compressed(zlib, filtered.data(), filtered.size());
        ok = data && chunks.add("IDAT", *data);
    }
    if (ok && (Mask & pngProp_DateTimeModified)) {
        QByteArray time;
        const QDate date = Modified.date();
        const QTime clock = Modified.time();
        time.append(char(date.year() >> 8)).append(char(date.year()));
        time.append(char(date.month())).append(char(date.day()));
        time.append(char(clock.hour())).append(char(clock.minute())).append(char(clock.second()));
        ok = chunks.add("tIME", time);
    }
    for (int slot = 2; ok && slot < 10; ++slot)
        ok = addText(slot);
    for (int slot = FirstMiscSlot; ok && slot < Texts.size(); ++slot) {
        const QString keyword = Texts[slot].section(QChar(0), 0, 0);
        const QString text = Texts[slot].section(QChar(0), 1);
        if (text.size() > 1024) {
            const QByteArray raw = vb::toWindows1252(text);
            if (const std::optional<QByteArray> packed =
                    compressed(zlib, reinterpret_cast<const std::uint8_t*>(raw.constData()),
                               std::size_t(raw.size()))) {
                QByteArray body = vb::toWindows1252(keyword);
                body.append('\0').append('\0').append(*packed);
                ok = chunks.add("zTXt", body);
                continue;
            }
        }
        ok = chunks.add("tEXt", textChunkBody(keyword, text));
    }
    ok = ok && chunks.add("IEND", {});
    if (!ok)
        return fail();
    if (!toFile) {
        outStream = chunks.bytes();
        return true;
    }
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(chunks.bytes()) != chunks.bytes().size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace XrImage
