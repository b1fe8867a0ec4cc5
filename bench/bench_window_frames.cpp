// Frames as the user sees them: the program's view window (QtViewWidget)
// showing a board view of a document holding a 16000 x 10000 scan (160
// megapixels, 24-bit colour and 8-bit grey, given to the document with
// AcceptDibBlock so that its reduced levels are built) with 20000 pads and
// 20000 tracks spread over it, on Qt's offscreen platform.
//
//   bench_window_frames [--runs N] [--scan 24|8] [--view 1600|3840] [--breakdown]
//                       [--only CASE] [--cores N]
//
// Each case is the action, what it invalidates, and the repaint of the
// window that follows (paintEvent: OnDraw into the back buffer, the board
// drawn through the view's client DC, the buffer shown), timed together:
//  - jump      the view scrolled to a random place at a zoom; a jump that
//              lands within a window of where it was also invalidates the
//              whole window, so every figure is a complete new frame (at fit
//              the scan shows whole and the frame is a full repaint);
//  - zoom      Page Up / Page Down about the window's middle, and Zoom to
//              Fit, each from a random place;
//  - scroll    ScrollToPosition 1, 40 and 400 pixels down: the window moves
//              its buffer and repaints the uncovered strip;
//  - rotate / mirror   Space (and Return, turning back) and X in select-all
//              mode, and the repaint they ask for.
// Figures are medians over N runs (default 7) and ratios against a memcpy
// of one 32-bit frame of the window's size measured in the same run; the
// budget is 8 ms at 1600 x 1000 and 16 ms at 3840 x 2160. With --breakdown
// the jumps are also timed with an empty board (the picture alone). --only
// runs the cases whose names hold CASE (the one named CASE with a trailing
// '$'); --cores 1 paints on one core, for a comparison in the same session.
// Last, for each scan, the peak memory (VmHWM) of a fresh process holding
// the window at 3840 x 2160, the document with its levels and the board,
// against the scan's DIB size * 1.25 + 100 MB.
//
// The window's scroll bars are kept off so that the client area is the
// window size at every zoom; the view scrolls as with them.
#include "bench/bench_util.h"
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/view_edit.h"
#include "image/dib_doc.h"
#include "image/scan_pyramid.h"
#include "platform/parallel_parts.h"
#include "platform/qt/qt_view_widget.h"
#include "platform/scripted/scripted_services.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kScanWidth = 16000;
constexpr int kScanHeight = 10000;
constexpr int kFitExponent = 1000; // stands for Zoom to Fit in the lists below
constexpr int kJumpExponents[] = {kFitExponent, -3, -2, -1, 0, 1, 3, 6, 8};
constexpr int kScrollExponents[] = {-1, 0, 3};
constexpr int kScrollSteps[] = {1, 40, 400};
constexpr int kSelectAllExponents[] = {kFitExponent, 0, 3};

using bench::Clock;
using bench::Median;
using bench::Millis;

std::string ZoomName(int exponent) {
    if (exponent == kFitExponent)
        return "fit";
    return exponent >= 0 ? std::to_string(1 << exponent) : "1/" + std::to_string(1 << -exponent);
}

// Gives the document the big scan; false when there is no memory for it
// and its levels.
bool LoadScan(CDibDoc& doc, int bitCount) {
    return doc.AcceptDibBlock(bench::MakeStructuredScan(kScanWidth, kScanHeight, bitCount)) &&
           doc.GetPyramid();
}

// The program's window on a document with the big scan, and a full board.
struct Scene {
    CDibDoc& doc;
    std::unique_ptr<CDibView> view;
    std::unique_ptr<QtViewWidget> widget;

    explicit Scene(CDibDoc& document) : doc(document) {
        view = std::make_unique<CDibView>();
        doc.AddView(view.get());
        widget = std::make_unique<QtViewWidget>(view.get());
        widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->OnInitialUpdate();
        view->m_nImageWidth = kScanWidth;
        view->m_nImageHeight = kScanHeight;
        bench::FillBoard(*view, kScanWidth, kScanHeight);
    }
    ~Scene() {
        if (view)
            view->ClearBoard();
        widget.reset();
        view.reset();
    }

    bool Resize(QSize client) {
        widget->resize(client);
        widget->show();
        QApplication::processEvents();
        Repaint();
        return widget->GetClientRect() == CRect(0, 0, client.width(), client.height());
    }
    CPoint Middle() const {
        const CRect client = widget->GetClientRect();
        return {client.Width() / 2, client.Height() / 2};
    }
    // The zoom by exponent, or Zoom to Fit; false when the view did not get it.
    bool SetZoom(int exponent) {
        const ZoomFactor target =
            exponent == kFitExponent ? board::FitZoom(*view) : ZoomFactor::FromExponent(exponent);
        board::ZoomTo(*view, target, Middle());
        Repaint();
        return view->m_nScale == target;
    }
    // The window's paint of what is waiting, as an expose of the window.
    void Repaint() {
        widget->viewport()->repaint();
        // Updates the window queued for itself only show the buffer again.
        QApplication::processEvents();
    }
    CPoint RandomPlace(std::mt19937& random) const {
        const CSize total = view->GetTotalSize();
        const CRect client = widget->GetClientRect();
        const int maxX = std::max(0, total.cx - client.Width());
        const int maxY = std::max(0, total.cy - client.Height());
        return {std::uniform_int_distribution<int>(0, maxX)(random),
                std::uniform_int_distribution<int>(0, maxY)(random)};
    }
    // Scrolls to a random place; one near the last (or the same, at fit)
    // redraws the whole window too.
    void Jump(std::mt19937& random) {
        const CPoint from = view->GetScrollPosition();
        view->ScrollToPosition(RandomPlace(random));
        const CPoint to = view->GetScrollPosition();
        const CRect client = widget->GetClientRect();
        if (std::abs(to.x - from.x) < client.Width() && std::abs(to.y - from.y) < client.Height())
            widget->Invalidate(true);
    }
};

// The median time of `frame` (action and repaint) over `runs`, each after
// `prepare` (not timed).
double TimeFrames(Scene& scene, int runs, const std::function<void()>& prepare,
                  const std::function<void()>& frame) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const auto start = Clock::now();
        frame();
        scene.widget->viewport()->repaint();
        times.push_back(Millis(Clock::now() - start));
        QApplication::processEvents();
        if (!scene.widget->PendingRedraw().isEmpty())
            std::fprintf(stderr, "a repaint left part of the window undrawn\n");
    }
    return Median(times);
}

struct Table {
    double reference = 0;
    double budget = 0;
    int failures = 0;
    std::string only; // runs only the cases whose names hold it

    // A trailing '$' asks for that case alone.
    bool Wanted(const std::string& name) const {
        if (!only.empty() && only.back() == '$')
            return name == only.substr(0, only.size() - 1);
        return name.find(only) != std::string::npos;
    }

    void Row(const std::string& name, double ms, const std::string& note = {}) {
        const bool pass = ms <= budget;
        failures += pass ? 0 : 1;
        std::printf("  %-34s %9.2f %8.2fx %6.0f  %s%s\n", name.c_str(), ms, ms / reference, budget,
                    pass ? "PASS" : "FAIL", note.c_str());
        std::fflush(stdout);
    }
    void Skip(const std::string& name, const char* why) {
        std::printf("  %-34s %9s %9s %6.0f  %s\n", name.c_str(), "-", "-", budget, why);
    }
};

// The jump's frame again with only part of the board: with --breakdown.
std::string JumpBreakdown(Scene& scene, int runs, std::mt19937& random) {
    CDibView& view = *scene.view;
    const int pads = view.m_nPadCount, tracks = view.m_nTrackCount;
    const auto time = [&](int padCount, int trackCount) {
        view.m_nPadCount = padCount;
        view.m_nTrackCount = trackCount;
        return TimeFrames(scene, runs, nullptr, [&] { scene.Jump(random); });
    };
    const double picture = time(0, 0), withTracks = time(0, tracks), withPads = time(pads, 0);
    view.m_nPadCount = pads;
    view.m_nTrackCount = tracks;
    char text[96];
    std::snprintf(text, sizeof text, "  picture %.2f, +tracks %.2f, +pads %.2f", picture,
                  withTracks - picture, withPads - picture);
    return text;
}

void JumpCases(Scene& scene, Table& table, int runs, std::mt19937& random, bool breakdown) {
    for (int exponent : kJumpExponents) {
        const std::string name = "jump, zoom " + ZoomName(exponent);
        if (!table.Wanted(name))
            continue;
        if (!scene.SetZoom(exponent)) {
            table.Skip(name, "zoom not reached");
            continue;
        }
        const double ms = TimeFrames(scene, runs, nullptr, [&] { scene.Jump(random); });
        table.Row(name, ms, breakdown ? JumpBreakdown(scene, runs, random) : std::string());
    }
}

void ZoomCases(Scene& scene, Table& table, int runs, std::mt19937& random) {
    struct Case {
        const char* name;
        int from;
        std::function<void()> action;
    };
    CDibView& view = *scene.view;
    const Case cases[] = {
        {"zoom in 1/4 -> 1/2", -2, [&] { board::ZoomIn(view, scene.Middle(), view.GetScrollPosition()); }},
        {"zoom in 2 -> 4", 1, [&] { board::ZoomIn(view, scene.Middle(), view.GetScrollPosition()); }},
        {"zoom out 1/2 -> 1/4", -1, [&] { board::ZoomOut(view, scene.Middle(), view.GetScrollPosition()); }},
        {"zoom out 4 -> 2", 2, [&] { board::ZoomOut(view, scene.Middle(), view.GetScrollPosition()); }},
        {"zoom to fit from 8", 3, [&] { view.OnZoomToFit(); }},
    };
    for (const Case& c : cases) {
        if (!table.Wanted(c.name))
            continue;
        const auto prepare = [&] {
            scene.SetZoom(c.from);
            scene.Jump(random);
            scene.Repaint();
        };
        table.Row(c.name, TimeFrames(scene, runs, prepare, c.action));
    }
}

void ScrollCases(Scene& scene, Table& table, int runs, std::mt19937& random) {
    CDibView& view = *scene.view;
    for (int exponent : kScrollExponents) {
        scene.SetZoom(exponent);
        const int height = scene.widget->GetClientRect().Height();
        const int maxY = view.GetTotalSize().cy - height;
        for (int step : kScrollSteps) {
            const std::string name =
                "scroll " + std::to_string(step) + " px, zoom " + ZoomName(exponent);
            if (!table.Wanted(name))
                continue;
            if (maxY < step) {
                table.Skip(name, "no room to scroll");
                continue;
            }
            // Down from a random place, back to the top at the end (a full
            // repaint then, not timed).
            const auto prepare = [&] {
                const CPoint at = view.GetScrollPosition();
                if (at.y + step > maxY) {
                    view.ScrollToPosition({at.x, 0});
                    scene.Repaint();
                }
            };
            view.ScrollToPosition(scene.RandomPlace(random));
            scene.Repaint();
            const double ms = TimeFrames(scene, runs, prepare, [&] {
                const CPoint at = view.GetScrollPosition();
                view.ScrollToPosition({at.x, at.y + step});
            });
            table.Row(name, ms);
        }
    }
}

void SelectAllCases(Scene& scene, Table& table, int runs, std::mt19937& random, bool breakdown) {
    CDibView& view = *scene.view;
    for (int exponent : kSelectAllExponents) {
        const std::string zoom = ", zoom " + ZoomName(exponent);
        if (!table.Wanted("rotate-all" + zoom) && !table.Wanted("mirror-all" + zoom))
            continue;
        scene.SetZoom(exponent);
        view.ScrollToPosition(scene.RandomPlace(random));
        scene.Repaint();
        view.OnSelectAll();
        // Space turns one way, Return back, so that the board stays put.
        int turns = 0;
        const double rotate = TimeFrames(scene, runs, nullptr, [&] {
            view.OnKeyDown(turns++ % 2 == 0 ? VK_SPACE : VK_RETURN, 1, 0);
            view.OnKeyUp(VK_SPACE, 1, 0);
        });
        if (turns % 2 == 1) {
            view.OnKeyDown(VK_RETURN, 1, 0);
            scene.Repaint();
        }
        int mirrors = 0;
        const double mirror = TimeFrames(scene, runs, nullptr, [&] {
            ++mirrors;
            view.OnKeyDown(VK_KEY_X, 1, 0);
        });
        if (mirrors % 2 == 1) {
            view.OnKeyDown(VK_KEY_X, 1, 0);
            scene.Repaint();
        }
        std::string rotateNote, mirrorNote;
        if (breakdown) {
            // The keys alone, without the repaint (Space and Return, X twice).
            std::vector<double> rotateKeys, mirrorKeys;
            for (int i = 0; i < runs; ++i) {
                const auto start = Clock::now();
                view.OnKeyDown(i % 2 == 0 ? VK_SPACE : VK_RETURN, 1, 0);
                view.OnKeyUp(VK_SPACE, 1, 0);
                const auto rotated = Clock::now();
                view.OnKeyDown(VK_KEY_X, 1, 0);
                rotateKeys.push_back(Millis(rotated - start));
                mirrorKeys.push_back(Millis(Clock::now() - rotated));
            }
            if (runs % 2 == 1)
                view.OnKeyDown(VK_RETURN, 1, 0);
            if (runs % 2 == 1)
                view.OnKeyDown(VK_KEY_X, 1, 0);
            scene.Repaint();
            char text[64];
            std::snprintf(text, sizeof text, "  key alone %.2f", Median(rotateKeys));
            rotateNote = text;
            std::snprintf(text, sizeof text, "  key alone %.2f", Median(mirrorKeys));
            mirrorNote = text;
        }
        view.OnEscape();
        table.Row("rotate-all" + zoom, rotate, rotateNote);
        table.Row("mirror-all" + zoom, mirror, mirrorNote);
    }
}

// In a fresh process: the window at 3840 x 2160 on the document, its levels
// and the full board, after repaints at fit and at zoom 1. Prints the peak
// memory in KB of the program alone, with the scan and its levels, and at
// the end, then the scan's DIB bytes and the levels' bytes.
int MeasureMemory(int bitCount) {
    const long empty = bench::StatusKb("VmHWM:");
    ScriptedServices services;
    CDibDoc doc;
    if (!LoadScan(doc, bitCount))
        return 1;
    const long withScan = bench::StatusKb("VmHWM:");
    Scene scene(doc);
    if (!scene.Resize(QSize(3840, 2160)) || !scene.SetZoom(kFitExponent) || !scene.SetZoom(0))
        return 1;
    std::printf("%ld %ld %ld %zu %zu\n", empty, withScan, bench::StatusKb("VmHWM:"),
                GlobalSize(doc.GetDibBlock()), doc.GetPyramid()->Bytes());
    return 0;
}

void ReportMemory(int bitCount) {
    long emptyKb = 0, scanKb = 0, peakKb = 0;
    std::size_t dib = 0, levels = 0;
    const std::string text =
        bench::RunMeasuringChild("/proc/self/exe", std::to_string(bitCount), "--measure-memory");
    std::printf("  peak memory, %d-bit scan: ", bitCount);
    if (std::sscanf(text.c_str(), "%ld %ld %ld %zu %zu", &emptyKb, &scanKb, &peakKb, &dib,
                    &levels) != 5) {
        std::printf("not measured\n");
        return;
    }
    const double mb = 1e6, kb = 1024;
    const double peak = peakKb * kb;
    const double limit = dib * 1.25 + 100 * mb;
    std::printf("VmHWM %.0f MB, limit DIB %.0f MB * 1.25 + 100 MB = %.0f MB, %.2f of it  %s\n",
                peak / mb, dib / mb, limit / mb, peak / limit, peak <= limit ? "PASS" : "FAIL");
    std::printf("    the program with Qt alone %.0f MB; + scan and levels %.0f MB (levels %.0f MB); "
                "+ window, board and repaints %.0f MB\n",
                emptyKb * kb / mb, (scanKb - emptyKb) * kb / mb, levels / mb,
                (peakKb - scanKb) * kb / mb);
}

int ReportScan(int bitCount, const std::vector<QSize>& views, int runs, bool breakdown,
               const std::string& only) {
    const auto made = Clock::now();
    ScriptedServices services;
    CDibDoc doc;
    if (!LoadScan(doc, bitCount)) {
        std::printf("%d-bit scan: no memory for it and its levels\n", bitCount);
        return 1;
    }
    Scene scene(doc);
    std::printf("\n%d-bit scan %d x %d, %d levels, 20000 pads and 20000 tracks; set up in %.1f s\n",
                bitCount, kScanWidth, kScanHeight, scene.doc.GetPyramid()->LevelCount(),
                Millis(Clock::now() - made) / 1000);
    std::mt19937 random(2026);
    int failures = 0;
    for (const QSize& size : views) {
        Table table;
        table.only = only;
        table.reference = bench::MemcpyFrameMs(size.width(), size.height(), 31);
        table.budget = size.width() > 2000 ? 16 : 8;
        std::printf(" window %dx%d: memcpy of one 32-bit frame %.3f ms (the ratios' unit)\n",
                    size.width(), size.height(), table.reference);
        if (!scene.Resize(size)) {
            std::printf("  the window did not get its size\n");
            ++failures;
            continue;
        }
        std::printf("  %-34s %9s %9s %6s  %s\n", "case", "ms median", "ratio", "budget", "");
        JumpCases(scene, table, runs, random, breakdown);
        ZoomCases(scene, table, runs, random);
        ScrollCases(scene, table, runs, random);
        SelectAllCases(scene, table, runs, random, breakdown);
        failures += table.failures;
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    bool breakdown = false;
    std::vector<int> scans = {24, 8};
    std::vector<QSize> views = {QSize(1600, 1000), QSize(3840, 2160)};
    int measureMemory = 0;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--measure-memory" && i + 1 < argc)
            measureMemory = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--scan" && i + 1 < argc)
            scans = {std::atoi(argv[++i]) == 8 ? 8 : 24};
        else if (arg == "--view" && i + 1 < argc)
            views = {std::atoi(argv[++i]) == 3840 ? QSize(3840, 2160) : QSize(1600, 1000)};
        else if (arg == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (arg == "--breakdown")
            breakdown = true;
        else if (arg == "--cores" && i + 1 < argc)
            parallel::LimitPartsAtOnce(std::atoi(argv[++i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (measureMemory != 0)
        return MeasureMemory(measureMemory);
    std::printf("frames: median of %d runs; ratio against a memcpy of one 32-bit frame of the "
                "window's size; budget in ms; painted on %d core(s)\n",
                runs, parallel::PartsAtOnce());
    int failures = 0;
    for (int bitCount : scans)
        failures += ReportScan(bitCount, views, runs, breakdown, only);
    std::printf("\n");
    if (only.empty())
        for (int bitCount : scans)
            ReportMemory(bitCount);
    std::printf("%d frame cases over budget\n", failures);
    return 0;
}
