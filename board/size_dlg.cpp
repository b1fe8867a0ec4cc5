#include "board/size_dlg.h"


#include "platform/user_services.h"
#include "res/resource.h"

#include <algorithm>

namespace {
constexpr int kFieldsTop = 26;

SizeFieldIds AllIds() {
    return {IDC_SIZE_PAD_X, IDC_SIZE_PAD_Y, IDC_SIZE_HOLE,
            IDC_SIZE_SHAPE, IDC_SIZE_WIDTH, IDC_SIZE_UNIT};
}

SizeFieldIds IdsOf(SizeTarget target) {
    SizeFieldIds ids = AllIds();
    if (target == SizeTarget::Pad)
        ids.width = 0;
    if (target == SizeTarget::Track)
        ids.padX = ids.padY = ids.hole = ids.shape = 0;
    return ids;
}

const char* TitleOf(SizeTarget target) {
    switch (target) {
    case SizeTarget::Pad: return "Pad Properties";
    case SizeTarget::Track: return "Track Properties";
    case SizeTarget::All: break;
    }
    return "Sizes of All Objects";
}
} // namespace

DialogTemplate SizeDialogTemplate(SizeTarget target) {
    DialogTemplate t;
    t.id = IDD_OBJECT_SIZE;
    t.title = TitleOf(target);
    t.fontName = "System";
    t.fontPoints = 10;
    t.cx = 240;
    t.controls = {
        MakeControl(IDOK, ControlKind::DefPushButton, DluRect(183, 7, 50, 14), "OK"),
        MakeControl(IDCANCEL, ControlKind::PushButton, DluRect(183, 24, 50, 14), "Cancel"),
    };
    if (target == SizeTarget::All) {
        t.controls.push_back(MakeControl(-1, ControlKind::RText, DluRect(7, 9, 54, 10), "Set"));
        DialogControl scope =
            MakeControl(IDC_SIZE_SCOPE, ControlKind::DropList, DluRect(66, 7, 110, 50));
        scope.items = {"All objects", "Tracks on the current layer", "All pads"};
        t.controls.push_back(std::move(scope));
    }
    const int bottom = AddSizeFields(t, IdsOf(target), kFieldsTop);
    t.cy = std::max(bottom, 44) + 6;
    return t;
}

CSizeDlg::CSizeDlg(SizeTarget target, PadSize pad, TrackSize track)
    : CDialog(SizeDialogTemplate(target)), m_nTarget(target), m_padSize(pad), m_trackSize(track) {}

SizeFieldIds CSizeDlg::Ids() const {
    return IdsOf(m_nTarget);
}

bool CSizeDlg::SetsPads() const {
    return m_nTarget == SizeTarget::Pad ||
           (m_nTarget == SizeTarget::All && m_nScope != SizeScope::CurrentLayerTracks);
}

bool CSizeDlg::SetsTracks() const {
    return m_nTarget == SizeTarget::Track ||
           (m_nTarget == SizeTarget::All && m_nScope != SizeScope::AllPads);
}

BOOL CSizeDlg::OnInitDialog() {
    ShowSizes(*this, Ids(), m_padSize, m_trackSize, m_nUnit);
    if (m_nTarget == SizeTarget::All)
        SetCurSel(IDC_SIZE_SCOPE, static_cast<int>(m_nScope));
    ShowFieldsOfScope();
    return TRUE;
}

// Only the fields of what the scope sets are shown.
void CSizeDlg::ShowFieldsOfScope() {
    const SizeFieldIds ids = Ids();
    for (const int id : {ids.padX, ids.padY, ids.hole, ids.shape})
        if (id)
            ShowSizeField(*this, id, SetsPads());
    if (ids.width)
        ShowSizeField(*this, ids.width, SetsTracks());
}

void CSizeDlg::OnControlChanged(int id) {
    if (id == IDC_SIZE_UNIT) {
        ChangeSizeUnit(*this, Ids(), m_nUnit);
    } else if (id == IDC_SIZE_SCOPE) {
        const int sel = GetCurSel(IDC_SIZE_SCOPE);
        if (sel >= 0 && sel <= static_cast<int>(SizeScope::AllPads))
            m_nScope = static_cast<SizeScope>(sel);
        ShowFieldsOfScope();
    }
}

void CSizeDlg::OnOK() {
    // Nothing is taken until every field shown holds a size.
    std::optional<PadSize> pad = m_padSize;
    std::optional<TrackSize> track = m_trackSize;
    if (SetsPads() && !(pad = ReadPadSize(*this, Ids(), m_nUnit)))
        return;
    if (SetsTracks() && !(track = ReadTrackSize(*this, Ids(), m_nUnit)))
        return;
    m_padSize = *pad;
    m_trackSize = *track;
    g_nSizeUnit = m_nUnit;
    EndDialog(IDOK);
}
