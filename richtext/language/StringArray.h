// The dynamic String arrays the word members fill: unallocated until the first element is
// stored (IsArrayGood then answers false), zero-based once allocated.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

using StringArray = std::optional<QStringList>;

// Stores `value` as element `index` after resizing the array to upper bound `index`, keeping
// the elements below it: the first result of a call replaces element 0 and drops whatever an
// earlier call left beyond it, while a call that stores nothing leaves the array as it was.
inline void storeArrayElement(StringArray& array, qsizetype index, const QString& value)
{
    if (!array)
        array.emplace();
    array->resize(index + 1);
    (*array)[index] = value;
}

// True when the array's upper bound can be read: an allocated array.
inline bool IsArrayGood(const StringArray& AnyArray)
{
    return AnyArray.has_value();
}

// The Variant form: true for a list value (an allocated array), false for anything else.
inline bool IsArrayGood(const QVariant& AnyArray)
{
    return AnyArray.metaType().id() == QMetaType::QStringList ||
           AnyArray.metaType().id() == QMetaType::QVariantList;
}
