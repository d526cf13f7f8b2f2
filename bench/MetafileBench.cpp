// Drawing metafiles with our player: an EMF of 20,000 filled polygons and 2,000 text records,
// and a WMF of the same, played at 1600 x 1200, against Qt's painter drawing the same shapes and
// text directly (the cost of reading and mapping the records is the difference). The peak
// resident size of the process is reported with each.
#include "platform/picture/Metafile.h"
#include "tests/platform/picture/MetafileBuilder.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

using namespace metafiles;

constexpr int Polygons = 20000;
constexpr int Texts = 2000;
constexpr int Side = 1000;  // logical units of the drawings

struct Shape {
    std::vector<std::pair<int, int>> points;
    std::uint32_t colour;
};

const std::vector<Shape>& shapes()
{
    static const std::vector<Shape> all = [] {
        std::vector<Shape> out;
        std::uint32_t seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 8) % std::uint32_t(range));
        };
        for (int i = 0; i < Polygons; ++i) {
            const int x = next(Side - 40);
            const int y = next(Side - 40);
            out.push_back(
                {{{x, y}, {x + 10 + next(30), y + next(10)}, {x + next(30), y + 10 + next(30)}},
                 rgb(next(256), next(256), next(256))});
        }
        return out;
    }();
    return all;
}

QByteArray emfDrawing()
{
    EmfWriter e;
    e.record(17, {8});              // anisotropic
    e.record(9, {Side, Side});      // window extent
    e.record(11, {1600, 1200});     // viewport extent
    e.record(38, {1, 5, 0, 0, 0});  // null pen
    e.record(37, {1});
    std::uint32_t index = 2;
    for (const Shape& shape : shapes()) {
        e.record(39, {index, 0, shape.colour, 0});
        e.record(37, {index});
        e.points(3, shape.points);
        e.record(40, {index});
    }
    e.record(18, {1});  // transparent text background
    e.font(3, -12, 400, QStringLiteral("DejaVu Sans"));
    e.record(37, {3});
    for (int i = 0; i < Texts; ++i)
        e.textOut((i * 37) % (Side - 100), (i * 53) % (Side - 20), QStringLiteral("Metafile text"));
    return e.file(1600, 1200);
}

QByteArray wmfDrawing()
{
    WmfWriter w;
    w.record(0x020C, {Side, Side});
    w.pen(5, 0, 0);
    w.record(0x012D, {0});
    for (const Shape& shape : shapes()) {
        w.brush(0, shape.colour);
        w.record(0x012D, {1});
        w.points(0x0324, shape.points);
        w.record(0x01F0, {1});
    }
    w.record(0x0102, {1});
    w.font(-12, 400, "DejaVu Sans");
    w.record(0x012D, {1});
    for (int i = 0; i < Texts; ++i)
        w.textOut((i * 37) % (Side - 100), (i * 53) % (Side - 20), "Metafile text");
    return w.placeable(0, 0, Side, Side, 600);
}

void reportPeak(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

void playBench(benchmark::State& state, const QByteArray& bytes)
{
    auto metafile = picture::Metafile::parse(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    QImage target(1600, 1200, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::white);
        QPainter painter(&target);
        benchmark::DoNotOptimize(metafile.value().play(painter, QRectF(0, 0, 1600, 1200)));
    }
    state.counters["records_per_s"] = benchmark::Counter(
        double(Polygons * 4 + Texts) * double(state.iterations()), benchmark::Counter::kIsRate);
    reportPeak(state);
}

void BM_PlayEmf20kPolygons2kTexts(benchmark::State& state)
{
    static const QByteArray bytes = emfDrawing();
    playBench(state, bytes);
}

void BM_PlayWmf20kPolygons2kTexts(benchmark::State& state)
{
    static const QByteArray bytes = wmfDrawing();
    playBench(state, bytes);
}

// The same shapes and text drawn straight with Qt's painter: the floor for the player.
void BM_QtPainterSameDrawing(benchmark::State& state)
{
    QImage target(1600, 1200, QImage::Format_ARGB32_Premultiplied);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(19);
    for (auto _ : state) {
        target.fill(Qt::white);
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.scale(1.6, 1.2);
        painter.setPen(Qt::NoPen);
        for (const Shape& shape : shapes()) {
            painter.setBrush(QColor(int(shape.colour & 0xFF), int((shape.colour >> 8) & 0xFF),
                                    int((shape.colour >> 16) & 0xFF)));
            QPolygonF polygon;
            for (const auto& [x, y] : shape.points)
                polygon << QPointF(x, y);
            painter.drawPolygon(polygon);
        }
        painter.resetTransform();
        painter.setFont(font);
        painter.setPen(Qt::black);
        for (int i = 0; i < Texts; ++i)
            painter.drawText(
                QPointF(((i * 37) % (Side - 100)) * 1.6, ((i * 53) % (Side - 20)) * 1.2 + 18),
                QStringLiteral("Metafile text"));
    }
    reportPeak(state);
}

}  // namespace

BENCHMARK(BM_PlayEmf20kPolygons2kTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayWmf20kPolygons2kTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtPainterSameDrawing)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
