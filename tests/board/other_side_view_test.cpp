// The other side in a board view: opening, showing and removing it, the
// x-ray, tracing on it, and registering it by clicked pairs.
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/mode_status.h"
#include "board/params.h"
#include "board/view_sides.h"
#include "exchange/scratch_dir.h"
#include "image/dib_doc.h"
#include "image/other_side_paint.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"
#include "support/side_scans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using registration::Point;
using registration::Transform;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// A context that keeps the pixels of the picture painted into it.
class PictureDC : public RecordingDC {
  public:
    PictureDC() : pixels(std::size_t(kWidth) * kHeight, 0) { clipBox = CRect(0, 0, kWidth, kHeight); }
    // Only the 32-bit rows the sides are painted in; the front alone goes
    // through the scan's own painting, which other tests look at.
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int, int, UINT, UINT, const void* bits,
                          const BITMAPINFO* info, UINT, std::size_t bytes) override {
        if (info->bmiHeader.biBitCount != 32 || bytes < std::size_t(w) * h * 4)
            return int(h);
        const auto* src = static_cast<const std::uint32_t*>(bits);
        for (DWORD j = 0; j < h; ++j)
            for (DWORD i = 0; i < w; ++i) {
                const int x = xDest + int(i), y = yDest + int(j);
                if (x >= 0 && y >= 0 && x < kWidth && y < kHeight)
                    pixels[std::size_t(y) * kWidth + x] = src[std::size_t(h - 1 - j) * w + i] & 0xFFFFFFu;
            }
        return int(h);
    }
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * kWidth + x]; }
    std::vector<std::uint32_t> pixels;
};

class OtherSideViewTest : public ::testing::Test {
  protected:
    OtherSideViewTest() {
        view->AttachHost(&host);
        doc.AddView(view.get());
        EXPECT_TRUE(doc.AcceptDibBlock(sides::MakeScan(kWidth, kHeight, sides::Front)));
        view->OnInitialUpdate();
        view->SetScanLines({200, 200});
    }
    ~OtherSideViewTest() override {
        view->ClearBoard();
        view.reset();
        g_bSideSelectsLayer = true;
    }

    // The back scan: a photo of the board's other side.
    std::string WriteBack(const Transform& backToFront) {
        return sides::WriteScanFile("back.bmp", kWidth, kHeight,
                                    sides::BackOf(backToFront, sides::Front, kWidth, kHeight));
    }
    OtherSide& Side() { return *doc.GetOtherSide(); }
    void Click(CPoint p) {
        host.PutPointer(p);
        view->OnLButtonDown(0, p);
        view->OnLButtonUp(0, p);
    }
    // Where a back pixel shows now, in client pixels (zoom 1, no scroll).
    CPoint ShownAt(Point back) {
        const Point f = *Side().BackToFront(doc.GetImageSize(), view->GetScanLines()).Apply(back);
        return {int(std::lround(f.x)), int(std::lround(f.y))};
    }

    ScratchDir scratch;
    ScriptedServices services;
    CDibDoc doc;
    ScriptedViewHost host{CRect(0, 0, 400, 300)};
    std::unique_ptr<CDibView> view = std::make_unique<CDibView>();
    const Transform photo = sides::PhotoOfBack(kWidth, kHeight);
};

} // namespace

TEST_F(OtherSideViewTest, OpeningShowsTheBackAndTheTabSwitchesSidesAndLayers) {
    services.fileAnswers.push_back(WriteBack(photo));
    view->OnCommand(ID_OPEN_OTHER_SIDE);
    ASSERT_TRUE(view->HasOtherSide());
    EXPECT_TRUE(view->m_Sides.back);
    EXPECT_EQ(Side().mirror, registration::Mirror::LeftRight);
    EXPECT_FALSE(Side().registered);
    EXPECT_EQ(Side().lines, (ScanLines{200, 200}));
    EXPECT_EQ(g_nCurrentLayer, board::kBackLayer);
    EXPECT_EQ(services.statusPanes[1], "Bottom Layer");
    EXPECT_NE(board::ModePaneText(*view).find("Back"), std::string::npos);
    // The other side's scan is no document of its own.
    EXPECT_TRUE(services.recentFiles.empty());

    view->OnCommand(ID_VIEW_SWITCH_SIDE);
    EXPECT_FALSE(view->m_Sides.back);
    EXPECT_EQ(g_nCurrentLayer, board::kFrontLayer);
    EXPECT_EQ(services.statusPanes[1], "Top Layer");
    g_bSideSelectsLayer = false;
    view->OnCommand(ID_VIEW_SWITCH_SIDE);
    EXPECT_TRUE(view->m_Sides.back);
    EXPECT_EQ(g_nCurrentLayer, board::kFrontLayer);

    view->OnCommand(ID_OTHER_SIDE_MIRROR_TB);
    EXPECT_EQ(Side().mirror, registration::Mirror::TopBottom);
    CCmdUI ui;
    EXPECT_TRUE(view->OnUpdateCommand(ID_OTHER_SIDE_MIRROR_TB, &ui));
    EXPECT_TRUE(ui.checked);

    services.answers.push_back(IDYES);
    view->OnCommand(ID_REMOVE_OTHER_SIDE);
    EXPECT_FALSE(view->HasOtherSide());
    EXPECT_FALSE(view->m_Sides.back);
    view->OnCommand(ID_VIEW_SWITCH_SIDE);
    EXPECT_FALSE(view->m_Sides.back);
}

TEST_F(OtherSideViewTest, AScanThatCannotBeOpenedLeavesNoOtherSide) {
    EXPECT_FALSE(view->OpenOtherSide("no-such-scan.bmp"));
    EXPECT_FALSE(view->HasOtherSide());
    EXPECT_FALSE(services.messages.empty());
}

TEST_F(OtherSideViewTest, TheXRayOpacityStepsWithinItsBounds) {
    ASSERT_TRUE(view->OpenOtherSide(WriteBack(photo)));
    view->OnCommand(ID_VIEW_XRAY);
    EXPECT_TRUE(view->m_Sides.xray);
    EXPECT_NE(board::ModePaneText(*view).find("X-ray 50%"), std::string::npos);
    for (int i = 0; i < 6; ++i)
        view->OnCommand(ID_VIEW_XRAY_LESS);
    EXPECT_EQ(view->m_Sides.opacity, SidesShown::kLeastOpacity);
    CCmdUI ui;
    view->OnUpdateCommand(ID_VIEW_XRAY_LESS, &ui);
    EXPECT_FALSE(ui.enabled);
    for (int i = 0; i < 12; ++i)
        view->OnCommand(ID_VIEW_XRAY_MORE);
    EXPECT_EQ(view->m_Sides.opacity, SidesShown::kMostOpacity);
    view->SetXRayOpacity(35);
    EXPECT_EQ(view->m_Sides.opacity, 35);
}

TEST_F(OtherSideViewTest, TheShownBackShowsEachPointOfTheBoardWhereAClickTracesIt) {
    ASSERT_TRUE(view->OpenOtherSide(WriteBack(photo)));
    Side().registered = photo;
    PictureDC dc;
    view->OnDraw(&dc);
    // Pads of the board, seen through the back, at their front pixels.
    for (const CPoint pad : {CPoint(60, 60), CPoint(100, 140), CPoint(260, 20), CPoint(220, 180)}) {
        EXPECT_EQ(dc.At(pad.x, pad.y), sides::kPad) << pad.x << ", " << pad.y;
        EXPECT_EQ(dc.At(pad.x + 20, pad.y), sides::kBoard) << pad.x << ", " << pad.y;
    }
    EXPECT_EQ(dc.At(100, 100), sides::kPad); // the track
    EXPECT_EQ(dc.At(250, 100), sides::kBoard);
    // A via placed on the back is the same pad as on the front.
    view->OnPadMode();
    Click({100, 140});
    ASSERT_EQ(view->m_nPadCount, 1);
    EXPECT_EQ(view->m_pPads[0].x, 100.0f);
    EXPECT_EQ(view->m_pPads[0].y, 140.0f);
}

TEST_F(OtherSideViewTest, ClickedPairsRegisterTheBackAndAreKeptForTheNextRegistration) {
    ASSERT_TRUE(view->OpenOtherSide(WriteBack(photo)));
    const Transform toBack = *photo.Inverse();
    view->OnCommand(ID_REGISTER_OTHER_SIDE);
    ASSERT_TRUE(view->IsRegistering());
    EXPECT_FALSE(view->m_Sides.back);
    EXPECT_EQ(board::ModeName(*view), "Register");
    const CPoint vias[] = {{20, 20}, {260, 20}, {260, 180}, {20, 180}, {140, 100}};
    for (const CPoint via : vias) {
        Click(via);
        EXPECT_TRUE(view->m_Sides.back) << "the back point comes next";
        Click(ShownAt(*toBack.Apply({double(via.x), double(via.y)})));
        EXPECT_FALSE(view->m_Sides.back);
    }
    ASSERT_EQ(view->m_Registering.pairs.size(), 5u);
    ASSERT_TRUE(view->m_Registering.fit);
    for (const auto& r : view->m_Registering.fit->residuals)
        EXPECT_LT(r.Pixels(), 1.0);
    EXPECT_NE(services.statusPanes[0].find("Pair 5: "), std::string::npos) << services.statusPanes[0];
    EXPECT_NE(services.statusPanes[0].find(" mil"), std::string::npos);
    EXPECT_NE(services.statusPanes[0].find("worst: pair"), std::string::npos);

    view->OnKeyDown(VK_RETURN, 1, 0);
    EXPECT_FALSE(view->IsRegistering());
    ASSERT_TRUE(Side().registered);
    EXPECT_EQ(Side().pairs.size(), 5u);
    for (const CPoint via : vias) {
        const Point p = *Side().registered->Apply(*toBack.Apply({double(via.x), double(via.y)}));
        EXPECT_LT(std::hypot(p.x - via.x, p.y - via.y), 1.0);
    }

    // Again: the pairs are there; a right click on a mark takes its pair
    // away, and Escape leaves everything as it was.
    const Transform kept = *Side().registered;
    view->OnCommand(ID_REGISTER_OTHER_SIDE);
    ASSERT_EQ(view->m_Registering.pairs.size(), 5u);
    host.PutPointer(vias[0]);
    view->OnRButtonDown(0, vias[0]);
    EXPECT_EQ(view->m_Registering.pairs.size(), 4u);
    view->OnKeyDown(VK_ESCAPE, 1, 0);
    EXPECT_FALSE(view->IsRegistering());
    EXPECT_EQ(Side().pairs.size(), 5u);
    EXPECT_EQ(*Side().registered, kept);
}

TEST_F(OtherSideViewTest, ADraggedMarkMovesItsPairAndShowsItAsTheWorst) {
    ASSERT_TRUE(view->OpenOtherSide(WriteBack(photo)));
    const Transform toBack = *photo.Inverse();
    for (const CPoint via : {CPoint(20, 20), CPoint(260, 20), CPoint(260, 180), CPoint(20, 180), CPoint(140, 100)})
        Side().pairs.push_back({{double(via.x), double(via.y)}, *toBack.Apply({double(via.x), double(via.y)})});
    view->OnCommand(ID_REGISTER_OTHER_SIDE);
    ASSERT_TRUE(view->m_Registering.fit);
    host.PutPointer({140, 100});
    view->OnLButtonDown(0, {140, 100});
    view->OnMouseMove(0, {146, 104});
    view->OnLButtonUp(0, {146, 104});
    EXPECT_DOUBLE_EQ(view->m_Registering.pairs[4].front.x, 146.0);
    ASSERT_TRUE(view->m_Registering.fit);
    EXPECT_EQ(view->m_Registering.fit->worst, 4);
    // The summary comes first, so that a status line too short for all
    // pairs still shows the worst.
    const std::string& status = services.statusPanes[0];
    EXPECT_EQ(status.rfind("5 pairs, worst: pair 5 ", 0), 0u) << status;
    const std::size_t list = status.find("  |  Pair 1: ");
    ASSERT_NE(list, std::string::npos) << status;
    const std::string worstResidual = status.substr(23, list - 23);
    EXPECT_NE(status.find("Pair 5: " + worstResidual), std::string::npos) << status;
    // The worst pair's mark is drawn in red.
    host.clientDrawing.ops.clear();
    PictureDC dc;
    view->OnDraw(&dc);
    bool red = false;
    for (const DrawOp& op : host.clientDrawing.ops)
        red = red || (op.kind == DrawOp::Ellipse && op.pen.color == RGB(255, 0, 0) && op.a < 146 && op.c > 146);
    EXPECT_TRUE(red);
}

TEST_F(OtherSideViewTest, PairsOnOneLineAreRefusedAndEnterSaysWhy) {
    ASSERT_TRUE(view->OpenOtherSide(WriteBack(photo)));
    for (int i = 0; i < 3; ++i)
        Side().pairs.push_back({{20.0 + 100 * i, 20.0 + 50 * i}, {250.0 - 100 * i, 20.0 + 50 * i}});
    view->OnCommand(ID_REGISTER_OTHER_SIDE);
    EXPECT_FALSE(view->m_Registering.fit);
    EXPECT_NE(services.statusPanes[0].find("one line"), std::string::npos);
    view->OnKeyDown(VK_RETURN, 1, 0);
    EXPECT_TRUE(view->IsRegistering());
    ASSERT_FALSE(services.messages.empty());
    EXPECT_NE(services.messages.back().text.find("one line"), std::string::npos);
    EXPECT_FALSE(Side().registered);
}
