// Splits RTF bytes into groups, control words, control symbols, hex bytes, text runs and \bin
// data. Bounds-checked throughout; it never reads past its input.
#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace richedit {

struct RtfToken {
    enum Type {
        End,            // input exhausted
        GroupOpen,      // {
        GroupClose,     // }
        Text,           // a run of plain bytes (raw CR, LF and other control bytes left out)
        ControlWord,    // \name with an optional parameter
        ControlSymbol,  // \ followed by one non-letter (\~ \- \_ \* \\ \{ \} ...)
        HexByte,        // \'hh
        Binary,         // the data of \binN
        Truncated,      // \binN whose count runs past the end: reading stops here
    };
    Type type = End;
    QByteArrayView bytes;  // Text: the run; ControlWord: the name; Binary: the data
    int32_t param = 0;
    bool hasParam = false;
    char symbol = 0;        // ControlSymbol
    unsigned char hex = 0;  // HexByte
};

// The value of one hex digit, or -1 for any other byte.
int rtfHexValue(char c);

class RtfTokenizer {
public:
    explicit RtfTokenizer(QByteArrayView input, qsizetype start = 0) : m_input(input), m_pos(start)
    {
    }

    RtfToken next();

private:
    RtfToken readControl();
    void readHexByte(RtfToken& token);
    RtfToken readText();
    int hexDigit(qsizetype at) const;

    QByteArrayView m_input;
    qsizetype m_pos;
};

}  // namespace richedit
