// Drawing an image on the own compositing road and scaling it with the weighted resampler,
// each beside the plain QPainter / QImage equivalent in the same run (medians, and the ratio
// Scrivet / Qt), then draws stretched far past a small destination on every road, each in a
// child process so that its peak resident memory is its own.
#include "image/core/CompositingKernels.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

std::unique_ptr<XrImage::c32bppDIB> imageOf(int width, int height, bool weighted)
{
    auto image = std::make_unique<XrImage::c32bppDIB>();
    image->LetisGDIplusEnabled(false);
    image->LetisAlphaBlendFriendly(false);
    image->LetHighQualityInterpolation(weighted);
    image->InitializeDIB(width, height);
    fillPattern(image->BitsPointer(), width, height);
    image->LetAlpha(true);
    return image;
}

QImage qtImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    fillPattern(image.bits(), width, height);
    return image;
}

// Median milliseconds of `runs` calls; `prepare` runs before each, untimed.
double medianMs(
    int runs, const std::function<void()>& work, const std::function<void()>& prepare = [] {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void compare(const char* work, double scrivet, double qt)
{
    std::printf("%-46s %10.2f ms %10.2f ms %8.2f\n", work, scrivet, qt, scrivet / qt);
}

void compositingAndScaling(int runs)
{
    std::printf("\n%-46s %13s %13s %8s\n", "work", "Scrivet", "Qt", "ratio");
    {
        auto image = imageOf(1000, 1000, false);
        gdi::DeviceContext dc;
        dc.selectBitmap(gdi::Bitmap::create(1000, 1000, 1.0));
        const double own = medianMs(runs, [&] { image->Render(&dc, 0, 0, 0, 0, 0, 0, 0, 0, 50); });
        const QImage source = qtImage(1000, 1000);
        QImage target(1000, 1000, QImage::Format_RGB32);
        target.fill(Qt::white);
        const double qt = medianMs(runs, [&] {
            QPainter painter(&target);
            painter.setOpacity(0.5);
            painter.drawImage(0, 0, source);
        });
        compare("Render 1000x1000, opacity 50 (own road)", own, qt);
    }
    // A whole-number ratio (every weight 0 or 1: a gather of pixels) and an odd one (four
    // weighted neighbours a pixel). Qt's smooth scaling spreads over its thread pool as ours
    // spreads over bands of rows, so both are also timed on one thread.
    const auto original = imageOf(4000, 3000, true);
    const QImage source = qtImage(4000, 3000);
    QThreadPool* pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    for (const QSize size : {QSize(1000, 750), QSize(1100, 700)}) {
        std::unique_ptr<XrImage::c32bppDIB> image;
        auto ownScaling = [&] { image->Resize(size.width(), size.height()); };
        auto freshCopy = [&] {
            image = imageOf(1, 1, true);
            original->CopyImageTo(*image);
        };
        auto qtScaling = [&] {
            const QImage scaled =
                source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            (void)scaled.constBits();
        };
        const double own = medianMs(runs, ownScaling, freshCopy);
        const double qt = medianMs(runs, qtScaling);
        XrImage::setScalingThreads(1);
        pool->setMaxThreadCount(1);
        const double ownOneThread = medianMs(runs, ownScaling, freshCopy);
        const double qtOneThread = medianMs(runs, qtScaling);
        XrImage::setScalingThreads(threads);
        pool->setMaxThreadCount(threads);
        char work[64];
        std::snprintf(work, sizeof work, "weighted resize 4000x3000 -> %dx%d", size.width(),
                      size.height());
        compare(work, own, qt);
        compare("  the same, both on one thread", ownOneThread, qtOneThread);
    }
}

struct Stretch {
    const char* road;
    bool gdiPlus, alphaBlend, weighted, halftone;
    bool qt;  // the QPainter equivalent instead
};

// One stretched draw of a 64 x 64 image to size x size onto a 100 x 100 destination.
double stretchedDraw(const Stretch& s, std::int32_t size, bool& drawn)
{
    if (s.qt) {
        const QImage source = qtImage(64, 64);
        QImage target(100, 100, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        return medianMs(3, [&] {
            QPainter painter(&target);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, s.weighted);
            painter.drawImage(QRectF(0, 0, size, size), source);
            drawn = true;
        });
    }
    auto image = imageOf(64, 64, s.weighted);
    image->LetisGDIplusEnabled(s.gdiPlus);
    image->LetisAlphaBlendFriendly(s.alphaBlend);
    gdi::DeviceContext dc;
    dc.selectBitmap(gdi::Bitmap::create(100, 100, 1.0));
    return medianMs(3, [&] {
        try {
            drawn = image->Render(&dc, 0, 0, size, size, 0, 0, 0, 0, 100, true, s.halftone);
        } catch (...) {
            drawn = false;
        }
    });
}

void hugeStretches()
{
    const Stretch stretches[] = {
        {"own road, nearest", false, false, false, false, false},
        {"own road, weighted", false, false, true, false, false},
        {"AlphaBlend", false, true, false, false, false},
        {"AlphaBlend, halftone", false, true, false, true, false},
        {"GDI+ stand-in", true, false, false, false, false},
        {"QPainter, nearest", false, false, false, false, true},
        {"QPainter, smooth", false, false, true, false, true},
    };
    std::printf("%-24s %12s %12s %14s %s\n", "Render 64x64 stretched to", "size", "time",
                "peak RSS", "result");
    for (const std::int32_t size : {16000, 100000, INT_MAX}) {
        for (const Stretch& s : stretches) {
            int channel[2];
            if (pipe(channel) != 0)
                return;
            const pid_t child = fork();
            if (child == 0) {
                close(channel[0]);
                alarm(60);  // a draw that takes longer is reported as cut short
                bool drawn = false;
                const double ms = stretchedDraw(s, size, drawn);
                const double report[2] = {ms, drawn ? 1.0 : 0.0};
                (void)!write(channel[1], report, sizeof report);
                _exit(0);
            }
            close(channel[1]);
            double report[2] = {-1, 0};
            (void)!read(channel[0], report, sizeof report);
            close(channel[0]);
            int status = 0;
            rusage usage{};
            wait4(child, &status, 0, &usage);
            std::printf("%-24s %12d %9.2f ms %10.1f MiB %s\n", s.road, size, report[0],
                        double(usage.ru_maxrss) / 1024.0,
                        WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM ? "over 60 s"
                        : !WIFEXITED(status)                               ? "crashed"
                        : report[0] < 0                                    ? "failed"
                        : report[1] != 0                                   ? "True"
                                                                           : "False");
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    // The children are forked before Qt starts any worker thread (its smooth scaling uses a
    // pool): a child forked afterwards can wait on a lock a vanished thread held.
    hugeStretches();
    compositingAndScaling(runs);
    return 0;
}
