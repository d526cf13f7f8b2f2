// The RTF writer's output buffer: one growing byte array with the control-word, number,
// text-escaping and hex primitives the writer is built from.
#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstdint>

namespace richedit {

class RtfOutput {
public:
    explicit RtfOutput(qsizetype reserve);

    QByteArray take();
    // What has been written and not yet taken or discarded.
    qsizetype size() const { return m_bytes.size(); }
    // Drops what has been written, keeping the buffer for more; returns how much was dropped.
    qsizetype discard()
    {
        const qsizetype dropped = m_bytes.size();
        m_bytes.resize(0);
        return dropped;
    }

    void raw(char c) { m_bytes.append(c); }
    void raw(const char* text);
    void newline()
    {
        raw("\r\n");
        m_afterWord = false;
    }

    // A control word such as "\b" or "\fs" with an optional number; the following text gets
    // the one delimiting space it needs.
    void word(const char* name);
    void word(const char* name, int64_t number);
    // "{" and "}" end any pending control word by themselves.
    void openGroup()
    {
        raw('{');
        m_afterWord = false;
    }
    void closeGroup()
    {
        raw('}');
        m_afterWord = false;
    }
    // Marks a delimiting space as already written ("\par ").
    void wordEnded() { m_afterWord = false; }

    // Text, escaped: 7-bit output with \\ \{ \} \tab \line \~ \- \'hh and \uN?.
    void text(QStringView text);
    // Whether characters of Windows-1252's upper half may be written as \'hh. A reader decodes
    // \'hh in the code page of the current font's character set, so text in a font of another
    // character set writes them as \uN? instead.
    void setWindows1252Escapes(bool allowed) { m_windows1252 = allowed; }
    // A face name in the font table: escaped like text, with ';' hidden from the table's
    // entry terminator.
    void faceName(QStringView face);
    // Bytes as lower-case hex digits, in bulk.
    void hex(const QByteArray& bytes);

private:
    void number(int64_t value);
    void hexByte(unsigned char byte);
    void unit(char16_t c, bool escapeSemicolon);
    // Writes the unit at `p` (with its other half, for a surrogate pair); returns what follows.
    const char16_t* pairedUnit(const char16_t* p, const char16_t* end, bool escapeSemicolon);

    QByteArray m_bytes;
    bool m_afterWord = false;
    bool m_windows1252 = true;
};

}  // namespace richedit
