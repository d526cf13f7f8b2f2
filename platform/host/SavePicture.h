// The hosting runtime's picture-saving service: a bitmap picture is written as a 24-bit BMP
// file. The file is written beside the target and replaces it only when complete.
#pragma once

#include <QImage>
#include <QString>

namespace host {

// Raises error 380 for no picture and error 75 when the file cannot be written.
void SavePicture(const QImage& picture, const QString& fileName);

}  // namespace host
