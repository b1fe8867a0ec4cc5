#include "platform/qt/qt_background_work.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
constexpr const char* kCancelProperty = "tracevuCancelControl";

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

// The worker's end, as the interface thread waits for it.
struct Finish {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;

    void Set() {
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        done.notify_all();
    }
    bool Wait(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return done.wait_for(lock, limit, [this] { return finished; });
    }
    bool Finished() {
        std::lock_guard lock(mutex);
        return finished;
    }
};
} // namespace

QtBackgroundWork::QtBackgroundWork() : m_previous(SetBackgroundWork(this)) {}

QtBackgroundWork::~QtBackgroundWork() { SetBackgroundWork(m_previous); }

void QtBackgroundWork::MarkCancelControl(QWidget* control) {
    control->setProperty(kCancelProperty, true);
}

WorkOutcome QtBackgroundWork::Run(const std::function<void(WorkControl&)>& job,
                                  const std::function<void(const WorkStatus&)>& onStatus) {
    // A job asked for during a wait (a timer's) runs in place: one worker at
    // a time, and no wait inside a wait.
    if (m_control) {
        InPlaceWork inPlace;
        return inPlace.Run(job, onStatus);
    }
    WorkControl control;
    m_control = &control;
    Finish finish;
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        job(control);
        finish.Set();
    });
    const auto tell = [&] {
        if (onStatus)
            onStatus(WorkStatus{control.Progress(), clock.elapsed() / 1000.0});
    };
    if (!finish.Wait(std::chrono::milliseconds(kQuietStartMs))) {
        m_modalAtStart = QApplication::activeModalWidget();
        qApp->installEventFilter(this);
        QEventLoop loop;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
            tell();
            if (finish.Finished())
                loop.quit();
        });
        ticks.start(kStatusIntervalMs);
        tell();
        // The loop also ends when the program is quitting; the job is then
        // asked to stop.
        loop.exec();
        if (!finish.Finished())
            control.RequestStop();
        qApp->removeEventFilter(this);
    }
    worker.join();
    tell();
    m_control = nullptr;
    for (const QPointer<QWidget>& window : std::exchange(m_closeLater, {}))
        if (window)
            QMetaObject::invokeMethod(
                window.data(),
                [window] {
                    if (window)
                        window->close();
                },
                Qt::QueuedConnection);
    return control.StopRequested() ? WorkOutcome::Stopped : WorkOutcome::Finished;
}

void QtBackgroundWork::RequestStop() {
    if (m_control)
        m_control->RequestStop();
}

bool QtBackgroundWork::MayReceiveInput(QObject* watched) const {
    for (QObject* o = watched; o; o = o->parent()) {
        if (o->property(kCancelProperty).toBool())
            return true;
        // A dialog that something opened during the wait takes its input.
        auto* widget = qobject_cast<QWidget*>(o);
        QWidget* modal = QApplication::activeModalWidget();
        if (widget && modal && modal != m_modalAtStart && widget == modal)
            return true;
    }
    return false;
}

bool QtBackgroundWork::eventFilter(QObject* watched, QEvent* event) {
    if (!m_control)
        return false;
    if (event->type() == QEvent::Close) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || !widget->isVisible() || MayReceiveInput(watched))
            return false;
        m_control->RequestStop();
        m_closeLater.emplace_back(widget);
        event->ignore();
        return true;
    }
    // The system's input comes to a top-level window first, which hands it
    // to the widget it is for; the widget decides.
    if (!IsUserInput(event->type()) || qobject_cast<QWindow*>(watched) ||
        MayReceiveInput(watched))
        return false;
    const bool key =
        event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (key && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        m_control->RequestStop();
    return true;
}
