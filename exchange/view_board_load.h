// Replacing a view's whole board with what a file held.
#pragma once

#include "exchange/board_data.h"

class CDibView;

// Clears the board and the edit state (chain, grab, keyboard target), takes
// the first g_nMaxItems pads and tracks, repaints, and tells the user in one
// message what was left out or skipped.
void ReplaceViewBoard(CDibView& view, BoardData& board, ReadReport& report);
// The pads and tracks the view holds now.
BoardSpan ViewBoard(const CDibView& view);
// Shows a stop message in the board's message box.
void ShowBoardError(const char* text);
