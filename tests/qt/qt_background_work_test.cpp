// The Qt work runner: the interface goes on while the job runs on its
// thread, input is held off except for the cancel control, Esc and a close
// request stop the job, and the close is carried out afterwards.
#include "platform/qt/qt_background_work.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits until `until` holds, for at most five seconds; true when it held.
template <typename Condition> bool WaitFor(Condition until) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!until()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class QtBackgroundWorkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(plain);
        layout->addWidget(cancel);
        layout->addWidget(edit);
        QtBackgroundWork::MarkCancelControl(cancel);
        QObject::connect(plain, &QPushButton::clicked, [this] { plainClicked = true; });
        QObject::connect(cancel, &QPushButton::clicked, [this] { work.RequestStop(); });
        window.show();
        edit->setFocus();
        QApplication::processEvents();
    }

    // A job that runs until it is asked to stop; notes whether it was.
    WorkOutcome RunUntilStopped() {
        return work.Run([this](WorkControl& c) { sawStop = WaitFor([&] { return c.StopRequested(); }); },
                        {});
    }

    QtBackgroundWork work;
    QWidget window;
    QPushButton* plain = new QPushButton("Plain");
    QPushButton* cancel = new QPushButton("Cancel");
    QLineEdit* edit = new QLineEdit;
    bool plainClicked = false;
    std::atomic<bool> sawStop{false};
};

TEST_F(QtBackgroundWorkTest, TheInterfaceRunsAndHearsOfProgressWhileTheJobRuns) {
    std::atomic<bool> released{false};
    QTimer::singleShot(100, [&] { released = true; });
    std::vector<WorkStatus> statuses;
    bool releasedByInterface = false;
    const WorkOutcome outcome = work.Run(
        [&](WorkControl& c) {
            c.SetProgress(0.5);
            releasedByInterface = WaitFor([&] { return released.load(); });
        },
        [&](const WorkStatus& s) {
            statuses.push_back(s);
            EXPECT_TRUE(work.Running());
        });
    EXPECT_TRUE(releasedByInterface) << "no timer fired while the job ran";
    EXPECT_EQ(outcome, WorkOutcome::Finished);
    EXPECT_FALSE(work.Running());
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_DOUBLE_EQ(statuses.back().progress, 0.5);
    EXPECT_GE(statuses.back().seconds, 0.09);
}

TEST_F(QtBackgroundWorkTest, InputReachesOnlyTheCancelControl) {
    QTimer::singleShot(100, [&] {
        QTest::mouseClick(plain, Qt::LeftButton);
        QTest::keyClicks(edit, "abc");
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(RunUntilStopped(), WorkOutcome::Stopped);
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(plainClicked);
    EXPECT_TRUE(edit->text().isEmpty());
    // Once the job is done, input gets through again.
    QTest::mouseClick(plain, Qt::LeftButton);
    EXPECT_TRUE(plainClicked);
}

// Clicks from the system reach the top-level window first.
TEST_F(QtBackgroundWorkTest, AClickThroughTheWindowReachesTheCancelControlOnly) {
    QWindow* shown = window.windowHandle();
    ASSERT_NE(shown, nullptr);
    const auto at = [&](QWidget* w) { return w->mapTo(&window, w->rect().center()); };
    QTimer::singleShot(100, [&] {
        QTest::mouseClick(shown, Qt::LeftButton, {}, at(plain));
        QTest::mouseClick(shown, Qt::LeftButton, {}, at(cancel));
    });
    EXPECT_EQ(RunUntilStopped(), WorkOutcome::Stopped);
    EXPECT_TRUE(sawStop) << "the cancel control was not reached";
    EXPECT_FALSE(plainClicked);
}

TEST_F(QtBackgroundWorkTest, EscapeStopsTheJob) {
    QTimer::singleShot(100, [&] { QTest::keyClick(edit, Qt::Key_Escape); });
    EXPECT_EQ(RunUntilStopped(), WorkOutcome::Stopped);
    EXPECT_TRUE(sawStop);
}

TEST_F(QtBackgroundWorkTest, ClosingAWindowStopsTheJobAndClosesItAfterwards) {
    QTimer::singleShot(100, [&] { window.close(); });
    EXPECT_EQ(RunUntilStopped(), WorkOutcome::Stopped);
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(window.isVisible()) << "closed while the job ran";
    QApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(QtBackgroundWorkTest, AQuickJobNeverEntersTheEventLoop) {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    bool ran = false;
    EXPECT_EQ(work.Run([&](WorkControl&) { ran = true; }, {}), WorkOutcome::Finished);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(fired);
    QApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST_F(QtBackgroundWorkTest, IsTheInstalledRunnerWhileItLives) {
    EXPECT_EQ(&BackgroundWork(), &work);
}

} // namespace
