// Draws the program's document icon and writes it as an icon file with 16, 32 and 48 pixel
// images (32-bit bitmaps with an AND mask), the program's resource EXTENSIONICON 101:
//     cmake --build build/release --target draw-document-icon
//     QT_QPA_PLATFORM=offscreen build/release/bin/draw-document-icon
//     resources/Scrivet/EXTENSIONICON/101
#include "app/ArtWork.h"

#include <QFile>
#include <QGuiApplication>
#include <QtEndian>
#include <cstdio>

namespace {

void putLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// One icon image: a bottom-up 32-bit bitmap of twice the height (colour, then mask) without
// its file header.
QByteArray iconBitmap(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    QByteArray out;
    putLe32(out, 40);
    putLe32(out, static_cast<quint32>(size));
    putLe32(out, static_cast<quint32>(size * 2));
    putLe16(out, 1);
    putLe16(out, 32);
    for (int field = 0; field < 6; ++field)
        putLe32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            putLe32(out, row[x]);
    }
    const int maskStride = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray maskRow(maskStride, '\0');
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            if (qAlpha(row[x]) == 0)
                maskRow[x / 8] = static_cast<char>(maskRow[x / 8] | (0x80 >> (x % 8)));
        out.append(maskRow);
    }
    return out;
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-document-icon <icon file>\n");
        return 2;
    }
    const int sizes[] = {16, 32, 48};
    QList<QByteArray> bitmaps;
    for (int size : sizes)
        bitmaps.append(iconBitmap(app::drawDocumentIcon(size)));

    QByteArray file;
    putLe16(file, 0);
    putLe16(file, 1);
    putLe16(file, static_cast<quint16>(bitmaps.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(bitmaps.size());
    for (qsizetype index = 0; index < bitmaps.size(); ++index) {
        file.append(static_cast<char>(sizes[index]));
        file.append(static_cast<char>(sizes[index]));
        file.append('\0');  // no palette
        file.append('\0');
        putLe16(file, 1);
        putLe16(file, 32);
        putLe32(file, static_cast<quint32>(bitmaps[index].size()));
        putLe32(file, offset);
        offset += static_cast<quint32>(bitmaps[index].size());
    }
    for (const QByteArray& bitmap : bitmaps)
        file.append(bitmap);

    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
        std::fprintf(stderr, "draw-document-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
