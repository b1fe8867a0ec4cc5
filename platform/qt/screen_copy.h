// Showing a window's back buffer on the screen.
#pragma once

class QImage;
class QPainter;
class QRegion;

// Draws the buffer's pixels of `region` (logical pixels of the painter)
// with the painter, as drawImage would with the buffer at (0, 0). When the
// painter paints on a plain image of 32-bit pixels at whole-pixel offsets
// (a window's backing store under the raster engine), the rows are copied
// straight in, shared out over the processor's cores.
void ShowBuffer(QPainter& screen, const QImage& buffer, const QRegion& region);
