#include "app/printing.h"

#include "platform/qt/qt_dc.h"
#include "platform/scroll_view.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

void PrintView(CScrollView& view, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    QtPrintDC dc(painter, printer);
    view.OnDraw(&dc);
}

void RunPrintPreview(CScrollView& view, QPrinter& printer, QWidget* parent) {
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle("Quarzline - Print Preview");
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&view](QPrinter* target) { PrintView(view, *target); });
    if (parent)
        dialog.resize(parent->size() * 9 / 10);
    dialog.exec();
}
