#include "board/size_fields.h"

#include "platform/user_services.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

SizeUnit g_nSizeUnit = SizeUnit::Mil;

namespace {
constexpr double kMmPerMil = 0.0254;
constexpr int kRowHeight = 16;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

const char* UnitName(SizeUnit unit) { return unit == SizeUnit::Mm ? "mm" : "mil"; }

// Says which lengths a field takes and puts the focus there.
void Refuse(CDialog& dialog, int id, SizeUnit unit, int minMils) {
    Services().MessageBox("Enter a size from " + FormatLength(minMils, unit) + " to " +
                              FormatLength(kMaxSizeMil, unit) + " " + UnitName(unit) + ".",
                          "Quarzline", MB_OK | MB_ICONEXCLAMATION);
    dialog.GotoDlgCtrl(id);
}

std::optional<int> ReadField(CDialog& dialog, int id, SizeUnit unit, int minMils) {
    const std::optional<int> mils = ParseLength(dialog.GetDlgItemText(id), unit, minMils);
    if (!mils)
        Refuse(dialog, id, unit, minMils);
    return mils;
}

void AddRow(DialogTemplate& t, int id, int top, const char* label) {
    t.controls.push_back(
        MakeControl(SizeLabelId(id), ControlKind::RText, DluRect(7, top + 2, 54, 10), label));
    t.controls.push_back(MakeControl(id, ControlKind::Edit, DluRect(66, top, 40, 12)));
}

void ShowLength(CDialog& dialog, int id, int mils, SizeUnit unit) {
    if (id)
        dialog.SetDlgItemText(id, FormatLength(mils, unit));
}
} // namespace

std::string FormatLength(int mils, SizeUnit unit) {
    if (unit == SizeUnit::Mil)
        return std::to_string(mils);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", mils * kMmPerMil);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::optional<int> ParseLength(std::string_view text, SizeUnit unit, int minMils) {
    text = Trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    const double mils = std::floor((unit == SizeUnit::Mm ? value / kMmPerMil : value) + 0.5);
    if (!(mils >= minMils && mils <= kMaxSizeMil))
        return std::nullopt;
    return static_cast<int>(mils);
}

const char* PadShapeName(PadShape shape) {
    switch (shape) {
    case PadShape::Rectangle: return "Rectangle";
    case PadShape::Octagon: return "Octagon";
    case PadShape::Round: break;
    }
    return "Round";
}

int AddSizeFields(DialogTemplate& t, const SizeFieldIds& ids, int top) {
    if (ids.unit) {
        t.controls.push_back(
            MakeControl(-1, ControlKind::LText, DluRect(112, top + 2, 22, 10), "Units"));
        DialogControl list = MakeControl(ids.unit, ControlKind::DropList, DluRect(136, top, 40, 40));
        list.items = {"mil", "mm"};
        t.controls.push_back(std::move(list));
    }
    int y = top;
    const auto row = [&](int id, const char* label) {
        if (!id)
            return;
        AddRow(t, id, y, label);
        y += kRowHeight;
    };
    row(ids.padX, "Pad size X");
    row(ids.padY, "Pad size Y");
    row(ids.hole, "Hole");
    if (ids.shape) {
        t.controls.push_back(MakeControl(SizeLabelId(ids.shape), ControlKind::RText,
                                         DluRect(7, y + 2, 54, 10), "Pad shape"));
        DialogControl list = MakeControl(ids.shape, ControlKind::DropList, DluRect(66, y, 65, 50));
        for (const PadShape shape : {PadShape::Round, PadShape::Rectangle, PadShape::Octagon})
            list.items.emplace_back(PadShapeName(shape));
        t.controls.push_back(std::move(list));
        y += kRowHeight;
    }
    row(ids.width, "Track width");
    return y;
}

void ShowSizeField(CDialog& dialog, int id, bool show) {
    dialog.ShowDlgItem(id, show);
    dialog.ShowDlgItem(SizeLabelId(id), show);
}

void ShowSizes(CDialog& dialog, const SizeFieldIds& ids, const PadSize& pad, const TrackSize& track,
               SizeUnit unit) {
    ShowLength(dialog, ids.padX, pad.x, unit);
    ShowLength(dialog, ids.padY, pad.y, unit);
    ShowLength(dialog, ids.hole, pad.hole, unit);
    ShowLength(dialog, ids.width, track.width, unit);
    if (ids.shape)
        dialog.SetCurSel(ids.shape, static_cast<int>(pad.shape) - 1);
    if (ids.unit)
        dialog.SetCurSel(ids.unit, static_cast<int>(unit));
}

std::optional<PadSize> ReadPadSize(CDialog& dialog, const SizeFieldIds& ids, SizeUnit unit) {
    const auto x = ReadField(dialog, ids.padX, unit, kMinSizeMil);
    if (!x)
        return std::nullopt;
    const auto y = ReadField(dialog, ids.padY, unit, kMinSizeMil);
    if (!y)
        return std::nullopt;
    const auto hole = ReadField(dialog, ids.hole, unit, 0);
    if (!hole)
        return std::nullopt;
    const int shape = dialog.GetCurSel(ids.shape) + 1;
    return PadSize{*x, *y, *hole, IsPadShape(shape) ? static_cast<PadShape>(shape) : PadShape::Round};
}

std::optional<TrackSize> ReadTrackSize(CDialog& dialog, const SizeFieldIds& ids, SizeUnit unit) {
    const auto width = ReadField(dialog, ids.width, unit, kMinSizeMil);
    if (!width)
        return std::nullopt;
    return TrackSize{*width};
}

void ChangeSizeUnit(CDialog& dialog, const SizeFieldIds& ids, SizeUnit& unit) {
    const SizeUnit chosen = dialog.GetCurSel(ids.unit) == 1 ? SizeUnit::Mm : SizeUnit::Mil;
    if (chosen == unit)
        return;
    for (const int id : {ids.padX, ids.padY, ids.hole, ids.width}) {
        if (!id)
            continue;
        if (const auto mils = ParseLength(dialog.GetDlgItemText(id), unit, 0))
            dialog.SetDlgItemText(id, FormatLength(*mils, chosen));
    }
    unit = chosen;
}
