// The board part of a frame on a big scan: 20000 pads and 20000 tracks over
// a 16000 x 10000 scan, drawn by DrawBoard with the program's QPainter
// device context into an RGB32 picture of the view's size (1600 x 1000 and
// 3840 x 2160), as the window's back buffer gets it.
//   zoom 1/16 and 1/8   the board built with its coordinates already scaled
//                       (tracks keep their screen width, pads their radii):
//                       the whole board, or most of it, is in view
//   zoom 1 to 256       zoomed in with the zoom key, the view in the middle
//   normal / select-all the board alone, or with the select-all halos
//   rotate / mirror     one select-all key press (Space and Enter turn by a
//                       tenth of a degree each way, X mirrors) and the
//                       repaint it asks for
//   painter path        for comparison, the normal frame drawn by QPainter
//                       itself: the picture in RGBX8888, which the device
//                       context leaves to the painter
// Each figure is the median over the repetitions, in ms and as a ratio to
// a memcpy of one 32-bit frame of the view's size timed in the same run.
//
// Run: build/bench/bench_board_frames [repetitions [view width [zoom]]]
// (a view width or a zoom, 0.0625 for 1/16, measures that one alone)
#include "bench/bench_util.h"
#include "board/dib_view.h"
#include "board/keys.h"
#include "platform/qt/qt_dc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kScanWidth = 16000;
constexpr int kScanHeight = 10000;

class PictureHost : public ScriptedViewHost {
  public:
    explicit PictureHost(QImage& picture)
        : ScriptedViewHost(CRect(0, 0, picture.width(), picture.height())), m_picture(picture) {}
    void Invalidate(bool) override {}
    void InvalidateRect(const CRect&, bool) override {}
    std::unique_ptr<CDC> GetClientDC() override { return std::make_unique<QtPainterDC>(m_picture); }

  private:
    QImage& m_picture;
};

// Pads at random points, tracks from a random point to one within 200
// pixels of it, on random layers; `shrink` scales every coordinate.
void FillBoard(CDibView& view, float shrink) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> x(0, kScanWidth), y(0, kScanHeight);
    std::uniform_real_distribution<float> step(-200, 200);
    std::uniform_int_distribution<int> layer(1, 12);
    while (view.m_nPadCount < g_nMaxItems)
        view.AppendPad(std::floor(x(rng)) * shrink, std::floor(y(rng)) * shrink);
    while (view.m_nTrackCount < g_nMaxItems) {
        const float x1 = std::floor(x(rng)), y1 = std::floor(y(rng));
        view.AppendTrack(x1 * shrink, y1 * shrink, (x1 + std::floor(step(rng))) * shrink,
                         (y1 + std::floor(step(rng))) * shrink, layer(rng));
    }
}

// The board in a view of the picture's size; `zoom` is the zoom factor
// when at least 1, else the board is built shrunk by it.
struct Board {
    ScriptedServices services;
    PictureHost host;
    CDibView view;

    Board(QImage& picture, double zoom) : host(picture) {
        view.AttachHost(&host);
        const double shrink = zoom < 1 ? zoom : 1.0;
        view.m_nImageWidth = static_cast<int>(kScanWidth * shrink);
        view.m_nImageHeight = static_cast<int>(kScanHeight * shrink);
        view.SetScrollSizes(MM_TEXT, CSize(view.m_nImageWidth, view.m_nImageHeight));
        FillBoard(view, static_cast<float>(shrink));
        host.PutPointer({picture.width() / 2, picture.height() / 2});
        for (int s = 1; s < zoom; s *= 2)
            view.OnKeyDown(VK_PRIOR, 1, 0);
        const long long z = zoom < 1 ? 1 : static_cast<long long>(zoom);
        view.ScrollToPosition({static_cast<int>((view.m_nImageWidth * z - picture.width()) / 2),
                               static_cast<int>((view.m_nImageHeight * z - picture.height()) / 2)});
    }
    ~Board() { view.ClearBoard(); }
};

struct Timing {
    double ms;    // wall clock
    double cpuMs; // this thread's processor time: what the figure is on a busy machine
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Timing Median(int repetitions, const std::function<void()>& work) {
    std::vector<double> times, cpu;
    work(); // warm up caches and the pad picture
    for (int i = 0; i < repetitions; ++i) {
        const double cpuStart = ThreadCpuMs();
        const auto start = bench::Clock::now();
        work();
        times.push_back(bench::Millis(bench::Clock::now() - start));
        cpu.push_back(ThreadCpuMs() - cpuStart);
    }
    return {bench::Median(times), bench::Median(cpu)};
}

double MemcpyMs(int width, int height, int repetitions) {
    const std::size_t bytes = std::size_t(width) * height * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes, 0);
    return Median(repetitions * 4, [&] {
               std::memcpy(to.data(), from.data(), bytes);
               from[bytes / 2] = to[bytes / 3]; // keep the copies
           }).ms;
}

void Report(const char* what, Timing t, double frameMs) {
    std::printf("  %-20s %8.3f ms  %7.1f x memcpy   (processor %8.3f ms, %7.1f x)\n", what, t.ms,
                t.ms / frameMs, t.cpuMs, t.cpuMs / frameMs);
}

void MeasureZoom(QImage& picture, double zoom, double frameMs, int repetitions) {
    Board board(picture, zoom);
    CDibView& view = board.view;
    const std::string label = zoom < 1 ? "1/" + std::to_string(int(std::lround(1 / zoom)))
                                       : std::to_string(int(zoom));
    std::printf(" zoom %s\n", label.c_str());
    Report("normal", Median(repetitions, [&] { view.DrawBoard(); }), frameMs);
    {
        QImage painterOnly = picture.convertToFormat(QImage::Format_RGBX8888);
        Board same(painterOnly, zoom);
        Report("painter path", Median(std::max(1, repetitions / 3), [&] { same.view.DrawBoard(); }),
               frameMs);
    }
    view.OnSelectAll();
    Report("select-all", Median(repetitions, [&] { view.DrawBoard(); }), frameMs);
    bool turnBack = false;
    Report("rotate + repaint", Median(repetitions, [&] {
               view.OnKeyDown(turnBack ? VK_RETURN : VK_SPACE, 1, 0);
               turnBack = !turnBack;
               view.DrawBoard();
           }),
           frameMs);
    Report("mirror + repaint", Median(repetitions, [&] {
               view.OnKeyDown(VK_KEY_X, 1, 0);
               view.DrawBoard();
           }),
           frameMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int onlyWidth = argc > 2 ? std::atoi(argv[2]) : 0;
    const double onlyZoom = argc > 3 ? std::atof(argv[3]) : 0;
    const QSize views[] = {{1600, 1000}, {3840, 2160}};
    const double zooms[] = {1.0 / 16, 1.0 / 8, 1, 2, 8, 256};
    for (const QSize& size : views) {
        if (onlyWidth != 0 && size.width() != onlyWidth)
            continue;
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        const double frameMs = MemcpyMs(size.width(), size.height(), repetitions);
        std::printf("view %d x %d: memcpy of a 32-bit frame %.3f ms; medians of %d\n",
                    size.width(), size.height(), frameMs, repetitions);
        for (double zoom : zooms)
            if (onlyZoom == 0 || zoom == onlyZoom)
                MeasureZoom(picture, zoom, frameMs, repetitions);
    }
    return 0;
}
