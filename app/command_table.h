// Every command of the program in one table: identifier, name, menu texts,
// accelerator keys, toolbar position and the prompt shown in the status bar
// while the item or button is highlighted. The menus, the toolbar, the
// accelerators and the prompts are all built from this table.
#pragma once

#include "platform/types.h"
#include "res/resource.h"

#include <array>
#include <cstddef>
#include <string_view>

// Who handles a command when it reaches the command routing.
enum class Handler {
    View,        // the active board view's own command map
    Application, // the application object (New, Open, Print Setup, About, recent files)
    Document,    // the active document (Close, Save, Save As)
    Frame,       // the main frame (Window menu, toolbar and status bar toggles, Exit)
    Preview,     // the framework's print preview of the active view
    None,        // no handler: always greyed
};

struct CommandInfo {
    UINT id;
    std::string_view name;
    // Menu texts as stored: '&' marks the mnemonic, the text after '\t' is
    // the shortcut shown at the right. Empty when the command has no item in
    // that menu. Menu 2 is shown while no document is open, menu 3 while one is.
    std::string_view menu2Text;
    std::string_view menu3Text;
    // Accelerator keys in Qt's portable key-sequence form.
    std::array<std::string_view, 2> keys;
    int button; // toolbar position 1 to 23; 0 when the command has no button
    std::string_view prompt;
    Handler handler;
};

inline constexpr std::size_t kToolbarEntryCount = 23;
inline constexpr std::size_t kRecentFileCount = 4;

// clang-format off
inline constexpr CommandInfo kCommands[] = {
    {ID_PARAMETERS, "ID_PARAMETERS", "", "", {}, 11, "Change parameters", Handler::View},
    {ID_LAYER_COLOR, "ID_LAYER_COLOR", "", "", {}, 12, "Change layers' line color.", Handler::View},
    {ID_MEASURE_SCALE, "ID_MEASURE_SCALE", "", "Measure &Scale...", {}, 13,
     "Set the scan lines from a distance you know: click its two ends", Handler::View},
    {ID_VIEW_ZOOM_IN, "ID_VIEW_ZOOM_IN", "", "Zoom &In\tPage Up", {}, 0,
     "Zoom in, keeping the point under the pointer in place", Handler::View},
    {ID_VIEW_ZOOM_OUT, "ID_VIEW_ZOOM_OUT", "", "Zoom &Out\tPage Down", {}, 0,
     "Zoom out, keeping the point under the pointer in place", Handler::View},
    {ID_VIEW_ZOOM_FIT, "ID_VIEW_ZOOM_FIT", "", "Zoom to &Fit\tHome", {"Home"}, 0,
     "Show the whole scan", Handler::View},
    {ID_VIEW_ACTUAL_PIXELS, "ID_VIEW_ACTUAL_PIXELS", "", "&Actual Pixels\tCtrl+1", {"Ctrl+1"}, 0,
     "Show one scan pixel on each screen pixel", Handler::View},
    {ID_VIEW_NAVIGATOR, "ID_VIEW_NAVIGATOR", "", "&Navigator", {}, 0,
     "Show or hide the overview of the whole scan", Handler::Frame},
    {ID_VIEW_REAL_SIZES, "ID_VIEW_REAL_SIZES", "", "Show &Real Sizes", {}, 0,
     "Draw every pad and track at its own size, to match it against the scan", Handler::Frame},
    {ID_EDIT_PROPERTIES, "ID_EDIT_PROPERTIES", "", "&Properties...\tAlt+Return", {"Alt+Return"}, 0,
     "Set the size of the pad or track under the pointer, or of all objects in select-all mode",
     Handler::View},
    {ID_EDIT_PICK_UP_SIZE, "ID_EDIT_PICK_UP_SIZE", "", "Pick &Up Size\tI", {"I"}, 0,
     "Take the size of the pad or track under the pointer for new objects; Alt+click does the same",
     Handler::View},
    {ID_OPEN_OTHER_SIDE, "ID_OPEN_OTHER_SIDE", "", "Open Other Si&de...", {}, 0,
     "Open the scan of the board's other side, shown mirrored until it is registered", Handler::View},
    {ID_REGISTER_OTHER_SIDE, "ID_REGISTER_OTHER_SIDE", "", "Regis&ter Other Side...", {}, 0,
     "Click matching points on both sides, front then back, to lay the other side on this one",
     Handler::View},
    {ID_REMOVE_OTHER_SIDE, "ID_REMOVE_OTHER_SIDE", "", "Remove Ot&her Side", {}, 0,
     "Take the other side's scan out of this board", Handler::View},
    {ID_OTHER_SIDE_MIRROR_LR, "ID_OTHER_SIDE_MIRROR_LR", "", "&Left to Right", {}, 0,
     "Show the unregistered other side mirrored left to right", Handler::View},
    {ID_OTHER_SIDE_MIRROR_TB, "ID_OTHER_SIDE_MIRROR_TB", "", "Top to &Bottom", {}, 0,
     "Show the unregistered other side mirrored top to bottom", Handler::View},
    {ID_OTHER_SIDE_MIRROR_NONE, "ID_OTHER_SIDE_MIRROR_NONE", "", "&Unmirrored", {}, 0,
     "Show the unregistered other side as it was scanned", Handler::View},
    {ID_VIEW_SWITCH_SIDE, "ID_VIEW_SWITCH_SIDE", "", "Show Ot&her Side\tTab", {"Tab"}, 0,
     "Switch between this side and the other side of the board", Handler::View},
    {ID_VIEW_XRAY, "ID_VIEW_XRAY", "", "&X-ray\tShift+X", {"Shift+X"}, 0,
     "Show the other side through this one", Handler::View},
    {ID_VIEW_XRAY_MORE, "ID_VIEW_XRAY_MORE", "", "X-ray Stronger\t]", {"]"}, 0,
     "Show more of the other side in the x-ray", Handler::View},
    {ID_VIEW_XRAY_LESS, "ID_VIEW_XRAY_LESS", "", "X-ray Weaker\t[", {"["}, 0,
     "Show less of the other side in the x-ray", Handler::View},
    {ID_VIEW_SIDE_SELECTS_LAYER, "ID_VIEW_SIDE_SELECTS_LAYER", "", "Side Selects La&yer", {}, 0,
     "Make Bottom Layer current on the back and Top Layer on the front", Handler::Frame},
    {ID_SAVE_PROJECT, "ID_SAVE_PROJECT", "", "Save &Project", {}, 0,
     "Save both scans, their registration, the board and the view in a project file", Handler::View},
    {ID_OPEN_PROJECT, "ID_OPEN_PROJECT", "Open Pro&ject...", "Open Pro&ject...", {}, 0,
     "Open a project: its scans, their registration, the board and the view", Handler::Application},
    {ID_SAVE_PROJECT_AS, "ID_SAVE_PROJECT_AS", "", "Save Project As...", {}, 0,
     "Save the project in a new project file", Handler::View},
    {ID_PAD_MODE, "ID_PAD_MODE", "", "", {}, 16, "draw pads mode.", Handler::View},
    {ID_LINE_MODE, "ID_LINE_MODE", "", "", {}, 15, "draw lines mode.", Handler::View},
    {ID_SAVE_WORK, "ID_SAVE_WORK", "", "&Save Work File\tCtrl+S", {"Ctrl+S"}, 20,
     "Save pads and lines information.", Handler::View},
    {ID_OPEN_WORK, "ID_OPEN_WORK", "", "Open &Work File...", {}, 19,
     "Open pads and lines information.", Handler::View},
    {ID_COMPONENT_MARK, "ID_COMPONENT_MARK", "", "", {}, 17, "Place component mark.", Handler::View},
    {ID_OPEN_PROTEL, "ID_OPEN_PROTEL", "", "&Import Protel...", {}, 22,
     "Open protel format file.", Handler::View},
    {ID_SAVE_WORK_AS, "ID_SAVE_WORK_AS", "", "Save Work File &As...", {}, 0,
     "Save pads and lines information in a new work file.", Handler::View},
    {ID_TOGGLE_UNITS, "ID_TOGGLE_UNITS", "", "To&ggle Units", {}, 0,
     "Toggle units display bettwen mm and inch.", Handler::View},
    {ID_SELECT_ALL, "ID_SELECT_ALL", "", "S&elect all\tCtrl+A", {"Ctrl+A"}, 0,
     "Select all lines and pads", Handler::View},
    {ID_LAYER_MID1, "ID_LAYER_MID1", "", "1 Mid Layer", {}, 0, "", Handler::View},
    {ID_LAYER_TOP, "ID_LAYER_TOP", "", "Top Layer", {}, 0, "", Handler::View},
    {ID_LAYER_MID2, "ID_LAYER_MID2", "", "2 Mid Layer", {}, 0, "", Handler::View},
    {ID_LAYER_MID3, "ID_LAYER_MID3", "", "3 Mid Layer", {}, 0, "", Handler::View},
    {ID_LAYER_MID4, "ID_LAYER_MID4", "", "4 Mid Layer", {}, 0, "", Handler::View},
    {ID_LAYER_BOTTOM, "ID_LAYER_BOTTOM", "", "Bottom Layer", {}, 0, "", Handler::View},
    {ID_LAYER_TOP_OVERLAY, "ID_LAYER_TOP_OVERLAY", "", "Top Overlay", {}, 0, "", Handler::View},
    {ID_LAYER_GROUND, "ID_LAYER_GROUND", "", "Ground Plane", {}, 0, "", Handler::View},
    {ID_LAYER_POWER, "ID_LAYER_POWER", "", "Power Plane", {}, 0, "", Handler::View},
    {ID_LAYER_BOARD, "ID_LAYER_BOARD", "", "Board Layer", {}, 0, "", Handler::View},
    {ID_LAYER_KEEPOUT, "ID_LAYER_KEEPOUT", "", "Keep Out Layer", {}, 0, "", Handler::View},
    {ID_LAYER_BOTTOM_OVERLAY, "ID_LAYER_BOTTOM_OVERLAY", "", "Bottom Overlay", {}, 0, "", Handler::View},
    {ID_TRACK_MODE, "ID_TRACK_MODE", "", "Track Mode", {}, 0, "Select track mode", Handler::View},
    {ID_VIEW_SNAP_TO_PADS, "ID_VIEW_SNAP_TO_PADS", "", "Snap to &Pads", {}, 0,
     "Put track ends that fall on a pad exactly on its centre", Handler::Frame},
    {ID_MOVE_STATUS, "ID_MOVE_STATUS", "", "&Move Status\tCtrl+M", {"Ctrl+M"}, 0,
     "Enter into move status,then you can move any object, lines or pads", Handler::View},
    {ID_HELP_CONTENTS, "ID_HELP_CONTENTS", "", "Contents\tF1", {"F1"}, 0,
     "Show the operation guide", Handler::View},
    {ID_FILE_NEW, "ID_FILE_NEW", "&New\tCtrl+N", "&New\tCtrl+N", {"Ctrl+N"}, 1,
     "Create a new document", Handler::Application},
    {ID_FILE_OPEN, "ID_FILE_OPEN", "&Open...\tCtrl+O", "&Open...\tCtrl+O", {"Ctrl+O"}, 2,
     "Open an existing document", Handler::Application},
    {ID_FILE_CLOSE, "ID_FILE_CLOSE", "", "&Close", {}, 0, "Close the active document",
     Handler::Document},
    {ID_FILE_SAVE, "ID_FILE_SAVE", "", "Save I&mage", {}, 3,
     "Save the active document's image", Handler::Document},
    {ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "", "Save Ima&ge As...", {}, 0,
     "Save the active document's image with a new name", Handler::Document},
    {ID_FILE_PRINT_SETUP, "ID_FILE_PRINT_SETUP", "P&rint Setup...", "P&rint Setup...", {}, 0,
     "Change the printer and printing options", Handler::Application},
    {ID_FILE_PRINT, "ID_FILE_PRINT", "", "&Export Protel...\tCtrl+P", {"Ctrl+P"}, 23,
     "Save protel format file.", Handler::View},
    {ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", "", "Print Pre&view", {}, 0,
     "Display full pages", Handler::Preview},
    {ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", "Recent File", "Recent File", {}, 0,
     "Open this document", Handler::Application},
    {ID_FILE_MRU_FILE2, "ID_FILE_MRU_FILE2", "", "", {}, 0, "Open this document",
     Handler::Application},
    {ID_FILE_MRU_FILE3, "ID_FILE_MRU_FILE3", "", "", {}, 0, "Open this document",
     Handler::Application},
    {ID_FILE_MRU_FILE4, "ID_FILE_MRU_FILE4", "", "", {}, 0, "Open this document",
     Handler::Application},
    {ID_EDIT_COPY, "ID_EDIT_COPY", "", "", {"Ctrl+C", "Ctrl+Insert"}, 6,
     "Copy the selection and puts it on the Clipboard", Handler::View},
    {ID_EDIT_CUT, "ID_EDIT_CUT", "", "", {"Ctrl+X", "Shift+Delete"}, 5,
     "Delete the pad or track under the pointer", Handler::View},
    {ID_EDIT_PASTE, "ID_EDIT_PASTE", "", "", {"Ctrl+V", "Shift+Insert"}, 7,
     "Insert Clipboard contents", Handler::View},
    {ID_EDIT_UNDO, "ID_EDIT_UNDO", "", "&Undo\tCtrl+Z", {"Ctrl+Z", "Alt+Backspace"}, 0,
     "Undo the last action", Handler::View},
    {ID_EDIT_REDO, "ID_EDIT_REDO", "", "&Redo\tCtrl+Y", {"Ctrl+Y", "Ctrl+Shift+Z"}, 0,
     "Redo the last action undone", Handler::View},
    {ID_WINDOW_NEW, "ID_WINDOW_NEW", "", "&New Window", {}, 0,
     "Open another window for the active document", Handler::Frame},
    {ID_WINDOW_ARRANGE, "ID_WINDOW_ARRANGE", "", "&Arrange Icons", {}, 0,
     "Arrange icons at the bottom of the window", Handler::Frame},
    {ID_WINDOW_CASCADE, "ID_WINDOW_CASCADE", "", "&Cascade", {}, 0,
     "Arrange windows so they overlap", Handler::Frame},
    {ID_WINDOW_TILE_HORZ, "ID_WINDOW_TILE_HORZ", "", "&Tile", {}, 0,
     "Arrange windows as non-overlapping tiles", Handler::Frame},
    {ID_APP_ABOUT, "ID_APP_ABOUT", "&About TRACEVU...", "&About TRACEVU...", {}, 9,
     "Display program information, version number and copyright", Handler::Application},
    {ID_APP_EXIT, "ID_APP_EXIT", "E&xit", "E&xit", {}, 0,
     "Quit the application; prompts to save documents", Handler::Frame},
    {ID_NEXT_PANE, "ID_NEXT_PANE", "", "", {"F6"}, 0, "Switch to the next window pane",
     Handler::None},
    {ID_PREV_PANE, "ID_PREV_PANE", "", "", {"Shift+F6"}, 0,
     "Switch back to the previous window pane", Handler::None},
    {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "&Toolbar", "Tool&bar", {}, 0,
     "Show or hide the toolbar", Handler::Frame},
    {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "&Status Bar", "Stat&us Bar", {}, 0,
     "Show or hide the status bar", Handler::Frame},
};
// clang-format on

constexpr const CommandInfo* FindCommand(UINT id) {
    for (const CommandInfo& command : kCommands)
        if (command.id == id)
            return &command;
    return nullptr;
}

// The toolbar from left to right: the command of each position, 0 for a
// separator (a position no command takes).
constexpr std::array<UINT, kToolbarEntryCount> ToolbarLayout() {
    std::array<UINT, kToolbarEntryCount> layout{};
    for (const CommandInfo& command : kCommands)
        if (command.button >= 1 && command.button <= static_cast<int>(kToolbarEntryCount))
            layout[static_cast<std::size_t>(command.button - 1)] = command.id;
    return layout;
}

// Menus, top to bottom. A popup opens with PopupBegin (its title in text)
// and closes with PopupEnd; Command entries take their text from the table.
enum class MenuEntryKind { Command, Separator, PopupBegin, PopupEnd };

struct MenuEntry {
    MenuEntryKind kind;
    UINT id = 0;
    std::string_view text = {};
};

namespace menu_detail {
constexpr MenuEntry Popup(std::string_view title) {
    return {MenuEntryKind::PopupBegin, 0, title};
}
constexpr MenuEntry End() {
    return {MenuEntryKind::PopupEnd};
}
constexpr MenuEntry Sep() {
    return {MenuEntryKind::Separator};
}
constexpr MenuEntry Cmd(UINT id) {
    return {MenuEntryKind::Command, id};
}
} // namespace menu_detail

// Menu 2: no document open.
inline constexpr MenuEntry kMenuNoDocument[] = {
    menu_detail::Popup("&File"),
    menu_detail::Cmd(ID_FILE_NEW),
    menu_detail::Cmd(ID_FILE_OPEN),
    menu_detail::Cmd(ID_OPEN_PROJECT),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_FILE_PRINT_SETUP),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_FILE_MRU_FILE1),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_APP_EXIT),
    menu_detail::End(),
    menu_detail::Popup("&View"),
    menu_detail::Cmd(ID_VIEW_TOOLBAR),
    menu_detail::Cmd(ID_VIEW_STATUS_BAR),
    menu_detail::End(),
    menu_detail::Popup("&Help"),
    menu_detail::Cmd(ID_APP_ABOUT),
    menu_detail::End(),
};

// Menu 3: a document open.
inline constexpr MenuEntry kMenuDocument[] = {
    menu_detail::Popup("&File"),
    menu_detail::Cmd(ID_FILE_NEW),
    menu_detail::Cmd(ID_FILE_OPEN),
    menu_detail::Cmd(ID_FILE_CLOSE),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_OPEN_PROJECT),
    menu_detail::Cmd(ID_SAVE_PROJECT),
    menu_detail::Cmd(ID_SAVE_PROJECT_AS),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_OPEN_WORK),
    menu_detail::Cmd(ID_SAVE_WORK),
    menu_detail::Cmd(ID_SAVE_WORK_AS),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_OPEN_PROTEL),
    menu_detail::Cmd(ID_FILE_PRINT),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_OPEN_OTHER_SIDE),
    menu_detail::Cmd(ID_REGISTER_OTHER_SIDE),
    menu_detail::Popup("&Flip Other Side"),
    menu_detail::Cmd(ID_OTHER_SIDE_MIRROR_LR),
    menu_detail::Cmd(ID_OTHER_SIDE_MIRROR_TB),
    menu_detail::Cmd(ID_OTHER_SIDE_MIRROR_NONE),
    menu_detail::End(),
    menu_detail::Cmd(ID_REMOVE_OTHER_SIDE),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_FILE_SAVE),
    menu_detail::Cmd(ID_FILE_SAVE_AS),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_FILE_PRINT_PREVIEW),
    menu_detail::Cmd(ID_FILE_PRINT_SETUP),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_FILE_MRU_FILE1),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_APP_EXIT),
    menu_detail::End(),
    menu_detail::Popup("&Edit"),
    menu_detail::Cmd(ID_EDIT_UNDO),
    menu_detail::Cmd(ID_EDIT_REDO),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_SELECT_ALL),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_MOVE_STATUS),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_EDIT_PROPERTIES),
    menu_detail::Cmd(ID_EDIT_PICK_UP_SIZE),
    menu_detail::End(),
    menu_detail::Popup("&View"),
    menu_detail::Cmd(ID_VIEW_TOOLBAR),
    menu_detail::Cmd(ID_VIEW_STATUS_BAR),
    menu_detail::Cmd(ID_VIEW_NAVIGATOR),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_VIEW_ZOOM_IN),
    menu_detail::Cmd(ID_VIEW_ZOOM_OUT),
    menu_detail::Cmd(ID_VIEW_ZOOM_FIT),
    menu_detail::Cmd(ID_VIEW_ACTUAL_PIXELS),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_VIEW_SWITCH_SIDE),
    menu_detail::Cmd(ID_VIEW_XRAY),
    menu_detail::Cmd(ID_VIEW_XRAY_MORE),
    menu_detail::Cmd(ID_VIEW_XRAY_LESS),
    menu_detail::Cmd(ID_VIEW_SIDE_SELECTS_LAYER),
    menu_detail::Sep(),
    menu_detail::Cmd(ID_VIEW_REAL_SIZES),
    menu_detail::Cmd(ID_TOGGLE_UNITS),
    menu_detail::Cmd(ID_MEASURE_SCALE),
    menu_detail::Popup("Toggle &Layers"),
    menu_detail::Cmd(ID_LAYER_TOP),
    menu_detail::Cmd(ID_LAYER_MID1),
    menu_detail::Cmd(ID_LAYER_MID2),
    menu_detail::Cmd(ID_LAYER_MID3),
    menu_detail::Cmd(ID_LAYER_MID4),
    menu_detail::Cmd(ID_LAYER_BOTTOM),
    menu_detail::Cmd(ID_LAYER_TOP_OVERLAY),
    menu_detail::Cmd(ID_LAYER_BOTTOM_OVERLAY),
    menu_detail::Cmd(ID_LAYER_GROUND),
    menu_detail::Cmd(ID_LAYER_POWER),
    menu_detail::Cmd(ID_LAYER_BOARD),
    menu_detail::Cmd(ID_LAYER_KEEPOUT),
    menu_detail::End(),
    menu_detail::Cmd(ID_TRACK_MODE),
    menu_detail::Cmd(ID_VIEW_SNAP_TO_PADS),
    menu_detail::End(),
    menu_detail::Popup("&Window"),
    menu_detail::Cmd(ID_WINDOW_NEW),
    menu_detail::Cmd(ID_WINDOW_CASCADE),
    menu_detail::Cmd(ID_WINDOW_TILE_HORZ),
    menu_detail::Cmd(ID_WINDOW_ARRANGE),
    menu_detail::End(),
    menu_detail::Popup("&Help"),
    menu_detail::Cmd(ID_HELP_CONTENTS),
    menu_detail::Cmd(ID_APP_ABOUT),
    menu_detail::End(),
};

// Texts of the application and its documents.
inline constexpr std::string_view kMainFrameTitle = "Quarzline";
inline constexpr std::string_view kAppName = "TRACEVU Application";
inline constexpr std::string_view kIdleMessage = "Ready";
// The message pane's idle text while the empty window of a fresh start is shown.
inline constexpr std::string_view kStartPrompt = "Open a scan with Ctrl+O, or drop one here";
// The document string: title, document name, name for New, filter name,
// filter extension, shell type id, shell type name, and two fields carried
// as stored.
inline constexpr std::string_view kDocString =
    "\nDib\nTRACEVU Document\nImage Files (*.bmp)\n.bmp\nDibFileType\nTRACEVU File Type\nDIB "
    "\nDevice-Independent Bitmap\n";
inline constexpr std::string_view kIndicatorCaps = "CAP";
inline constexpr std::string_view kIndicatorNum = "NUM";
inline constexpr std::string_view kIndicatorScroll = "SCRL";

// Field `index` of the document string (0 to 8); empty past the last field.
constexpr std::string_view DocStringField(std::size_t index) {
    std::string_view rest = kDocString;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t newline = rest.find('\n');
        if (newline == std::string_view::npos)
            return {};
        rest.remove_prefix(newline + 1);
    }
    return rest.substr(0, rest.find('\n'));
}

// Tool tips of the toolbar buttons, the button's name, and of the menu
// items of the tracing's files.
struct ButtonTip {
    UINT id;
    std::string_view tip;
};
inline constexpr ButtonTip kButtonTips[] = {
    {ID_FILE_NEW, "New"},
    {ID_FILE_OPEN, "Open"},
    {ID_FILE_SAVE, "Save image"},
    {ID_EDIT_CUT, "Cut"},
    {ID_EDIT_COPY, "Copy"},
    {ID_EDIT_PASTE, "Paste"},
    {ID_APP_ABOUT, "About"},
    {ID_PARAMETERS, "Change parameters"},
    {ID_LAYER_COLOR, "Layer line colour"},
    {ID_MEASURE_SCALE, "Measure scale"},
    {ID_LINE_MODE, "Line mode"},
    {ID_PAD_MODE, "Pad mode"},
    {ID_COMPONENT_MARK, "Component mark"},
    {ID_OPEN_WORK, "Open work file"},
    {ID_SAVE_WORK, "Save work file"},
    {ID_SAVE_WORK_AS, "Save work file as"},
    {ID_OPEN_PROTEL, "Open Protel file"},
    {ID_FILE_PRINT, "Save Protel file"},
};

constexpr std::string_view ButtonTipOf(UINT id) {
    for (const ButtonTip& entry : kButtonTips)
        if (entry.id == id)
            return entry.tip;
    return {};
}
