// Frames of a big scan, painted as the window paints them.
//
//   bench_frames [--frames N] [--scan 24|8] [--view 1600|3840]
//
// Builds a 16000 x 10000 scan in memory (160 megapixels; 24-bit colour and
// 8-bit grey, stripes, checks and thin dark traces), gives it to a document
// (which builds its reduced levels) and paints frames through PaintScan and
// the Qt device context into a 1600 x 1000 and a 3840 x 2160 RGB32 back
// buffer, at zoom exponents -4, -3, -2, -1, 0, 1, 3 and 8:
//  - the first frame at a random place (the whole buffer painted);
//  - scrolling down by 1, 40 and 400 pixels: the buffer's pixels move as
//    QtViewWidget::ShiftBuffer moves them and only the uncovered strip is
//    painted; shown as the whole step and as the strip's paint alone.
// Each figure is the median over N frames (default 15), and a ratio
// against a memcpy of one 32-bit frame of the same size measured in the
// same run. Also: the time to build the levels (median of 3) and the peak
// memory of a fresh process holding the scan and its levels, against the
// scan's size; the build also as a ratio against a memcpy of the scan.
#include "bench/bench_util.h"
#include "image/dib_doc.h"
#include "image/scan_paint.h"
#include "image/scan_pyramid.h"
#include "platform/qt/image_shift.h"
#include "platform/qt/qt_dc.h"
#include "platform/scripted/scripted_services.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kScanWidth = 16000;
constexpr int kScanHeight = 10000;
constexpr int kExponents[] = {-4, -3, -2, -1, 0, 1, 3, 8};
constexpr int kScrollSteps[] = {1, 40, 400};
constexpr QRgb kBackground = 0xFFFFFFFF;

using bench::Clock;
using bench::Median;
using bench::Millis;

// Where board drawing goes once it is measured with the picture: called
// after the picture, with the frame's context (and its clip) and zoom.
using BoardPainter = std::function<void(CDC& dc, int zoomExponent)>;

HDIB MakeScan(int bitCount) {
    return bench::MakeStructuredScan(kScanWidth, kScanHeight, bitCount);
}

// Paints the part `dirty` of the buffer (window pixels) with the view
// scrolled to `scroll`, as QtViewWidget::paintEvent and CDibView::OnDraw
// do: the picture, the window colour beside it, then the board.
void PaintFrame(QImage& buffer, const CDibDoc& doc, int exponent, QPoint scroll, const QRect& dirty,
                const BoardPainter& board) {
    QPainter painter(&buffer);
    painter.setClipRect(dirty);
    QtPainterDC dc(painter, QTransform::fromTranslate(-scroll.x(), -scroll.y()),
                   dirty.translated(scroll));
    CRect painted;
    PaintScan(dc, doc, exponent, &painted);
    const CRect clip = dc.GetClipBox();
    const CRect right(std::max(clip.left, painted.right), clip.top, clip.right, clip.bottom);
    const CRect below(clip.left, std::max(clip.top, painted.bottom), std::min(clip.right, painted.right),
                      clip.bottom);
    for (const CRect& free : {right, below})
        if (!free.IsRectEmpty())
            dc.FillSolidRect(free, RGB(255, 255, 255));
    if (board)
        board(dc, exponent);
}

// Moves the buffer's pixels up by dy as QtViewWidget::ShiftBuffer does.
void ShiftUp(QImage& buffer, int dy) {
    if (!ShiftImagePixels(buffer, 0, -dy))
        std::fprintf(stderr, "buffer not moved\n");
}

double MemcpyFrame(const QSize& view, int frames) {
    return bench::MemcpyFrameMs(view.width(), view.height(), frames * 4);
}

struct Extent {
    int width, height;
};

Extent ExtentAt(int exponent) {
    return {ScanExtentAtZoom(kScanWidth, exponent), ScanExtentAtZoom(kScanHeight, exponent)};
}

// A random scroll position of the view over the picture at this zoom.
QPoint RandomPlace(std::mt19937& random, Extent extent, QSize view) {
    const int maxX = std::max(0, extent.width - view.width());
    const int maxY = std::max(0, extent.height - view.height());
    return QPoint(std::uniform_int_distribution<int>(0, maxX)(random),
                  std::uniform_int_distribution<int>(0, maxY)(random));
}

struct Figures {
    double first = 0;
    double scrollStep[3] = {};  // shift and strip
    double scrollStrip[3] = {}; // strip alone
};

Figures MeasureZoom(const CDibDoc& doc, int exponent, QSize view, int frames, std::mt19937& random,
                    const BoardPainter& board) {
    Figures figures;
    QImage buffer(view, QImage::Format_RGB32);
    buffer.fill(kBackground);
    const Extent extent = ExtentAt(exponent);
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const QPoint place = RandomPlace(random, extent, view);
        const auto start = Clock::now();
        PaintFrame(buffer, doc, exponent, place, buffer.rect(), board);
        times.push_back(Millis(Clock::now() - start));
    }
    figures.first = Median(times);
    for (int s = 0; s < 3; ++s) {
        const int step = kScrollSteps[s];
        QPoint scroll = RandomPlace(random, extent, view);
        PaintFrame(buffer, doc, exponent, scroll, buffer.rect(), board);
        std::vector<double> steps, strips;
        for (int i = 0; i < frames; ++i) {
            // Down the picture, and back to the top at its end (a full
            // repaint then, not counted).
            const int maxY = std::max(0, extent.height - view.height());
            if (scroll.y() + step > maxY) {
                scroll.setY(0);
                PaintFrame(buffer, doc, exponent, scroll, buffer.rect(), board);
            }
            scroll.ry() += step;
            const QRect strip(0, view.height() - step, view.width(), step);
            const auto start = Clock::now();
            ShiftUp(buffer, step);
            const auto shifted = Clock::now();
            PaintFrame(buffer, doc, exponent, scroll, strip, board);
            const auto end = Clock::now();
            steps.push_back(Millis(end - start));
            strips.push_back(Millis(end - shifted));
        }
        figures.scrollStep[s] = Median(steps);
        figures.scrollStrip[s] = Median(strips);
    }
    return figures;
}

double PyramidBuildMs(HDIB scan) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        const auto pyramid = BuildScanPyramid(scan);
        times.push_back(Millis(Clock::now() - start));
        if (!pyramid)
            std::fprintf(stderr, "pyramid build failed\n");
    }
    return Median(times);
}

// A memcpy of the scan's block into memory already touched, median of 3.
double ScanCopyMs(HDIB scan) {
    GlobalLockGuard lock(scan);
    std::vector<BYTE> copy(lock.size(), 1);
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        std::memcpy(copy.data(), lock.get(), lock.size());
        times.push_back(Millis(Clock::now() - start));
    }
    return Median(times);
}

// Run in a fresh process: peak memory before, and with the scan and its
// levels held by a document, and the bytes of each.
int MeasureMemory(int bitCount) {
    ScriptedServices services;
    const long before = bench::StatusKb("VmHWM:");
    CDibDoc doc;
    if (!doc.AcceptDibBlock(MakeScan(bitCount)) || !doc.GetPyramid())
        return 1;
    const long after = bench::StatusKb("VmHWM:");
    std::printf("%ld %ld %zu %zu\n", before, after, GlobalSize(doc.GetDibBlock()),
                doc.GetPyramid()->Bytes());
    return 0;
}

void ReportMemory(int bitCount) {
    long before = 0, after = 0;
    std::size_t dib = 0, levels = 0;
    const std::string text = bench::RunMeasuringChild("/proc/self/exe", std::to_string(bitCount));
    if (std::sscanf(text.c_str(), "%ld %ld %zu %zu", &before, &after, &dib, &levels) != 4) {
        std::printf("  peak memory: not measured\n");
        return;
    }
    const double mib = 1024.0 * 1024.0;
    std::printf("  peak memory of a fresh process holding scan + levels: +%.1f MiB over the empty "
                "program; scan %.1f MiB, levels %.1f MiB (%.1f%% of the scan); limit scan + 25%% "
                "+ 100 MiB = %.1f MiB\n",
                (after - before) / 1024.0, dib / mib, levels / mib, 100.0 * levels / dib,
                dib * 1.25 / mib + 100);
}

void ReportScan(int bitCount, const std::vector<QSize>& views, int frames, std::mt19937& random) {
    ScriptedServices services;
    CDibDoc doc;
    const auto made = Clock::now();
    HDIB scan = MakeScan(bitCount);
    std::printf("\n%d-bit scan %d x %d built in memory in %.0f ms\n", bitCount, kScanWidth,
                kScanHeight, Millis(Clock::now() - made));
    if (!scan || !doc.AcceptDibBlock(scan)) {
        std::printf("  no memory for the scan\n");
        return;
    }
    const double build = PyramidBuildMs(doc.GetDibBlock());
    const double copy = ScanCopyMs(doc.GetDibBlock());
    std::printf("  levels: %d, built in %.1f ms (median of 3), %.2fx a memcpy of the scan (%.1f ms)\n",
                doc.GetPyramid()->LevelCount(), build, build / copy, copy);
    ReportMemory(bitCount);
    const BoardPainter noBoard; // board drawing is measured by bench_board for now
    for (const QSize& view : views) {
        const double reference = MemcpyFrame(view, frames);
        std::printf("  view %dx%d: memcpy of one 32-bit frame %.3f ms (the ratios' unit)\n",
                    view.width(), view.height(), reference);
        std::printf("    %-6s %16s %22s %22s %22s\n", "zoom", "first frame", "scroll 1 (strip)",
                    "scroll 40 (strip)", "scroll 400 (strip)");
        for (int exponent : kExponents) {
            const Figures f = MeasureZoom(doc, exponent, view, frames, random, noBoard);
            const std::string zoom =
                exponent >= 0 ? std::to_string(1 << exponent) : "1/" + std::to_string(1 << -exponent);
            std::printf("    %-6s %7.2f ms %5.2fx", zoom.c_str(), f.first, f.first / reference);
            for (int s = 0; s < 3; ++s)
                std::printf("  %5.2f ms %5.2fx (%4.2f)", f.scrollStep[s], f.scrollStep[s] / reference,
                            f.scrollStrip[s]);
            std::printf("\n");
        }
        std::printf("    the budget: 8 ms at 1600x1000, 16 ms at 3840x2160 per frame, board included\n\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    int frames = 15;
    std::vector<int> scans = {24, 8};
    std::vector<QSize> views = {QSize(1600, 1000), QSize(3840, 2160)};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--measure-open" && i + 1 < argc)
            return MeasureMemory(std::atoi(argv[i + 1]));
        if (arg == "--frames" && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--scan" && i + 1 < argc)
            scans = {std::atoi(argv[++i])};
        else if (arg == "--view" && i + 1 < argc)
            views = {std::atoi(argv[++i]) == 3840 ? QSize(3840, 2160) : QSize(1600, 1000)};
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::mt19937 random(2026);
    std::printf("frames: median of %d; ratios against a memcpy of one frame; (strip) is the paint "
                "of the uncovered strip alone, in ms\n",
                frames);
    for (int bitCount : scans)
        ReportScan(bitCount, views, frames, random);
    return 0;
}
