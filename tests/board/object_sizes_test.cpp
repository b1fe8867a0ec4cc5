// Real sizes of pads and tracks on the board: the size for new objects, the
// size dialog in move status and select-all mode, picking up a size, and
// every step keeping the sizes with their objects through undo and redo.
#include "board/param_dlg.h"
#include "board/size_dlg.h"
#include "tests/board/params_guard.h"
#include "tests/board/view_fixture.h"

#include "res/resource.h"

namespace {
constexpr PadSize kBig{90, 70, 35, PadShape::Octagon};

class ObjectSizes : public BoardViewTest {
  protected:
    ObjectSizes() {
        view.OnMoveStatus();
        host.PutPointer({400, 300});
    }
    // Runs a command with a script acting on the dialog it opens.
    void RunWithDialog(UINT id, std::function<void(CDialog&)> script) {
        services.dialogScripts.push_back(std::move(script));
        view.OnCommand(id);
    }
    PadSize PadSizeAt(int i) const { return view.m_pPadSizes[i]; }
    int WidthAt(int i) const { return view.m_pTrackSizes[i].width; }

    ParamsGuard guard;
};
} // namespace

TEST_F(ObjectSizes, NewObjectsTakeTheSizeForNewObjects) {
    AddPad(10, 10);
    g_NewPadSize = kBig;
    g_NewTrackSize = {40};
    AddPad(20, 20);
    AddTrack(0, 0, 50, 0);
    EXPECT_EQ(PadSizeAt(0), PadSize{});
    EXPECT_EQ(PadSizeAt(1), kBig);
    EXPECT_EQ(WidthAt(0), 40);
}

TEST_F(ObjectSizes, PropertiesOfThePadUnderThePointerIsOneUndoableStep) {
    AddPad(400, 300);
    AddPad(100, 100);
    RunWithDialog(ID_EDIT_PROPERTIES, [](CDialog& d) {
        EXPECT_EQ(d.Template().title, "Pad Properties");
        EXPECT_EQ(d.GetDlgItemText(IDC_SIZE_PAD_X), "60");
        EXPECT_EQ(d.GetDlgItemText(IDC_SIZE_HOLE), "28");
        EXPECT_EQ(d.GetCurSel(IDC_SIZE_SHAPE), 0);
        EXPECT_EQ(d.GetDlgItem(IDC_SIZE_WIDTH), nullptr) << "a pad has no width";
        d.SetDlgItemText(IDC_SIZE_PAD_X, "90");
        d.SetDlgItemText(IDC_SIZE_PAD_Y, " 70 ");
        d.SetDlgItemText(IDC_SIZE_HOLE, "35");
        d.SetCurSel(IDC_SIZE_SHAPE, 2);
        d.OnCommand(IDOK);
    });
    EXPECT_EQ(PadSizeAt(0), kBig);
    EXPECT_EQ(PadSizeAt(1), PadSize{}) << "only the pad under the pointer";
    EXPECT_EQ(view.m_History.UndoKind(), board::StepKind::ChangeSize);
    view.OnEditUndo();
    EXPECT_EQ(PadSizeAt(0), PadSize{});
    view.OnEditRedo();
    EXPECT_EQ(PadSizeAt(0), kBig);
}

TEST_F(ObjectSizes, PropertiesOfATrackInMillimetresAndARefusedEntry) {
    AddTrack(300, 300, 500, 300);
    RunWithDialog(ID_EDIT_PROPERTIES, [](CDialog& d) {
        EXPECT_EQ(d.Template().title, "Track Properties");
        d.SetCurSel(IDC_SIZE_UNIT, 1);
        d.OnControlChanged(IDC_SIZE_UNIT);
        EXPECT_EQ(d.GetDlgItemText(IDC_SIZE_WIDTH), "0.305") << "12 mil in millimetres";
        d.SetDlgItemText(IDC_SIZE_WIDTH, "300");
        d.OnCommand(IDOK);
        EXPECT_FALSE(d.IsEnded()) << "300 mm is beyond 10000 mil";
        d.SetDlgItemText(IDC_SIZE_WIDTH, "1.016");
        d.OnCommand(IDOK);
    });
    ASSERT_EQ(services.MessageTexts().size(), 1u);
    EXPECT_EQ(services.MessageTexts()[0], "Enter a size from 0.025 to 254 mm.");
    EXPECT_EQ(WidthAt(0), 40);
    EXPECT_EQ(g_nSizeUnit, SizeUnit::Mm) << "the unit chosen stays for the next dialog";
}

TEST_F(ObjectSizes, PropertiesOverNothingBeepsAndChangesNothing) {
    AddPad(10, 10);
    view.OnCommand(ID_EDIT_PROPERTIES);
    EXPECT_TRUE(services.dialogsRun.empty());
    EXPECT_EQ(services.beeps.size(), 1u);
    EXPECT_FALSE(view.m_History.UndoKind() == board::StepKind::ChangeSize);
}

TEST_F(ObjectSizes, SelectAllSetsTheTracksOfTheCurrentLayerOnly) {
    AddPad(10, 10);
    AddTrack(0, 0, 10, 0, 1);
    AddTrack(0, 0, 10, 0, 6);
    AddTrack(0, 5, 10, 5, 1);
    view.OnSelectAll();
    RunWithDialog(ID_EDIT_PROPERTIES, [](CDialog& d) {
        d.SetCurSel(IDC_SIZE_SCOPE, 1);
        d.OnControlChanged(IDC_SIZE_SCOPE);
        EXPECT_FALSE(d.IsDlgItemVisible(IDC_SIZE_PAD_X)) << "pads are not set";
        EXPECT_TRUE(d.IsDlgItemVisible(IDC_SIZE_WIDTH));
        d.SetDlgItemText(IDC_SIZE_PAD_X, "not looked at");
        d.SetDlgItemText(IDC_SIZE_WIDTH, "25");
        d.OnCommand(IDOK);
    });
    EXPECT_EQ(WidthAt(0), 25);
    EXPECT_EQ(WidthAt(1), 12);
    EXPECT_EQ(WidthAt(2), 25);
    EXPECT_EQ(PadSizeAt(0), PadSize{});
    view.OnEditUndo();
    EXPECT_EQ(WidthAt(0), 12);
    EXPECT_EQ(WidthAt(2), 12) << "one step for all of them";
}

TEST_F(ObjectSizes, PickUpSizeByCommandAndByAltClick) {
    ASSERT_TRUE(view.AppendPad(400, 300, kBig));
    ASSERT_TRUE(view.AppendTrack(100, 100, 200, 100, 1, TrackSize{33}));
    view.OnCommand(ID_EDIT_PICK_UP_SIZE);
    EXPECT_EQ(g_NewPadSize, kBig);
    EXPECT_EQ(services.statusTexts.back().second,
              "New pads: 90 x 70 mil octagon, hole 35 mil");
    view.OnPadMode();
    host.PutPointer({150, 100});
    view.OnLButtonDown(MK_ALT, {150, 100});
    EXPECT_EQ(g_NewTrackSize.width, 33);
    EXPECT_EQ(view.m_nPadCount, 1) << "an Alt-click in pad mode places nothing";
    view.OnLButtonDown(MK_ALT, {700, 500});
    EXPECT_EQ(services.beeps.size(), 1u) << "nothing to pick up there";
}

TEST_F(ObjectSizes, SizesStayWithTheirObjectsThroughDeleteTransformsAndUndo) {
    ASSERT_TRUE(view.AppendPad(100, 100, PadSize{}));
    ASSERT_TRUE(view.AppendPad(400, 300, kBig));
    ASSERT_TRUE(view.AppendPad(600, 300, PadSize{20, 20, 0, PadShape::Rectangle}));
    ASSERT_TRUE(view.AppendTrack(10, 10, 20, 10, 1, TrackSize{50}));
    view.OnEditDelete(); // the pad under the pointer, kBig
    ASSERT_EQ(view.m_nPadCount, 2);
    EXPECT_EQ(PadSizeAt(1), (PadSize{20, 20, 0, PadShape::Rectangle}))
        << "the sizes move down with the records";
    view.OnEditUndo();
    EXPECT_EQ(PadSizeAt(1), kBig);
    EXPECT_EQ(PadSizeAt(2).shape, PadShape::Rectangle);
    view.OnSelectAll();
    Key(VK_SPACE); // rotate all
    Key(VK_KEY_X); // mirror all
    EXPECT_EQ(PadSizeAt(1), kBig);
    EXPECT_EQ(WidthAt(0), 50);
    view.OnEditUndo();
    view.OnEditUndo();
    EXPECT_EQ(PadSizeAt(1), kBig);
    EXPECT_EQ(WidthAt(0), 50);
}

TEST_F(ObjectSizes, ParametersDialogSetsTheSizeForNewObjects) {
    RunWithDialog(ID_PARAMETERS, [](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(IDC_NEW_PAD_X), "60");
        EXPECT_EQ(d.GetDlgItemText(IDC_NEW_PAD_Y), "60");
        EXPECT_EQ(d.GetDlgItemText(IDC_NEW_HOLE), "28");
        EXPECT_EQ(d.GetCurSel(IDC_NEW_PAD_SHAPE), 0);
        EXPECT_EQ(d.GetDlgItemText(IDC_NEW_TRACK_WIDTH), "12");
        EXPECT_EQ(d.GetCurSel(IDC_NEW_SIZE_UNIT), 0);
        d.SetDlgItemText(IDC_NEW_HOLE, "-1");
        d.OnCommand(IDOK);
        EXPECT_FALSE(d.IsEnded()) << "a hole below 0 is refused";
        d.SetDlgItemText(IDC_NEW_HOLE, "0");
        d.SetDlgItemText(IDC_NEW_TRACK_WIDTH, "10");
        d.SetCurSel(IDC_NEW_PAD_SHAPE, 1);
        d.OnCommand(IDOK);
    });
    EXPECT_EQ(g_NewPadSize, (PadSize{60, 60, 0, PadShape::Rectangle}));
    EXPECT_EQ(g_NewTrackSize.width, 10);
    EXPECT_EQ(g_nPadRadiusX, 5) << "the marker sizes are not the real sizes";
}

TEST(SizeFields, LengthsInMilAndMillimetres) {
    EXPECT_EQ(FormatLength(60, SizeUnit::Mm), "1.524");
    EXPECT_EQ(FormatLength(10000, SizeUnit::Mm), "254");
    EXPECT_EQ(ParseLength("1.524", SizeUnit::Mm, 1), 60);
    EXPECT_EQ(ParseLength("12.4", SizeUnit::Mil, 1), 12);
    EXPECT_EQ(ParseLength("0.01", SizeUnit::Mm, 1), std::nullopt) << "below 1 mil";
    EXPECT_EQ(ParseLength("10000.4", SizeUnit::Mil, 1), 10000);
    EXPECT_EQ(ParseLength("10000.5", SizeUnit::Mil, 1), std::nullopt);
    for (const char* bad : {"", "12x", "nan", "inf", "1e999", "-"})
        EXPECT_EQ(ParseLength(bad, SizeUnit::Mil, 0), std::nullopt) << bad;
    // Every whole mil comes back from its millimetre text.
    for (int mil = 1; mil <= kMaxSizeMil; ++mil)
        ASSERT_EQ(ParseLength(FormatLength(mil, SizeUnit::Mm), SizeUnit::Mm, 1), mil);
}
