// A tracing session through the program's own windows: the sample scan is
// opened, pads are placed, a track chain is drawn, a drag is cancelled and
// another committed, the view is zoomed, and the work file is saved. Mouse
// and keys arrive as Qt events on the view's window; commands go through the
// router as from the toolbar and menus.
#include "shell_fixture.h"

#include "board/dib_view.h"
#include "platform/qt/qt_view_widget.h"
#include "res/resource.h"

#include <QCursor>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <iterator>

namespace {

class EndToEndTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::copy(std::begin(g_crLayerColor), std::end(g_crLayerColor), savedColors);
    }
    // The view writes the colour table to the colour file when it closes.
    void TearDown() override {
        std::copy(std::begin(savedColors), std::end(savedColors), g_crLayerColor);
        ShellTest::TearDown();
    }

    bool OpenSampleScan() {
        if (!Start({TRACEVU_SOURCE_DIR "/res/sample-scan.bmp"}) || !Frame().ActiveChild())
            return false;
        child = Frame().ActiveChild();
        child->showMaximized();
        widget = child->ViewWidget();
        view = child->View();
        return QTest::qWaitForWindowExposed(widget) && widget->GetClientRect().Width() >= 400 &&
               widget->GetClientRect().Height() >= 300;
    }

    QWidget* Viewport() const { return widget->viewport(); }
    // The pointer goes there first, as the user's hand would take it.
    void MoveTo(QPoint p) { QTest::mouseMove(Viewport(), p); }
    void ClickAt(QPoint p) {
        MoveTo(p);
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, p);
    }
    void RightClickAt(QPoint p) {
        MoveTo(p);
        QTest::mouseClick(Viewport(), Qt::RightButton, Qt::NoModifier, p);
    }
    void Paint() { Viewport()->repaint(); }
    QRgb Shown(int x, int y) const {
        const QImage& buffer = widget->BackBuffer();
        const qreal r = buffer.devicePixelRatio();
        return buffer.pixel(static_cast<int>(x * r), static_cast<int>(y * r)) & 0xFFFFFF;
    }

    COLORREF savedColors[kLayerColorCount] = {};
    CChildFrame* child = nullptr;
    QtViewWidget* widget = nullptr;
    CDibView* view = nullptr;
};

void ExpectTrack(const Track& t, float x1, float y1, float x2, float y2) {
    EXPECT_EQ(t.x1, x1);
    EXPECT_EQ(t.y1, y1);
    EXPECT_EQ(t.x2, x2);
    EXPECT_EQ(t.y2, y2);
}

TEST_F(EndToEndTest, TraceDragZoomAndSaveTheWorkFile) {
    ASSERT_TRUE(OpenSampleScan());
    g_crLayerColor[1] = RGB(0, 0, 255);
    ASSERT_EQ(view->GetScrollPosition(), CPoint(0, 0));

    // Pad mode: every click a pad, a beep and a disc at once.
    const std::size_t beeps = services.beeps.size();
    ClickAt({100, 100});
    ClickAt({200, 100});
    ClickAt({200, 200});
    ASSERT_EQ(view->m_nPadCount, 3);
    EXPECT_EQ(services.beeps.size(), beeps + 3);
    EXPECT_EQ(Shown(200, 200), 0x000000u); // black fill
    EXPECT_EQ(Frame().PaneText(0), "X: 25.40 mm, Y: 25.40 mm");

    // Line mode: a chain of two segments, the rubber band following the
    // pointer snapped to 45 degrees.
    ASSERT_TRUE(Run(ID_LINE_MODE));
    ClickAt({100, 100});
    MoveTo({160, 110});
    EXPECT_EQ(Shown(130, 100), 0xFFFFFFu); // the band, snapped horizontal
    Paint();
    EXPECT_EQ(Shown(130, 100), 0xFFFFFFu); // and again after a repaint
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, {160, 110});
    EXPECT_EQ(Shown(130, 100), 0x0000FFu); // the stored segment covers it
    ClickAt({190, 130});                    // diagonal
    RightClickAt({190, 130});               // ends the chain
    ASSERT_EQ(view->m_nTrackCount, 2);
    ExpectTrack(view->m_pTracks[0], 100, 100, 160, 100);
    ExpectTrack(view->m_pTracks[1], 160, 100, 190, 130);
    EXPECT_EQ(view->m_bLineStarted, 0);
    Paint();
    EXPECT_EQ(Shown(175, 115), 0x0000FFu);
    EXPECT_TRUE(widget->PendingRedraw().isEmpty());

    // Move status: drag the first pad with the chain's start, cancel with
    // the right button while the left is still down.
    ASSERT_TRUE(Run(ID_MOVE_STATUS));
    MoveTo({101, 101});
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, {101, 101});
    ASSERT_EQ(view->m_nSelPad, 0);
    QTest::mouseMove(Viewport(), {121, 91});
    EXPECT_EQ(view->m_pPads[0].x, 120);
    EXPECT_EQ(view->m_pTracks[0].y1, 90);
    QTest::mousePress(Viewport(), Qt::RightButton, Qt::NoModifier, {121, 91});
    QTest::mouseRelease(Viewport(), Qt::RightButton, Qt::NoModifier, {121, 91});
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, {121, 91});
    EXPECT_EQ(view->m_nSelPad, -1);
    EXPECT_EQ(view->m_pPads[0].x, 100);
    EXPECT_EQ(view->m_pPads[0].y, 100);
    ExpectTrack(view->m_pTracks[0], 100, 100, 160, 100);
    // The repaint after the cancel leaves nothing where the pad went: the
    // window shows what a full repaint shows.
    Paint();
    const QImage afterCancel = widget->BackBuffer().copy();
    widget->Invalidate(true);
    Paint();
    EXPECT_EQ(afterCancel, widget->BackBuffer());

    // The third pad is dragged and kept where it was released.
    MoveTo({200, 200});
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, {200, 200});
    QTest::mouseMove(Viewport(), {210, 205});
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, {210, 205});
    EXPECT_EQ(view->m_pPads[2].x, 210);
    EXPECT_EQ(view->m_pPads[2].y, 205);

    // Page Up with the pointer at (50, 50): twice the size, the point under
    // the pointer stays there.
    MoveTo({50, 50});
    QTest::keyClick(widget, Qt::Key_PageUp);
    ASSERT_EQ(view->m_nScale, 2);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(50, 50));
    EXPECT_EQ(view->m_pPads[0].x, 200);
    MoveTo({51, 50});
    EXPECT_EQ(Frame().PaneText(0), "X: 6.35 mm, Y: 6.35 mm");
    Paint();
    EXPECT_EQ(Shown(150, 150), 0x000000u); // the first pad, now at client (150, 150)

    // Traced at factor 2: a segment ending between image pixels and a pad.
    ASSERT_TRUE(Run(ID_LINE_MODE));
    ClickAt({100, 100});
    ClickAt({131, 100});
    RightClickAt({131, 100});
    ASSERT_TRUE(Run(ID_PAD_MODE));
    ClickAt({51, 51});
    ExpectTrack(view->m_pTracks[2], 150, 150, 181, 150);
    EXPECT_EQ(view->m_pPads[3].x, 101);

    // Saved at factor 2: image pixels, truncated, lines ending in CR LF.
    const QString path = QDir::current().absoluteFilePath("end-to-end.dpb");
    QFile::remove(path);
    services.fileAnswers.push_back(path.toStdString());
    ASSERT_TRUE(Run(ID_SAVE_WORK));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              "FP\r\n100 100\r\n"
              "FP\r\n200 100\r\n"
              "FP\r\n210 205\r\n"
              "FP\r\n50 50\r\n"
              "FT\r\n100 100 160 100 1\r\n"
              "FT\r\n160 100 190 130 1\r\n"
              "FT\r\n75 75 90 75 1\r\n");
    file.close();
    QFile::remove(path);
}

} // namespace
