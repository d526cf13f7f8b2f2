// The PNG codec on a 4000 x 3000 RGBA photo-like image, in one run: own decode against libpng
// and against a bare zlib inflate of the same image data; own encode against Qt's at zlib
// level 9; the own inflater against zlib. Goals: decode at least as fast as libpng and within
// 1.3x of the inflate alone.
#include "image/codecs/PngInflate.h"
#include "image/codecs/cPNGparser.h"
#include "image/codecs/cPNGwriter.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int imageWidth = 4000;
constexpr int imageHeight = 3000;

// Smooth gradients with a little noise and a soft alpha edge, as a photo with a cut-out has.
const std::vector<std::uint8_t>& straightRgba()
{
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> rgba(std::size_t(imageWidth) * imageHeight * 4);
        std::mt19937 random(5);
        for (int y = 0; y < imageHeight; ++y)
            for (int x = 0; x < imageWidth; ++x) {
                std::uint8_t* p = rgba.data() + (std::size_t(y) * imageWidth + x) * 4;
                const int noise = int(random() % 7) - 3;
                p[0] =
                    std::uint8_t(std::clamp(int(128 + 100 * std::sin(x / 300.0)) + noise, 0, 255));
                p[1] =
                    std::uint8_t(std::clamp(int(128 + 100 * std::cos(y / 200.0)) + noise, 0, 255));
                p[2] = std::uint8_t(std::clamp((x + y) / 28 + noise, 0, 255));
                const double edge = std::hypot(x - 2000.0, y - 1500.0);
                p[3] = std::uint8_t(std::clamp(int(255 - std::max(0.0, edge - 1200) / 2), 0, 255));
            }
        return rgba;
    }();
    return pixels;
}

// The image encoded by libpng with its default (adaptive) filters.
const std::vector<std::uint8_t>& photoPng()
{
    static const std::vector<std::uint8_t> bytes = [] {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = imageWidth;
        image.height = imageHeight;
        image.format = PNG_FORMAT_RGBA;
        png_alloc_size_t size = 0;
        png_image_write_to_memory(&image, nullptr, &size, 0, straightRgba().data(), 0, nullptr);
        std::vector<std::uint8_t> out(size);
        png_image_write_to_memory(&image, out.data(), &size, 0, straightRgba().data(), 0, nullptr);
        out.resize(size);
        return out;
    }();
    return bytes;
}

// The concatenated IDAT data of photoPng().
const std::vector<std::uint8_t>& imageData()
{
    static const std::vector<std::uint8_t> data = [] {
        const std::vector<std::uint8_t>& png = photoPng();
        std::vector<std::uint8_t> out;
        for (std::size_t at = 8; at + 12 <= png.size();) {
            const std::uint32_t length = std::uint32_t(png[at]) << 24 |
                                         std::uint32_t(png[at + 1]) << 16 |
                                         std::uint32_t(png[at + 2]) << 8 | png[at + 3];
            if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
                out.insert(out.end(), png.begin() + long(at + 8),
                           png.begin() + long(at + 8 + length));
            at += 12 + length;
        }
        return out;
    }();
    return data;
}

constexpr std::size_t inflatedSize = std::size_t(imageHeight) * (imageWidth * 4 + 1);

void BM_OwnPngDecode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& png = photoPng();
    for (auto _ : state) {
        XrImage::c32bppDIB image;
        XrImage::cPNGparser().decodeOwn(png, image);
        benchmark::DoNotOptimize(image.BitsPointer());
    }
}
BENCHMARK(BM_OwnPngDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LibpngDecode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& png = photoPng();
    for (auto _ : state) {
        // A fresh image for every load, as the own decoder makes one.
        std::vector<std::uint8_t> pixels(std::size_t(imageWidth) * imageHeight * 4);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, png.data(), png.size());
        image.format = PNG_FORMAT_BGRA;
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_LibpngDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ZlibInflateOfTheImageData(benchmark::State& state)
{
    const std::vector<std::uint8_t>& data = imageData();
    std::vector<std::uint8_t> out(inflatedSize);
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        uncompress(out.data(), &length, data.data(), uLong(data.size()));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ZlibInflateOfTheImageData)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OwnInflateOfTheImageData(benchmark::State& state)
{
    const std::vector<std::uint8_t>& data = imageData();
    std::vector<std::uint8_t> out(inflatedSize);
    for (auto _ : state) {
        const bool ok = XrImage::png::InflateStream(out, data, false);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_OwnInflateOfTheImageData)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OwnPngEncodeLevel9(benchmark::State& state)
{
    XrImage::c32bppDIB image;
    XrImage::cPNGparser().decodeOwn(photoPng(), image);
    XrImage::cPNGwriter writer;
    for (auto _ : state) {
        QByteArray out;
        writer.WritePng(image, QString(), out);
        benchmark::DoNotOptimize(out.data());
        state.counters["bytes"] = double(out.size());
    }
}
BENCHMARK(BM_OwnPngEncodeLevel9)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_QtPngEncodeLevel9(benchmark::State& state)
{
    QImage image(imageWidth, imageHeight, QImage::Format_RGBA8888);
    for (int y = 0; y < imageHeight; ++y)
        std::memcpy(image.scanLine(y), straightRgba().data() + std::size_t(y) * imageWidth * 4,
                    std::size_t(imageWidth) * 4);
    for (auto _ : state) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "PNG");
        writer.setQuality(0);  // Qt's PNG writer takes quality 0 as zlib level 9
        writer.write(image);
        benchmark::DoNotOptimize(out.data());
        state.counters["bytes"] = double(out.size());
    }
}
BENCHMARK(BM_QtPngEncodeLevel9)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
