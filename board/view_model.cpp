// Construction and destruction of the board view, and the model operations
// every editing path shares.
#include "board/dib_view.h"

#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <algorithm>
#include <new>
#include <vector>

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

    if (!ReadLayerColors(kLayerColorFile))
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

    // The five cursor members are initialised in the class.
    m_bLineStarted = 0;
    g_nCurrentLayer = 1;
    m_nKeyObject = 0;

    Services().SetStatusPaneText(1, LayerName(g_nCurrentLayer));
    LiveViews().push_back(this);
}

CDibView::~CDibView() {
    std::erase(LiveViews(), this);
    // A save that was cancelled or failed has kept nothing: the question
    // comes again, so that the tracing is dropped only on an answer of No.
    if (m_nPadCount != 0 || m_nTrackCount != 0) {
        while (Services().MessageBox("Do you save your change?", kCaption,
                                     MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (SaveWorkFile())
                break;
        }
    }
    delete[] m_pPads;
    m_pPads = nullptr;
    delete[] m_pTracks;
    m_pTracks = nullptr;

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

bool CDibView::AppendPad(float x, float y) {
    if (!m_pPads || m_nPadCount >= g_nMaxItems)
        return false;
    m_pPads[m_nPadCount] = Pad{x, y};
    ++m_nPadCount;
    return true;
}

bool CDibView::AppendTrack(float x1, float y1, float x2, float y2, int layer) {
    if (!m_pTracks || m_nTrackCount >= g_nMaxItems)
        return false;
    m_pTracks[m_nTrackCount] = Track{x1, y1, x2, y2, static_cast<float>(layer)};
    ++m_nTrackCount;
    return true;
}

void CDibView::ClearBoard() {
    m_nPadCount = 0;
    m_nTrackCount = 0;
}

void CDibView::ResetEditState() {
    m_bLineStarted = 0;
    m_nKeyObject = 0;
    m_nSelPad = -1;
    m_nSelTrack = -1;
    m_PadBackup.clear();
    m_TrackBackup.clear();
}
