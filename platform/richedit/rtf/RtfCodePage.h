// Code pages of RTF text: the one a font's \fcharset selects, and decoding \'hh bytes and raw
// 8-bit text with it (Windows-1252 through our own table, others through Qt's converters).
#pragma once

#include <QByteArrayView>
#include <QString>
#include <map>
#include <memory>

class QStringDecoder;

namespace richedit {

constexpr int Windows1252CodePage = 1252;

// The code page a \fcharset value selects, or 0 when the charset defers to the document's
// \ansicpg (DEFAULT_CHARSET and values no code page belongs to).
int codePageForCharset(int charset);

class RtfTextDecoder {
public:
    RtfTextDecoder();
    ~RtfTextDecoder();
    RtfTextDecoder(const RtfTextDecoder&) = delete;
    RtfTextDecoder& operator=(const RtfTextDecoder&) = delete;

    // Appends the text of `bytes` in `codePage`. Code pages Qt does not know read as
    // Windows-1252; double-byte code pages combine lead and trail bytes.
    void decodeAppend(QByteArrayView bytes, int codePage, QString& out);

private:
    QStringDecoder* decoderFor(int codePage);

    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;  // null: unknown code page
};

}  // namespace richedit
