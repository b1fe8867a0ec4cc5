// A project saved from a window and given to a new one on the same scan:
// both sides as registered, the board, the colours, sizes and view; scans
// that moved; Ctrl+S while a project is open.
#include "board/dib_view.h"
#include "board/params.h"
#include "exchange/scratch_dir.h"
#include "exchange/view_project.h"
#include "image/dib_doc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"
#include "support/read_file.h"
#include "support/side_scans.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

struct Window {
    CDibDoc doc;
    ScriptedViewHost host{CRect(0, 0, 200, 150)};
    std::unique_ptr<CDibView> view = std::make_unique<CDibView>();
    explicit Window(const std::string& scan) {
        view->AttachHost(&host);
        doc.AddView(view.get());
        EXPECT_TRUE(doc.OnOpenDocument(scan));
        view->OnInitialUpdate();
    }
    // A window takes its picture's size when it first paints.
    void Paint() {
        RecordingDC dc;
        view->OnDraw(&dc);
    }
    ~Window() {
        view->ClearBoard();
        view.reset();
    }
};

// The drawing parameters are shared by every view; each test leaves them as it found them.
struct SharedParameters {
    COLORREF colors[kLayerColorCount];
    PadSize pad = g_NewPadSize;
    TrackSize track = g_NewTrackSize;
    SharedParameters() { std::copy(std::begin(g_crLayerColor), std::end(g_crLayerColor), colors); }
    ~SharedParameters() {
        std::copy(std::begin(colors), std::end(colors), g_crLayerColor);
        g_NewPadSize = pad;
        g_NewTrackSize = track;
    }
};

class ViewProjectTest : public ::testing::Test {
  protected:
    ViewProjectTest() {
        front = Absolute(sides::WriteScanFile("top.bmp", 300, 200, sides::Front));
        back = Absolute(sides::WriteScanFile(
            "bottom.bmp", 300, 200, sides::BackOf(photo, sides::Front, 300, 200)));
    }
    static std::string Absolute(const std::string& name) { return std::filesystem::absolute(name).string(); }

    // A window with both sides registered, a board, and its own colours and sizes.
    void Prepare(Window& w) {
        ASSERT_TRUE(w.view->OpenOtherSide(back));
        OtherSide& side = *w.doc.GetOtherSide();
        side.pairs = {{{20, 20}, {270, 30}}, {{260, 20}, {30, 25}}, {{260, 180}, {33, 170}}, {{20, 180}, {268, 178}}};
        side.registered = photo;
        side.mirror = registration::Mirror::None;
        w.view->SetScanLines({400, 400});
        ASSERT_TRUE(w.view->AppendPad(20, 20));
        ASSERT_TRUE(w.view->AppendTrack(20, 20, 140, 100, 6));
        g_crLayerColor[6] = RGB(1, 2, 3);
        w.view->m_bLayerVisible[3] = 0;
        g_NewPadSize = {90, 90, 40, PadShape::Rectangle};
        g_NewTrackSize = {30};
    }

    ScratchDir scratch;
    ScriptedServices services;
    SharedParameters parameters;
    const registration::Transform photo = sides::PhotoOfBack(300, 200);
    std::string front, back;
};

} // namespace

TEST_F(ViewProjectTest, AProjectReopensWithBothSidesRegisteredAsTheyWere) {
    const std::string path = Absolute("board.tvproj");
    ProjectData saved;
    {
        Window w(front);
        Prepare(w);
        saved = w.view->GatherProject();
        services.fileAnswers.push_back(path);
        w.view->OnCommand(ID_SAVE_PROJECT);
        EXPECT_EQ(w.view->ProjectPath(), path);
        EXPECT_FALSE(w.view->IsBoardModified());
    }
    EXPECT_NE(ReadFileBytes(path).find("\"scan\": \"bottom.bmp\""), std::string::npos);
    g_crLayerColor[6] = RGB(9, 9, 9);
    g_NewPadSize = {};

    const std::optional<ProjectData> project = ReadProjectForOpening(path);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->frontScan, front);
    Window w(front);
    w.view->ApplyProject(*project, path);
    const OtherSide* side = w.doc.GetOtherSide();
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->scan->GetPathName(), back);
    ASSERT_TRUE(side->registered);
    EXPECT_EQ(*side->registered, photo);
    EXPECT_EQ(side->pairs, saved.back->pairs);
    EXPECT_EQ(side->mirror, registration::Mirror::None);
    EXPECT_EQ(w.view->GetScanLines(), (ScanLines{400, 400}));
    EXPECT_EQ(g_crLayerColor[6], RGB(1, 2, 3));
    EXPECT_EQ(w.view->m_bLayerVisible[3], 0);
    EXPECT_EQ(w.view->m_bLayerVisible[6], 1);
    EXPECT_EQ(g_NewPadSize, (PadSize{90, 90, 40, PadShape::Rectangle}));
    EXPECT_EQ(g_NewTrackSize.width, 30);
    EXPECT_EQ(w.view->GatherProject().workFile, saved.workFile);
    EXPECT_FALSE(w.view->IsBoardModified());
    EXPECT_EQ(w.view->ProjectPath(), path);
}

TEST_F(ViewProjectTest, ZoomAndScrollComeBackAndCtrlSSavesTheProject) {
    const std::string path = Absolute("board.tvproj");
    {
        Window w(front);
        Prepare(w);
        w.Paint();
        w.view->OnCommand(ID_VIEW_ZOOM_IN);
        w.view->OnCommand(ID_VIEW_ZOOM_IN);
        w.view->ScrollToPosition({150, 90});
        ASSERT_TRUE(w.view->SaveProjectFile(path));
    }
    const std::optional<ProjectData> project = ReadProjectForOpening(path);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->scroll, CPoint(150, 90));
    Window w(front);
    w.view->ApplyProject(*project, path);
    EXPECT_EQ(w.view->m_nScale.Exponent(), 2);
    EXPECT_EQ(w.view->GetScrollPosition(), CPoint(150, 90));
    // Stored coordinates follow the zoom; the saved ones are scan pixels.
    EXPECT_EQ(w.view->m_pPads[0].x, 80.0f);
    ASSERT_TRUE(w.view->AppendPad(400, 400));
    w.view->OnCommand(ID_SAVE_WORK);
    EXPECT_TRUE(services.fileRequests.empty()) << "no dialog: the project is saved";
    const std::string text = ReadFileBytes(path);
    EXPECT_NE(text.find("100 100"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists("board.dpb"));
}

TEST_F(ViewProjectTest, MovedScansAreAskedForAndANewerProjectIsRefused) {
    const std::string path = Absolute("board.tvproj");
    {
        Window w(front);
        Prepare(w);
        ASSERT_TRUE(w.view->SaveProjectFile(path));
    }
    std::filesystem::create_directory("moved");
    std::filesystem::rename(back, "moved/bottom.bmp");
    const std::optional<ProjectData> project = ReadProjectForOpening(path);
    ASSERT_TRUE(project);
    services.answers.push_back(IDOK);
    services.fileAnswers.push_back(Absolute("moved/bottom.bmp"));
    Window w(front);
    w.view->ApplyProject(*project, path);
    ASSERT_NE(w.doc.GetOtherSide(), nullptr);
    EXPECT_EQ(w.doc.GetOtherSide()->scan->GetPathName(), Absolute("moved/bottom.bmp"));
    EXPECT_TRUE(w.doc.GetOtherSide()->registered);
    EXPECT_TRUE(w.view->IsBoardModified()) << "the project must learn the new place";
    EXPECT_FALSE(w.doc.IsModified()) << "the image itself did not change";
    ASSERT_FALSE(services.messages.empty());
    EXPECT_NE(services.messages.back().text.find("no longer at"), std::string::npos);
    // Asked and not found: the project opens without its other side.
    services.answers.push_back(IDCANCEL);
    EXPECT_FALSE(LocateProjectScan(Absolute("gone.bmp"), "back"));

    std::string text = ReadFileBytes(path);
    text.replace(text.find("\"version\": 1"), 12, "\"version\": 7");
    { std::ofstream(path, std::ios::binary) << text; }
    EXPECT_FALSE(ReadProjectForOpening(path));
    EXPECT_NE(services.messages.back().text.find("newer version"), std::string::npos);
}
