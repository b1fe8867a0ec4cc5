// Print preview hands the view a printing context with the printer's page
// width and resolution, which the view uses to scale the image to the page.
#include "app/printing.h"

#include "platform/scroll_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>

namespace {
class RecordingView : public CScrollView {
  public:
    void OnDraw(CDC* dc) override {
        ++draws;
        printing = dc->IsPrinting();
        pageWidth = dc->GetDeviceCaps(HORZRES);
        dpiX = dc->GetDeviceCaps(LOGPIXELSX);
        dpiY = dc->GetDeviceCaps(LOGPIXELSY);
        // Something on the page, so the file shows the view drew.
        dc->SelectBrush(Brush{RGB(0, 0, 0)});
        dc->Ellipse(0, 0, pageWidth / 2, pageWidth / 2);
    }
    int draws = 0;
    bool printing = false;
    int pageWidth = 0;
    int dpiX = 0;
    int dpiY = 0;
};

} // namespace

TEST(Printing, TheViewDrawsOnAPrintingContextWithThePrintersMeasures) {
    RecordingView view;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::current().absoluteFilePath("page.pdf"));
    printer.setResolution(600);
    PrintView(view, printer);
    EXPECT_EQ(view.draws, 1);
    EXPECT_TRUE(view.printing);
    EXPECT_EQ(view.dpiX, 600);
    EXPECT_EQ(view.dpiY, 600);
    // A4 or Letter, less margins: several inches of 600 dots.
    EXPECT_GT(view.pageWidth, 6 * 600);
    EXPECT_LT(view.pageWidth, 9 * 600);
    EXPECT_GT(QFileInfo(QDir::current().absoluteFilePath("page.pdf")).size(), 0);
}

TEST(Printing, PreviewPaintsTheViewAndClosesCleanly) {
    RecordingView view;
    QPrinter printer(QPrinter::HighResolution);
    QTimer closer;
    closer.setInterval(50);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start();
    RunPrintPreview(view, printer, nullptr);
    EXPECT_GE(view.draws, 1);
    EXPECT_TRUE(view.printing);
}
