#include "exchange/view_board_load.h"

#include "board/dib_view.h"
#include "exchange/messages.h"
#include "platform/user_services.h"

void ReplaceViewBoard(CDibView& view, BoardData& board, ReadReport& report, board::StepKind kind) {
    TrimToCapacity(board, g_nMaxItems, report);
    // A view whose arrays could not be allocated keeps nothing.
    if (!view.m_pPads) {
        report.padsLeftOut += static_cast<int>(board.pads.size());
        board.pads.clear();
        board.padSizes.clear();
    }
    if (!view.m_pTracks) {
        report.tracksLeftOut += static_cast<int>(board.tracks.size());
        board.tracks.clear();
        board.trackSizes.clear();
    }
    view.ReplaceBoard(board.pads, board.tracks, kind, board.padSizes, board.trackSizes);
    // The board is what the file holds, so closing now loses nothing.
    view.MarkBoardSaved();
    view.Invalidate(false);
    if (!report.Clean())
        Services().MessageBox(DescribeReadReport(report, g_nMaxItems, view.IsBoardEmpty()), kBoardCaption,
                              MB_OK | MB_ICONEXCLAMATION);
}

bool ConfirmReplacingUnsavedBoard(const CDibView& view, const char* question) {
    return !view.IsBoardModified() ||
           Services().MessageBox(question, kBoardCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

BoardSpan ViewBoard(const CDibView& view) {
    BoardSpan span;
    if (view.m_pPads)
        span.pads = {view.m_pPads, static_cast<std::size_t>(view.m_nPadCount)};
    if (view.m_pTracks)
        span.tracks = {view.m_pTracks, static_cast<std::size_t>(view.m_nTrackCount)};
    if (view.m_pPadSizes)
        span.padSizes = {view.m_pPadSizes, static_cast<std::size_t>(view.m_nPadCount)};
    if (view.m_pTrackSizes)
        span.trackSizes = {view.m_pTrackSizes, static_cast<std::size_t>(view.m_nTrackCount)};
    return span;
}

void ShowBoardError(const char* text) {
    Services().MessageBox(text, kBoardCaption, MB_OK | MB_ICONSTOP);
}
