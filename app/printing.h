// Printing the image of a view: print preview shows what the view's OnDraw
// paints on a printing device context (the image scaled to the page width;
// the tracing stays on the screen).
#pragma once

class CScrollView;
class QPrinter;
class QWidget;

// Paints one page of the view on the printer (or on the preview's printer).
void PrintView(CScrollView& view, QPrinter& printer);
// Runs the print preview of the view modally.
void RunPrintPreview(CScrollView& view, QPrinter& printer, QWidget* parent);
