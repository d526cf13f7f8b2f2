// Plain text of words in paragraphs of a few hundred characters, the same on every run, for
// the benchmarks that need a document of a given size.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <iterator>

inline QString generatedText(qsizetype size)
{
    static const char* const words[] = {"the",  "quick",   "report", "was",   "sent",  "to",
                                        "our",  "office",  "in",     "2024",  "plans", "review",
                                        "noon", "figures", "and",    "under", "colour"};
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    QString text;
    text.reserve(size + 64);
    while (text.size() < size) {
        text += QLatin1String(words[next() % std::size(words)]);
        text += next() % 60 == 0 ? QStringLiteral("\r\n") : QStringLiteral(" ");
    }
    return text;
}

// `count` numbered lines of prose, each a paragraph of its own.
inline QString numberedProseLines(int count)
{
    QStringList text;
    for (int i = 0; i < count; ++i)
        text
            << QStringLiteral("Line %1 of the document, long enough to be a line of prose.").arg(i);
    return text.join(QStringLiteral("\r\n"));
}
