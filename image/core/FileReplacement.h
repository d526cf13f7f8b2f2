// Every image writer stores a file the same way: the bytes go to a new file beside the target,
// which replaces the target only once it is complete. A failed save leaves the old file as it
// was (and creates nothing), and a replaced file keeps its permission bits.
#pragma once

#include <QByteArray>
#include <QString>

namespace XrImage {

// True when the whole of bytes now stands under fileName.
bool writeFileReplacing(const QString& fileName, const QByteArray& bytes);

}  // namespace XrImage
