// The parameter commands of the board view: the "Change Parameters" dialog
// (500) and the colour of the current layer (501).
#include "board/dib_view.h"
#include "board/param_dlg.h"
#include "platform/user_services.h"

namespace {
void RepaintAllViews() {
    for (CDibView* view : CDibView::AllViews())
        view->Invalidate(false);
}
} // namespace

void CDibView::OnChangeParameters() {
    CParamDlg dialog;
    if (dialog.DoModal() != IDOK)
        return;
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
