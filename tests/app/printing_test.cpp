// Print preview hands the view a printing context with the printer's page
// width and resolution, which the view uses to scale the image to the page.
#include "app/printing.h"

#include "platform/qt/dib_blit.h"
#include "platform/scroll_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

#include <vector>

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

// The preview scales the page down to the screen; the picture on it must
// come out whole, without lines of the page showing through it.
TEST(Printing, PreviewShowsThePictureWithoutSeams) {
    constexpr int kW = 160, kH = 120;
    constexpr BYTE kGrey = 0x40;
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + kW * 3 * kH, kGrey);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    info->bmiHeader = BITMAPINFOHEADER{40, kW, kH, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const void* bits = block.data() + sizeof(BITMAPINFOHEADER);
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(1200);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* page) {
        QPainter painter(page);
        const int w = page->width();
        QtStretchDIBits(painter, QRect(0, 0, page->width(), page->height()), 0, 0, w,
                        w * kH / kW, 0, 0, kW, kH, bits, info, DIB_RGB_COLORS, SRCCOPY,
                        kW * 3 * kH);
    });
    preview.resize(1150, 770);
    preview.show();
    for (const double zoom : {0.631, 0.84}) {
        preview.setZoomFactor(zoom);
        QApplication::processEvents();
        const QImage shot = preview.grab().toImage();
        QRect picture;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) == qRgb(kGrey, kGrey, kGrey))
                    picture |= QRect(x, y, 1, 1);
        ASSERT_GT(picture.width(), 200) << zoom;
        ASSERT_GT(picture.height(), 100) << zoom;
        picture.adjust(2, 2, -2, -2);
        for (int y = picture.top(); y <= picture.bottom(); ++y)
            for (int x = picture.left(); x <= picture.right(); ++x)
                ASSERT_LT(qRed(shot.pixel(x, y)), kGrey + 0x10) << zoom << ": " << x << "," << y;
    }
}
