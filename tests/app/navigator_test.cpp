// The Navigator dock in the running program: off at first, remembered, a
// frame that follows the window's view, and clicks that scroll the window.
#include "shell_fixture.h"

#include "app/navigator.h"
#include "board/dib_view.h"
#include "res/resource.h"
#include "tests/image/bmp_corpus.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
class NavigatorTest : public ShellTest {
  protected:
    QString Scan() {
        corpus::Recipe recipe;
        recipe.name = "wide";
        recipe.width = 3000;
        recipe.height = 2000;
        const QString path = scans.filePath("wide.bmp");
        EXPECT_TRUE(corpus::WriteFile(QFile::encodeName(path).toStdString(), corpus::Make(recipe).file));
        return path;
    }
    CDibView* View() { return Frame().ActiveChild() ? Frame().ActiveChild()->View() : nullptr; }
    NavigatorPanel& Panel() { return *Frame().Navigator()->Panel(); }

    QTemporaryDir scans;
};
} // namespace

TEST_F(NavigatorTest, IsOffAtFirstAndRememberedForTheNextRun) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().Navigator()->isHidden());
    EXPECT_EQ(Frame().Navigator()->windowTitle(), "Navigator");
    ASSERT_TRUE(Run(ID_VIEW_NAVIGATOR));
    EXPECT_FALSE(Frame().Navigator()->isHidden());
    EXPECT_TRUE(app->Router().QueryState(ID_VIEW_NAVIGATOR).checked);
    app.reset();

    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame().Navigator()->isHidden());
    ASSERT_TRUE(Run(ID_VIEW_NAVIGATOR));
    app.reset();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().Navigator()->isHidden());
}

TEST_F(NavigatorTest, TheFrameFollowsTheViewAndAClickScrollsIt) {
    ASSERT_TRUE(Start({Scan()}));
    ASSERT_TRUE(Run(ID_VIEW_NAVIGATOR));
    Frame().resize(1000, 700);
    QTest::qWait(20);
    CDibView* view = View();
    ASSERT_NE(view, nullptr);
    Panel().Refresh();
    const QRectF picture = Panel().PictureRect();
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_NEAR(picture.width() / picture.height(), 1.5, 0.02) << "the scan keeps its shape";

    const CRect client = view->ClientRect();
    const double perPixel = picture.width() / 3000;
    QRectF frame = Panel().VisibleFrame();
    EXPECT_NEAR(frame.left(), picture.left(), 0.01);
    EXPECT_NEAR(frame.width(), client.Width() * perPixel, 0.01);

    view->ScrollToPosition({600, 400});
    Panel().Refresh();
    frame = Panel().VisibleFrame();
    EXPECT_NEAR(frame.left(), picture.left() + 600 * perPixel, 0.01);
    EXPECT_NEAR(frame.top(), picture.top() + 400 * perPixel, 0.01);

    // Zoomed out to 1/2 the frame covers twice as many scan pixels.
    view->OnZoomOut();
    Panel().Refresh();
    EXPECT_NEAR(Panel().VisibleFrame().width(), std::min(picture.width(), 2 * client.Width() * perPixel), 0.01);
    view->OnActualPixels();

    // A click brings that scan point to the middle of the window.
    const QPointF target = picture.topLeft() + QPointF(1500 * perPixel, 1000 * perPixel);
    QTest::mouseClick(&Panel(), Qt::LeftButton, {}, target.toPoint());
    const CPoint s = view->GetScrollPosition();
    EXPECT_NEAR(s.x + client.Width() / 2, 1500, 2 / perPixel);
    EXPECT_NEAR(s.y + client.Height() / 2, 1000, 2 / perPixel);
}
