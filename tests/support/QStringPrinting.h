// Shows QStrings as quoted text in failure messages (GoogleTest finds PrintTo by argument
// lookup, so it lives beside QString in the global namespace).
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
