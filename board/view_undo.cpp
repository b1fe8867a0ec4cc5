// Undo, redo and delete. Each of them may take entries out of the arrays or
// put them back, so each drops the chain, the grab and the keyboard target
// first: no index held from before can name the wrong object afterwards.
#include "board/dib_view.h"
#include "board/view_edit.h"
#include "board/view_geometry.h"
#include "platform/user_services.h"

#include <string>

using namespace board;

namespace {
constexpr const char* kCaption = "Quarzline";
constexpr const char* kDeleteAllText = "Delete every pad and track of this board?";

std::string MenuText(const char* verb, std::optional<StepKind> kind, const char* keys) {
    std::string text = verb;
    if (kind) {
        text += ' ';
        text += StepName(*kind);
    }
    return text + '\t' + keys;
}

// A drag in progress goes back to where it began before anything else
// changes the board.
void CancelDragInProgress(CDibView& view) {
    if (IsDragging(view))
        CancelDrag(view);
}

void PrepareForHistoryStep(CDibView& view) {
    CancelDragInProgress(view);
    view.EndEdit();
    view.ResetEditState();
}
} // namespace

void CDibView::OnEditUndo() {
    PrepareForHistoryStep(*this);
    if (m_History.Undo(Arrays(), m_nScale))
        NotifyBoardChanged();
    Invalidate(false);
}

void CDibView::OnEditRedo() {
    PrepareForHistoryStep(*this);
    if (m_History.Redo(Arrays(), m_nScale))
        NotifyBoardChanged();
    Invalidate(false);
}

void CDibView::OnUpdateEditUndo(CCmdUI* ui) {
    ui->Enable(m_History.CanUndo());
    ui->SetText(MenuText("&Undo", m_History.UndoKind(), "Ctrl+Z"));
}

void CDibView::OnUpdateEditRedo(CCmdUI* ui) {
    ui->Enable(m_History.CanRedo());
    ui->SetText(MenuText("&Redo", m_History.RedoKind(), "Ctrl+Y"));
}

void CDibView::OnEditDelete() {
    CancelDragInProgress(*this);
    if (m_bSelectAll) {
        if (IsBoardEmpty() ||
            Services().MessageBox(kDeleteAllText, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        ReplaceBoard({}, {}, StepKind::DeleteAll);
        Invalidate(false);
        return;
    }
    CPoint p = GetCursorPos();
    ScreenToClient(&p);
    // The toolbar's button is pressed with the pointer outside the view: it
    // takes what was under the pointer when it left the view.
    if (!ClientRect().PtInRect(p))
        p = m_ptLastPointerInView;
    if (!ClientRect().PtInRect(p))
        return;
    const CPoint s = GetScrollPosition();
    // The same search as a grab in move status: a pad first, then a track.
    const int pad = HitTestPad(p.x, p.y, s.x, s.y);
    const int track = pad >= 0 ? -1 : HitTestTrack(p.x, p.y, s.x, s.y);
    if (pad < 0 && track < 0) {
        Services().MessageBeep(MB_OK);
        return;
    }
    if (pad >= 0)
        RemoveObjects({pad}, {}, StepKind::Delete);
    else
        RemoveObjects({}, {track}, StepKind::Delete);
    Invalidate(false);
}

void CDibView::RemoveLastChainSegment() {
    if (!m_bLineStarted || !m_pTracks || m_nTrackCount == 0)
        return;
    // Only a segment this chain drew: the last track, ending where the chain is.
    const int last = m_nTrackCount - 1;
    const Track k = m_pTracks[last];
    const int segments = m_nChainSegments;
    if (segments <= 0 || k.x2 != m_fLastPointX || k.y2 != m_fLastPointY) {
        Services().MessageBeep(MB_OK);
        return;
    }
    RemoveObjects({}, {last}, StepKind::RemoveSegment);
    // Removing drops the chain; it goes on from the segment's start.
    m_bLineStarted = 1;
    m_nChainSegments = segments - 1;
    m_fLastPointX = k.x1;
    m_fLastPointY = k.y1;
    ToClient(k.x1, k.y1, CPoint(0, 0), &m_ptLastPoint);
    m_ptBandEnd = m_ptLastPoint;
    Invalidate(false);
}
