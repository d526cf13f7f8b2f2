// Reading and writing single values of INI files with private-profile semantics (see
// IniDocument for the rules); every write replaces the file safely.
#pragma once

#include <QString>

#include <span>

namespace sys {

constexpr int DefaultProfileBufferSize = 65536;

// Puts the key's value, or `defaultValue` when the file, the section or the key is missing,
// into `returned` and gives the number of characters it holds. Like a reader with a buffer of
// `bufferSize` characters that include a terminating NUL, a longer text is cut to
// bufferSize - 1 characters (never inside a surrogate pair); a buffer size below 1 gives 0.
int getPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& returned, const QString& path,
                            int bufferSize = DefaultProfileBufferSize);

// Stores the value, creating the file, the section and the key as needed, and changes
// nothing else in the file. False when the value cannot be stored (a name or value that does
// not fit on one line, a missing folder, no right to write). Writers of the same file in this
// and other processes take turns, so a write never undoes another write of a different key.
bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path);

struct ProfileValue {
    QString section;
    QString key;
    QString value;
};

// Stores the values in their order as that many single writes would, in one replacement of the
// file: a program that sets many keys at once waits for the disk once. Values that cannot be
// stored are passed over; false when any was, or when the file could not be written.
bool writePrivateProfileStrings(std::span<const ProfileValue> values, const QString& path);

}  // namespace sys
