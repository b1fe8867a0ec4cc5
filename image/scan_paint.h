// Painting the document's picture at a zoom of 2^zoomExponent, with the
// picture's top-left pixel at (0, 0) of the device context. At 1 and above
// the scan is enlarged, each pixel a square of 2^zoomExponent pixels; below
// 1 the reduced level of that zoom is painted pixel for pixel, and a zoom
// finer than the smallest level (or a document without levels) shrinks the
// nearest one it has by sampling.
#pragma once

#include "image/dib_doc.h"

// Width or height of the picture on the screen: value * 2^zoomExponent,
// rounded up below 1 (as the levels are), held inside the int range.
int ScanExtentAtZoom(int value, int zoomExponent);

// Paints the picture; painted (when given) gets the rectangle it covers.
// False, with painted left alone, when there is no picture to paint.
bool PaintScan(CDC& dc, const CDibDoc& doc, int zoomExponent, CRect* painted);
