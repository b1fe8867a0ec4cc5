// Speed of the file commands on a full board (20000 pads and 20000 tracks),
// through the view's own handlers: file dialog answered, file written through
// a temporary file and synced, or read and put on the board.
//
//   bench_exchange --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "board/dib_view.h"
#include "exchange/protel.h"
#include "exchange/work_file.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
struct Fixture {
    ScriptedServices services;
    ScriptedViewHost host;
    std::unique_ptr<CDibView> view;

    Fixture() {
        view = std::make_unique<CDibView>();
        view->AttachHost(&host);
        view->m_nImageWidth = 4000;
        view->m_nImageHeight = 3000;
        Fill();
    }
    ~Fixture() {
        if (view)
            view->ClearBoard();
    }

    // A full board spread over the image, with every layer used.
    void Fill() {
        view->ClearBoard();
        for (int i = 0; i < g_nMaxItems; ++i) {
            const float x = static_cast<float>((i * 37) % 4000);
            const float y = static_cast<float>((i * 53) % 3000);
            view->AppendPad(x, y);
            view->AppendTrack(x, y, x + static_cast<float>(i % 90), y + 40, 1 + i % 12);
        }
    }
    void Run(void (CDibView::*command)(), const std::string& path) {
        services.fileAnswers.push_back(path);
        (view.get()->*command)();
        services.messages.clear();
        host.invalidations.clear();
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_WorkFileSave(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    for (auto _ : state)
        f.Run(&CDibView::OnSaveWork, "bench.dpb");
}

void BM_WorkFileOpen(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    f.Run(&CDibView::OnSaveWork, "bench.dpb");
    for (auto _ : state)
        f.Run(&CDibView::OnOpenWork, "bench.dpb");
    if (f.view->m_nPadCount != g_nMaxItems || f.view->m_nTrackCount != g_nMaxItems)
        state.SkipWithError("the board did not come back whole");
}

void BM_ProtelExport(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    for (auto _ : state)
        f.Run(&CDibView::OnSaveProtel, "bench.pcb");
}

void BM_ProtelImport(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    f.Run(&CDibView::OnSaveProtel, "bench.pcb");
    for (auto _ : state)
        f.Run(&CDibView::OnOpenProtel, "bench.pcb");
    if (f.view->m_nPadCount != g_nMaxItems || f.view->m_nTrackCount != g_nMaxItems)
        state.SkipWithError("the board did not come back whole");
}

// The format code alone, without the file system.
void BM_FormatOnly(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    const BoardSpan board{{f.view->m_pPads, static_cast<size_t>(f.view->m_nPadCount)},
                          {f.view->m_pTracks, static_cast<size_t>(f.view->m_nTrackCount)}};
    for (auto _ : state) {
        auto work = FormatWorkFile(board, 1);
        auto protel = FormatProtel(board, {5.0f, 5.0f, 3000, 1});
        benchmark::DoNotOptimize(work);
        benchmark::DoNotOptimize(protel);
    }
}

void BM_ParseOnly(benchmark::State& state) {
    Fixture& f = Shared();
    f.Fill();
    const BoardSpan board{{f.view->m_pPads, static_cast<size_t>(f.view->m_nPadCount)},
                          {f.view->m_pTracks, static_cast<size_t>(f.view->m_nTrackCount)}};
    const std::string work = *FormatWorkFile(board, 1);
    const std::string protel = *FormatProtel(board, {5.0f, 5.0f, 3000, 1});
    for (auto _ : state) {
        ReadReport report;
        auto a = ParseWorkFile(work, 1, report);
        auto b = ImportProtel(protel, {200, 200, 4000, 3000, 1}, report);
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
}
} // namespace

BENCHMARK(BM_WorkFileSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkFileOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProtelExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProtelImport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The view reads and writes its colour file where it runs; keep that,
    // and the benchmark's files, out of the way.
    char dir[] = "/tmp/bench_exchange-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The view writes its colour file as it goes; let it do so here.
    Shared().view.reset();
    if (chdir("/") == 0)
        std::filesystem::remove_all(dir);
    return 0;
}
