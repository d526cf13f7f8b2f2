// Drawing an image on the own compositing road and scaling it with the weighted resampler,
// each beside the plain QPainter equivalent in the same run.
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>

namespace {

// Premultiplied pixels with varied alpha, colour never above it.
void fillPattern(std::uint8_t* bits, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bits + (std::size_t(y) * width + x) * 4;
            const int a = (x * 7 + y * 3) & 255;
            p[0] = std::uint8_t(a * (x & 255) / 255);
            p[1] = std::uint8_t(a * (y & 255) / 255);
            p[2] = std::uint8_t(a * ((x ^ y) & 255) / 255);
            p[3] = std::uint8_t(a);
        }
    }
}

std::unique_ptr<XrImage::c32bppDIB> ownRoadImage(int width, int height, bool weighted)
{
    auto image = std::make_unique<XrImage::c32bppDIB>();
    image->LetisGDIplusEnabled(false);
    image->LetisAlphaBlendFriendly(false);
    image->LetHighQualityInterpolation(weighted);
    image->InitializeDIB(width, height);
    fillPattern(image->BitsPointer(), width, height);
    return image;
}

QImage qtImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    fillPattern(image.bits(), width, height);
    return image;
}

void BM_RenderOwnRoadOpacity50(benchmark::State& state)
{
    auto image = ownRoadImage(1000, 1000, false);
    gdi::DeviceContext dc;
    dc.selectBitmap(gdi::Bitmap::create(1000, 1000, 1.0));
    for (auto _ : state)
        benchmark::DoNotOptimize(image->Render(&dc, 0, 0, 0, 0, 0, 0, 0, 0, 50));
}
BENCHMARK(BM_RenderOwnRoadOpacity50)->Unit(benchmark::kMillisecond);

void BM_QPainterDrawOpacity50(benchmark::State& state)
{
    const QImage source = qtImage(1000, 1000);
    QImage target(1000, 1000, QImage::Format_RGB32);
    target.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.setOpacity(0.5);
        painter.drawImage(0, 0, source);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_QPainterDrawOpacity50)->Unit(benchmark::kMillisecond);

void BM_ResizeWeighted12MPToQuarter(benchmark::State& state)
{
    auto original = ownRoadImage(4000, 3000, true);
    for (auto _ : state) {
        state.PauseTiming();
        auto image = ownRoadImage(1, 1, true);
        original->CopyImageTo(*image);
        state.ResumeTiming();
        benchmark::DoNotOptimize(image->Resize(1000, 750));
    }
}
BENCHMARK(BM_ResizeWeighted12MPToQuarter)->Unit(benchmark::kMillisecond);

void BM_QImageSmoothScale12MPToQuarter(benchmark::State& state)
{
    const QImage source = qtImage(4000, 3000);
    for (auto _ : state) {
        const QImage scaled =
            source.scaled(1000, 750, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}
BENCHMARK(BM_QImageSmoothScale12MPToQuarter)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
