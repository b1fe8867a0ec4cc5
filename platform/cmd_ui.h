// State of a command's menu item or toolbar button, filled in by the
// command's update handler before the item is shown.
#pragma once

struct CCmdUI {
    unsigned id = 0;
    bool enabled = true;
    bool checked = false;
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(int check = 1) { checked = check != 0; }
};
