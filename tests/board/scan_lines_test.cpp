// Scan lines belong to the scan: each document has its own, taken from what
// was set by hand for its file, from the file, or from the current values;
// the active window's are the current ones; the parameters dialog and a
// measurement set those of the window's document.
#include "board/dib_view.h"
#include "board/mode_status.h"
#include "exchange/scratch_dir.h"
#include "image/dib_doc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_scale_memory.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"
#include "board/keys.h"
#include "tests/board/params_guard.h"
#include "tests/image/bmp_corpus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
constexpr int kScanX = 103, kScanY = 107, kPadX = 101;

// A 40 x 30 picture stating `pelsPerMetre` on both axes (0: nothing).
std::string WriteScan(const std::string& name, DWORD pelsPerMetreX, DWORD pelsPerMetreY) {
    corpus::Recipe recipe;
    recipe.name = name;
    recipe.width = 40;
    recipe.height = 30;
    std::vector<BYTE> file = corpus::Make(recipe).file;
    corpus::Set32(file, 14 + 24, pelsPerMetreX);
    corpus::Set32(file, 14 + 28, pelsPerMetreY);
    const std::string path = (std::filesystem::current_path() / (name + ".bmp")).string();
    EXPECT_TRUE(corpus::WriteFile(path, file));
    return path;
}

// 11811 pixels per metre are 300 dots per inch, 23622 are 600.
constexpr DWORD k300 = 11811, k600 = 23622;

// One window on a document of its own, or on another window's document.
struct Window {
    explicit Window(const std::string& path) : owned(std::make_unique<CDibDoc>()) {
        EXPECT_TRUE(owned->OnOpenDocument(path));
        owned->SetPathName(path, false);
        Show(*owned);
    }
    explicit Window(CDibDoc& shared) { Show(shared); }
    ~Window() {
        view.ClearBoard();
        if (document)
            document->RemoveView(&view);
    }
    void Show(CDibDoc& doc) {
        document = &doc;
        doc.AddView(&view);
        view.AttachHost(&host);
        view.OnInitialUpdate();
    }
    std::unique_ptr<CDibDoc> owned;
    CDibDoc* document = nullptr;
    ScriptedViewHost host{CRect(0, 0, 400, 300)};
    CDibView view;
};

void Activate(Window& active, Window& other) {
    other.view.OnActivateView(false, &active.view, &other.view);
    active.view.OnActivateView(true, &active.view, &other.view);
}

class ScanLinesTest : public ::testing::Test {
  protected:
    ScanLinesTest() {
        std::ofstream(kLayerColorFile, std::ios::binary) << std::string(56, '\0');
        MakeScanLinesCurrent({200, 200});
    }
    // Command 500 with new scan lines typed.
    void SetByHand(Window& w, const char* x, const char* y) {
        services.dialogScripts.push_back([=](CDialog& d) {
            d.SetDlgItemText(kScanX, x);
            d.SetDlgItemText(kScanY, y);
            d.OnCommand(IDOK);
        });
        w.view.OnCommand(ID_PARAMETERS);
    }
    std::string ReadOutInMils(Window& w, CPoint p) {
        if (!w.view.m_bShowMil)
            w.view.OnToggleUnits();
        w.host.PutPointer(p);
        w.view.OnMouseMove(0, p);
        return services.statusPanes[0];
    }

    ScratchDir dir;
    ParamsGuard guard;
    ScriptedServices services;
    ScriptedScaleMemory memory;
};
} // namespace

TEST_F(ScanLinesTest, AFileThatStatesItsResolutionSetsThem) {
    Window w(WriteScan("scan300", k300, k300));
    EXPECT_EQ(w.view.GetScanLines(), (ScanLines{300, 300}));
    EXPECT_EQ(CurrentScanLines(), (ScanLines{300, 300}));
    EXPECT_EQ(g_fMilPerPixelX, 1000.0f / 300);
    EXPECT_EQ(services.statusPanes[0], "Scan lines 300 x 300 from the file");

    // Different per axis.
    Window both(WriteScan("scan600x300", k600, k300));
    EXPECT_EQ(both.view.GetScanLines(), (ScanLines{600, 300}));
    EXPECT_EQ(services.statusPanes[0], "Scan lines 600 x 300 from the file");
}

TEST_F(ScanLinesTest, AFileThatStatesNothingTakesTheCurrentValues) {
    MakeScanLinesCurrent({250, 260});
    services.statusPanes.clear();
    Window w(WriteScan("plain", 0, 0));
    EXPECT_EQ(w.view.GetScanLines(), (ScanLines{250, 260}));
    EXPECT_EQ(services.statusPanes.count(0), 0u) << "nothing to say";
    // A resolution outside 50 to 20000 dpi counts as none.
    Window odd(WriteScan("odd", 100, 100));
    EXPECT_EQ(odd.view.GetScanLines(), (ScanLines{250, 260}));
    // Only the first showing decides: a later update keeps them.
    MakeScanLinesCurrent({400, 400});
    w.view.OnInitialUpdate();
    EXPECT_EQ(w.view.GetScanLines(), (ScanLines{250, 260}));
}

TEST_F(ScanLinesTest, TwoWindowsKeepTheirOwnAndTheActiveOnesAreCurrent) {
    Window a(WriteScan("a300", k300, k300));
    Window b(WriteScan("b600", k600, k600));
    Activate(a, b);
    EXPECT_EQ(CurrentScanLines(), (ScanLines{300, 300}));
    Activate(b, a);
    EXPECT_EQ(CurrentScanLines(), (ScanLines{600, 600}));
    EXPECT_EQ(g_fMilPerPixelX, MilPerPixel(600));
    EXPECT_EQ(g_fMilPerPixelY, MilPerPixel(600));

    // The read-out of either window converts with its own, whichever is
    // active: 300 pixels are an inch at 300 dpi, half an inch at 600.
    EXPECT_EQ(ReadOutInMils(a, {300, 150}), "X:  1000 mil, Y:   500 mil");
    EXPECT_EQ(ReadOutInMils(b, {300, 150}), "X:   500 mil, Y:   250 mil");

    // The export of each converts with its own (at 200 and 400 dpi, whose
    // factors are exact): a's while b's are current.
    a.view.SetScanLines({200, 200});
    b.view.SetScanLines({400, 400});
    for (Window* w : {&a, &b}) {
        ASSERT_TRUE(w->view.AppendPad(300, 0));
        services.fileAnswers.push_back(w == &a ? "a.pcb" : "b.pcb");
        w->view.OnSaveProtel();
    }
    const auto firstPad = [](const std::string& path) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line) && line != "FP\r") {
        }
        std::getline(in, line);
        return line.substr(0, line.find(' '));
    };
    EXPECT_EQ(firstPad("a.pcb"), "1500");
    EXPECT_EQ(firstPad("b.pcb"), "750");

    // The dialog edits the scan lines of the window it runs in, and only those.
    SetByHand(b, "400", "500");
    EXPECT_EQ(b.view.GetScanLines(), (ScanLines{400, 500}));
    EXPECT_EQ(a.view.GetScanLines(), (ScanLines{200, 200}));
    EXPECT_EQ(CurrentScanLines(), (ScanLines{400, 500}));
    Activate(a, b);
    EXPECT_EQ(CurrentScanLines(), (ScanLines{200, 200}));
    services.dialogScripts.push_back([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(kScanX), "200");
        d.OnCommand(IDCANCEL);
    });
    a.view.OnCommand(ID_PARAMETERS);
}

TEST_F(ScanLinesTest, WindowsOnOneDocumentShareThem) {
    Window first(WriteScan("shared", k300, k300));
    Window second(*first.document);
    EXPECT_EQ(second.view.GetScanLines(), (ScanLines{300, 300}));
    SetByHand(second, "310", "320");
    EXPECT_EQ(first.view.GetScanLines(), (ScanLines{310, 320}));
}

TEST_F(ScanLinesTest, ScanLinesSetByHandAreRememberedForTheFileAndWinOverIt) {
    const std::string path = WriteScan("kept", k300, k300);
    {
        Window w(path);
        // Confirming the dialog for the pad radius alone sets no scan lines.
        services.dialogScripts.push_back([](CDialog& d) {
            d.SetDlgItemText(kPadX, "7");
            d.OnCommand(IDOK);
        });
        w.view.OnCommand(ID_PARAMETERS);
        EXPECT_TRUE(memory.kept.empty());
        SetByHand(w, "600", "600");
        EXPECT_EQ(memory.kept[path], std::make_pair(600, 600));
    }
    MakeScanLinesCurrent({200, 200});
    Window again(path);
    EXPECT_EQ(again.view.GetScanLines(), (ScanLines{600, 600}));
    EXPECT_EQ(services.statusPanes[0], "Scan lines 600 x 600 remembered for this scan");

    // Values no dialog could have set are not taken.
    for (const auto& bad : {std::pair{0, 300}, std::pair{300, -1}, std::pair{2000000, 300}}) {
        memory.kept[path] = bad;
        Window w(path);
        EXPECT_EQ(w.view.GetScanLines(), (ScanLines{300, 300})) << bad.first << " " << bad.second;
    }
}

class MeasureModeTest : public ScanLinesTest {
  protected:
    MeasureModeTest() : w(WriteScan("measured", k600, k600)) {
        w.view.m_nScale = 2;
        w.view.SetScrollSizes(MM_TEXT, CSize(4000, 3000));
        services.messages.clear();
    }
    void Click(CPoint p) {
        w.host.PutPointer(p);
        w.view.OnLButtonDown(0, p);
        w.view.OnLButtonUp(0, p);
    }
    // The two clicks of a line 1181 pixels across, scrolled between them, at zoom 2.
    void ClickLine() {
        Click({10, 10});
        w.view.ScrollToPosition({2000, 0});
        Click({372, 10});
    }
    std::string ModePane() { return services.statusPanes[board::kModePane]; }

    Window w;
};

TEST_F(MeasureModeTest, TwoClicksAndTheTrueDistanceSetTheScanLines) {
    w.view.OnCommand(ID_MEASURE_SCALE);
    EXPECT_EQ(ModePane(), "Measure  x2");
    CCmdUI ui;
    EXPECT_TRUE(w.view.OnUpdateCommand(ID_MEASURE_SCALE, &ui));
    EXPECT_TRUE(ui.checked);
    std::string lineText, resultText;
    services.dialogScripts.push_back([&](CDialog& d) {
        lineText = d.GetDlgItemText(IDC_MEASURE_LINE);
        d.SetDlgItemText(IDC_MEASURE_LENGTH, "100");
        d.OnControlChanged(IDC_MEASURE_LENGTH);
        resultText = d.GetDlgItemText(IDC_MEASURE_RESULT);
        d.OnCommand(IDOK);
    });
    ClickLine();
    EXPECT_EQ(services.dialogsRun, std::vector<int>{IDD_MEASURE_SCALE});
    // Pixels (5, 5) and (1186, 5): the clicks divided by the zoom.
    EXPECT_EQ(lineText, "The line is 1181.0 pixels long (1181 across, 0 down).");
    EXPECT_EQ(resultText, "300 x 300 dpi (file says 600: -300)");
    EXPECT_EQ(w.view.GetScanLines(), (ScanLines{300, 300}));
    EXPECT_EQ(CurrentScanLines(), (ScanLines{300, 300}));
    EXPECT_EQ(memory.kept[w.document->GetPathName()], std::make_pair(300, 300));
    EXPECT_EQ(services.statusPanes[0], "Scan lines 300 x 300 measured");
    EXPECT_FALSE(w.view.m_bMeasureMode);
    EXPECT_EQ(ModePane(), "Pad  x2");
    EXPECT_EQ(w.view.m_nPadCount, 0) << "measuring clicks place nothing";
}

TEST_F(MeasureModeTest, TheLineFollowsThePointer) {
    w.view.OnMeasureScale();
    Click({10, 20});
    w.host.clientDrawing.ops.clear();
    w.host.PutPointer({110, 70});
    w.view.OnMouseMove(0, {110, 70});
    std::vector<DrawOp> lines;
    for (const DrawOp& op : w.host.clientDrawing.Drawn())
        if (op.kind == DrawOp::LineTo && op.pen.color == RGB(255, 0, 255))
            lines.push_back(op);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(CPoint(lines[0].a, lines[0].b), CPoint(10, 20));
    EXPECT_EQ(CPoint(lines[0].c, lines[0].d), CPoint(110, 70));
    // The old line's place is repainted.
    ASSERT_FALSE(w.host.invalidations.empty());
    // Zooming in keeps the first point on its pixel: the next move draws from
    // pixel (5, 10) at zoom 4.
    w.view.m_nScale = 4;
    w.host.clientDrawing.ops.clear();
    w.view.OnMouseMove(0, {50, 50});
    const std::vector<DrawOp> drawn = w.host.clientDrawing.Drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(CPoint(drawn[0].a, drawn[0].b), CPoint(20, 40));
    // A paint draws it again; once measuring ends it is gone.
    w.host.clientDrawing.ops.clear();
    w.view.DrawBoard();
    EXPECT_EQ(w.host.clientDrawing.Drawn().size(), 1u);
    w.view.OnEscape();
    w.host.clientDrawing.ops.clear();
    w.view.DrawBoard();
    EXPECT_TRUE(w.host.clientDrawing.Drawn().empty());
}

TEST_F(MeasureModeTest, EscapeARightClickAnotherModeOrCancelChangeNothing) {
    const auto cancelledBy = [&](const char* what, const std::function<void()>& cancel) {
        SCOPED_TRACE(what);
        w.view.OnMeasureScale();
        Click({10, 10});
        cancel();
        EXPECT_FALSE(w.view.m_bMeasureMode);
        EXPECT_NE(ModePane().rfind("Measure", 0), 0u);
        Click({100, 10});
        EXPECT_EQ(w.view.GetScanLines(), (ScanLines{600, 600}));
    };
    cancelledBy("Escape", [&] { w.view.OnKeyDown(VK_ESCAPE, 1, 0); });
    cancelledBy("right click", [&] { w.view.OnRButtonDown(0, {50, 50}); });
    cancelledBy("the command again", [&] { w.view.OnCommand(ID_MEASURE_SCALE); });
    cancelledBy("line mode", [&] { w.view.OnCommand(ID_LINE_MODE); });
    EXPECT_TRUE(services.dialogsRun.empty());
    EXPECT_EQ(w.view.m_nTrackCount, 0) << "the click after line mode only started a chain";

    // The dialog cancelled.
    w.view.OnPadMode();
    w.view.OnMeasureScale();
    ClickLine();
    EXPECT_EQ(services.dialogsRun.size(), 1u);
    EXPECT_EQ(w.view.GetScanLines(), (ScanLines{600, 600}));
    EXPECT_TRUE(memory.kept.empty());
}

TEST_F(MeasureModeTest, ASecondClickOnTheFirstPixelIsNoLine) {
    w.view.OnMeasureScale();
    Click({10, 10});
    Click({11, 11}); // the same pixel at zoom 2
    EXPECT_EQ(services.beeps.size(), 1u);
    EXPECT_TRUE(services.dialogsRun.empty());
    EXPECT_TRUE(w.view.m_bMeasureMode);
}
