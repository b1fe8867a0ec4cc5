#include "cli/console_services.h"

#include <cstdio>

ConsoleServices::ConsoleServices() {
    m_previous = SetServices(this);
}

ConsoleServices::~ConsoleServices() {
    SetServices(m_previous);
}

int ConsoleServices::MessageBox(const std::string& text, const std::string&, UINT type) {
    std::fprintf(stderr, "tracevu-cli: %s\n", text.c_str());
    const UINT buttons = type & MB_BUTTONS_MASK;
    if (buttons == MB_OK)
        return IDOK;
    return buttons == MB_OKCANCEL ? IDCANCEL : IDNO;
}
