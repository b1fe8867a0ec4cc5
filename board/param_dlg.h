// The "Change Parameters" dialog: pad radius, scan resolution, line width
// and current layer, all shared by every board view.
#pragma once

#include "platform/dialog.h"

// The dialog's layout, in dialog units.
DialogTemplate ParamDialogTemplate();

class CParamDlg : public CDialog {
  public:
    // Starts from the current shared parameters.
    CParamDlg();

    void DoDataExchange(CDataExchange* dx) override;
    // Applies the parameters when every field holds a whole number and the
    // scan lines are positive; otherwise says why and stays open.
    void OnOK() override;

    int m_nPadRadiusX = 0;
    int m_nPadRadiusY = 0;
    int m_nScanLinesX = 0;
    int m_nLineWidth = 0;
    int m_nScanLinesY = 0;
    int m_nLayerIndex = 0; // list index: layer number - 1
};
