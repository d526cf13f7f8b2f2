#include "platform/richedit/rtf/RtfCodePage.h"

#include "platform/runtime/Windows1252.h"

#include <QStringDecoder>
#include <vector>

namespace richedit {

int codePageForCharset(int charset)
{
    switch (charset) {
        case 0:  // ANSI (Western)
        case 2:  // Symbol: its glyph codes are kept as the Windows-1252 characters of the bytes
            return Windows1252CodePage;
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 0;
    }
}

namespace {

// Names under which Qt's converters know a code page, most specific first.
std::vector<const char*> namesFor(int codePage)
{
    switch (codePage) {
        case 932:
            return {"windows-31j", "Shift_JIS"};
        case 936:
            return {"GBK", "GB2312"};
        case 949:
            return {"windows-949", "EUC-KR"};
        case 950:
            return {"Big5", "windows-950"};
        case 10000:
            return {"macintosh"};
        case 65001:
            return {"UTF-8"};
        default:
            return {};
    }
}

std::unique_ptr<QStringDecoder> makeDecoder(int codePage)
{
    auto tryName = [](const QByteArray& name) -> std::unique_ptr<QStringDecoder> {
        auto decoder =
            std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        return decoder->isValid() ? std::move(decoder) : nullptr;
    };
    for (const char* name : namesFor(codePage)) {
        if (auto decoder = tryName(name))
            return decoder;
    }
    const QByteArray number = QByteArray::number(codePage);
    for (const char* prefix : {"windows-", "IBM", "cp"}) {
        if (auto decoder = tryName(prefix + number))
            return decoder;
    }
    return nullptr;
}

}  // namespace

RtfTextDecoder::RtfTextDecoder() = default;
RtfTextDecoder::~RtfTextDecoder() = default;

QStringDecoder* RtfTextDecoder::decoderFor(int codePage)
{
    auto found = m_decoders.find(codePage);
    if (found == m_decoders.end())
        found = m_decoders.emplace(codePage, makeDecoder(codePage)).first;
    return found->second.get();
}

void RtfTextDecoder::decodeAppend(QByteArrayView bytes, int codePage, QString& out)
{
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // ASCII reads the same in every code page we meet, except where a double-byte code page
    // pairs a lead byte with it, and a lead byte is never ASCII.
    if (ascii) {
        out.append(QLatin1String(bytes.data(), bytes.size()));
        return;
    }
    QStringDecoder* decoder =
        codePage == Windows1252CodePage || codePage <= 0 ? nullptr : decoderFor(codePage);
    if (decoder) {
        out.append(decoder->decode(bytes));
        return;
    }
    out.reserve(out.size() + bytes.size());
    for (char c : bytes)
        out.append(QChar(vb::windows1252ToUnicode(static_cast<unsigned char>(c))));
}

}  // namespace richedit
