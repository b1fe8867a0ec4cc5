// The "Change Parameters" dialog and the colour command, through the
// scripted platform.
#include "board/dib_view.h"
#include "board/param_dlg.h"
#include "exchange/scratch_dir.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"
#include "tests/board/params_guard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr int kPadX = 101, kPadY = 102, kScanX = 103, kLayer = 105, kWidth = 106, kScanY = 107;

class ParamsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        view = std::make_unique<CDibView>();
        view->AttachHost(&host);
        services.messages.clear();
        services.statusTexts.clear();
    }
    // Runs command 500 with a script acting on the open dialog.
    void Run(std::function<void(CDialog&)> script) {
        services.dialogScripts.push_back(std::move(script));
        view->OnCommand(500);
    }

    ScratchDir dir;
    ParamsGuard guard;
    ScriptedServices services;
    ScriptedViewHost host;
    std::unique_ptr<CDibView> view;
};
} // namespace

TEST(ParamsDialogTemplate, LayoutOfTemplate112) {
    const DialogTemplate t = ParamDialogTemplate();
    EXPECT_EQ(t.id, 112);
    EXPECT_EQ(t.title, "Change Parameters");
    EXPECT_EQ(t.fontName, "System");
    EXPECT_EQ(t.fontPoints, 10);
    EXPECT_EQ(t.cx, 208);
    EXPECT_EQ(t.cy, 216) << "taller by the size for new objects";
    // Tab order: the buttons, then each label before its field; the size for
    // new objects follows, each field's label with an id of its own.
    std::vector<int> ids;
    for (const DialogControl& c : t.controls)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{IDOK, IDCANCEL, -1, kPadX, -1, kPadY, -1, kScanX, -1, kScanY,
                                     -1, kWidth, -1, kLayer, -1, -1, 135, 1130, 130, 1131, 131,
                                     1132, 132, 1133, 133, 1134, 134}));
    EXPECT_EQ(t.controls[0].kind, ControlKind::DefPushButton);
    EXPECT_EQ(t.controls[12].kind, ControlKind::LText) << "\"Current Layer\" is left-aligned";
    EXPECT_EQ(t.controls[13].dlu, DluRect(66, 96, 65, 133));
    const std::vector<std::string>& items = t.controls[13].items;
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0], "Top Layer");
    EXPECT_EQ(items[10], "Boder Layer");
    EXPECT_EQ(items[11], "Keep Out Layer");
}

TEST_F(ParamsDialog, ShowsTheCurrentParameters) {
    view->SetScanLines({300, 250});
    // Another window's, made current after this one's.
    g_nScanLinesX = g_nScanLinesY = 999;
    g_nCurrentLayer = 6;
    Run([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(kPadX), "5");
        EXPECT_EQ(d.GetDlgItemText(kPadY), "5");
        EXPECT_EQ(d.GetDlgItemText(kScanX), "300") << "the scan lines of the view's document";
        EXPECT_EQ(d.GetDlgItemText(kScanY), "250");
        EXPECT_EQ(d.GetDlgItemText(kWidth), "3");
        EXPECT_EQ(d.GetCurSel(kLayer), 5);
    });
    EXPECT_EQ(services.dialogsRun, std::vector<int>{112});
    EXPECT_TRUE(host.invalidations.empty()) << "a dialog left open is cancelled";
}

TEST_F(ParamsDialog, OkAppliesEverythingRepaintsAndNamesTheLayer) {
    Run([](CDialog& d) {
        d.SetDlgItemText(kPadX, "8");
        d.SetDlgItemText(kPadY, " 7 ");
        d.SetDlgItemText(kScanX, "400");
        d.SetDlgItemText(kScanY, "300");
        d.SetDlgItemText(kWidth, "2");
        d.SetCurSel(kLayer, 9);
        d.OnCommand(IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(g_nPadRadiusX, 8);
    EXPECT_EQ(g_nPadRadiusY, 7);
    EXPECT_EQ(g_nScanLinesX, 400);
    EXPECT_EQ(g_nScanLinesY, 300);
    EXPECT_EQ(g_fMilPerPixelX, 2.5f);
    EXPECT_EQ(g_fMilPerPixelY, static_cast<float>(1000.0 / 300));
    EXPECT_EQ(g_nLineWidth, 2);
    EXPECT_EQ(g_nCurrentLayer, 10);
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_TRUE(host.invalidations[0].whole);
    EXPECT_FALSE(host.invalidations[0].erase);
    ASSERT_EQ(services.statusTexts.size(), 1u);
    EXPECT_EQ(services.statusTexts[0], std::make_pair(1, std::string("Power Plane")));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ParamsDialog, CancelChangesNothing) {
    Run([](CDialog& d) {
        d.SetDlgItemText(kPadX, "9");
        d.SetCurSel(kLayer, 3);
        d.OnCommand(IDCANCEL);
    });
    EXPECT_EQ(g_nPadRadiusX, 5);
    EXPECT_EQ(g_nCurrentLayer, 1);
    EXPECT_TRUE(host.invalidations.empty());
    EXPECT_TRUE(services.statusTexts.empty());
}

TEST_F(ParamsDialog, AnEntryThatIsNotAWholeNumberIsReportedOnceAndNothingApplied) {
    const int scanX = g_nScanLinesX;
    Run([&](CDialog& d) {
        d.SetDlgItemText(kPadX, "6");
        d.SetDlgItemText(kScanX, "2x0");
        d.OnCommand(IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(d.TakeFocusRequest(), kScanX) << "the refused field takes the focus";
        EXPECT_EQ(g_nPadRadiusX, 5) << "fields before the bad one are not applied";
        d.SetDlgItemText(kScanX, "250");
        d.OnCommand(IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Please enter an integer.");
    EXPECT_EQ(g_nPadRadiusX, 6);
    EXPECT_EQ(g_nScanLinesX, 250);
    EXPECT_NE(scanX, 250);
}

TEST_F(ParamsDialog, ScanLinesOfZeroOrLessAreRefusedAndTheDialogStaysOpen) {
    for (const char* bad : {"0", "-200"}) {
        Run([&](CDialog& d) {
            d.SetDlgItemText(kScanY, bad);
            d.SetDlgItemText(kWidth, "9");
            d.OnCommand(IDOK);
            EXPECT_FALSE(d.IsEnded()) << bad;
            EXPECT_EQ(d.TakeFocusRequest(), kScanY) << bad;
        });
    }
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].text, "Scan lines must be a whole number greater than 0.");
    EXPECT_EQ(services.messages[0].caption, "Quarzline");
    EXPECT_EQ(g_nLineWidth, 3);
    EXPECT_TRUE(std::isfinite(g_fMilPerPixelY));
    EXPECT_TRUE(host.invalidations.empty());
}

TEST_F(ParamsDialog, ColourCommandEditsOnlyTheCurrentLayer) {
    for (int i = 0; i < kLayerColorCount; ++i)
        g_crLayerColor[i] = RGB(i, 0, 0);
    g_nCurrentLayer = 6;
    services.colorAnswers.push_back(RGB(0, 200, 0));
    view->OnCommand(501);
    ASSERT_EQ(services.colorRequests, std::vector<COLORREF>{RGB(6, 0, 0)});
    for (int i = 0; i < kLayerColorCount; ++i)
        EXPECT_EQ(g_crLayerColor[i], i == 6 ? RGB(0, 200, 0) : RGB(i, 0, 0)) << i;
    ASSERT_EQ(host.invalidations.size(), 1u);
    EXPECT_FALSE(host.invalidations[0].erase);

    services.colorAnswers.push_back(std::nullopt);
    view->OnLayerColor();
    EXPECT_EQ(g_crLayerColor[6], RGB(0, 200, 0)) << "cancel keeps the colour";
    EXPECT_EQ(host.invalidations.size(), 1u);
}

TEST_F(ParamsDialog, ColourCommandIgnoresALayerOutsideTheTable) {
    g_nCurrentLayer = 40;
    services.colorAnswers.push_back(RGB(1, 2, 3));
    view->OnLayerColor();
    EXPECT_TRUE(services.colorRequests.empty());
}

TEST_F(ParamsDialog, EveryWindowIsRepaintedWithTheSharedParametersAndColours) {
    ScriptedViewHost otherHost;
    auto other = std::make_unique<CDibView>();
    other->AttachHost(&otherHost);
    ASSERT_EQ(CDibView::AllViews(), (std::vector<CDibView*>{view.get(), other.get()}));

    Run([](CDialog& d) {
        d.SetDlgItemText(kWidth, "9");
        d.OnCommand(IDOK);
    });
    services.colorAnswers.push_back(RGB(1, 2, 3));
    other->OnLayerColor();
    for (const ScriptedViewHost* h : {&host, &otherHost}) {
        ASSERT_EQ(h->invalidations.size(), 2u);
        EXPECT_FALSE(h->invalidations[0].erase);
        EXPECT_FALSE(h->invalidations[1].erase);
    }

    other.reset();
    EXPECT_EQ(CDibView::AllViews(), std::vector<CDibView*>{view.get()})
        << "a closed window is left out";
}
