// The view's command map: which handler runs for each command id, and the
// update handlers that set check marks and enabling.
#include "board/dib_view.h"
#include "board/mode_status.h"
#include "board/view_edit.h"
#include "board/view_sides.h"

#include "res/resource.h"

namespace {
// Toggle Layers commands and the layer number each one shows or hides.
struct LayerCommand {
    UINT id;
    int layer;
};
constexpr LayerCommand kLayerCommands[] = {
    {ID_LAYER_TOP, 1},           {ID_LAYER_MID1, 2},    {ID_LAYER_MID2, 3},
    {ID_LAYER_MID3, 4},          {ID_LAYER_MID4, 5},    {ID_LAYER_BOTTOM, 6},
    {ID_LAYER_TOP_OVERLAY, 7},   {ID_LAYER_BOTTOM_OVERLAY, 8}, {ID_LAYER_GROUND, 9},
    {ID_LAYER_POWER, 10},        {ID_LAYER_BOARD, 11},  {ID_LAYER_KEEPOUT, 12},
};

int LayerOfCommand(UINT id) {
    for (const LayerCommand& c : kLayerCommands)
        if (c.id == id)
            return c.layer;
    return 0;
}
} // namespace

bool CDibView::OnCommand(UINT id) {
    switch (id) {
    case ID_PARAMETERS: OnChangeParameters(); return true;
    case ID_LAYER_COLOR: OnLayerColor(); return true;
    case ID_PAD_MODE: OnPadMode(); return true;
    case ID_LINE_MODE: OnLineMode(); return true;
    case ID_SAVE_WORK: OnSaveWork(); return true;
    case ID_SAVE_WORK_AS: OnSaveWorkAs(); return true;
    case ID_OPEN_WORK: OnOpenWork(); return true;
    case ID_COMPONENT_MARK: OnComponentMark(); return true;
    case ID_OPEN_PROTEL: OnOpenProtel(); return true;
    case ID_TOGGLE_UNITS: OnToggleUnits(); return true;
    case ID_SELECT_ALL: OnSelectAll(); return true;
    case ID_TRACK_MODE: OnTrackMode(); return true;
    case ID_MOVE_STATUS: OnMoveStatus(); return true;
    case ID_HELP_CONTENTS: OnHelpContents(); return true;
    case ID_FILE_PRINT: OnSaveProtel(); return true;
    case ID_EDIT_COPY: OnEditCopy(); return true;
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_EDIT_UNDO: OnEditUndo(); return true;
    case ID_EDIT_REDO: OnEditRedo(); return true;
    case ID_EDIT_CUT: OnEditDelete(); return true;
    case ID_MEASURE_SCALE: OnMeasureScale(); return true;
    case ID_VIEW_ZOOM_IN: OnZoomIn(); return true;
    case ID_VIEW_ZOOM_OUT: OnZoomOut(); return true;
    case ID_VIEW_ZOOM_FIT: OnZoomToFit(); return true;
    case ID_VIEW_ACTUAL_PIXELS: OnActualPixels(); return true;
    case ID_EDIT_PROPERTIES: OnObjectProperties(); return true;
    case ID_EDIT_PICK_UP_SIZE: OnPickUpSize(); return true;
    case ID_OPEN_OTHER_SIDE: OnOpenOtherSide(); return true;
    case ID_SAVE_PROJECT: OnSaveProject(); return true;
    case ID_SAVE_PROJECT_AS: OnSaveProjectAs(); return true;
    case ID_REMOVE_OTHER_SIDE: OnRemoveOtherSide(); return true;
    case ID_REGISTER_OTHER_SIDE: OnRegisterOtherSide(); return true;
    case ID_OTHER_SIDE_MIRROR_LR: SetOtherSideMirror(registration::Mirror::LeftRight); return true;
    case ID_OTHER_SIDE_MIRROR_TB: SetOtherSideMirror(registration::Mirror::TopBottom); return true;
    case ID_OTHER_SIDE_MIRROR_NONE: SetOtherSideMirror(registration::Mirror::None); return true;
    case ID_VIEW_SWITCH_SIDE: OnSwitchSide(); return true;
    case ID_VIEW_XRAY: OnToggleXRay(); return true;
    case ID_VIEW_XRAY_MORE: ChangeXRayOpacity(1); return true;
    case ID_VIEW_XRAY_LESS: ChangeXRayOpacity(-1); return true;
    default:
        break;
    }
    if (const int layer = LayerOfCommand(id)) {
        OnToggleLayer(layer);
        return true;
    }
    return false;
}

bool CDibView::OnUpdateCommand(UINT id, CCmdUI* ui) {
    switch (id) {
    case ID_EDIT_COPY: OnUpdateEditCopy(ui); return true;
    case ID_EDIT_PASTE: OnUpdateEditPaste(ui); return true;
    case ID_EDIT_UNDO: OnUpdateEditUndo(ui); return true;
    case ID_EDIT_REDO: OnUpdateEditRedo(ui); return true;
    case ID_EDIT_CUT: ui->Enable(!IsBoardEmpty()); return true;
    case ID_FILE_PRINT_PREVIEW: ui->Enable(OnPreparePrinting()); return true;
    case ID_VIEW_ZOOM_IN: ui->Enable(board::CanZoomIn(*this)); return true;
    case ID_VIEW_ZOOM_OUT: ui->Enable(board::CanZoomOut(*this)); return true;
    case ID_VIEW_ACTUAL_PIXELS: ui->SetCheck(m_nScale == 1); ui->Enable(true); return true;
    case ID_VIEW_ZOOM_FIT: ui->Enable(true); return true;
    case ID_EDIT_PROPERTIES: ui->Enable(CanShowProperties() && !IsBoardEmpty()); return true;
    case ID_EDIT_PICK_UP_SIZE: ui->Enable(!IsBoardEmpty()); return true;
    case ID_OPEN_OTHER_SIDE: ui->Enable(!IsRegistering()); return true;
    case ID_REMOVE_OTHER_SIDE: ui->Enable(HasOtherSide() && !IsRegistering()); return true;
    case ID_REGISTER_OTHER_SIDE: ui->Enable(HasOtherSide()); ui->SetCheck(IsRegistering()); return true;
    case ID_VIEW_SWITCH_SIDE: ui->Enable(HasOtherSide()); ui->SetCheck(m_Sides.back); return true;
    case ID_VIEW_XRAY: ui->Enable(HasOtherSide()); ui->SetCheck(m_Sides.xray); return true;
    case ID_VIEW_XRAY_MORE:
        ui->Enable(HasOtherSide() && m_Sides.opacity < SidesShown::kMostOpacity);
        return true;
    case ID_VIEW_XRAY_LESS:
        ui->Enable(HasOtherSide() && m_Sides.opacity > SidesShown::kLeastOpacity);
        return true;
    case ID_OTHER_SIDE_MIRROR_LR:
    case ID_OTHER_SIDE_MIRROR_TB:
    case ID_OTHER_SIDE_MIRROR_NONE: {
        const OtherSide* side = board::OtherSideOf(*this);
        const auto mirror = id == ID_OTHER_SIDE_MIRROR_LR   ? registration::Mirror::LeftRight
                            : id == ID_OTHER_SIDE_MIRROR_TB ? registration::Mirror::TopBottom
                                                            : registration::Mirror::None;
        ui->Enable(side != nullptr);
        ui->SetCheck(side && side->mirror == mirror);
        return true;
    }
    default:
        break;
    }
    if (const int layer = LayerOfCommand(id)) {
        OnUpdateToggleLayer(layer, ui);
        return true;
    }
    // The mode buttons are pressed, and the mode menu items checked, while on.
    switch (id) {
    case ID_PAD_MODE: ui->SetCheck(m_bPadMode); break;
    case ID_LINE_MODE: ui->SetCheck(board::IsLineMode(*this)); break;
    case ID_COMPONENT_MARK: ui->SetCheck(m_bMarkMode); break;
    case ID_SELECT_ALL: ui->SetCheck(m_bSelectAll); break;
    case ID_MOVE_STATUS: ui->SetCheck(m_bMoveMode); break;
    case ID_TRACK_MODE: ui->SetCheck(m_bFreeAngle); break;
    case ID_MEASURE_SCALE: ui->SetCheck(m_bMeasureMode); break;
    default: break;
    }
    // Every other command with a handler here is enabled while a view is active.
    switch (id) {
    case ID_PARAMETERS: case ID_LAYER_COLOR: case ID_PAD_MODE: case ID_LINE_MODE:
    case ID_SAVE_WORK: case ID_SAVE_WORK_AS: case ID_OPEN_WORK: case ID_COMPONENT_MARK: case ID_OPEN_PROTEL:
    case ID_TOGGLE_UNITS: case ID_SELECT_ALL: case ID_TRACK_MODE: case ID_MOVE_STATUS:
    case ID_HELP_CONTENTS: case ID_FILE_PRINT: case ID_MEASURE_SCALE:
    case ID_SAVE_PROJECT: case ID_SAVE_PROJECT_AS:
        ui->Enable(true);
        return true;
    default:
        return false;
    }
}
