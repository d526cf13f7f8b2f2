// Plays each metafile named on the command line as the program shows one (its own size, at most
// 4096 pixels a side) and at the fuzzer's small size. Exits 0 when every file was played, to
// the end or to where its records stop; a file that exhausts memory ends it otherwise.
#include "platform/picture/Metafile.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        const QByteArray bytes = file.readAll();
        auto metafile = picture::Metafile::parse(
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
            2540, 2540);
        if (!metafile)
            continue;
        const picture::Metafile& m = metafile.value();
        QSize shown(std::max(1, m.pixelWidth()), std::max(1, m.pixelHeight()));
        if (shown.width() > 4096 || shown.height() > 4096)
            shown.scale(4096, 4096, Qt::KeepAspectRatio);
        m.render(std::max(1, shown.width()), std::max(1, shown.height()));
        m.render(48, 32);
    }
    return 0;
}
