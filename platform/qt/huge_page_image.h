// Big 32-bit pictures in transparent huge pages: a window's back buffer.
// The board's tracks and pads land all over it, a few pixels on each row
// they cross, and with 4 KB pages nearly every such row is a page of its
// own, each costing a walk of the page tables.
#pragma once

#include <QImage>

// A picture of the size and 32-bit format given, its pixels not set; its
// pixels lie in huge pages when it takes kHugePageImageBytes or more and the
// system gives them (ordinary memory otherwise). Null when there is no
// memory for it.
QImage NewHugePageImage(const QSize& size, QImage::Format format);

constexpr qsizetype kHugePageImageBytes = qsizetype{4} << 20;
