// Our metafile player against reference renders of the same files by an independent renderer
// (kept in tests/data/metafiles with the metafiles themselves). Antialiasing and font
// rasterisation differ between renderers, so the comparison allows a tolerance: at most 4 % of
// the pixels may differ by more than 96 in a channel, and the mean difference over all channels
// stays under 10 levels.
#include "platform/picture/Metafile.h"

#include "MetafileScenes.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cstdlib>
#include <set>

using namespace picture;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

QString dataPath(const QString& name)
{
    return QDir(QStringLiteral(SCRIVET_METAFILE_DATA_DIR)).filePath(name);
}

QImage onWhite(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

struct Difference {
    double badShare = 0;  // pixels off by more than the threshold in a channel
    double meanLevel = 0;
};

Difference compare(const QImage& ours, const QImage& reference)
{
    Difference d;
    std::int64_t bad = 0;
    std::int64_t total = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            const int dr = std::abs(qRed(a) - qRed(b));
            const int dg = std::abs(qGreen(a) - qGreen(b));
            const int db = std::abs(qBlue(a) - qBlue(b));
            total += dr + dg + db;
            if (std::max({dr, dg, db}) > 96)
                ++bad;
        }
    }
    const double pixels = double(reference.width()) * reference.height();
    d.badShare = double(bad) / pixels;
    d.meanLevel = double(total) / (pixels * 3);
    return d;
}

}  // namespace

TEST(MetafileFidelity, ScenesMatchTheCommittedFiles)
{
    // The committed metafiles are the scenes' bytes: the references were rendered from them.
    std::vector<metafiles::Scene> all = metafiles::scenes();
    for (const metafiles::HandMade& file : metafiles::handMade())
        if (file.make)
            all.push_back({file.name, file.make});
    for (const metafiles::Scene& scene : all) {
        SCOPED_TRACE(scene.name);
        const QString extension =
            QString::fromLatin1(scene.name).startsWith(QLatin1String("wmf")) ? ".wmf" : ".emf";
        QFile file(dataPath(QString::fromLatin1(scene.name) + extension));
        const QByteArray made = scene.make();
        if (qEnvironmentVariableIsSet("SCRIVET_WRITE_METAFILES")) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(made);
            continue;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), made);
    }
}

// Plays a metafile the size it has at 96 dpi, centred on the reference as the reference renderer
// placed it (on whole pixels or between them), and compares.
// A render outside the tolerance is left in the temporary folder to be looked at.
Difference playedAgainst(const QByteArray& bytes, const QImage& reference, const QString& name)
{
    auto metafile = Metafile::parse(span(bytes));
    if (!metafile) {
        ADD_FAILURE() << "does not parse";
        return {1, 255};
    }
    const Metafile& m = metafile.value();
    const double width = m.widthHimetric() * 96.0 / 2540.0;
    const double height = m.heightHimetric() * 96.0 / 2540.0;
    QImage ours(reference.size(), QImage::Format_ARGB32_Premultiplied);
    ours.fill(Qt::white);
    QPainter painter(&ours);
    EXPECT_TRUE(m.play(painter, QRectF((reference.width() - width) / 2.0,
                                       (reference.height() - height) / 2.0, width, height)));
    painter.end();
    const Difference d = compare(onWhite(ours), onWhite(reference));
    if (d.badShare > 0.04 || d.meanLevel > 10)
        onWhite(ours).save(QDir::temp().filePath(name + "-ours.png"));
    return d;
}

TEST(MetafileFidelity, RendersLikeTheReferenceRenderer)
{
    for (const metafiles::Scene& scene : metafiles::scenes()) {
        SCOPED_TRACE(scene.name);
        const QImage reference(dataPath(QString::fromLatin1(scene.name) + ".png"));
        ASSERT_FALSE(reference.isNull());
        const Difference d =
            playedAgainst(scene.make(), reference, QString::fromLatin1(scene.name));
        EXPECT_LE(d.badShare, 0.04);
        EXPECT_LE(d.meanLevel, 10.0);
    }
}

// Metafiles other programs wrote (tools/make-metafile-corpus.py remakes them): an office
// suite's drawing as an EMF with EMF+ records beside the others and as a placeable WMF, a
// plotting program's chart, and a vector editor's drawing of extended pens (dash arrays,
// every cap, miter joins), a bitmap and paths, as EMF and WMF.
TEST(MetafileFidelity, PlaysMetafilesWrittenByOtherPrograms)
{
    for (const char* name : {"lo-drawing-emf.emf", "lo-drawing-wmf.wmf", "gnuplot-plot.emf",
                             "inkscape-drawing-emf.emf", "inkscape-drawing-wmf.wmf"}) {
        SCOPED_TRACE(name);
        QFile file(dataPath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QImage reference(dataPath(QString::fromLatin1(name).section('.', 0, 0) + ".png"));
        ASSERT_FALSE(reference.isNull());
        const Difference d = playedAgainst(file.readAll(), reference, QString::fromLatin1(name));
        EXPECT_LE(d.badShare, 0.04);
        EXPECT_LE(d.meanLevel, 10.0);
    }
}

// The hand-made files of the records no other program at hand writes, and the files of another
// program that the reference renderer draws wrongly, show what their records define.
TEST(MetafileFidelity, HandMadeFilesDrawWhatTheirRecordsDefine)
{
    for (const metafiles::HandMade& file : metafiles::handMade()) {
        SCOPED_TRACE(file.name);
        const QString extension =
            QString::fromLatin1(file.name).startsWith(QLatin1String("wmf")) ? ".wmf" : ".emf";
        QFile stored(dataPath(QString::fromLatin1(file.name) + extension));
        ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
        auto metafile = Metafile::parse(span(stored.readAll()));
        ASSERT_TRUE(metafile.ok());
        const QImage image = metafile.value().render(200, 150, qRgba(255, 255, 255, 255));
        for (const metafiles::Expectation& e : file.expected) {
            int matching = 0;
            for (int y = e.area.top(); y <= e.area.bottom(); ++y)
                for (int x = e.area.left(); x <= e.area.right(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    matching += std::abs(qRed(p) - qRed(e.colour)) <= e.tolerance &&
                                std::abs(qGreen(p) - qGreen(e.colour)) <= e.tolerance &&
                                std::abs(qBlue(p) - qBlue(e.colour)) <= e.tolerance;
                }
            EXPECT_GE(matching, e.atLeast)
                << "at " << e.area.x() << "," << e.area.y() << " colour " << std::hex << e.colour;
        }
    }
}

// Every EMF, EMF+ and WMF record type the players draw or keep state from stands in at least
// one committed file, so that the tests above see each of them.
TEST(MetafileFidelity, CommittedFilesHoldEveryRecordTypeThePlayersRead)
{
    std::set<std::uint32_t> emf;
    std::set<std::uint32_t> plus;
    std::set<std::uint32_t> wmf;
    for (const QString& name : QDir(QStringLiteral(SCRIVET_METAFILE_DATA_DIR))
                                   .entryList({QStringLiteral("*.emf"), QStringLiteral("*.wmf")})) {
        QFile file(dataPath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto u32 = [&](qsizetype at) {
            return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
        };
        const auto u16 = [&](qsizetype at) {
            return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
        };
        if (name.endsWith(QLatin1String(".emf"))) {
            for (qsizetype at = 0; at + 8 <= bytes.size() && u32(at + 4) >= 8; at += u32(at + 4)) {
                emf.insert(u32(at));
                if (u32(at) != 70 || at + 16 > bytes.size() || u32(at + 12) != 0x2B464D45)
                    continue;
                const qsizetype end = std::min(bytes.size(), at + 12 + qsizetype(u32(at + 8)));
                for (qsizetype p = at + 16; p + 12 <= end && u32(p + 4) >= 12; p += u32(p + 4))
                    plus.insert(u16(p));
            }
            continue;
        }
        qsizetype at = u32(0) == 0x9AC6CDD7 ? 22 : 0;
        for (at += qsizetype(u16(at + 2)) * 2; at + 6 <= bytes.size() && u32(at) >= 3;
             at += qsizetype(u32(at)) * 2)
            wmf.insert(u16(at + 4));
    }
    const std::uint32_t emfRead[] = {
        2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 15, 17, 18, 19, 21,  22,  24, 25, 26,
        27, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44,  45,  46, 47, 49,
        54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 67, 68, 70, 71, 74, 75,  76,  77, 80, 81,
        82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 108, 114, 118};
    for (const std::uint32_t type : emfRead)
        EXPECT_TRUE(emf.count(type)) << "EMF record " << type;
    const std::uint32_t plusRead[] = {0x4001, 0x4002, 0x4008, 0x400A, 0x400B, 0x400C, 0x400D,
                                      0x400E, 0x400F, 0x4014, 0x4015, 0x401A, 0x401B, 0x401C,
                                      0x4021, 0x4025, 0x4026, 0x402A, 0x402B, 0x402C, 0x402D,
                                      0x402E, 0x402F, 0x4030, 0x4031, 0x4032, 0x4033};
    for (const std::uint32_t type : plusRead)
        EXPECT_TRUE(plus.count(type)) << "EMF+ record " << std::hex << type;
    const std::uint32_t wmfRead[] = {
        0x001E, 0x0035, 0x00F7, 0x0102, 0x0103, 0x0106, 0x0107, 0x0127, 0x012B, 0x012C,
        0x012D, 0x012E, 0x0142, 0x01F0, 0x01F9, 0x0201, 0x0209, 0x020B, 0x020C, 0x020F,
        0x0213, 0x0214, 0x0220, 0x0228, 0x02FA, 0x02FB, 0x02FC, 0x0324, 0x0325, 0x0410,
        0x0415, 0x0416, 0x0418, 0x041B, 0x041F, 0x0521, 0x0538, 0x061C, 0x061D, 0x06FF,
        0x0817, 0x081A, 0x0830, 0x0922, 0x0940, 0x0A32, 0x0B23, 0x0B41, 0x0D33, 0x0F43};
    for (const std::uint32_t function : wmfRead)
        EXPECT_TRUE(wmf.count(function)) << "WMF record " << std::hex << function;
}

// Every metafile in the source tree (the test files, and the inputs that once broke a player)
// plays in a process that may map one gigabyte (play_metafiles, as the program shows it and at
// the fuzzer's size). The sanitizers reserve far more address space than that, so only a build
// without them runs this.
TEST(MetafileFidelity, EveryCommittedMetafilePlaysWithinOneGigabyte)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#else
    const QDir data(QStringLiteral(SCRIVET_TEST_DATA_DIR));
    QStringList files;
    QDirIterator all(data.path(), QDir::Files, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QString path = all.next();
        if (path.endsWith(QLatin1String(".emf")) || path.endsWith(QLatin1String(".wmf")) ||
            path.startsWith(data.filePath(QStringLiteral("crashers/metafile/"))))
            files.append(path);
    }
    ASSERT_GT(files.size(), 20);
    for (const QString& path : files) {
        SCOPED_TRACE(data.relativeFilePath(path).toStdString());
        const QByteArray program(SCRIVET_PLAY_METAFILES);
        const QByteArray name = QFile::encodeName(path);
        char* const arguments[] = {const_cast<char*>(program.constData()),
                                   const_cast<char*>(name.constData()), nullptr};
        const pid_t child = ::fork();
        if (child == 0) {
            rlimit limit{};
            ::getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = rlim_t{1} << 30;
            if (::setrlimit(RLIMIT_AS, &limit) == 0) {
                ::alarm(120);
                ::execv(arguments[0], arguments);
            }
            ::_exit(127);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
#endif
}
