// Replacing a view's whole board with what a file held.
#pragma once

#include "board/board_history.h"
#include "exchange/board_data.h"

class CDibView;

// Replaces the board as one undoable step of the given kind, after clearing
// the edit state (chain, grab, keyboard target): takes the first g_nMaxItems
// pads and tracks, marks the board saved, repaints, and tells the user in
// one message what was left out or skipped.
void ReplaceViewBoard(CDibView& view, BoardData& board, ReadReport& report, board::StepKind kind);
// Before the board is replaced by a file's: true when it has no unsaved
// changes or the user answers OK to `question`.
bool ConfirmReplacingUnsavedBoard(const CDibView& view, const char* question);
// The pads and tracks the view holds now.
BoardSpan ViewBoard(const CDibView& view);
// Shows a stop message in the board's message box.
void ShowBoardError(const char* text);
