// The "Change Parameters" dialog: pad radius, scan resolution, line width,
// current layer and the size for new objects, all shared by every board view.
#pragma once

#include "board/size_fields.h"
#include "platform/dialog.h"

// The dialog's layout, in dialog units.
DialogTemplate ParamDialogTemplate();
SizeFieldIds NewSizeFieldIds();

class CParamDlg : public CDialog {
  public:
    // Starts from the current shared parameters.
    CParamDlg();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnControlChanged(int id) override;
    // Applies the parameters when every field holds a whole number and the
    // scan lines are positive; otherwise says why and stays open.
    void OnOK() override;

    int m_nPadRadiusX = 0;
    int m_nPadRadiusY = 0;
    int m_nScanLinesX = 0;
    int m_nLineWidth = 0;
    int m_nScanLinesY = 0;
    int m_nLayerIndex = 0; // list index: layer number - 1
    SizeUnit m_nSizeUnit = g_nSizeUnit;
};
