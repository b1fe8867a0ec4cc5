// Placeholders until the file exchange and parameter commands land; this
// file is removed then.
#include "board/dib_view.h"

void CDibView::OnSaveWork() {}
void CDibView::OnOpenWork() {}
void CDibView::OnSaveProtel() {}
void CDibView::OnOpenProtel() {}
void CDibView::OnChangeParameters() {}
void CDibView::OnLayerColor() {}
