// State of a command's menu item or toolbar button, filled in by the
// command's update handler before the item is shown.
#pragma once

#include <string>

struct CCmdUI {
    unsigned id = 0;
    bool enabled = true;
    bool checked = false;
    // The menu text to show instead of the table's; empty keeps the table's.
    std::string text;
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(int check = 1) { checked = check != 0; }
    void SetText(std::string menuText) { text = std::move(menuText); }
};
