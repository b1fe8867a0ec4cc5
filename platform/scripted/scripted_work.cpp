#include "platform/scripted/scripted_work.h"

#include <thread>

ScriptedWork::ScriptedWork(Mode mode) : m_mode(mode), m_previous(SetBackgroundWork(this)) {}

ScriptedWork::~ScriptedWork() { SetBackgroundWork(m_previous); }

WorkOutcome ScriptedWork::Run(const std::function<void(WorkControl&)>& job,
                              const std::function<void(const WorkStatus&)>& onStatus) {
    ++runs;
    WorkControl control;
    WorkControl* outer = m_control;
    m_control = &control;
    const auto tell = [&](double done) {
        statuses.push_back(WorkStatus{done, 0});
        if (onStatus)
            onStatus(statuses.back());
    };
    const std::optional<double> threshold = stopAt;
    bool toldWhileRunning = false;
    control.SetProgressObserver([&](double done) {
        // Only atomics are touched here when the job has a thread.
        if (threshold && done >= *threshold)
            control.RequestStop();
        if (m_mode == Mode::InPlace) {
            tell(done);
            if (!toldWhileRunning && whileRunning) {
                toldWhileRunning = true;
                whileRunning();
            }
        }
    });
    if (m_mode == Mode::OnThread) {
        std::thread worker([&] { job(control); });
        if (whileRunning)
            whileRunning();
        worker.join();
        tell(control.Progress());
    } else {
        job(control);
    }
    m_control = outer;
    return control.StopRequested() ? WorkOutcome::Stopped : WorkOutcome::Finished;
}

void ScriptedWork::RequestStop() {
    if (m_control)
        m_control->RequestStop();
}
