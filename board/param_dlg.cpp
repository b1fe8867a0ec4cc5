#include "board/param_dlg.h"

#include "board/params.h"
#include "board/size_fields.h"
#include "platform/user_services.h"
#include "res/resource.h"

namespace {
DialogControl LayerList() {
    DialogControl list =
        MakeControl(IDC_CURRENT_LAYER, ControlKind::DropList, DluRect(66, 96, 65, 133));
    for (int layer = 1; layer <= kLayerCount; ++layer)
        list.items.emplace_back(LayerName(layer));
    return list;
}
} // namespace

DialogTemplate ParamDialogTemplate() {
    DialogTemplate t;
    t.id = IDD_PARAMETERS;
    t.title = "Change Parameters";
    t.cx = 208;
    t.fontName = "System";
    t.fontPoints = 10;
    // In tab order.
    t.controls = {
        MakeControl(IDOK, ControlKind::DefPushButton, DluRect(151, 7, 50, 14), "OK"),
        MakeControl(IDCANCEL, ControlKind::PushButton, DluRect(151, 24, 50, 14), "Cancel"),
        MakeControl(-1, ControlKind::RText, DluRect(13, 17, 48, 10), "Pad radius - X"),
        MakeControl(IDC_PAD_RADIUS_X, ControlKind::Edit, DluRect(66, 16, 40, 12)),
        MakeControl(-1, ControlKind::RText, DluRect(14, 33, 47, 10), "Pad radius - Y"),
        MakeControl(IDC_PAD_RADIUS_Y, ControlKind::Edit, DluRect(66, 32, 40, 12)),
        MakeControl(-1, ControlKind::RText, DluRect(7, 49, 54, 10), "Scan lines-X"),
        MakeControl(IDC_SCAN_LINES_X, ControlKind::Edit, DluRect(66, 48, 40, 12)),
        MakeControl(-1, ControlKind::RText, DluRect(7, 65, 54, 10), "Scan lines-Y"),
        MakeControl(IDC_SCAN_LINES_Y, ControlKind::Edit, DluRect(66, 64, 40, 12)),
        MakeControl(-1, ControlKind::RText, DluRect(21, 81, 40, 10), "Line Width"),
        MakeControl(IDC_LINE_WIDTH, ControlKind::Edit, DluRect(66, 80, 40, 12)),
        MakeControl(-1, ControlKind::LText, DluRect(16, 97, 45, 8), "Current Layer"),
        LayerList(),
        MakeControl(-1, ControlKind::LText, DluRect(7, 118, 120, 10), "Size for new objects"),
    };
    t.cy = AddSizeFields(t, NewSizeFieldIds(), 132) + 4;
    return t;
}

SizeFieldIds NewSizeFieldIds() {
    return {IDC_NEW_PAD_X,     IDC_NEW_PAD_Y,       IDC_NEW_HOLE,
            IDC_NEW_PAD_SHAPE, IDC_NEW_TRACK_WIDTH, IDC_NEW_SIZE_UNIT};
}

CParamDlg::CParamDlg()
    : CDialog(ParamDialogTemplate()), m_nPadRadiusX(g_nPadRadiusX), m_nPadRadiusY(g_nPadRadiusY),
      m_nScanLinesX(g_nScanLinesX), m_nLineWidth(g_nLineWidth), m_nScanLinesY(g_nScanLinesY),
      m_nLayerIndex(g_nCurrentLayer - 1) {}

void CParamDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_PAD_RADIUS_X, m_nPadRadiusX);
    DDX_Text(dx, IDC_PAD_RADIUS_Y, m_nPadRadiusY);
    DDX_Text(dx, IDC_SCAN_LINES_X, m_nScanLinesX);
    DDX_CBIndex(dx, IDC_CURRENT_LAYER, m_nLayerIndex);
    DDX_Text(dx, IDC_LINE_WIDTH, m_nLineWidth);
    DDX_Text(dx, IDC_SCAN_LINES_Y, m_nScanLinesY);
}

BOOL CParamDlg::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    ShowSizes(*this, NewSizeFieldIds(), g_NewPadSize, g_NewTrackSize, m_nSizeUnit);
    return result;
}

void CParamDlg::OnControlChanged(int id) {
    if (id == IDC_NEW_SIZE_UNIT)
        ChangeSizeUnit(*this, NewSizeFieldIds(), m_nSizeUnit);
}

void CParamDlg::OnOK() {
    // Nothing is applied until every field is valid, so a refused entry
    // never leaves the parameters half changed.
    if (!UpdateData(true))
        return;
    const std::optional<PadSize> padSize = ReadPadSize(*this, NewSizeFieldIds(), m_nSizeUnit);
    if (!padSize)
        return;
    const std::optional<TrackSize> trackSize = ReadTrackSize(*this, NewSizeFieldIds(), m_nSizeUnit);
    if (!trackSize)
        return;
    if (m_nScanLinesX <= 0 || m_nScanLinesY <= 0) {
        Services().MessageBox("Scan lines must be a whole number greater than 0.", "Quarzline",
                              MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(m_nScanLinesX <= 0 ? IDC_SCAN_LINES_X : IDC_SCAN_LINES_Y);
        return;
    }
    g_nScanLinesX = m_nScanLinesX;
    g_nScanLinesY = m_nScanLinesY;
    g_fMilPerPixelX = MilPerPixel(g_nScanLinesX);
    g_fMilPerPixelY = MilPerPixel(g_nScanLinesY);
    g_nPadRadiusX = m_nPadRadiusX;
    g_nPadRadiusY = m_nPadRadiusY;
    // A list without a selection (a layer outside the list) keeps the layer.
    if (m_nLayerIndex >= 0)
        g_nCurrentLayer = m_nLayerIndex + 1;
    g_nLineWidth = m_nLineWidth;
    g_NewPadSize = *padSize;
    g_NewTrackSize = *trackSize;
    g_nSizeUnit = m_nSizeUnit;
    EndDialog(IDOK);
}
