// Moving the pixels of a window's back buffer when it scrolls.
#pragma once

class QImage;

// Moves the image's pixels by (dx, dy) device pixels in place, with the
// result of drawing a copy of it there (composition Source): pixels the move
// uncovers keep what they had. One pass over the pixels, without a copy of
// the image. False, with the image untouched, when it is not an image of
// 32-bit pixels that only it holds.
bool ShiftImagePixels(QImage& image, int dx, int dy);
