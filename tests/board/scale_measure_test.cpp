// The scan lines a measured line gives, and the measure dialog that asks for
// the line's true length.
#include "board/measure_dlg.h"
#include "board/scale_measure.h"
#include "platform/scripted/scripted_services.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
ScaleMeasurement Line(double dx, double dy, double length, LengthUnit unit, bool both) {
    ScaleMeasurement m;
    m.dx = dx;
    m.dy = dy;
    m.length = length;
    m.unit = unit;
    m.sameForBothAxes = both;
    return m;
}

std::optional<ScanLines> Measured(const ScaleMeasurement& m, ScanLines current = {200, 200}) {
    return ScaleFromMeasurement(m, current).lines;
}

constexpr double kInch = 25.4;
} // namespace

TEST(ScaleMeasure, ALineAlongXGivesTheResolutionOfThePicture) {
    // 100 mm at 300 dpi is 1181.1 pixels; the clicks land on whole pixels.
    const auto both = Measured(Line(1181, 0, 100, LengthUnit::Millimetre, true));
    ASSERT_TRUE(both);
    EXPECT_EQ(*both, (ScanLines{300, 300}));
    // Only X is measured; Y keeps its value.
    const auto xOnly = Measured(Line(-1181, 0, 100, LengthUnit::Millimetre, false), {200, 250});
    ASSERT_TRUE(xOnly);
    EXPECT_EQ(*xOnly, (ScanLines{300, 250}));
    // The same line in mils, and a line up the picture for Y.
    EXPECT_EQ(Measured(Line(1181, 0, 3937, LengthUnit::Mil, true)), (ScanLines{300, 300}));
    EXPECT_EQ(Measured(Line(0, -2362, 100, LengthUnit::Millimetre, false), {150, 200}),
              (ScanLines{150, 600}));
}

TEST(ScaleMeasure, DiagonalLinesTakeTheOtherAxisIntoAccount) {
    // One inch across at 300 dpi and one inch down at 600 dpi: the line is
    // the square root of two inches long.
    const double length = std::sqrt(2.0) * kInch;
    EXPECT_EQ(Measured(Line(300, 600, length, LengthUnit::Millimetre, false), {300, 999}),
              (ScanLines{300, 600}))
        << "mostly down: Y from the whole line with X at 300";
    EXPECT_EQ(Measured(Line(600, 300, length, LengthUnit::Millimetre, false), {999, 300}),
              (ScanLines{600, 300}))
        << "mostly across: X from the whole line with Y at 300";
    // |dx| = |dy| counts as along x.
    EXPECT_EQ(Measured(Line(300, -300, length, LengthUnit::Millimetre, false), {999, 300}),
              (ScanLines{300, 300}));
    // Same for both axes: the whole line's pixels over its inches.
    EXPECT_EQ(Measured(Line(300, -300, length, LengthUnit::Millimetre, true)),
              (ScanLines{300, 300}));
    EXPECT_EQ(Measured(Line(300, 400, 500, LengthUnit::Mil, true)), (ScanLines{1000, 1000}));
}

TEST(ScaleMeasure, ResultsAreRoundedToWholeDotsPerInch) {
    // 1000 pixels over 2 inches is 500; over 2.003 inches 499.25, over 1.997 500.75.
    EXPECT_EQ(Measured(Line(1000, 0, 2003, LengthUnit::Mil, true)), (ScanLines{499, 499}));
    EXPECT_EQ(Measured(Line(1000, 0, 1997, LengthUnit::Mil, true)), (ScanLines{501, 501}));
    // 50 and 20000 are the ends of the range, both taken after rounding.
    EXPECT_EQ(Measured(Line(100, 0, 2000, LengthUnit::Mil, true)), (ScanLines{50, 50}));
    EXPECT_EQ(Measured(Line(20000, 0, 1000, LengthUnit::Mil, true)), (ScanLines{20000, 20000}));
}

TEST(ScaleMeasure, ImpossibleMeasurementsAreRefusedWithAReason) {
    const auto refusal = [](const ScaleMeasurement& m, ScanLines current = {200, 200}) {
        const MeasuredScale s = ScaleFromMeasurement(m, current);
        EXPECT_FALSE(s.lines);
        return s.refusal;
    };
    EXPECT_NE(refusal(Line(100, 0, 0, LengthUnit::Millimetre, true)).find("greater than 0"),
              std::string::npos);
    EXPECT_FALSE(refusal(Line(100, 0, -5, LengthUnit::Mil, true)).empty());
    EXPECT_FALSE(refusal(Line(100, 0, NAN, LengthUnit::Mil, true)).empty());
    EXPECT_FALSE(refusal(Line(100, 0, INFINITY, LengthUnit::Mil, true)).empty());
    EXPECT_NE(refusal(Line(0, 0, 10, LengthUnit::Millimetre, true)).find("same"),
              std::string::npos);
    // 100 px over 100 mm is 25 dpi; 10000 px over 1 mm is 254000 dpi.
    EXPECT_NE(refusal(Line(100, 0, 100, LengthUnit::Millimetre, true)).find("between 50 and 20000"),
              std::string::npos);
    EXPECT_NE(refusal(Line(10000, 0, 1, LengthUnit::Millimetre, true)).find("254000"),
              std::string::npos);
    EXPECT_FALSE(refusal(Line(1e300, 0, 1e-300, LengthUnit::Mil, true)).empty());
    // 25.5 dpi rounds to 50 only at 49.5 and up: 99 px over 2 inches is refused.
    EXPECT_FALSE(refusal(Line(98, 0, 2000, LengthUnit::Mil, true)).empty());
    // Half an inch down at Y = 200 is 100 pixels: a line with that much down
    // cannot be a third of an inch long.
    EXPECT_NE(refusal(Line(110, 100, 333, LengthUnit::Mil, false)).find("vertical part"),
              std::string::npos);
    EXPECT_NE(refusal(Line(100, 110, 333, LengthUnit::Mil, false)).find("horizontal part"),
              std::string::npos);
    EXPECT_FALSE(refusal(Line(110, 100, 500, LengthUnit::Mil, false)).empty())
        << "exactly as long as its vertical part leaves nothing for x";
}

TEST(ScaleMeasure, ResultTextComparesWithTheFile) {
    EXPECT_EQ(MeasuredScaleText({598, 598}, ScanLines{600, 600}),
              "598 x 598 dpi (file says 600: -2)");
    EXPECT_EQ(MeasuredScaleText({603, 603}, ScanLines{600, 600}),
              "603 x 603 dpi (file says 600: +3)");
    EXPECT_EQ(MeasuredScaleText({600, 600}, ScanLines{600, 600}),
              "600 x 600 dpi (file says 600: 0)");
    EXPECT_EQ(MeasuredScaleText({598, 300}, ScanLines{600, 300}),
              "598 x 300 dpi (file says 600 x 300: -2 x 0)");
    EXPECT_EQ(MeasuredScaleText({598, 598}, std::nullopt), "598 x 598 dpi");
}

TEST(ScaleMeasure, LengthsAreDecimalNumbersWithAPoint) {
    EXPECT_EQ(ParseLength("25.4"), 25.4);
    EXPECT_EQ(ParseLength(" 100 "), 100.0);
    EXPECT_EQ(ParseLength(".5"), 0.5);
    EXPECT_EQ(ParseLength("-3"), -3.0) << "the arithmetic refuses it, saying why";
    for (const char* bad : {"", "  ", "abc", "12,5", "1e3", "10 mm", "1.2.3", "inf", "nan", "+4"})
        EXPECT_FALSE(ParseLength(bad)) << bad;
}

class MeasureDialog : public ::testing::Test {
  protected:
    // Runs the dialog for a line with a script acting on it.
    int Run(double dx, double dy, std::optional<ScanLines> file,
            std::function<void(CDialog&)> script) {
        services.dialogScripts.push_back(std::move(script));
        dialog = std::make_unique<CMeasureDlg>(dx, dy, ScanLines{200, 200}, file);
        return dialog->DoModal();
    }
    static void Type(CDialog& d, const std::string& text) {
        d.SetDlgItemText(IDC_MEASURE_LENGTH, text);
        d.OnControlChanged(IDC_MEASURE_LENGTH);
    }

    ScriptedServices services;
    std::unique_ptr<CMeasureDlg> dialog;
};

TEST_F(MeasureDialog, ShowsTheLineAndTheResultAsTheUserTypes) {
    std::vector<std::string> results;
    const int answer = Run(1181, 0, ScanLines{300, 300}, [&](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(IDC_MEASURE_LINE),
                  "The line is 1181.0 pixels long (1181 across, 0 down).");
        EXPECT_EQ(d.GetCurSel(IDC_MEASURE_UNIT), 0) << "millimetres first";
        EXPECT_TRUE(d.IsDlgButtonChecked(IDC_MEASURE_SAME));
        results.push_back(d.GetDlgItemText(IDC_MEASURE_RESULT));
        Type(d, "100");
        results.push_back(d.GetDlgItemText(IDC_MEASURE_RESULT));
        d.SetCurSel(IDC_MEASURE_UNIT, 1);
        d.OnControlChanged(IDC_MEASURE_UNIT);
        results.push_back(d.GetDlgItemText(IDC_MEASURE_RESULT));
        Type(d, "4000");
        results.push_back(d.GetDlgItemText(IDC_MEASURE_RESULT));
        d.OnCommand(IDOK);
    });
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(results, (std::vector<std::string>{
                           "Enter the true length of the line.",
                           "300 x 300 dpi (file says 300: 0)",
                           "11810 x 11810 dpi (file says 300: +11510)",
                           "295 x 295 dpi (file says 300: -5)"}));
    EXPECT_EQ(dialog->Result(), (ScanLines{295, 295}));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(MeasureDialog, OneAxisKeepsTheOther) {
    Run(0, 1181, std::nullopt, [](CDialog& d) {
        Type(d, "50.0");
        d.CheckDlgButton(IDC_MEASURE_SAME, false);
        d.OnControlChanged(IDC_MEASURE_SAME);
        EXPECT_EQ(d.GetDlgItemText(IDC_MEASURE_RESULT), "200 x 600 dpi");
        d.OnCommand(IDOK);
    });
    EXPECT_EQ(dialog->Result(), (ScanLines{200, 600}));
}

TEST_F(MeasureDialog, RefusedEntriesKeepTheDialogOpen) {
    const int answer = Run(1181, 0, std::nullopt, [&](CDialog& d) {
        Type(d, "ten");
        d.OnCommand(IDOK);
        EXPECT_FALSE(d.IsEnded());
        Type(d, "1");
        d.OnCommand(IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(d.TakeFocusRequest(), static_cast<int>(IDC_MEASURE_LENGTH));
    });
    EXPECT_EQ(answer, IDCANCEL);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_NE(services.messages[0].text.find("as a number"), std::string::npos);
    EXPECT_NE(services.messages[1].text.find("between 50 and 20000"), std::string::npos);
    EXPECT_EQ(services.messages[1].icon(), MB_ICONEXCLAMATION);
}
