// The parameter commands of the board view: the "Change Parameters" dialog
// (500) and the colour of the current layer (501).
#include "board/dib_view.h"
#include "board/param_dlg.h"
#include "platform/document.h"
#include "platform/user_services.h"

namespace {
void RepaintAllViews() {
    for (CDibView* view : CDibView::AllViews())
        view->Invalidate(false);
}
} // namespace

// The dialog edits the scan lines of this view's document, shown and set
// as the current values.
void CDibView::OnChangeParameters() {
    const ScanLines before = GetScanLines();
    MakeScanLinesCurrent(before);
    CParamDlg dialog;
    if (dialog.DoModal() != IDOK)
        return;
    const ScanLines typed = CurrentScanLines();
    SetScanLines(typed);
    // Scan lines set by hand are kept for the scan's file; a dialog
    // confirmed for the pad radius alone sets none.
    if (typed != before)
        RememberScanLines(CScrollView::GetDocument(), typed);
    // Pads and tracks are redrawn with the new radius and width, in every
    // window, since every window draws with them.
    RepaintAllViews();
    Services().SetStatusPaneText(1, LayerName(g_nCurrentLayer));
}

void CDibView::OnLayerColor() {
    if (!IsValidLayer(g_nCurrentLayer))
        return;
    const auto color = Services().ChooseColor(g_crLayerColor[g_nCurrentLayer]);
    if (!color)
        return;
    g_crLayerColor[g_nCurrentLayer] = *color;
    RepaintAllViews();
}
