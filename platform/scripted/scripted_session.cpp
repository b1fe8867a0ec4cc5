#include "platform/scripted/scripted_session.h"

namespace {
class ScriptedTimer : public IRepeatingTimer {
  public:
    explicit ScriptedTimer(std::shared_ptr<ScriptedSession::Timer> timer) : m_timer(std::move(timer)) {}
    ~ScriptedTimer() override { m_timer->running = false; }

  private:
    std::shared_ptr<ScriptedSession::Timer> m_timer;
};
} // namespace

ScriptedSession::ScriptedSession(std::string directory) : stateDirectory(std::move(directory)) {
    m_previous = SetSessionServices(this);
}

ScriptedSession::~ScriptedSession() {
    SetSessionServices(m_previous);
}

std::unique_ptr<IRepeatingTimer> ScriptedSession::StartRepeatingTimer(int intervalMs,
                                                                      std::function<void()> tick) {
    auto timer = std::make_shared<Timer>(Timer{intervalMs, std::move(tick), true});
    timers.push_back(timer);
    return std::make_unique<ScriptedTimer>(timer);
}

void ScriptedSession::FireTimers() {
    // A tick may start or stop timers: walk a copy.
    const auto current = timers;
    for (const auto& timer : current)
        if (timer->running)
            timer->tick();
}

int ScriptedSession::RunQueuedJobs() {
    int ran = 0;
    while (!queued.empty()) {
        auto job = std::move(queued.front());
        queued.pop_front();
        job();
        ++ran;
    }
    return ran;
}
