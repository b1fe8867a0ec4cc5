// The residuals of a registration with many pairs in the status bar: the
// summary stands first, a text longer than the bar ends in "…" with the
// whole of it in the tooltip, and the main window keeps its width.
#include "shell_fixture.h"

#include "app/status_bar.h"
#include "board/dib_view.h"
#include "board/keys.h"
#include "image/dib_doc.h"
#include "res/resource.h"
#include "tests/board/params_guard.h"
#include "tests/support/side_scans.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace {
class RegisterStatusTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(scans.isValid());
        front = Write("top.bmp", sides::Front);
        back = Write("bottom.bmp", sides::BackOf(photo, sides::Front, 300, 200));
    }
    std::string Write(const char* name, const sides::Paint& paint) {
        const std::string path = QFile::encodeName(scans.filePath(name)).toStdString();
        EXPECT_EQ(sides::WriteScanFile(path, 300, 200, paint), path);
        return path;
    }
    QLabel* MessagePane() { return Frame().StatusBar()->findChild<QLabel*>("pane0"); }
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    QTemporaryDir scans;
    ParamsGuard guard;
    const registration::Transform photo = sides::PhotoOfBack(300, 200);
    std::string front, back;
};
} // namespace

TEST_F(RegisterStatusTest, TwentyPairsDoNotWidenTheMainWindow) {
    ASSERT_TRUE(Start({QString::fromStdString(front)}));
    CDibView* view = Frame().ActiveChild()->View();
    ASSERT_TRUE(view->OpenOtherSide(back));
    OtherSide& side = *view->GetDocument()->GetOtherSide();
    const registration::Transform toBack = *photo.Inverse();
    for (int i = 0; i < 20; ++i) {
        const registration::Point f{15.0 + 13 * i, 20.0 + 7 * (i % 5) + 4 * i};
        registration::Point b = *toBack.Apply(f);
        b.x += 0.1 * (i % 3); // residuals of their own
        side.pairs.push_back({f, b});
    }
    Frame().resize(800, 600);
    Settle();
    const int width = Frame().width();

    view->OnCommand(ID_REGISTER_OTHER_SIDE);
    ASSERT_TRUE(view->m_Registering.fit);
    Settle();
    const QString full = Frame().PaneText(0);
    EXPECT_TRUE(full.startsWith("20 pairs, worst: pair ")) << full.toStdString();
    EXPECT_TRUE(full.contains("Pair 20: ")) << full.toStdString();
    EXPECT_EQ(Frame().width(), width);
    QLabel* pane = MessagePane();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->text().endsWith(QChar(0x2026))) << pane->text().toStdString();
    EXPECT_TRUE(pane->text().startsWith("20 pairs, worst: pair "));
    EXPECT_EQ(pane->toolTip(), full);
    EXPECT_LE(pane->width(), width);

    // Wide enough, the whole text shows and there is no tooltip; narrower,
    // the bar cuts it again.
    Frame().resize(4000, 600);
    Settle();
    EXPECT_EQ(pane->text(), full);
    EXPECT_TRUE(pane->toolTip().isEmpty());
    Frame().resize(500, 600);
    Settle();
    EXPECT_EQ(Frame().width(), 500);
    EXPECT_TRUE(pane->text().endsWith(QChar(0x2026)));

    // Short messages are shown as they are.
    view->OnKeyDown(VK_ESCAPE, 1, 0);
    Frame().SetPaneText(0, "Ready");
    Settle();
    EXPECT_EQ(pane->text(), "Ready");
    EXPECT_TRUE(pane->toolTip().isEmpty());
}
