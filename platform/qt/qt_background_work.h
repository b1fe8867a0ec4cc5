// Runs a job on a worker thread while the interface thread waits in a local
// event loop: windows go on painting, timers fire, and `onStatus` hears of
// the progress a few times a second. User input is held off meanwhile,
// except for widgets marked as cancel controls (MarkCancelControl) and for
// modal dialogs opened during the wait; Esc asks the job to stop. A request
// to close a window during the wait asks the job to stop and is carried out
// once it has returned.
#pragma once

#include "platform/background_work.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

class QtBackgroundWork : public QObject, public IBackgroundWork {
    Q_OBJECT
  public:
    QtBackgroundWork();
    ~QtBackgroundWork() override;

    WorkOutcome Run(const std::function<void(WorkControl&)>& job,
                    const std::function<void(const WorkStatus&)>& onStatus) override;
    void RequestStop() override;
    bool Running() const override { return m_control != nullptr; }

    // Lets input reach `control` (and its children) during a wait.
    static void MarkCancelControl(QWidget* control);

    // How often the interface looks at the job, in milliseconds.
    static constexpr int kStatusIntervalMs = 30;
    // A job done within this many milliseconds never enters the event loop.
    static constexpr int kQuietStartMs = 40;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool MayReceiveInput(QObject* watched) const;

    WorkControl* m_control = nullptr;
    QWidget* m_modalAtStart = nullptr;
    std::vector<QPointer<QWidget>> m_closeLater;
    IBackgroundWork* m_previous = nullptr;
};
