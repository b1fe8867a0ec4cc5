// Session services for tests: the state directory is what the test names,
// timers fire only when the test says so, and background jobs wait in a
// queue until the test runs them (or WaitForBackground does). Installs
// itself while it lives.
#pragma once

#include "platform/session_services.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ScriptedSession : public ISessionServices {
  public:
    explicit ScriptedSession(std::string stateDirectory = {});
    ~ScriptedSession() override;
    ScriptedSession(const ScriptedSession&) = delete;
    ScriptedSession& operator=(const ScriptedSession&) = delete;

    std::string StateDirectory() override { return stateDirectory; }
    std::unique_ptr<IRepeatingTimer> StartRepeatingTimer(int intervalMs,
                                                         std::function<void()> tick) override;
    void RunInBackground(std::function<void()> job) override { queued.push_back(std::move(job)); }
    void WaitForBackground() override { RunQueuedJobs(); }

    // Calls every running timer's tick once.
    void FireTimers();
    // Runs the queued background jobs in order; returns how many ran.
    int RunQueuedJobs();

    struct Timer {
        int intervalMs = 0;
        std::function<void()> tick;
        bool running = true;
    };

    std::string stateDirectory;
    std::vector<std::shared_ptr<Timer>> timers;
    std::deque<std::function<void()>> queued;

  private:
    ISessionServices* m_previous = nullptr;
};
