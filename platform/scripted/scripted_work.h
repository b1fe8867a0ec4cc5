// A work runner for tests: the job runs on a thread of its own (so that
// ThreadSanitizer sees the handover) or in place, and a stop is asked for
// at a chosen share done, as if the user had pressed Cancel then. What the
// interface was told is recorded. Installs itself while it lives.
#pragma once

#include "platform/background_work.h"

#include <functional>
#include <optional>
#include <vector>

class ScriptedWork : public IBackgroundWork {
  public:
    enum class Mode { OnThread, InPlace };

    explicit ScriptedWork(Mode mode = Mode::OnThread);
    ~ScriptedWork() override;
    ScriptedWork(const ScriptedWork&) = delete;
    ScriptedWork& operator=(const ScriptedWork&) = delete;

    WorkOutcome Run(const std::function<void(WorkControl&)>& job,
                    const std::function<void(const WorkStatus&)>& onStatus) override;
    void RequestStop() override;
    bool Running() const override { return m_control != nullptr; }

    // Asks the job to stop once it reports this share done.
    std::optional<double> stopAt;
    // Called on the interface thread while the job runs (on its thread:
    // after it started; in place: at its first progress report), as an
    // event delivered during the wait would be.
    std::function<void()> whileRunning;
    // Every status the interface was given, and how many jobs ran.
    std::vector<WorkStatus> statuses;
    int runs = 0;

  private:
    Mode m_mode;
    WorkControl* m_control = nullptr;
    IBackgroundWork* m_previous = nullptr;
};
