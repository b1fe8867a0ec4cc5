#include "exchange/view_board_load.h"

#include "board/dib_view.h"
#include "exchange/messages.h"
#include "platform/user_services.h"

void ReplaceViewBoard(CDibView& view, BoardData& board, ReadReport& report) {
    TrimToCapacity(board, g_nMaxItems, report);
    view.ClearBoard();
    view.ResetEditState();
    // A view whose arrays could not be allocated keeps nothing.
    for (const Pad& pad : board.pads)
        if (!view.AppendPad(pad.x, pad.y))
            ++report.padsLeftOut;
    for (const Track& t : board.tracks)
        if (!view.AppendTrack(t.x1, t.y1, t.x2, t.y2, static_cast<int>(t.layer)))
            ++report.tracksLeftOut;
    view.Invalidate(false);
    if (!report.Clean())
        Services().MessageBox(DescribeReadReport(report, g_nMaxItems, view.IsBoardEmpty()), kBoardCaption,
                              MB_OK | MB_ICONEXCLAMATION);
}

BoardSpan ViewBoard(const CDibView& view) {
    BoardSpan span;
    if (view.m_pPads)
        span.pads = {view.m_pPads, static_cast<std::size_t>(view.m_nPadCount)};
    if (view.m_pTracks)
        span.tracks = {view.m_pTracks, static_cast<std::size_t>(view.m_nTrackCount)};
    return span;
}

void ShowBoardError(const char* text) {
    Services().MessageBox(text, kBoardCaption, MB_OK | MB_ICONSTOP);
}
