// Speed of the board editor on a full board: 20000 pads and 20000 tracks
// over an 8000 x 6000 scan in a 1600 x 1000 view.
//   FullRepaint         a repaint of the whole view as the window does it:
//                       the view in its Qt window, the image painted by
//                       OnDraw at the zoom and the board over it, into the
//                       window's back buffer, then shown (8-bit and 24-bit
//                       scans)
//   DragMoveRepaint     one mouse move while dragging a pad with 40 joined
//                       track ends, and the repaint it asks for, which covers
//                       only the redraw rectangle
//   DrawBoard           the board part of a repaint (a device context that
//                       only counts calls, so the figure is the board code's
//                       own: culling, mapping, pens)
//   DrawBoardPainter    the same, drawn with the program's QPainter device
//                       context into a 1600 x 1000 picture, as on screen
//   DragMove            one mouse move while dragging a pad with 40 joined
//                       track ends (model update and invalidation, no paint)
//   ZoomIn / Rotate / Mirror   one key press in select-all mode, no paint
//   HoverMove           one mouse move in move status outside a drag: the
//                       hit tests and, when the object under the pointer
//                       changes, what is joined to it
//   BandMove            one mouse move of a chain's rubber band, snapping to
//                       pads on and off
//   MemcpyFrame         the reference: a memcpy of one 32-bit 1600 x 1000 frame
//
// Run: build/bench/bench_board --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true
// The window is made on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include "bench/bench_util.h"
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/view_geometry.h"
#include "image/dib_doc.h"
#include "platform/global_memory.h"
#include "platform/qt/qt_dc.h"
#include "platform/qt/qt_view_widget.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kImageWidth = 8000;
constexpr int kImageHeight = 6000;
const CRect kClient(0, 0, 1600, 1000);

// Counts drawing calls and keeps nothing, so that the board code is measured
// rather than a recorder.
class CountingDC : public CDC {
  public:
    Pen SelectPen(const Pen& p) override {
        const Pen old = pen;
        pen = p;
        return old;
    }
    Brush SelectBrush(const Brush& b) override {
        const Brush old = brush;
        brush = b;
        return old;
    }
    CPoint MoveTo(int x, int y) override { return {x, y}; }
    bool LineTo(int, int) override { return ++lines > 0; }
    bool Ellipse(int, int, int, int) override { return ++ellipses > 0; }
    void FillSolidRect(const CRect&, COLORREF) override {}
    int SetStretchBltMode(int) override { return 0; }
    CPalette* SelectPalette(CPalette*, bool) override { return nullptr; }
    UINT RealizePalette() override { return 0; }
    int GetDeviceCaps(int) const override { return 0; }
    bool IsPrinting() const override { return false; }
    CRect GetClipBox() const override { return kClient; }
    int SetDIBitsToDevice(int, int, DWORD, DWORD, int, int, UINT, UINT, const void*,
                          const BITMAPINFO*, UINT, std::size_t) override {
        return 0;
    }
    int StretchDIBits(int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*,
                      UINT, DWORD, std::size_t) override {
        return 0;
    }
    Pen pen;
    Brush brush;
    long long lines = 0;
    long long ellipses = 0;
};

// Client contexts count calls, or paint into a picture of the view's size.
class BenchHost : public ScriptedViewHost {
  public:
    BenchHost() : ScriptedViewHost(kClient) {}
    void Invalidate(bool) override { ++invalidated; }
    void InvalidateRect(const CRect&, bool) override { ++invalidated; }
    std::unique_ptr<CDC> GetClientDC() override {
        if (picture)
            return std::make_unique<QtPainterDC>(*picture);
        return std::make_unique<CountingDC>();
    }
    long long invalidated = 0;
    QImage* picture = nullptr;
};

void FillBoard(CDibView& view) {
    bench::FillBoard(view, kImageWidth, kImageHeight);
}

struct Board {
    ScriptedServices services;
    BenchHost host;
    CDibView view;

    explicit Board(int scale) {
        view.AttachHost(&host);
        view.m_nImageWidth = kImageWidth;
        view.m_nImageHeight = kImageHeight;
        view.SetScrollSizes(MM_TEXT, CSize(kImageWidth, kImageHeight));
        FillBoard(view);
        host.PutPointer({800, 500});
        for (int s = 1; s < scale; s *= 2)
            view.OnKeyDown(VK_PRIOR, 1, 0);
        view.ScrollToPosition({kImageWidth * scale / 2, kImageHeight * scale / 2});
    }
    ~Board() { view.ClearBoard(); }
};

void BM_DrawBoard(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)));
    for (auto _ : state)
        board.view.DrawBoard();
}
BENCHMARK(BM_DrawBoard)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_DrawBoardPainter(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)));
    QImage picture(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    board.host.picture = &picture;
    if (state.range(1) == 1) {
        for (int layer = 1; layer <= kLayerCount; ++layer)
            board.view.m_bLayerVisible[layer] = 0;
        state.SetLabel("pads only");
    } else if (state.range(1) == 2) {
        board.view.m_nPadCount = 0;
        state.SetLabel("tracks only");
    }
    for (auto _ : state)
        board.view.DrawBoard();
}
BENCHMARK(BM_DrawBoardPainter)
    ->Args({1, 0})->Args({8, 0})->Args({1, 1})->Args({1, 2})
    ->Unit(benchmark::kMicrosecond);

// Puts a pad in the middle of the view with 40 track ends on it and grabs
// it in move status; false when the grab did not take all of them.
bool GrabPadWithFortyEnds(CDibView& view) {
    const CPoint scroll = view.GetScrollPosition();
    const float cx = static_cast<float>(scroll.x + 800), cy = static_cast<float>(scroll.y + 500);
    view.m_pPads[0] = Pad{cx, cy};
    for (int i = 0; i < 40; ++i)
        view.m_pTracks[i] = Track{cx, cy, cx + 50, cy + static_cast<float>(i), 1.0f};
    view.OnMoveStatus();
    view.OnLButtonDown(0, {800, 500});
    return view.m_nSelPad == 0 && view.m_TrackBackup.size() >= 40;
}

// A pad in the middle of the view with 40 track ends on it, all tracks of
// the board in place; each iteration is one mouse move of the drag.
void BM_DragMove(benchmark::State& state) {
    Board board(1);
    CDibView& view = board.view;
    if (!GrabPadWithFortyEnds(view))
        state.SkipWithError("the pad was not grabbed with its 40 ends");
    int i = 0;
    for (auto _ : state) {
        const CPoint p(800 + (i & 15), 500 + ((i >> 4) & 15));
        view.OnMouseMove(0, p);
        ++i;
        // The redraw rectangle only grows during a drag; start a fresh drag
        // now and then so that the figure is that of a drag of ordinary length.
        if ((i & 255) == 0) {
            state.PauseTiming();
            view.OnRButtonDown(0, p);
            view.OnLButtonDown(0, {800, 500});
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMicrosecond);

// Mouse moves in move status outside a drag: each hit tests the board for
// the object under the pointer. Over one object the set joined to it is
// found once; moving between the pad with 40 ends and another place finds
// it (or drops it) at every move and repaints where it was.
void BM_HoverMove(benchmark::State& state) {
    Board board(1);
    CDibView& view = board.view;
    if (!GrabPadWithFortyEnds(view))
        state.SkipWithError("the pad was not grabbed with its 40 ends");
    view.OnRButtonDown(0, {800, 500});
    const bool alternate = state.range(0) == 1;
    state.SetLabel(alternate ? "on and off the pad" : "over the pad");
    int i = 0;
    for (auto _ : state) {
        const bool off = alternate && (i & 1);
        view.OnMouseMove(0, off ? CPoint(805, 1) : CPoint(800 + (i & 3), 500));
        ++i;
    }
    if (view.m_Hover.trackEnds.size() < 40 && !alternate)
        state.SkipWithError("the pad's 40 ends were not found");
}
BENCHMARK(BM_HoverMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A mouse move of a track chain's rubber band, with snapping to pads on or
// off: the snap looks for a pad at the pointer and at the band's end.
void BM_BandMove(benchmark::State& state) {
    Board board(1);
    CDibView& view = board.view;
    g_bSnapToPads = state.range(0) == 1;
    state.SetLabel(g_bSnapToPads ? "snapping on" : "snapping off");
    view.OnLineMode();
    view.OnLButtonDown(0, {800, 500});
    int i = 0;
    for (auto _ : state) {
        view.OnMouseMove(0, {900 + (i & 63), 530 + (i & 15)});
        ++i;
    }
    g_bSnapToPads = true;
}
BENCHMARK(BM_BandMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The reference the figures are compared with: a memcpy of one 32-bit
// frame of the view's size.
void BM_MemcpyFrame(benchmark::State& state) {
    const std::size_t pixels = std::size_t(kClient.Width()) * std::size_t(kClient.Height());
    std::vector<std::uint32_t> from(pixels, 1);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void BM_ZoomInOut(benchmark::State& state) {
    Board board(1);
    for (auto _ : state) {
        board.view.OnKeyDown(VK_PRIOR, 1, 0);
        board.view.OnKeyDown(VK_NEXT, 1, 0);
    }
    state.SetLabel("one zoom in and one zoom out per iteration");
}
BENCHMARK(BM_ZoomInOut)->Unit(benchmark::kMillisecond);

void BM_SelectAllKey(benchmark::State& state) {
    Board board(1);
    board.view.OnSelectAll();
    const UINT key = static_cast<UINT>(state.range(0));
    for (auto _ : state)
        board.view.OnKeyDown(key, 1, 0);
    state.SetLabel(key == VK_SPACE ? "rotate" : key == VK_KEY_X ? "mirror" : "move all");
}
BENCHMARK(BM_SelectAllKey)->Arg(VK_SPACE)->Arg(VK_KEY_X)->Arg(VK_RIGHT)->Unit(benchmark::kMillisecond);

// A scan of the benchmark's size as the document holds it: 8 bits with a
// grey palette, or 24 bits, with a pattern that changes along both axes.
HGLOBAL MakeScan(int bits) {
    const int colors = bits == 8 ? 256 : 0;
    const std::size_t stride = (std::size_t{kImageWidth} * bits / 8 + 3) & ~std::size_t{3};
    const std::size_t header = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
    HGLOBAL block = GlobalAlloc(GHND, header + stride * kImageHeight);
    if (!block)
        return nullptr;
    GlobalLockGuard lock(block);
    auto* bytes = static_cast<BYTE*>(lock.get());
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), kImageWidth, kImageHeight, 1,
                                WORD(bits), BI_RGB, DWORD(stride * kImageHeight), 7874, 7874,
                                DWORD(colors), 0};
    std::memcpy(bytes, &info, sizeof info);
    auto* palette = reinterpret_cast<RGBQUAD*>(bytes + sizeof info);
    for (int i = 0; i < colors; ++i)
        palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    BYTE* pixels = bytes + header;
    for (int y = 0; y < kImageHeight; ++y) {
        BYTE* row = pixels + stride * y;
        for (int x = 0; x < kImageWidth; ++x) {
            if (bits == 8) {
                row[x] = BYTE(x * 7 + y);
            } else {
                row[3 * x] = BYTE(x * 7 + y);
                row[3 * x + 1] = BYTE((x / 16 + y / 16) & 1 ? 200 : 40);
                row[3 * x + 2] = BYTE(y * 3);
            }
        }
    }
    return block;
}

// The full board over a scan, shown in the program's view window with a
// client area of 1600 x 1000, scrolled to the middle at the given zoom.
struct WindowedBoard {
    ScriptedServices services;
    CDibDoc doc;
    std::unique_ptr<CDibView> view;
    std::unique_ptr<QtViewWidget> widget;
    std::string error;

    WindowedBoard(int scale, int bits) {
        if (!doc.AcceptDibBlock(MakeScan(bits))) {
            error = "the scan could not be made";
            return;
        }
        view = std::make_unique<CDibView>();
        doc.AddView(view.get());
        widget = std::make_unique<QtViewWidget>(view.get());
        view->OnInitialUpdate();
        view->m_nImageWidth = kImageWidth;
        view->m_nImageHeight = kImageHeight;
        FillBoard(*view);
        widget->resize(kClient.Width(), kClient.Height());
        widget->show();
        QApplication::processEvents();
        // Room for the scroll bars: the client area itself is 1600 x 1000.
        const CRect client = widget->GetClientRect();
        widget->resize(2 * kClient.Width() - client.Width(), 2 * kClient.Height() - client.Height());
        QApplication::processEvents();
        for (int s = 1; s < scale; s *= 2)
            view->OnKeyDown(VK_PRIOR, 1, 0);
        view->ScrollToPosition({kImageWidth * scale / 2, kImageHeight * scale / 2});
        widget->viewport()->repaint();
        if (widget->GetClientRect() != kClient || view->m_nScale != scale)
            error = "the window did not get its size or zoom";
    }
    ~WindowedBoard() {
        if (view)
            view->ClearBoard();
        widget.reset();
        view.reset();
    }
};

void BM_FullRepaint(benchmark::State& state) {
    WindowedBoard board(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!board.error.empty()) {
        state.SkipWithError(board.error.c_str());
        return;
    }
    QWidget* viewport = board.widget->viewport();
    for (auto _ : state) {
        board.widget->Invalidate(false);
        viewport->repaint();
    }
    if (!board.widget->PendingRedraw().isEmpty())
        state.SkipWithError("the repaint left part of the view undrawn");
    state.SetLabel(state.range(1) == 8 ? "8-bit scan" : "24-bit scan");
}
BENCHMARK(BM_FullRepaint)
    ->Args({1, 8})->Args({8, 8})->Args({1, 24})->Args({8, 24})
    ->Unit(benchmark::kMillisecond);

// A mouse move of a drag in the window, and the repaint of what it
// invalidated: only the boxes of the dragged objects before and after the
// move are drawn again.
void BM_DragMoveRepaint(benchmark::State& state) {
    WindowedBoard board(1, 8);
    if (!board.error.empty()) {
        state.SkipWithError(board.error.c_str());
        return;
    }
    CDibView& view = *board.view;
    QtViewWidget& widget = *board.widget;
    if (!GrabPadWithFortyEnds(view)) {
        state.SkipWithError("the pad was not grabbed with its 40 ends");
        return;
    }
    // From the first move on, m_rcRedraw holds the box of the dragged objects.
    view.OnMouseMove(0, {800, 500});
    widget.viewport()->repaint();
    int i = 0;
    long long area = 0;
    for (auto _ : state) {
        const CPoint p(800 + (i & 15), 500 + ((i >> 4) & 15));
        const CRect before = view.m_rcRedraw;
        view.OnMouseMove(0, p);
        // Where the objects were drawn, and where they are now.
        const CRect r = board::UnionOf(before, view.m_rcRedraw);
        const QRegion pending = widget.PendingRedraw();
        const QRect expected = QRect(r.left, r.top, r.Width(), r.Height()) & widget.viewport()->rect();
        if (pending != QRegion(expected)) {
            state.SkipWithError("the move asked for more than its redraw rectangle");
            break;
        }
        area += expected.width() * expected.height();
        widget.viewport()->repaint(pending);
        ++i;
        if ((i & 255) == 0) {
            state.PauseTiming();
            view.OnRButtonDown(0, p);
            view.OnLButtonDown(0, {800, 500});
            view.OnMouseMove(0, {800, 500});
            widget.viewport()->repaint();
            state.ResumeTiming();
        }
    }
    if (i > 0)
        state.counters["repainted_px"] = static_cast<double>(area) / i;
}
BENCHMARK(BM_DragMoveRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
