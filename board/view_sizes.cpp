// Real sizes: the size dialog of one object or of all, and picking up the
// size of an object for the objects placed next.
#include "board/dib_view.h"
#include "board/size_dlg.h"
#include "board/view_edit.h"
#include "platform/user_services.h"

#include <algorithm>
#include <cctype>
#include <string>

using namespace board;

namespace {
template <typename Size>
void CollectChanges(const std::vector<int>& indexes, int count, const Size* sizes, Size size,
                    std::vector<int>& changed, std::vector<Size>& values) {
    if (!sizes)
        return;
    std::vector<int> sorted = indexes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const int i : sorted)
        if (i >= 0 && i < count && !(sizes[i] == size)) {
            changed.push_back(i);
            values.push_back(size);
        }
}

std::vector<int> AllIndexes(int count) {
    std::vector<int> all(static_cast<std::size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        all[static_cast<std::size_t>(i)] = i;
    return all;
}

std::string DescribePadSize(const PadSize& s) {
    std::string text = std::to_string(s.x) + " x " + std::to_string(s.y) + " mil " +
                       PadShapeName(s.shape);
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text + (s.hole > 0 ? ", hole " + std::to_string(s.hole) + " mil" : ", no hole");
}
} // namespace

void CDibView::SetObjectSizes(const std::vector<int>& pads, PadSize padSize,
                              const std::vector<int>& tracks, TrackSize trackSize) {
    SizeChange change;
    CollectChanges(pads, m_nPadCount, m_pPadSizes, padSize, change.padIndexes, change.padSizes);
    CollectChanges(tracks, m_nTrackCount, m_pTrackSizes, trackSize, change.trackIndexes,
                   change.trackSizes);
    if (change.padIndexes.empty() && change.trackIndexes.empty())
        return;
    EndEdit();
    // The step holds the sizes not on the board: swap the new ones in.
    for (std::size_t i = 0; i < change.padIndexes.size(); ++i)
        std::swap(m_pPadSizes[change.padIndexes[i]], change.padSizes[i]);
    for (std::size_t i = 0; i < change.trackIndexes.size(); ++i)
        std::swap(m_pTrackSizes[change.trackIndexes[i]], change.trackSizes[i]);
    RecordStep(Step{StepKind::ChangeSize, m_nScale, std::move(change)});
    Invalidate(false);
}

bool CDibView::PointerInView(CPoint& client) const {
    CPoint p = GetCursorPos();
    ScreenToClient(&p);
    if (!ClientRect().PtInRect(p))
        p = m_ptLastPointerInView;
    if (!ClientRect().PtInRect(p))
        return false;
    client = p;
    return true;
}

void CDibView::ObjectAt(CPoint client, int& pad, int& track) {
    const CPoint s = GetScrollPosition();
    pad = HitTestPad(client.x, client.y, s.x, s.y);
    track = pad >= 0 ? -1 : HitTestTrack(client.x, client.y, s.x, s.y);
}

void CDibView::OnObjectProperties() {
    if (IsDragging(*this))
        return;
    if (m_bSelectAll) {
        if (IsBoardEmpty())
            return;
        CSizeDlg dialog(SizeTarget::All, g_NewPadSize, g_NewTrackSize);
        if (dialog.DoModal() != IDOK)
            return;
        std::vector<int> tracks;
        if (dialog.m_nScope == SizeScope::AllObjects)
            tracks = AllIndexes(m_nTrackCount);
        else if (dialog.m_nScope == SizeScope::CurrentLayerTracks)
            for (int i = 0; m_pTracks && i < m_nTrackCount; ++i)
                if (m_pTracks[i].layer == static_cast<float>(g_nCurrentLayer))
                    tracks.push_back(i);
        const std::vector<int> pads = dialog.m_nScope == SizeScope::CurrentLayerTracks
                                          ? std::vector<int>{}
                                          : AllIndexes(m_nPadCount);
        SetObjectSizes(pads, dialog.m_padSize, tracks, dialog.m_trackSize);
        return;
    }
    if (!m_bMoveMode)
        return;
    CPoint p;
    int pad = -1;
    int track = -1;
    if (PointerInView(p))
        ObjectAt(p, pad, track);
    if (pad < 0 && track < 0) {
        Services().MessageBeep(MB_OK);
        return;
    }
    CSizeDlg dialog(pad >= 0 ? SizeTarget::Pad : SizeTarget::Track,
                    pad >= 0 ? m_pPadSizes[pad] : g_NewPadSize,
                    track >= 0 ? m_pTrackSizes[track] : g_NewTrackSize);
    if (dialog.DoModal() != IDOK)
        return;
    if (pad >= 0)
        SetObjectSizes({pad}, dialog.m_padSize, {}, {});
    else
        SetObjectSizes({}, {}, {track}, dialog.m_trackSize);
}

void CDibView::OnPickUpSize() {
    CPoint p;
    if (PointerInView(p))
        PickUpSizeAt(p);
    else
        Services().MessageBeep(MB_OK);
}

bool CDibView::PickUpSizeAt(CPoint client) {
    int pad = -1;
    int track = -1;
    ObjectAt(client, pad, track);
    if (pad >= 0 && m_pPadSizes) {
        g_NewPadSize = m_pPadSizes[pad];
        Services().SetStatusPaneText(0, "New pads: " + DescribePadSize(g_NewPadSize));
        return true;
    }
    if (track >= 0 && m_pTrackSizes) {
        g_NewTrackSize = m_pTrackSizes[track];
        Services().SetStatusPaneText(
            0, "New tracks: " + std::to_string(g_NewTrackSize.width) + " mil wide");
        return true;
    }
    Services().MessageBeep(MB_OK);
    return false;
}
