// The program's pictures, drawn with QPainter so they stay sharp at any
// screen scale: the toolbar buttons (16 x 15 logical pixels each), the
// application icon and the document icon.
#pragma once

#include "platform/types.h"

#include <QIcon>
#include <QImage>
#include <QSize>

inline constexpr QSize kButtonSize{16, 15};

// The button picture of a toolbar command, `scale` device pixels per logical
// pixel; a null image for a command without a button.
QImage ButtonImage(UINT id, int scale = 1);
// All scales an icon needs for ordinary and high-density screens.
QIcon ButtonIcon(UINT id);

// Square pictures of `size` pixels.
QImage AppIconImage(int size);
QImage DocumentIconImage(int size);
QIcon AppIcon();
QIcon DocumentIcon();
