// Our metafile player against reference renders of the same files by an independent renderer
// (kept in tests/data/metafiles with the metafiles themselves). Antialiasing and font
// rasterisation differ between renderers, so the comparison allows a tolerance: at most 4 % of
// the pixels may differ by more than 96 in a channel, and the mean difference over all channels
// stays under 10 levels.
#include "platform/picture/Metafile.h"

#include "MetafileScenes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdlib>

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

// The hand-made files of the records no other program at hand writes show what their records
// define.
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
