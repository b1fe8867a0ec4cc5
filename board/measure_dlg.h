// The "Measure Scale" dialog: after two points of the scan were clicked it
// asks how far apart they truly are, in millimetres or mils, and shows the
// scan lines that gives as the user types.
#pragma once

#include "board/scale_measure.h"
#include "platform/dialog.h"

#include <optional>

DialogTemplate MeasureDialogTemplate();

class CMeasureDlg : public CDialog {
  public:
    // The line in scan pixels, the document's scan lines and what its file
    // states, if anything.
    CMeasureDlg(double dx, double dy, ScanLines current, std::optional<ScanLines> file);

    BOOL OnInitDialog() override;
    void OnControlChanged(int id) override;
    // Ends the dialog when the entries give scan lines; otherwise says why
    // and stays open.
    void OnOK() override;

    // The scan lines measured, once the dialog ended with OK.
    ScanLines Result() const { return m_result; }

  private:
    // The measurement the controls describe; false when the length is no number.
    bool ReadEntries(ScaleMeasurement& m) const;
    void ShowResult();

    double m_dx;
    double m_dy;
    ScanLines m_current;
    std::optional<ScanLines> m_file;
    ScanLines m_result;
};

// The true length typed: a decimal number with a point, in the C locale;
// nothing for anything else.
std::optional<double> ParseLength(const std::string& text);
