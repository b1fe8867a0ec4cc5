// The scan lines in the running program: taken from the file a scan states
// them in, kept per window, remembered in the settings file for the next
// run, and measured with the Measure Scale command.
#include "shell_fixture.h"

#include "board/dib_view.h"
#include "board/mode_status.h"
#include "platform/qt/qt_view_widget.h"
#include "res/resource.h"
#include "tests/board/params_guard.h"
#include "tests/image/bmp_corpus.h"

#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

namespace {
class ScanLinesShellTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(scans.isValid());
        MakeScanLinesCurrent({200, 200});
    }
    // A picture stating `pelsPerMetre` on both axes (0: nothing).
    QString Scan(const char* name, DWORD pelsPerMetre) {
        corpus::Recipe recipe;
        recipe.name = name;
        recipe.width = 500;
        recipe.height = 400;
        std::vector<BYTE> file = corpus::Make(recipe).file;
        corpus::Set32(file, 14 + 24, pelsPerMetre);
        corpus::Set32(file, 14 + 28, pelsPerMetre);
        const QString path = scans.filePath(QString(name) + ".bmp");
        EXPECT_TRUE(corpus::WriteFile(QFile::encodeName(path).toStdString(), file));
        return path;
    }
    CDibView* ActiveView() { return Frame().ActiveChild() ? Frame().ActiveChild()->View() : nullptr; }

    QTemporaryDir scans;
    ParamsGuard guard;
};
} // namespace

TEST_F(ScanLinesShellTest, OpeningAScanTakesTheResolutionItsFileStates) {
    ASSERT_TRUE(Start({Scan("fine", 23622)}));
    ASSERT_NE(ActiveView(), nullptr);
    EXPECT_EQ(ActiveView()->GetScanLines(), (ScanLines{600, 600}));
    EXPECT_EQ(Frame().PaneText(0), "Scan lines 600 x 600 from the file");
    EXPECT_EQ(CurrentScanLines(), (ScanLines{600, 600}));
}

TEST_F(ScanLinesShellTest, ActivatingAWindowMakesItsScanLinesCurrent) {
    ASSERT_TRUE(Start({Scan("coarse", 11811), Scan("plain", 0)}));
    ASSERT_EQ(Children().size(), 2u);
    CChildFrame* coarse = Children()[0];
    CChildFrame* plain = Children()[1];
    // The plain scan took the values current when it opened: the first one's.
    EXPECT_EQ(plain->View()->GetScanLines(), (ScanLines{300, 300}));
    Run(ID_PARAMETERS); // no script: cancelled
    services.dialogScripts.push_back([](CDialog& d) {
        d.SetDlgItemText(103, "250");
        d.OnCommand(IDOK);
    });
    ASSERT_EQ(Frame().ActiveChild(), plain);
    Run(ID_PARAMETERS);
    EXPECT_EQ(plain->View()->GetScanLines(), (ScanLines{250, 300}));
    EXPECT_EQ(coarse->View()->GetScanLines(), (ScanLines{300, 300}));
    Frame().MdiArea()->setActiveSubWindow(coarse);
    EXPECT_EQ(CurrentScanLines(), (ScanLines{300, 300}));
    Frame().MdiArea()->setActiveSubWindow(plain);
    EXPECT_EQ(CurrentScanLines(), (ScanLines{250, 300}));
}

TEST_F(ScanLinesShellTest, ScanLinesSetByHandAreRememberedInTheSettingsForTheNextRun) {
    const QString path = Scan("kept", 11811);
    ASSERT_TRUE(Start({path}));
    services.dialogScripts.push_back([](CDialog& d) {
        d.SetDlgItemText(103, "598");
        d.SetDlgItemText(107, "601");
        d.OnCommand(IDOK);
    });
    Run(ID_PARAMETERS);
    app.reset();
    {
        QSettings settings(settingsFile, QSettings::IniFormat);
        EXPECT_TRUE(settings.childGroups().contains("ScanLines"));
    }
    MakeScanLinesCurrent({200, 200});
    ASSERT_TRUE(Start({path}));
    EXPECT_EQ(ActiveView()->GetScanLines(), (ScanLines{598, 601}));
    EXPECT_EQ(Frame().PaneText(0), "Scan lines 598 x 601 remembered for this scan");
}

TEST_F(ScanLinesShellTest, MeasureScaleFromTheToolbarWithTheMouse) {
    ASSERT_TRUE(Start({Scan("measure", 11811)}));
    CChildFrame* child = Frame().ActiveChild();
    child->showMaximized();
    QtViewWidget* widget = child->ViewWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    ASSERT_TRUE(Run(ID_MEASURE_SCALE));
    EXPECT_EQ(Frame().PaneText(board::kModePane), "Measure  x1");
    EXPECT_TRUE(app->Router().QueryState(ID_MEASURE_SCALE).checked);
    std::string shownResult;
    services.dialogScripts.push_back([&](CDialog& d) {
        d.SetDlgItemText(IDC_MEASURE_LENGTH, "1");
        d.SetCurSel(IDC_MEASURE_UNIT, 0);
        d.OnControlChanged(IDC_MEASURE_LENGTH);
        shownResult = d.GetDlgItemText(IDC_MEASURE_RESULT);
        d.OnCommand(IDOK);
    });
    // 12 pixels across and 5 down: 13 pixels long, 1 mm is 330 dpi.
    QWidget* viewport = widget->viewport();
    QTest::mouseMove(viewport, {20, 30});
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, {20, 30});
    QTest::mouseMove(viewport, {32, 35});
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, {32, 35});
    EXPECT_EQ(shownResult, "330 x 330 dpi (file says 300: +30)");
    EXPECT_EQ(child->View()->GetScanLines(), (ScanLines{330, 330}));
    EXPECT_EQ(Frame().PaneText(board::kModePane), "Pad  x1");
    EXPECT_EQ(child->View()->m_nPadCount, 0);
}

// A phone photo states no resolution; a known distance on it gives the
// scale, and the export then has the board's true size.
TEST_F(ScanLinesShellTest, AScaleMeasuredOnAPhotoGivesTheExportTheBoardsTrueSize) {
    const QString photo = scans.filePath("photo.jpg");
    ASSERT_EQ(std::system(("convert -size 700x300 xc:darkgreen -strip -quality 90 '" +
                           QFile::encodeName(photo).toStdString() + "'")
                              .c_str()),
              0);
    ASSERT_TRUE(Start({photo}));
    CChildFrame* child = Frame().ActiveChild();
    child->showMaximized();
    QtViewWidget* widget = child->ViewWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    EXPECT_EQ(child->View()->GetScanLines(), (ScanLines{200, 200})) << "the photo states none";

    // The board's 100 mm edge runs from pixel 10 to pixel 600.
    ASSERT_TRUE(Run(ID_MEASURE_SCALE));
    services.dialogScripts.push_back([&](CDialog& d) {
        d.SetDlgItemText(IDC_MEASURE_LENGTH, "100");
        d.SetCurSel(IDC_MEASURE_UNIT, 0);
        d.CheckDlgButton(IDC_MEASURE_SAME, true);
        d.OnControlChanged(IDC_MEASURE_LENGTH);
        d.OnCommand(IDOK);
    });
    QWidget* viewport = widget->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, {10, 40});
    QTest::mouseMove(viewport, {600, 40});
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, {600, 40});
    EXPECT_EQ(child->View()->GetScanLines(), (ScanLines{150, 150}));

    child->View()->AppendPad(10, 40);
    child->View()->AppendPad(600, 40);
    const QString out = scans.filePath("edge.pcb");
    services.fileAnswers.push_back(QFile::encodeName(out).toStdString());
    ASSERT_TRUE(Run(ID_FILE_PRINT));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split("\r\n");
    std::vector<double> xs;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == "FP")
            xs.push_back(lines[i + 1].section(' ', 0, 0).toDouble());
    ASSERT_EQ(xs.size(), 2u);
    EXPECT_NEAR(std::abs(xs[1] - xs[0]), 3937.0, 39.37) << "100 mm, within 1 %";
}
