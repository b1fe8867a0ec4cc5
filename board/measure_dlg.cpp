#include "board/measure_dlg.h"

#include "platform/user_services.h"
#include "res/resource.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {
// Unit list entries, in the order of LengthUnit.
constexpr int kMillimetres = 0;
constexpr int kMils = 1;

std::string LineText(double dx, double dy) {
    char text[160];
    std::snprintf(text, sizeof text, "The line is %.1f pixels long (%.0f across, %.0f down).",
                  std::hypot(dx, dy), std::fabs(dx), std::fabs(dy));
    return text;
}
} // namespace

std::optional<double> ParseLength(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    double value = 0;
    const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc() || stop != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

DialogTemplate MeasureDialogTemplate() {
    DialogTemplate t;
    t.id = IDD_MEASURE_SCALE;
    t.title = "Measure Scale";
    t.cx = 230;
    t.cy = 112;
    t.fontName = "System";
    t.fontPoints = 10;
    DialogControl unit = MakeControl(IDC_MEASURE_UNIT, ControlKind::DropList, DluRect(112, 29, 40, 40));
    unit.items = {"mm", "mils"};
    unit.sel = kMillimetres;
    DialogControl same =
        MakeControl(IDC_MEASURE_SAME, ControlKind::CheckBox, DluRect(10, 48, 120, 12), "Same for both axes");
    same.checked = true;
    t.controls = {
        MakeControl(IDC_MEASURE_LINE, ControlKind::LText, DluRect(10, 8, 210, 10)),
        MakeControl(-1, ControlKind::RText, DluRect(10, 31, 50, 10), "True length"),
        MakeControl(IDC_MEASURE_LENGTH, ControlKind::Edit, DluRect(66, 29, 40, 12)),
        unit,
        same,
        MakeControl(IDC_MEASURE_RESULT, ControlKind::LText, DluRect(10, 64, 210, 20)),
        MakeControl(IDOK, ControlKind::DefPushButton, DluRect(116, 92, 50, 14), "OK"),
        MakeControl(IDCANCEL, ControlKind::PushButton, DluRect(172, 92, 50, 14), "Cancel"),
    };
    return t;
}

CMeasureDlg::CMeasureDlg(double dx, double dy, ScanLines current, std::optional<ScanLines> file)
    : CDialog(MeasureDialogTemplate()), m_dx(dx), m_dy(dy), m_current(current), m_file(file),
      m_result(current) {}

BOOL CMeasureDlg::OnInitDialog() {
    SetDlgItemText(IDC_MEASURE_LINE, LineText(m_dx, m_dy));
    ShowResult();
    GotoDlgCtrl(IDC_MEASURE_LENGTH);
    return TRUE;
}

void CMeasureDlg::OnControlChanged(int /*id*/) {
    ShowResult();
}

bool CMeasureDlg::ReadEntries(ScaleMeasurement& m) const {
    m.dx = m_dx;
    m.dy = m_dy;
    m.unit = GetCurSel(IDC_MEASURE_UNIT) == kMils ? LengthUnit::Mil : LengthUnit::Millimetre;
    m.sameForBothAxes = IsDlgButtonChecked(IDC_MEASURE_SAME);
    const auto length = ParseLength(GetDlgItemText(IDC_MEASURE_LENGTH));
    if (!length)
        return false;
    m.length = *length;
    return true;
}

void CMeasureDlg::ShowResult() {
    ScaleMeasurement m;
    std::string text;
    if (!ReadEntries(m)) {
        text = "Enter the true length of the line.";
    } else {
        const MeasuredScale scale = ScaleFromMeasurement(m, m_current);
        text = scale.lines ? MeasuredScaleText(*scale.lines, m_file) : scale.refusal;
    }
    SetDlgItemText(IDC_MEASURE_RESULT, text);
}

void CMeasureDlg::OnOK() {
    ScaleMeasurement m;
    MeasuredScale scale;
    if (!ReadEntries(m))
        scale.refusal = "Enter the true length of the line as a number, such as 25.4.";
    else
        scale = ScaleFromMeasurement(m, m_current);
    if (!scale.lines) {
        Services().MessageBox(scale.refusal, "Quarzline", MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(IDC_MEASURE_LENGTH);
        return;
    }
    m_result = *scale.lines;
    EndDialog(IDOK);
}
