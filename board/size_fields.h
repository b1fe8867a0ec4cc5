// The size fields of the dialogs that set real sizes: a pad's X and Y size,
// hole and shape, a track's width, and the unit they are shown in. Sizes are
// kept in whole mils; in millimetres the fields show up to three decimals,
// which bring back the same whole mils.
#pragma once

#include "board/board_types.h"
#include "platform/dialog.h"

#include <optional>
#include <string>
#include <string_view>

enum class SizeUnit { Mil = 0, Mm = 1 };
// The unit the size fields show, for the program's run.
extern SizeUnit g_nSizeUnit;

std::string FormatLength(int mils, SizeUnit unit);
// Whole mils of a typed length; nothing for text that is not a number, or
// a length that rounds outside `minMils` to kMaxSizeMil.
std::optional<int> ParseLength(std::string_view text, SizeUnit unit, int minMils);

// The controls' ids; 0 leaves a field out.
struct SizeFieldIds {
    int padX = 0;
    int padY = 0;
    int hole = 0;
    int shape = 0;
    int width = 0;
    int unit = 0;
};

// "Round", "Rectangle", "Octagon": the shape list's entries, by shape code - 1.
const char* PadShapeName(PadShape shape);

// Each field's label has an id of its own, so that both can be hidden.
constexpr int SizeLabelId(int fieldId) { return fieldId + 1000; }
void ShowSizeField(CDialog& dialog, int id, bool show);

// Appends labelled fields to a template, one row each from dialog unit
// `top` down; the unit list goes beside the first row. Returns the bottom.
int AddSizeFields(DialogTemplate& t, const SizeFieldIds& ids, int top);

// Fills the fields from sizes, in `unit`, and selects it in the unit list.
void ShowSizes(CDialog& dialog, const SizeFieldIds& ids, const PadSize& pad, const TrackSize& track,
               SizeUnit unit);
// Reads the fields as lengths in `unit`; on a field that does not hold a
// size it says why, puts the focus there and gives nothing.
std::optional<PadSize> ReadPadSize(CDialog& dialog, const SizeFieldIds& ids, SizeUnit unit);
std::optional<TrackSize> ReadTrackSize(CDialog& dialog, const SizeFieldIds& ids, SizeUnit unit);
// After the unit list changed: shows what the fields hold in the unit now
// selected, which becomes `unit`. Fields that hold no size stay as typed.
void ChangeSizeUnit(CDialog& dialog, const SizeFieldIds& ids, SizeUnit& unit);
