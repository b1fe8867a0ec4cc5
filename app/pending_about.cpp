// Placeholder until the About box lands; this file is removed then.
#include "app/trace_app.h"

#include "platform/user_services.h"

void CTraceApp::OnAppAbout() {
    Services().MessageBox("Pixboard file software, Version 2.0", "About TRACEVU",
                          MB_OK | MB_ICONINFORMATION);
}
