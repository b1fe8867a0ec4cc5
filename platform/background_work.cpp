#include "platform/background_work.h"

#include <cmath>

bool WorkControl::SetProgress(double done) {
    const double clamped = std::isnan(done) ? 0.0 : std::fmin(std::fmax(done, 0.0), 1.0);
    m_progress.store(clamped, std::memory_order_relaxed);
    if (m_observer)
        m_observer(clamped);
    return !StopRequested();
}

WorkOutcome InPlaceWork::Run(const std::function<void(WorkControl&)>& job,
                             const std::function<void(const WorkStatus&)>& onStatus) {
    WorkControl control;
    if (onStatus)
        control.SetProgressObserver([&](double done) { onStatus(WorkStatus{done, 0}); });
    WorkControl* outer = m_running;
    m_running = &control;
    job(control);
    m_running = outer;
    return control.StopRequested() ? WorkOutcome::Stopped : WorkOutcome::Finished;
}

void InPlaceWork::RequestStop() {
    if (m_running)
        m_running->RequestStop();
}

namespace {
InPlaceWork g_inPlace;
IBackgroundWork* g_work = nullptr;
} // namespace

IBackgroundWork& BackgroundWork() { return g_work ? *g_work : g_inPlace; }

IBackgroundWork* SetBackgroundWork(IBackgroundWork* work) {
    IBackgroundWork* previous = g_work;
    g_work = work;
    return previous;
}
