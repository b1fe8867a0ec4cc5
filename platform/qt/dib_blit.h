// Painting DIB pixels with a QPainter: the unscaled and the scaled copy of
// the device context. Only the part of the destination inside `visible`
// (painter coordinates) is decoded and drawn, so painting a big scan costs
// what the window shows, at any zoom. Arguments and results follow
// CDC::SetDIBitsToDevice and CDC::StretchDIBits (source y counted from the
// bottom scan line).
#pragma once

#include "platform/device_context.h"
#include "platform/dib_types.h"

#include <QRect>
#include <cstddef>

class QPainter;

int QtSetDIBitsToDevice(QPainter& painter, const QRect& visible, int xDest, int yDest,
                        DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                        UINT numScans, const void* bits, const BITMAPINFO* info, UINT usage,
                        std::size_t bitsBytes);

int QtStretchDIBits(QPainter& painter, const QRect& visible, int xDest, int yDest, int destWidth,
                    int destHeight, int xSrc, int ySrc, int srcWidth, int srcHeight,
                    const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop,
                    std::size_t bitsBytes);

// CDC::PaintPixels for a painter: the pixels are made straight into the
// image the painter draws on when they land there unchanged, in row parts
// on every core; otherwise into pictures that are drawn (in one piece for a
// printer). False when the painter can take neither, so that the caller
// goes on in its own way.
bool QtPaintPixels(QPainter& painter, const QRect& visible, const CRect& rect, const PixelMaker& make);
