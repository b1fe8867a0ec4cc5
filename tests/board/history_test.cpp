// The undo history's bookkeeping (names, limits, the saved state) and the
// edit state around steps that take entries out of the arrays: no index held
// from before may be used afterwards.
#include "board/view_edit.h"
#include "res/resource.h"
#include "view_fixture.h"

using board::StepKind;

namespace {

class HistoryTest : public BoardViewTest {
  protected:
    CCmdUI Update(UINT id) {
        CCmdUI ui;
        ui.id = id;
        view.OnUpdateCommand(id, &ui);
        return ui;
    }
};

TEST_F(HistoryTest, MenuItemsNameTheStepAndGreyWhenThereIsNone) {
    EXPECT_FALSE(Update(ID_EDIT_UNDO).enabled);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo\tCtrl+Z");
    EXPECT_FALSE(Update(ID_EDIT_REDO).enabled);

    Click({100, 100});
    EXPECT_TRUE(Update(ID_EDIT_UNDO).enabled);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Add Pad\tCtrl+Z");

    view.OnSelectAll();
    Key(VK_KEY_X);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Mirror All\tCtrl+Z");
    Key(VK_SPACE);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Rotate All\tCtrl+Z");
    view.OnEditUndo();
    EXPECT_EQ(Update(ID_EDIT_REDO).text, "&Redo Rotate All\tCtrl+Y");
    EXPECT_TRUE(Update(ID_EDIT_REDO).enabled);

    // A new edit drops what was undone.
    Key(VK_RIGHT);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Move All\tCtrl+Z");
    EXPECT_FALSE(Update(ID_EDIT_REDO).enabled);
}

TEST_F(HistoryTest, AComponentMarkAndADragAreOneStepEach) {
    view.OnComponentMark();
    Click({200, 200});
    ASSERT_EQ(view.m_nTrackCount, 3);
    view.OnEditUndo();
    EXPECT_EQ(view.m_nTrackCount, 0);
    view.OnEditRedo();
    ASSERT_EQ(view.m_nTrackCount, 3);

    // A pad with the mark's ends on it, dragged over several moves.
    AddPad(200, 200);
    view.OnMoveStatus();
    Press({200, 200});
    Move({210, 205});
    Move({230, 220});
    view.OnLButtonUp(0, {230, 220});
    EXPECT_EQ(PadAt(0).x, 230);
    EXPECT_EQ(TrackAt(1).y1, 215); // the vertical stroke's end moved with the pad
    view.OnEditUndo();
    EXPECT_EQ(PadAt(0).x, 200);
    EXPECT_EQ(TrackAt(1).y1, 195);
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Add Pad\tCtrl+Z");

    // A cancelled drag leaves no step.
    view.OnEditRedo();
    Press({230, 220});
    Move({300, 300});
    view.OnRButtonDown(0, {300, 300});
    view.OnLButtonUp(0, {300, 300});
    EXPECT_EQ(Update(ID_EDIT_UNDO).text, "&Undo Move\tCtrl+Z");
    view.OnEditUndo();
    EXPECT_EQ(PadAt(0).x, 200);
}

TEST_F(HistoryTest, SavedStateFollowsUndoRedoAndIsLostWithItsBranch) {
    EXPECT_FALSE(view.IsBoardModified());
    AddPad(1, 1);
    EXPECT_TRUE(view.IsBoardModified());
    view.MarkBoardSaved();
    AddPad(2, 2);
    EXPECT_TRUE(view.IsBoardModified());
    view.OnEditUndo();
    EXPECT_FALSE(view.IsBoardModified());
    view.OnEditUndo();
    EXPECT_TRUE(view.IsBoardModified());
    // A new edit from here drops the saved state: nothing brings it back.
    AddPad(3, 3);
    view.OnEditUndo();
    EXPECT_TRUE(view.IsBoardModified());
    view.OnEditRedo();
    EXPECT_TRUE(view.IsBoardModified());
}

TEST_F(HistoryTest, TheOldestStepsGoPastTheByteLimitAndTheUserIsToldOnce) {
    board::BoardHistory history(4096);
    Pad pads[200];
    int padCount = 0;
    Track tracks[1];
    int trackCount = 0;
    const board::BoardArrays arrays{pads, &padCount, tracks, &trackCount, 200};
    for (int i = 0; i < 200; ++i) {
        history.Open(StepKind::AddPad, 1);
        ASSERT_TRUE(history.NoteAppend(padCount, trackCount));
        pads[padCount++] = Pad{static_cast<float>(i), 0};
        history.Close(arrays);
    }
    EXPECT_LE(history.Bytes(), 4096u);
    EXPECT_LT(history.StepCount(), 200u);
    EXPECT_GT(history.StepCount(), 5u);
    EXPECT_TRUE(history.TakeDroppedNotice());
    EXPECT_FALSE(history.TakeDroppedNotice());
    // The saved state (the empty board) was dropped with the oldest steps.
    int undone = 0;
    while (history.Undo(arrays, 1))
        ++undone;
    EXPECT_EQ(static_cast<std::size_t>(undone), history.StepCount());
    EXPECT_EQ(padCount, 200 - undone);
    EXPECT_TRUE(history.IsModified());
}

TEST_F(HistoryTest, ManySingleObjectStepsStayCheap) {
    // 10,000 pad steps on top of a board of 20,000 + 20,000 must stay far
    // below 16 MB; the history counts what it holds.
    std::vector<Pad> pads(10000, Pad{1, 1});
    std::vector<Track> tracks(10000, Track{1, 2, 3, 4, 1});
    ASSERT_TRUE(view.ReplaceBoard(pads, tracks, StepKind::OpenWorkFile));
    const std::size_t wholeBoard = view.m_History.Bytes();
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(view.AppendPad(static_cast<float>(i), 5));
    const std::size_t perStep = (view.m_History.Bytes() - wholeBoard) / 10000;
    EXPECT_LT(perStep, 200u);
}

TEST_F(HistoryTest, UndoDropsTheKeyboardTargetChainAndGrab) {
    AddPad(100, 100);
    AddPad(300, 300);
    view.OnMoveStatus();
    host.PutPointer({300, 300});
    Key(VK_RIGHT); // pad 1 becomes the keyboard target and moves
    ASSERT_EQ(view.m_nKeyObject, 1);
    ASSERT_EQ(view.m_nKeyIndex, 1);
    view.OnEditUndo(); // the move
    view.OnEditUndo(); // pad 1 itself
    EXPECT_EQ(view.m_nKeyObject, 0);
    ASSERT_EQ(view.m_nPadCount, 1);
    // The next key finds nothing under the pointer and moves nothing.
    Key(VK_RIGHT);
    EXPECT_EQ(PadAt(0).x, 100);

    // A drag in progress goes back before the undo runs.
    Press({100, 100});
    Move({150, 150});
    view.OnEditUndo(); // takes pad 0 away
    EXPECT_EQ(view.m_nSelPad, -1);
    EXPECT_TRUE(view.m_PadBackup.empty());
    EXPECT_EQ(view.m_nPadCount, 0);
    Move({160, 160}); // no drag is going on any more
    view.OnLButtonUp(0, {160, 160});
    view.OnEditRedo();
    EXPECT_EQ(PadAt(0).x, 100);

    // A chain is ended.
    view.OnLineMode();
    Click({10, 10});
    Click({50, 10});
    view.OnEditUndo();
    EXPECT_EQ(view.m_bLineStarted, 0);
    Key(VK_BACK); // nothing left to take back
    EXPECT_EQ(view.m_nTrackCount, 0);
}

TEST_F(HistoryTest, DeleteTakesTheObjectUnderThePointerPadFirst) {
    AddTrack(100, 100, 400, 100);
    AddPad(100, 100);
    AddPad(500, 500);
    host.PutPointer({100, 100});
    Key(VK_DELETE);
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, 500);
    EXPECT_EQ(view.m_nTrackCount, 1); // the track that ended on it stays
    // The toolbar's Cut: the pointer has left the view for the button.
    Move({250, 100});
    host.PutPointer({250, -20});
    view.OnCommand(ID_EDIT_CUT);
    EXPECT_EQ(view.m_nTrackCount, 0);
    // Nothing under the pointer: a beep, no step.
    host.PutPointer({700, 50});
    const std::uint64_t revision = view.BoardRevision();
    Key(VK_DELETE);
    EXPECT_EQ(view.BoardRevision(), revision);
    EXPECT_FALSE(services.beeps.empty());
    view.OnEditUndo();
    view.OnEditUndo();
    EXPECT_EQ(view.m_nTrackCount, 1);
    ASSERT_EQ(view.m_nPadCount, 2);
    EXPECT_EQ(PadAt(0).x, 100); // back at its own index
}

TEST_F(HistoryTest, DeleteTargetOfTheKeyboardThenKeysMoveNothingStale) {
    AddPad(100, 100);
    AddPad(200, 200);
    view.OnMoveStatus();
    host.PutPointer({100, 100});
    Key(VK_RIGHT);
    ASSERT_EQ(view.m_nKeyObject, 1);
    Key(VK_DELETE); // the pointer is on pad 0, which is the target
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(view.m_nKeyObject, 0);
    Key(VK_RIGHT);
    EXPECT_EQ(PadAt(0).x, 200);
}

TEST_F(HistoryTest, SelectAllDeleteAsksAndEscapeLeavesForTheModeBefore) {
    AddPad(1, 1);
    AddTrack(1, 1, 5, 5);
    view.OnLineMode();
    view.OnSelectAll();
    services.answers.push_back(IDNO);
    Key(VK_DELETE);
    EXPECT_EQ(view.m_nPadCount, 1);
    ASSERT_EQ(services.messages.size(), 1u);
    services.answers.push_back(IDYES);
    Key(VK_DELETE);
    EXPECT_TRUE(view.IsBoardEmpty());
    Key(VK_ESCAPE);
    EXPECT_FALSE(view.m_bSelectAll);
    EXPECT_FALSE(view.m_bPadMode); // back in line mode
    view.OnEditUndo();
    EXPECT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(view.m_nTrackCount, 1);
}

TEST_F(HistoryTest, BackspaceTakesBackChainSegmentsAndTheChainGoesOn) {
    view.OnLineMode();
    Click({100, 100});
    Click({200, 100});
    Click({200, 200});
    ASSERT_EQ(view.m_nTrackCount, 2);
    Key(VK_BACK);
    ASSERT_EQ(view.m_nTrackCount, 1);
    EXPECT_EQ(view.m_bLineStarted, 1);
    Click({300, 100});
    ASSERT_EQ(view.m_nTrackCount, 2);
    ExpectTrack(TrackAt(1), 200, 100, 300, 100);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(view.m_nTrackCount, 0);
    Key(VK_BACK); // the chain has no segment left
    EXPECT_EQ(view.m_nTrackCount, 0);
    // A new chain does not take back the tracks of an earlier one.
    AddTrack(10, 10, 20, 20);
    Key(VK_ESCAPE);
    Click({20, 20});
    Key(VK_BACK);
    EXPECT_EQ(view.m_nTrackCount, 1);
}

TEST_F(HistoryTest, UndoAfterZoomGivesTheValuesAtTheNewZoom) {
    Click({101, 51});
    Key(VK_PRIOR); // zoom 2 about the pointer
    view.OnEditUndo();
    EXPECT_EQ(view.m_nPadCount, 0);
    view.OnEditRedo();
    ASSERT_EQ(view.m_nPadCount, 1);
    EXPECT_EQ(PadAt(0).x, 202);
    EXPECT_EQ(PadAt(0).y, 102);
}

} // namespace
