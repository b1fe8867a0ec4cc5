// Identifiers of commands, strings, dialogs and pictures, shared by the
// shell, the views and the dialogs.
#pragma once

// Resource groups.
constexpr unsigned IDR_MAINFRAME = 2;
constexpr unsigned IDR_DIBTYPE = 3;
constexpr unsigned IDS_DIB_TOO_LARGE = 4;
constexpr unsigned IDS_DIB_ERR_LOAD = 5;
constexpr unsigned IDS_DIB_ERR_SAVE = 6;
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_PARAMETERS = 112;
constexpr unsigned IDD_GUIDE = 128;
constexpr unsigned IDD_GUIDE_PAGE2 = 129;

// The program's own commands.
constexpr unsigned ID_PARAMETERS = 500;
constexpr unsigned ID_LAYER_COLOR = 501;
constexpr unsigned ID_PAD_MODE = 502;
constexpr unsigned ID_LINE_MODE = 503;
constexpr unsigned ID_SAVE_WORK = 504;
constexpr unsigned ID_OPEN_WORK = 505;
constexpr unsigned ID_COMPONENT_MARK = 506;
constexpr unsigned ID_OPEN_PROTEL = 507;
constexpr unsigned ID_SAVE_WORK_AS = 508;
constexpr unsigned ID_TOGGLE_UNITS = 32770;
constexpr unsigned ID_SELECT_ALL = 32771;
constexpr unsigned ID_LAYER_MID1 = 32774;
constexpr unsigned ID_LAYER_TOP = 32775;
constexpr unsigned ID_LAYER_MID2 = 32776;
constexpr unsigned ID_LAYER_MID3 = 32777;
constexpr unsigned ID_LAYER_MID4 = 32778;
constexpr unsigned ID_LAYER_BOTTOM = 32779;
constexpr unsigned ID_LAYER_TOP_OVERLAY = 32780;
constexpr unsigned ID_LAYER_GROUND = 32781;
constexpr unsigned ID_LAYER_POWER = 32782;
constexpr unsigned ID_LAYER_BOARD = 32783;
constexpr unsigned ID_LAYER_KEEPOUT = 32784;
constexpr unsigned ID_LAYER_BOTTOM_OVERLAY = 32785;
constexpr unsigned ID_TRACK_MODE = 32786;
constexpr unsigned ID_MOVE_STATUS = 32787;
constexpr unsigned ID_HELP_CONTENTS = 32788;

// Framework commands.
constexpr unsigned ID_FILE_NEW = 57600;
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_CLOSE = 57602;
constexpr unsigned ID_FILE_SAVE = 57603;
constexpr unsigned ID_FILE_SAVE_AS = 57604;
constexpr unsigned ID_FILE_PRINT_SETUP = 57606;
constexpr unsigned ID_FILE_PRINT = 57607;
constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;
constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
constexpr unsigned ID_FILE_MRU_FILE2 = 57617;
constexpr unsigned ID_FILE_MRU_FILE3 = 57618;
constexpr unsigned ID_FILE_MRU_FILE4 = 57619;
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_EDIT_CUT = 57635;
constexpr unsigned ID_EDIT_PASTE = 57637;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_EDIT_REDO = 57644;
constexpr unsigned ID_WINDOW_NEW = 57648;
constexpr unsigned ID_WINDOW_ARRANGE = 57649;
constexpr unsigned ID_WINDOW_CASCADE = 57650;
constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;

// The view's private palette message.
constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_REALIZEDIBPAL = WM_USER;

// Controls of the "Change Parameters" dialog.
constexpr unsigned IDC_PAD_RADIUS_X = 101;
constexpr unsigned IDC_PAD_RADIUS_Y = 102;
constexpr unsigned IDC_SCAN_LINES_X = 103;
constexpr unsigned IDC_CURRENT_LAYER = 105;
constexpr unsigned IDC_LINE_WIDTH = 106;
constexpr unsigned IDC_SCAN_LINES_Y = 107;

// Measuring the scan's scale: the command, its dialog and the dialog's controls.
constexpr unsigned ID_MEASURE_SCALE = 509;
constexpr unsigned IDD_MEASURE_SCALE = 113;
constexpr unsigned IDC_MEASURE_LINE = 120;
constexpr unsigned IDC_MEASURE_LENGTH = 121;
constexpr unsigned IDC_MEASURE_UNIT = 122;
constexpr unsigned IDC_MEASURE_SAME = 123;
constexpr unsigned IDC_MEASURE_RESULT = 124;

// Zooming and moving around the scan.
constexpr unsigned ID_VIEW_ZOOM_IN = 510;
constexpr unsigned ID_VIEW_ZOOM_OUT = 511;
constexpr unsigned ID_VIEW_ZOOM_FIT = 512;
constexpr unsigned ID_VIEW_ACTUAL_PIXELS = 513;
constexpr unsigned ID_VIEW_NAVIGATOR = 514;

// Real sizes of pads and tracks.
constexpr unsigned ID_VIEW_REAL_SIZES = 516;
constexpr unsigned ID_EDIT_PROPERTIES = 517;
constexpr unsigned ID_EDIT_PICK_UP_SIZE = 518;
// The size for new objects in the "Change Parameters" dialog.
constexpr unsigned IDC_NEW_PAD_X = 130;
constexpr unsigned IDC_NEW_PAD_Y = 131;
constexpr unsigned IDC_NEW_HOLE = 132;
constexpr unsigned IDC_NEW_PAD_SHAPE = 133;
constexpr unsigned IDC_NEW_TRACK_WIDTH = 134;
constexpr unsigned IDC_NEW_SIZE_UNIT = 135;
// The size dialog of one object, or of all of them.
constexpr unsigned IDD_OBJECT_SIZE = 114;
constexpr unsigned IDC_SIZE_PAD_X = 140;
constexpr unsigned IDC_SIZE_PAD_Y = 141;
constexpr unsigned IDC_SIZE_HOLE = 142;
constexpr unsigned IDC_SIZE_SHAPE = 143;
constexpr unsigned IDC_SIZE_WIDTH = 144;
constexpr unsigned IDC_SIZE_UNIT = 145;
constexpr unsigned IDC_SIZE_SCOPE = 146;
// Track ends that fall on a pad go to its centre.
constexpr unsigned ID_VIEW_SNAP_TO_PADS = 515;
// The other side of the board, the x-ray and the project file.
constexpr unsigned ID_OPEN_OTHER_SIDE = 530;
constexpr unsigned ID_REMOVE_OTHER_SIDE = 531;
constexpr unsigned ID_REGISTER_OTHER_SIDE = 532;
constexpr unsigned ID_OTHER_SIDE_MIRROR_LR = 533;
constexpr unsigned ID_OTHER_SIDE_MIRROR_TB = 534;
constexpr unsigned ID_OTHER_SIDE_MIRROR_NONE = 535;
constexpr unsigned ID_VIEW_SWITCH_SIDE = 536;
constexpr unsigned ID_VIEW_XRAY = 537;
constexpr unsigned ID_VIEW_XRAY_MORE = 538;
constexpr unsigned ID_VIEW_XRAY_LESS = 539;
constexpr unsigned ID_VIEW_SIDE_SELECTS_LAYER = 540;
constexpr unsigned ID_SAVE_PROJECT = 541;
constexpr unsigned ID_OPEN_PROJECT = 542;
constexpr unsigned ID_SAVE_PROJECT_AS = 543;
