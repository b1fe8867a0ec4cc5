// The size dialog: the real size of one pad or track, or in select-all mode
// of all objects, all pads or the tracks of the current layer.
#pragma once

#include "board/board_types.h"
#include "board/size_fields.h"
#include "platform/dialog.h"

enum class SizeTarget { Pad, Track, All };
// What the select-all dialog sets, by list index.
enum class SizeScope { AllObjects = 0, CurrentLayerTracks = 1, AllPads = 2 };

DialogTemplate SizeDialogTemplate(SizeTarget target);

class CSizeDlg : public CDialog {
  public:
    CSizeDlg(SizeTarget target, PadSize pad, TrackSize track);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnControlChanged(int id) override;

    SizeTarget m_nTarget;
    SizeScope m_nScope = SizeScope::AllObjects;
    PadSize m_padSize;
    TrackSize m_trackSize;
    SizeUnit m_nUnit = g_nSizeUnit;

  private:
    void ShowFieldsOfScope();
    bool SetsPads() const;
    bool SetsTracks() const;
    SizeFieldIds Ids() const;
};
