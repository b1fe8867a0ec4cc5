// Placeholder until the operation guide lands; this file is removed then.
#include "board/dib_view.h"

void CDibView::OnHelpContents() {}
