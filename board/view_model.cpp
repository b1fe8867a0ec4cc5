// Construction and destruction of the board view, and the model operations
// every editing path shares.
#include "board/dib_view.h"
#include "board/view_edit.h"

#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

using namespace board;

namespace {
constexpr const char* kCaption = "Quarzline";

std::vector<CDibView*>& LiveViews() {
    static std::vector<CDibView*> views;
    return views;
}
} // namespace

const std::vector<CDibView*>& CDibView::AllViews() {
    return LiveViews();
}

CDibView::CDibView() {
    for (int layer = 1; layer <= kLayerCount; ++layer)
        m_bLayerVisible[layer] = 1;
    m_nScale = 1;
    m_nSelPad = -1;
    m_nSelTrack = -1;
    m_bMoveMode = m_bSelectAll = m_bMarkMode = m_bShowMil = m_bFreeAngle = false;
    m_bPadMode = true;
    m_PadBackup.clear();
    m_TrackBackup.clear();
    g_nLineWidth = 3;

    // Without a colour file the tracks keep the colours they have, at first
    // the defaults; the file appears when the view closes.
    if (LoadLayerColors(kLayerColorFile) == ColorFileRead::Failed)
        Services().MessageBox("Disk error!", kCaption, MB_OK | MB_ICONSTOP);

    g_nPadRadiusX = 5;
    g_nPadRadiusY = 5;

    m_nPadCount = 0;
    m_nTrackCount = 0;
    m_pPads = new (std::nothrow) Pad[g_nMaxItems];
    if (!m_pPads)
        Services().MessageBox("No memory for data", kCaption, MB_OK | MB_ICONSTOP);
    m_pTracks = new (std::nothrow) Track[g_nMaxItems];
    if (!m_pTracks)
        Services().MessageBox("No memory for data", kCaption, MB_OK | MB_ICONSTOP);
    // The sizes go with the records: without one array the other is no use.
    if (m_pPads)
        m_pPadSizes = new (std::nothrow) PadSize[g_nMaxItems];
    if (m_pTracks)
        m_pTrackSizes = new (std::nothrow) TrackSize[g_nMaxItems];
    if ((m_pPads && !m_pPadSizes) || (m_pTracks && !m_pTrackSizes)) {
        Services().MessageBox("No memory for data", kCaption, MB_OK | MB_ICONSTOP);
        if (!m_pPadSizes)
            delete[] std::exchange(m_pPads, nullptr);
        if (!m_pTrackSizes)
            delete[] std::exchange(m_pTracks, nullptr);
    }

    // The five cursor members are initialised in the class.
    m_bLineStarted = 0;
    g_nCurrentLayer = 1;
    m_nKeyObject = 0;

    Services().SetStatusPaneText(1, LayerName(g_nCurrentLayer));
    LiveViews().push_back(this);
}

CDibView::~CDibView() {
    std::erase(LiveViews(), this);
    // Windows ask before they close; a view destroyed without that asks
    // here, where there is no keeping it.
    EndEdit();
    if (IsBoardModified() && !m_bCloseAccepted) {
        const CDibDoc* document = GetDocument();
        AskToSaveBoard(document ? document->GetTitle() : std::string(), MB_YESNO);
    }
    delete[] m_pPads;
    m_pPads = nullptr;
    delete[] m_pTracks;
    m_pTracks = nullptr;
    delete[] m_pPadSizes;
    m_pPadSizes = nullptr;
    delete[] m_pTrackSizes;
    m_pTrackSizes = nullptr;

    switch (WriteLayerColors(kLayerColorFile)) {
    case ColorFileWrite::Written:
        break;
    case ColorFileWrite::CannotOpen:
        Services().MessageBox("Disk error!", kCaption, MB_OK | MB_ICONSTOP);
        break;
    case ColorFileWrite::WriteFailed:
        // The previous file is still in place.
        Services().MessageBox("Write file error!", kCaption, MB_OK | MB_ICONSTOP);
        break;
    }
}

CDibDoc* CDibView::GetDocument() const {
    return static_cast<CDibDoc*>(CScrollView::GetDocument());
}

board::BoardArrays CDibView::Arrays() {
    return {m_pPads, &m_nPadCount, m_pTracks, &m_nTrackCount, g_nMaxItems, m_pPadSizes, m_pTrackSizes};
}

void CDibView::NotifyBoardChanged() {
    m_bCloseAccepted = false;
    if (m_onBoardChanged)
        m_onBoardChanged();
}

void CDibView::BeginEdit(StepKind kind) {
    m_History.Open(kind, m_nScale);
}

void CDibView::EndEdit() {
    if (!m_History.IsOpen())
        return;
    const std::uint64_t before = m_History.Revision();
    m_History.Close(Arrays());
    if (m_History.TakeDroppedNotice())
        SayOldestStepsDropped();
    if (m_History.Revision() != before)
        NotifyBoardChanged();
}

// An operation outside BeginEdit and EndEdit is a step of its own; one that
// cannot join the open step (an append during a drag) closes it first.
template <typename Note>
void CDibView::RunInStep(StepKind kind, Note note) {
    if (m_History.IsOpen() && note())
        return;
    EndEdit();
    BeginEdit(kind);
    note();
}

bool CDibView::AppendPad(float x, float y) {
    return AppendPad(x, y, g_NewPadSize);
}

bool CDibView::AppendPad(float x, float y, PadSize size) {
    if (!m_pPads || m_nPadCount >= g_nMaxItems)
        return false;
    const bool own = !m_History.IsOpen();
    RunInStep(StepKind::AddPad, [&] { return m_History.NoteAppend(m_nPadCount, m_nTrackCount); });
    m_pPads[m_nPadCount] = Pad{x, y};
    m_pPadSizes[m_nPadCount] = size;
    ++m_nPadCount;
    if (own)
        EndEdit();
    return true;
}

bool CDibView::AppendTrack(float x1, float y1, float x2, float y2, int layer) {
    return AppendTrack(x1, y1, x2, y2, layer, g_NewTrackSize);
}

bool CDibView::AppendTrack(float x1, float y1, float x2, float y2, int layer, TrackSize size) {
    if (!m_pTracks || m_nTrackCount >= g_nMaxItems)
        return false;
    const bool own = !m_History.IsOpen();
    RunInStep(StepKind::AddTrack, [&] { return m_History.NoteAppend(m_nPadCount, m_nTrackCount); });
    m_pTracks[m_nTrackCount] = Track{x1, y1, x2, y2, static_cast<float>(layer)};
    m_pTrackSizes[m_nTrackCount] = size;
    ++m_nTrackCount;
    if (own)
        EndEdit();
    return true;
}

void CDibView::SetPadPosition(int pad, float x, float y) {
    if (!m_pPads || pad < 0 || pad >= m_nPadCount)
        return;
    Pad& p = m_pPads[pad];
    const bool own = !m_History.IsOpen();
    RunInStep(StepKind::Move, [&] { return m_History.NotePoint(PointTarget::Pad, pad, p.x, p.y); });
    p = Pad{x, y};
    if (own)
        EndEdit();
}

void CDibView::SetTrackEnd(int coord, float x, float y) {
    if (!m_pTracks || coord < 0 || coord / 5 >= m_nTrackCount || (coord % 5 != 0 && coord % 5 != 2))
        return;
    Track& k = m_pTracks[coord / 5];
    float& ex = coord % 5 == 0 ? k.x1 : k.x2;
    float& ey = coord % 5 == 0 ? k.y1 : k.y2;
    const bool own = !m_History.IsOpen();
    RunInStep(StepKind::Move,
              [&] { return m_History.NotePoint(PointTarget::TrackEnd, coord, ex, ey); });
    ex = x;
    ey = y;
    if (own)
        EndEdit();
}

void CDibView::RemoveObjects(std::vector<int> pads, std::vector<int> tracks, StepKind kind) {
    EndEdit();
    const auto tidy = [](std::vector<int>& v, int count) {
        std::erase_if(v, [count](int i) { return i < 0 || i >= count; });
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    tidy(pads, m_pPads ? m_nPadCount : 0);
    tidy(tracks, m_pTracks ? m_nTrackCount : 0);
    if (pads.empty() && tracks.empty())
        return;
    ResetEditState();
    Step step{kind, m_nScale, RemoveEntries(Arrays(), std::move(pads), std::move(tracks))};
    RecordStep(std::move(step));
}

namespace {
// Fills `to` with the sizes given, or with defaults when none are; the
// sizes may already be the ones in `to` (a transform keeping them).
template <typename Size>
void WriteSizes(std::span<const Size> sizes, Size* to, std::size_t count) {
    if (!to)
        return;
    if (sizes.size() != count)
        std::fill(to, to + count, Size{});
    else if (sizes.data() != to)
        std::copy(sizes.begin(), sizes.end(), to);
}
} // namespace

bool CDibView::ReplaceBoard(std::span<const Pad> pads, std::span<const Track> tracks, StepKind kind,
                            std::span<const PadSize> padSizes,
                            std::span<const TrackSize> trackSizes) {
    EndEdit();
    if (pads.size() > static_cast<std::size_t>(g_nMaxItems) ||
        tracks.size() > static_cast<std::size_t>(g_nMaxItems) || (!pads.empty() && !m_pPads) ||
        (!tracks.empty() && !m_pTracks))
        return false;
    // The select-all transforms keep every entry where it is.
    if (kind != StepKind::MoveAll && kind != StepKind::RotateAll && kind != StepKind::MirrorAll)
        ResetEditState();
    ReplaceChange old;
    if (m_pPads) {
        old.pads.assign(m_pPads, m_pPads + m_nPadCount);
        old.padSizes.assign(m_pPadSizes, m_pPadSizes + m_nPadCount);
    }
    if (m_pTracks) {
        old.tracks.assign(m_pTracks, m_pTracks + m_nTrackCount);
        old.trackSizes.assign(m_pTrackSizes, m_pTrackSizes + m_nTrackCount);
    }
    std::copy(pads.begin(), pads.end(), m_pPads);
    std::copy(tracks.begin(), tracks.end(), m_pTracks);
    WriteSizes(padSizes, m_pPadSizes, pads.size());
    WriteSizes(trackSizes, m_pTrackSizes, tracks.size());
    m_nPadCount = static_cast<int>(pads.size());
    m_nTrackCount = static_cast<int>(tracks.size());
    RecordStep(Step{kind, m_nScale, std::move(old)});
    return true;
}

void CDibView::RecordStep(Step step) {
    m_History.Record(std::move(step));
    if (m_History.TakeDroppedNotice())
        SayOldestStepsDropped();
    NotifyBoardChanged();
}

// Said once in the program's run: from then on the user knows the history
// keeps only the latest steps.
void CDibView::SayOldestStepsDropped() {
    static bool said = false;
    if (std::exchange(said, true))
        return;
    Services().MessageBox("The undo history has reached its limit of 256 MB. The oldest steps "
                          "were dropped and can no longer be undone.",
                          kCaption, MB_OK | MB_ICONINFORMATION);
}

void CDibView::ScaleStoredCoordinates(float factor) {
    if (m_pPads)
        for (int i = 0; i < m_nPadCount; ++i) {
            m_pPads[i].x *= factor;
            m_pPads[i].y *= factor;
        }
    if (m_pTracks)
        for (int i = 0; i < m_nTrackCount; ++i) {
            Track& t = m_pTracks[i];
            t.x1 *= factor;
            t.y1 *= factor;
            t.x2 *= factor;
            t.y2 *= factor;
        }
    m_History.ScaleOpen(m_nScale);
}

void CDibView::ClearBoard() {
    ForgetHover(*this);
    m_History.Clear();
    m_nPadCount = 0;
    m_nTrackCount = 0;
    NotifyBoardChanged();
}

void CDibView::MarkBoardSaved() {
    m_History.MarkSaved();
    NotifyBoardChanged();
}

void CDibView::MarkBoardModified() {
    m_History.MarkModified();
    NotifyBoardChanged();
}

void CDibView::ResetEditState() {
    ForgetHover(*this);
    m_nBandPad = -1;
    m_bLineStarted = 0;
    m_nChainSegments = 0;
    m_nKeyObject = 0;
    m_nSelPad = -1;
    m_nSelTrack = -1;
    m_PadBackup.clear();
    m_TrackBackup.clear();
}
