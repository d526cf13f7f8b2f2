// Decoding a 4000 x 3000 24-bit BMP with our DIB decoder and with Qt's BMP reader, in the same
// run; the goal is to be at least as fast as Qt.
#include "platform/picture/DibDecoder.h"

#include <benchmark/benchmark.h>
#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace {

const QByteArray& photoBmp()
{
    static const QByteArray bytes = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
        }
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
        return out;
    }();
    return bytes;
}

void BM_DibDecoder24Bit12MP(benchmark::State& state)
{
    const QByteArray& bmp = photoBmp();
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bmp.data()),
                                             std::size_t(bmp.size()));
    for (auto _ : state) {
        auto decoded = picture::decodeBmpFile(data);
        benchmark::DoNotOptimize(decoded.value().image.constBits());
    }
    state.SetBytesProcessed(state.iterations() * bmp.size());
}
BENCHMARK(BM_DibDecoder24Bit12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_QtBmpReader24Bit12MP(benchmark::State& state)
{
    const QByteArray& bmp = photoBmp();
    for (auto _ : state) {
        const QImage image = QImage::fromData(bmp, "BMP");
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(state.iterations() * bmp.size());
}
BENCHMARK(BM_QtBmpReader24Bit12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
