// The command table checked against the program's published command list,
// kept here as text in the list's own form and parsed, so that a slip in
// either copy shows up.
#include "app/command_table.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace {
// Id | Name | Menu item | Keys | Button | Prompt
const char* const kPublished = R"(
| 500 | `ID_PARAMETERS` | | | 11 | "Change parameters" |
| 501 | `ID_LAYER_COLOR` | | | 12 | "Change layers' line color." |
| 502 | `ID_PAD_MODE` | | | 16 | "draw pads mode." |
| 503 | `ID_LINE_MODE` | | | 15 | "draw lines mode." |
| 504 | `ID_SAVE_WORK` | menu 3 File: "&Save Work File\tCtrl+S" | Ctrl+S | 20 | "Save pads and lines information." |
| 505 | `ID_OPEN_WORK` | menu 3 File: "Open &Work File..." | | 19 | "Open pads and lines information." |
| 506 | `ID_COMPONENT_MARK` | | | 17 | "Place component mark." |
| 507 | `ID_OPEN_PROTEL` | menu 3 File: "&Import Protel..." | | 22 | "Open protel format file." |
| 508 | `ID_SAVE_WORK_AS` | menu 3 File: "Save Work File &As..." | | | "Save pads and lines information in a new work file." |
| 509 | `ID_MEASURE_SCALE` | menu 3 View: "Measure &Scale..." | | 13 | "Set the scan lines from a distance you know: click its two ends" |
| 510 | `ID_VIEW_ZOOM_IN` | menu 3 View: "Zoom &In\tPage Up" | | | "Zoom in, keeping the point under the pointer in place" |
| 511 | `ID_VIEW_ZOOM_OUT` | menu 3 View: "Zoom &Out\tPage Down" | | | "Zoom out, keeping the point under the pointer in place" |
| 512 | `ID_VIEW_ZOOM_FIT` | menu 3 View: "Zoom to &Fit\tHome" | Home | | "Show the whole scan" |
| 513 | `ID_VIEW_ACTUAL_PIXELS` | menu 3 View: "&Actual Pixels\tCtrl+1" | Ctrl+1 | | "Show one scan pixel on each screen pixel" |
| 514 | `ID_VIEW_NAVIGATOR` | menu 3 View: "&Navigator" | | | "Show or hide the overview of the whole scan" |
| 516 | `ID_VIEW_REAL_SIZES` | menu 3 View: "Show &Real Sizes" | | | "Draw every pad and track at its own size, to match it against the scan" |
| 517 | `ID_EDIT_PROPERTIES` | menu 3 Edit: "&Properties...\tAlt+Return" | Alt+Return | | "Set the size of the pad or track under the pointer, or of all objects in select-all mode" |
| 518 | `ID_EDIT_PICK_UP_SIZE` | menu 3 Edit: "Pick &Up Size\tI" | I | | "Take the size of the pad or track under the pointer for new objects; Alt+click does the same" |
| 515 | `ID_VIEW_SNAP_TO_PADS` | menu 3 View: "Snap to &Pads" | | | "Put track ends that fall on a pad exactly on its centre" |
| 530 | `ID_OPEN_OTHER_SIDE` | menu 3 File: "Open Other Si&de..." | | | "Open the scan of the board's other side, shown mirrored until it is registered" |
| 531 | `ID_REMOVE_OTHER_SIDE` | menu 3 File: "Remove Ot&her Side" | | | "Take the other side's scan out of this board" |
| 532 | `ID_REGISTER_OTHER_SIDE` | menu 3 File: "Regis&ter Other Side..." | | | "Click matching points on both sides, front then back, to lay the other side on this one" |
| 533 | `ID_OTHER_SIDE_MIRROR_LR` | menu 3 File, Flip Other Side: "&Left to Right" | | | "Show the unregistered other side mirrored left to right" |
| 534 | `ID_OTHER_SIDE_MIRROR_TB` | Flip Other Side: "Top to &Bottom" | | | "Show the unregistered other side mirrored top to bottom" |
| 535 | `ID_OTHER_SIDE_MIRROR_NONE` | Flip Other Side: "&Unmirrored" | | | "Show the unregistered other side as it was scanned" |
| 536 | `ID_VIEW_SWITCH_SIDE` | menu 3 View: "Show Ot&her Side\tTab" | Tab | | "Switch between this side and the other side of the board" |
| 537 | `ID_VIEW_XRAY` | menu 3 View: "&X-ray\tShift+X" | Shift+X | | "Show the other side through this one" |
| 538 | `ID_VIEW_XRAY_MORE` | menu 3 View: "X-ray Stronger\t]" | ] | | "Show more of the other side in the x-ray" |
| 539 | `ID_VIEW_XRAY_LESS` | menu 3 View: "X-ray Weaker\t[" | [ | | "Show less of the other side in the x-ray" |
| 540 | `ID_VIEW_SIDE_SELECTS_LAYER` | menu 3 View: "Side Selects La&yer" | | | "Make Bottom Layer current on the back and Top Layer on the front" |
| 541 | `ID_SAVE_PROJECT` | menu 3 File: "Save &Project" | | | "Save both scans, their registration, the board and the view in a project file" |
| 542 | `ID_OPEN_PROJECT` | menus 2, 3 File: "Open Pro&ject..." | | | "Open a project: its scans, their registration, the board and the view" |
| 543 | `ID_SAVE_PROJECT_AS` | menu 3 File: "Save Project As..." | | | "Save the project in a new project file" |
| 32770 | `ID_TOGGLE_UNITS` | menu 3 View: "To&ggle Units" | | | "Toggle units display bettwen mm and inch." |
| 32771 | `ID_SELECT_ALL` | menu 3 Edit: "S&elect all\tCtrl+A" | Ctrl+A | | "Select all lines and pads" |
| 32774 | `ID_LAYER_MID1` | menu 3 View, Toggle Layers: "1 Mid Layer" | | | |
| 32775 | `ID_LAYER_TOP` | Toggle Layers: "Top Layer" | | | |
| 32776 | `ID_LAYER_MID2` | Toggle Layers: "2 Mid Layer" | | | |
| 32777 | `ID_LAYER_MID3` | Toggle Layers: "3 Mid Layer" | | | |
| 32778 | `ID_LAYER_MID4` | Toggle Layers: "4 Mid Layer" | | | |
| 32779 | `ID_LAYER_BOTTOM` | Toggle Layers: "Bottom Layer" | | | |
| 32780 | `ID_LAYER_TOP_OVERLAY` | Toggle Layers: "Top Overlay" | | | |
| 32781 | `ID_LAYER_GROUND` | Toggle Layers: "Ground Plane" | | | |
| 32782 | `ID_LAYER_POWER` | Toggle Layers: "Power Plane" | | | |
| 32783 | `ID_LAYER_BOARD` | Toggle Layers: "Board Layer" | | | |
| 32784 | `ID_LAYER_KEEPOUT` | Toggle Layers: "Keep Out Layer" | | | |
| 32785 | `ID_LAYER_BOTTOM_OVERLAY` | Toggle Layers: "Bottom Overlay" | | | |
| 32786 | `ID_TRACK_MODE` | menu 3 View: "Track Mode" | | | "Select track mode" |
| 32787 | `ID_MOVE_STATUS` | menu 3 Edit: "&Move Status\tCtrl+M" | Ctrl+M | | "Enter into move status,then you can move any object, lines or pads" |
| 32788 | `ID_HELP_CONTENTS` | menu 3 Help: "Contents\tF1" | F1 | | "Show the operation guide" |
| 57600 | `ID_FILE_NEW` | menus 2, 3 File: "&New\tCtrl+N" | Ctrl+N | 1 | "Create a new document" |
| 57601 | `ID_FILE_OPEN` | menus 2, 3 File: "&Open...\tCtrl+O" | Ctrl+O | 2 | "Open an existing document" |
| 57602 | `ID_FILE_CLOSE` | menu 3 File: "&Close" | | | "Close the active document" |
| 57603 | `ID_FILE_SAVE` | menu 3 File: "Save I&mage" | | 3 | "Save the active document's image" |
| 57604 | `ID_FILE_SAVE_AS` | menu 3 File: "Save Ima&ge As..." | | | "Save the active document's image with a new name" |
| 57606 | `ID_FILE_PRINT_SETUP` | menus 2, 3 File: "P&rint Setup..." | | | "Change the printer and printing options" |
| 57607 | `ID_FILE_PRINT` | menu 3 File: "&Export Protel...\tCtrl+P" | Ctrl+P | 23 | "Save protel format file." |
| 57609 | `ID_FILE_PRINT_PREVIEW` | menu 3 File: "Print Pre&view" | | | "Display full pages" |
| 57616 | `ID_FILE_MRU_FILE1` | menus 2, 3 File: "Recent File" (greyed placeholder for the recent-file list) | | | "Open this document" (also 57617 to 57619) |
| 57634 | `ID_EDIT_COPY` | | Ctrl+C, Ctrl+Insert | 6 | "Copy the selection and puts it on the Clipboard" |
| 57635 | `ID_EDIT_CUT` | | Ctrl+X, Shift+Delete | 5 | "Delete the pad or track under the pointer" |
| 57637 | `ID_EDIT_PASTE` | | Ctrl+V, Shift+Insert | 7 | "Insert Clipboard contents" |
| 57643 | `ID_EDIT_UNDO` | menu 3 Edit: "&Undo\tCtrl+Z" | Ctrl+Z, Alt+Backspace | | "Undo the last action" |
| 57644 | `ID_EDIT_REDO` | menu 3 Edit: "&Redo\tCtrl+Y" | Ctrl+Y, Ctrl+Shift+Z | | "Redo the last action undone" |
| 57648 | `ID_WINDOW_NEW` | menu 3 Window: "&New Window" | | | "Open another window for the active document" |
| 57649 | `ID_WINDOW_ARRANGE` | menu 3 Window: "&Arrange Icons" | | | "Arrange icons at the bottom of the window" |
| 57650 | `ID_WINDOW_CASCADE` | menu 3 Window: "&Cascade" | | | "Arrange windows so they overlap" |
| 57651 | `ID_WINDOW_TILE_HORZ` | menu 3 Window: "&Tile" | | | "Arrange windows as non-overlapping tiles" |
| 57664 | `ID_APP_ABOUT` | menus 2, 3 Help: "&About TRACEVU..." | | 9 | "Display program information, version number and copyright" |
| 57665 | `ID_APP_EXIT` | menus 2, 3 File: "E&xit" | | | "Quit the application; prompts to save documents" |
| 57680 | `ID_NEXT_PANE` | | F6 | | "Switch to the next window pane" |
| 57681 | `ID_PREV_PANE` | | Shift+F6 | | "Switch back to the previous window pane" |
| 59392 | `ID_VIEW_TOOLBAR` | menu 2 View: "&Toolbar"; menu 3 View: "Tool&bar" | | | "Show or hide the toolbar" |
| 59393 | `ID_VIEW_STATUS_BAR` | menu 2 View: "&Status Bar"; menu 3 View: "Stat&us Bar" | | | "Show or hide the status bar" |
)";

struct PublishedRow {
    UINT id = 0;
    std::string name;
    std::string menu2;
    std::string menu3;
    std::vector<std::string> keys;
    int button = 0;
    std::string prompt;
};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Unescape(std::string text) {
    for (std::size_t at; (at = text.find("\\t")) != std::string::npos;)
        text.replace(at, 2, "\t");
    return text;
}

std::string FirstQuoted(const std::string& text) {
    const auto open = text.find('"');
    if (open == std::string::npos)
        return {};
    return Unescape(text.substr(open + 1, text.find('"', open + 1) - open - 1));
}

// "menus 2, 3 File: "x"", "menu 3 ...: "x"", "Toggle Layers: "x"" and
// "menu 2 View: "a"; menu 3 View: "b"".
void ParseMenus(const std::string& cell, PublishedRow& row) {
    if (cell.empty())
        return;
    const auto split = cell.find("; menu 3");
    if (split != std::string::npos) {
        row.menu2 = FirstQuoted(cell.substr(0, split));
        row.menu3 = FirstQuoted(cell.substr(split));
        return;
    }
    const std::string text = FirstQuoted(cell);
    if (cell.rfind("menus 2, 3", 0) == 0)
        row.menu2 = row.menu3 = text;
    else if (cell.rfind("menu 2", 0) == 0)
        row.menu2 = text;
    else
        row.menu3 = text; // menu 3 items, the Toggle Layers submenu among them
}

std::vector<PublishedRow> ParsePublished() {
    std::vector<PublishedRow> rows;
    std::istringstream lines(kPublished);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        std::vector<std::string> cells;
        std::istringstream parts(line.substr(1));
        for (std::string cell; std::getline(parts, cell, '|');)
            cells.push_back(Trim(cell));
        cells.resize(6);
        PublishedRow row;
        row.id = static_cast<UINT>(std::stoul(cells[0]));
        row.name = cells[1].substr(1, cells[1].size() - 2);
        ParseMenus(cells[2], row);
        std::istringstream keys(cells[3]);
        for (std::string key; std::getline(keys, key, ',');)
            row.keys.push_back(Trim(key));
        row.button = cells[4].empty() ? 0 : std::stoi(cells[4]);
        row.prompt = FirstQuoted(cells[5]);
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> KeysOf(const CommandInfo& command) {
    std::vector<std::string> keys;
    for (std::string_view key : command.keys)
        if (!key.empty())
            keys.emplace_back(key);
    return keys;
}
} // namespace

TEST(CommandTable, EveryPublishedCommandIsInTheTableAsPublished) {
    const auto rows = ParsePublished();
    ASSERT_EQ(rows.size(), 74u);
    for (const PublishedRow& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandInfo* command = FindCommand(row.id);
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->name, row.name);
        EXPECT_EQ(command->menu2Text, row.menu2);
        EXPECT_EQ(command->menu3Text, row.menu3);
        EXPECT_EQ(KeysOf(*command), row.keys);
        EXPECT_EQ(command->button, row.button);
        EXPECT_EQ(command->prompt, row.prompt);
    }
}

TEST(CommandTable, HoldsNothingButThePublishedCommandsAndTheOtherRecentFiles) {
    std::set<UINT> published;
    for (const PublishedRow& row : ParsePublished())
        published.insert(row.id);
    std::set<UINT> ids;
    for (const CommandInfo& command : kCommands) {
        EXPECT_TRUE(ids.insert(command.id).second) << "twice: " << command.id;
        if (published.count(command.id))
            continue;
        EXPECT_GE(command.id, ID_FILE_MRU_FILE2);
        EXPECT_LE(command.id, ID_FILE_MRU_FILE4);
        EXPECT_EQ(command.prompt, "Open this document");
    }
    EXPECT_EQ(ids.size(), published.size() + 3);
}

TEST(CommandTable, NamesMatchTheIdentifiersOfTheResourceHeader) {
    // A name and its number come from two files; spot-check they agree.
    EXPECT_EQ(FindCommand(ID_FILE_PRINT)->name, "ID_FILE_PRINT");
    EXPECT_EQ(FindCommand(ID_LAYER_BOTTOM_OVERLAY)->name, "ID_LAYER_BOTTOM_OVERLAY");
    EXPECT_EQ(FindCommand(ID_VIEW_STATUS_BAR)->name, "ID_VIEW_STATUS_BAR");
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(CommandTable, ToolbarHasSeventeenButtonsAndSixSeparatorsInOrder) {
    const UINT expected[] = {ID_FILE_NEW,
                             ID_FILE_OPEN,
                             ID_FILE_SAVE,
                             0,
                             ID_EDIT_CUT,
                             ID_EDIT_COPY,
                             ID_EDIT_PASTE,
                             0,
                             ID_APP_ABOUT,
                             0,
                             ID_PARAMETERS,
                             ID_LAYER_COLOR,
                             ID_MEASURE_SCALE,
                             0,
                             ID_LINE_MODE,
                             ID_PAD_MODE,
                             ID_COMPONENT_MARK,
                             0,
                             ID_OPEN_WORK,
                             ID_SAVE_WORK,
                             0,
                             ID_OPEN_PROTEL,
                             ID_FILE_PRINT};
    const auto layout = ToolbarLayout();
    ASSERT_EQ(layout.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.size(); ++i)
        EXPECT_EQ(layout[i], expected[i]) << "position " << i + 1;
    for (UINT id : layout) {
        if (id != 0) {
            EXPECT_FALSE(ButtonTipOf(id).empty()) << id;
        }
    }
}

TEST(CommandTable, DocumentStringFields) {
    EXPECT_EQ(DocStringField(0), "");
    EXPECT_EQ(DocStringField(1), "Dib");
    EXPECT_EQ(DocStringField(2), "TRACEVU Document");
    EXPECT_EQ(DocStringField(3), "Image Files (*.bmp)");
    EXPECT_EQ(DocStringField(4), ".bmp");
    EXPECT_EQ(DocStringField(5), "DibFileType");
    EXPECT_EQ(DocStringField(6), "TRACEVU File Type");
    EXPECT_EQ(DocStringField(7), "DIB ");
    EXPECT_EQ(DocStringField(8), "Device-Independent Bitmap");
    EXPECT_EQ(DocStringField(9), "");
    EXPECT_EQ(DocStringField(12), "");
}

TEST(CommandTable, EveryMenuCommandHasTextInTheMenuItStandsIn) {
    const auto check = [](std::span<const MenuEntry> menu, bool documentMenu) {
        int depth = 0;
        for (const MenuEntry& entry : menu) {
            if (entry.kind == MenuEntryKind::PopupBegin)
                ++depth;
            if (entry.kind == MenuEntryKind::PopupEnd)
                --depth;
            ASSERT_GE(depth, 0);
            if (entry.kind != MenuEntryKind::Command)
                continue;
            const CommandInfo* command = FindCommand(entry.id);
            ASSERT_NE(command, nullptr) << entry.id;
            EXPECT_FALSE((documentMenu ? command->menu3Text : command->menu2Text).empty())
                << command->name;
        }
        EXPECT_EQ(depth, 0);
    };
    check(kMenuNoDocument, false);
    check(kMenuDocument, true);
}
