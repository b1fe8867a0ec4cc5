// What an autosave costs the interface thread on a full board (20000 pads
// and 20000 tracks), against copying the board as a reference; and what the
// background worker then spends formatting and writing the pair of files.
//
//   bench_autosave --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "board/dib_view.h"
#include "exchange/board_data.h"
#include "exchange/recovery_session.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "platform/scripted/scripted_session.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
struct Fixture {
    ScriptedServices services;
    ScriptedSession scripted;
    ScriptedViewHost host;
    std::string directory;
    std::unique_ptr<RecoverySession> session;
    std::unique_ptr<CDibView> view;
    float nudge = 0;

    Fixture()
        : directory((std::filesystem::temp_directory_path() /
                     ("tracevu-bench-" + std::to_string(getpid())))
                        .string()) {
        session = std::make_unique<RecoverySession>(scripted, directory, getpid());
        view = std::make_unique<CDibView>();
        view->AttachHost(&host);
        std::vector<Pad> pads;
        std::vector<Track> tracks;
        for (int i = 0; i < g_nMaxItems; ++i) {
            const float x = static_cast<float>((i * 37) % 4000) + 0.5f;
            const float y = static_cast<float>((i * 53) % 3000);
            pads.push_back({x, y});
            tracks.push_back({x, y, x + static_cast<float>(i % 90), y + 40,
                              static_cast<float>(1 + i % 12)});
        }
        view->ReplaceBoard(pads, tracks, board::StepKind::ImportProtel);
        session->Watch(*view);
    }
    ~Fixture() {
        view->ClearBoard();
        view.reset();
        session->ForgetClosedViews();
        session.reset();
        std::filesystem::remove_all(directory);
    }
    // A new revision, as an edit makes.
    void Change() {
        view->BeginEdit(board::StepKind::Move);
        view->SetPadPosition(0, nudge, nudge);
        view->EndEdit();
        nudge += 1;
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_CopyBoardReference(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BoardData copy;
        copy.pads.assign(f.view->m_pPads, f.view->m_pPads + f.view->m_nPadCount);
        copy.tracks.assign(f.view->m_pTracks, f.view->m_pTracks + f.view->m_nTrackCount);
        benchmark::DoNotOptimize(copy.pads.data());
        benchmark::DoNotOptimize(copy.tracks.data());
    }
}

void BM_AutosaveInterfaceThread(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.Change();
        state.ResumeTiming();
        f.session->Tick();
        state.PauseTiming();
        if (f.scripted.queued.size() != 1)
            std::abort(); // the tick must have handed over one write
        f.scripted.queued.clear();
        state.ResumeTiming();
    }
}

void BM_AutosaveBackgroundWrite(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.Change();
        f.session->Tick();
        state.ResumeTiming();
        if (f.scripted.RunQueuedJobs() != 1)
            std::abort();
    }
}
} // namespace

BENCHMARK(BM_CopyBoardReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveInterfaceThread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveBackgroundWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
