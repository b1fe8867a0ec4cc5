#include "app/guide_text.h"

#include "res/resource.h"

QString GuideText::Title() {
    return tr("Operation guide");
}

QString GuideText::NextPage() {
    return tr("Next page");
}

QString GuideText::OtherLanguage() {
    return tr("中文", "the language the button switches to, in that language");
}

QString GuideText::ClickIcon() {
    return tr("Click");
}

std::vector<GuideItem> GuideText::FirstPage() {
    const QString click = ClickIcon();
    return {
        {tr("1. Open the scanned picture of the board"),
         {{tr("File, Open (Ctrl+O), or drop the file on the window: BMP, PNG, JPEG, TIFF, WebP or PNM.")}}},
        {tr("2. Parameters and scan resolution"),
         {{click, {ID_PARAMETERS}, tr("to set the pad size, the line width, the current layer and the scan lines,")},
          {tr("the dots per inch of the scan, from which sizes and coordinates in mil follow.")},
          {click, {ID_MEASURE_SCALE}, tr("and click the two ends of a distance you know to measure the scan lines.")}}},
        {tr("3. Layer colours"),
         {{click, {ID_LAYER_COLOR}, tr("to choose the line colour of the current layer.")}}},
        {tr("4. Draw tracks"),
         {{click, {ID_LINE_MODE}, tr("to draw tracks: the cursor becomes a cross; draw them with the mouse,")},
          {tr("Backspace takes back the last segment. View, Track Mode switches between tracks at")},
          {tr("45 degrees and tracks at any angle.")}}},
        {tr("5. Draw pads"),
         {{click, {ID_PAD_MODE}, tr("to draw pads: the cursor becomes an arrow; each left click draws one pad.")}}},
        {tr("6. Move tracks and pads (Move Status, Ctrl+M)"),
         {{tr("In Edit, Move Status (Ctrl+M), drag a track or pad with the left button; a right click during")},
          {tr("the drag cancels it. Or put the pointer on it and move it with the arrow keys: in the middle")},
          {tr("of a track the whole track moves, otherwise its nearest end, or the pad, moves.")}}},
        {tr("7. Select-all mode: move, turn and mirror the whole tracing"),
         {{tr("Edit, Select All (Ctrl+A): the arrow keys move everything one step, 2, 4, 6 and 8 ten steps;")},
          {tr("Enter or Space turns it, X and Y mirror it about the X or Y axis; Escape ends the mode.")}}},
    };
}

std::vector<GuideItem> GuideText::SecondPage() {
    const QString click = ClickIcon();
    return {
        {tr("8. Place components"),
         {{click, {ID_COMPONENT_MARK}, tr("to place component marks: each left click places one.")}}},
        {tr("9. Open and save the work file"),
         {{click, {ID_OPEN_WORK, ID_SAVE_WORK}, tr("to open and save the work file (.dpb) with pads and tracks, to go on later.")}}},
        {tr("10. Import and export Protel PCB files"),
         {{click, {ID_OPEN_PROTEL, ID_FILE_PRINT}, tr("to import a Protel PCB file, or to export the tracing as one (Ctrl+P).")}}},
        {tr("11. Layers and their visibility"),
         {{tr("New tracks go on the current layer (item 2); View, Toggle Layers shows or hides each layer.")}}},
        {tr("12. Zoom and pan"),
         {{tr("Page Up, Page Down and Ctrl+wheel zoom at the pointer, Home fits the scan, Ctrl+1 is 1:1;")},
          {tr("drag with the middle button or with Space held to pan. View, Navigator shows the whole scan.")}}},
        {tr("13. Undo, delete and snap"),
         {{tr("Ctrl+Z undoes, Ctrl+Y redoes, Delete removes what is under the pointer; View, Snap to Pads.")}}},
        {tr("14. Sizes of pads and tracks"),
         {{tr("Alt+Return sets the size of the pad or track under the pointer (in select-all mode, of all);")},
          {tr("I takes its size for new objects. View, Show Real Sizes draws each at its own size.")}}},
        {tr("15. Coordinate units"),
         {{tr("View, Toggle Units switches the coordinates at the bottom of the window between mil and mm.")}}},
        {tr("16. The other side of the board and the project"),
         {{tr("File, Open Other Side loads the bottom scan; Register Other Side matches clicked pairs of points.")},
          {tr("Tab shows the other side, Shift+X blends it in ([ and ] set how much); Save Project keeps both.")}}},
    };
}
