// An RTF document of a given size, the same on every run, for the benchmarks that read one.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <iterator>

// The same document on every run: paragraphs of words with formatting groups, colour changes,
// control-made links (\lang357), \'hh and \u escapes, tabs and an occasional list paragraph.
inline QByteArray generatedRtf(qsizetype size)
{
    static const char* const words[] = {
        "the",  "quick", "report", "was",  "sent",    "to",  "our",   "office", "in",
        "2024", "plans", "review", "noon", "figures", "and", "under", "colour", "meeting",
    };
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    QByteArray rtf;
    rtf.reserve(size + 4096);
    rtf +=
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset0 Times New Roman;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green128\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    int paragraph = 0;
    while (rtf.size() < size) {
        const auto choice = next() % 40;
        if (choice == 0)
            rtf += "{\\b bold words}";
        else if (choice == 1)
            rtf += "\\cf1 red\\cf0 ";
        else if (choice == 2)
            rtf += "\\ul\\cf2\\lang357 http://www.example.com/page\\lang1033\\cf0\\ulnone ";
        else if (choice == 3)
            rtf += "caf\\'e9 \\u8364? ";
        else if (choice == 4)
            rtf += "{\\i\\f1\\fs24 italic}\\tab ";
        else if (choice == 5)
            rtf += "\\highlight3 marked\\highlight0 ";
        else
            rtf += words[next() % std::size(words)];
        rtf += ' ';
        if (next() % 12 == 0) {
            rtf += "\r\n\\par ";
            if (++paragraph % 20 == 0)
                rtf +=
                    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'"
                    "B7}}"
                    "\\fi-360\\li720 ";
            else if (paragraph % 20 == 1)
                rtf += "\\pard ";
        }
    }
    rtf += "\\par }\r\n";
    return rtf;
}
