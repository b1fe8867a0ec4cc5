#include "board/param_dlg.h"

#include "board/params.h"
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
    t.cy = 119;
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
    };
    return t;
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

void CParamDlg::OnOK() {
    // Nothing is applied until every field is valid, so a refused entry
    // never leaves the parameters half changed.
    if (!UpdateData(true))
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
    EndDialog(IDOK);
}
