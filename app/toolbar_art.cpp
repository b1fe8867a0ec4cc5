#include "app/toolbar_art.h"

#include "res/resource.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace {
// Colours shared by the pictures.
const QColor kOutline(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kFolderBack(214, 166, 40);
const QColor kFolderFront(250, 212, 90);
const QColor kDiskBlue(38, 78, 160);
const QColor kCopper(196, 120, 28);
const QColor kBoardGreen(24, 120, 48);
const QColor kProtelRed(190, 30, 30);
const QColor kTextGrey(120, 120, 120);

void Pen(QPainter& p, const QColor& color, qreal width = 1.0) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A sheet of paper with a folded top-right corner inside `r`.
void Page(QPainter& p, const QRectF& r, bool lines) {
    const qreal fold = 3;
    QPolygonF sheet;
    sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
          << r.bottomRight() << r.bottomLeft();
    Pen(p, kOutline);
    p.setBrush(kPaper);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF{QPointF(r.right() - fold, r.top()),
                             QPointF(r.right() - fold, r.top() + fold),
                             QPointF(r.right(), r.top() + fold)});
    if (!lines)
        return;
    Pen(p, kTextGrey);
    for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// An opened folder filling the 16 x 15 area scaled into `r`.
void Folder(QPainter& p, const QRectF& r) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 16.0, r.height() / 15.0);
    Pen(p, kOutline);
    p.setBrush(kFolderBack);
    QPolygonF back;
    back << QPointF(0.5, 3.5) << QPointF(5.5, 3.5) << QPointF(6.5, 4.5) << QPointF(12.5, 4.5)
         << QPointF(12.5, 13.5) << QPointF(0.5, 13.5);
    p.drawPolygon(back);
    p.setBrush(kFolderFront);
    QPolygonF front;
    front << QPointF(0.5, 13.5) << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(12.5, 13.5);
    p.drawPolygon(front);
    p.restore();
}

// A floppy disk filling the 16 x 15 area scaled into `r`.
void Disk(QPainter& p, const QRectF& r) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 16.0, r.height() / 15.0);
    Pen(p, kOutline);
    p.setBrush(kDiskBlue);
    QPolygonF body;
    body << QPointF(1.5, 0.5) << QPointF(13.5, 0.5) << QPointF(15.5, 2.5) << QPointF(15.5, 14.5)
         << QPointF(1.5, 14.5);
    p.drawPolygon(body);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 0.5, 8, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 8, 5));
    p.fillRect(QRectF(6, 11, 2, 3), kOutline);
    p.restore();
}

// Small marks in the top-right corner telling work files and board files
// apart from image files.
void WorkBadge(QPainter& p) {
    Pen(p, kOutline);
    p.setBrush(kBoardGreen);
    p.drawRect(QRectF(8.5, 0.5, 7, 7));
    Pen(p, kCopper, 1.5);
    p.drawLine(QPointF(10, 6), QPointF(14, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(kCopper);
    p.drawEllipse(QPointF(10.5, 5.5), 1.6, 1.6);
    p.drawEllipse(QPointF(13.5, 2.5), 1.6, 1.6);
}

void ProtelBadge(QPainter& p) {
    Pen(p, kOutline);
    p.setBrush(kProtelRed);
    p.drawRect(QRectF(8.5, 0.5, 7, 7));
    Pen(p, kPaper, 1.2);
    QPainterPath letter;
    letter.moveTo(11, 7);
    letter.lineTo(11, 2);
    letter.lineTo(13, 2);
    letter.arcTo(QRectF(12, 2, 2.4, 2.4), 90, -180);
    letter.lineTo(11, 4.4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(letter);
}

void PaintNew(QPainter& p) {
    Page(p, QRectF(2.5, 0.5, 10, 14), false);
}

void PaintOpen(QPainter& p) {
    Folder(p, QRectF(0, 0, 16, 15));
}

void PaintSave(QPainter& p) {
    Disk(p, QRectF(0, 0, 16, 15));
}

void PaintCut(QPainter& p) {
    Pen(p, kOutline, 1.2);
    p.drawLine(QPointF(5, 9), QPointF(11, 1));
    p.drawLine(QPointF(11, 9), QPointF(5, 1));
    Pen(p, QColor(30, 60, 170), 1.3);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4, 11.5), 2.3, 2.3);
    p.drawEllipse(QPointF(12, 11.5), 2.3, 2.3);
}

void PaintCopy(QPainter& p) {
    Page(p, QRectF(0.5, 0.5, 9, 10), true);
    Page(p, QRectF(6.5, 4.5, 9, 10), true);
}

void PaintPaste(QPainter& p) {
    Pen(p, kOutline);
    p.setBrush(QColor(170, 110, 50));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 0.5, 4, 3));
    Page(p, QRectF(7.5, 5.5, 8, 9), true);
}

void PaintAbout(QPainter& p) {
    p.setPen(QPen(QColor(20, 50, 130), 1));
    p.setBrush(QColor(50, 100, 210));
    p.drawEllipse(QPointF(8, 7.5), 6.8, 6.8);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8, 4), 1.2, 1.2);
    p.drawRect(QRectF(7, 6, 2, 6));
}

void PaintParameters(QPainter& p) {
    const qreal rows[] = {2.5, 7.5, 12.5};
    const qreal knobs[] = {5, 11, 7};
    for (int i = 0; i < 3; ++i) {
        Pen(p, kOutline, 1.2);
        p.drawLine(QPointF(1, rows[i]), QPointF(15, rows[i]));
        Pen(p, kOutline);
        p.setBrush(QColor(240, 140, 30));
        p.drawRect(QRectF(knobs[i] - 1.5, rows[i] - 2, 3, 4));
    }
}

void PaintLayerColor(QPainter& p) {
    const QColor swatches[] = {QColor(220, 30, 30), QColor(30, 170, 40), QColor(40, 80, 220),
                               QColor(240, 210, 20)};
    Pen(p, kOutline);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(swatches[i]);
        p.drawRect(QRectF(0.5 + (i % 2) * 8, 0.5 + (i / 2) * 7, 7, 6));
    }
}

// A wooden ruler lying across the square, with its scale marks.
void PaintMeasureScale(QPainter& p) {
    p.save();
    p.translate(8, 7.5);
    p.rotate(-35);
    Pen(p, kOutline);
    p.setBrush(QColor(236, 196, 92));
    p.drawRect(QRectF(-8.5, -3, 17, 6));
    Pen(p, kOutline, 0.8);
    for (int i = -3; i <= 3; ++i) {
        const qreal x = i * 2.2;
        p.drawLine(QPointF(x, -3), QPointF(x, i % 2 == 0 ? 0.5 : -1));
    }
    p.restore();
}

void PaintLineMode(QPainter& p) {
    Pen(p, kCopper, 2.2);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(2, 12.5), QPointF(7, 12.5), QPointF(13, 6.5), QPointF(13, 2)});
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(2, 12.5), 1.5, 1.5);
    p.drawEllipse(QPointF(13, 2), 1.5, 1.5);
}

void PaintPadMode(QPainter& p) {
    Pen(p, QColor(120, 70, 10));
    p.setBrush(kCopper);
    p.drawEllipse(QPointF(8, 7.5), 6.5, 6.5);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8, 7.5), 2.2, 2.2);
}

void PaintComponentMark(QPainter& p) {
    Pen(p, QColor(150, 150, 150), 1.2);
    for (qreal y : {3.5, 7.5, 11.5}) {
        p.drawLine(QPointF(1, y), QPointF(4, y));
        p.drawLine(QPointF(12, y), QPointF(15, y));
    }
    Pen(p, kOutline);
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(QRectF(4.5, 1.5, 7, 12));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8, 3.5), 1.1, 1.1);
}

void PaintOpenWork(QPainter& p) {
    Folder(p, QRectF(0, 3, 13, 12));
    WorkBadge(p);
}

void PaintSaveWork(QPainter& p) {
    Disk(p, QRectF(0, 3, 12, 12));
    WorkBadge(p);
}

void PaintOpenProtel(QPainter& p) {
    Folder(p, QRectF(0, 3, 13, 12));
    ProtelBadge(p);
}

void PaintSaveProtel(QPainter& p) {
    Disk(p, QRectF(0, 3, 12, 12));
    ProtelBadge(p);
}

using Painter = void (*)(QPainter&);

Painter PainterFor(UINT id) {
    switch (id) {
    case ID_FILE_NEW:
        return PaintNew;
    case ID_FILE_OPEN:
        return PaintOpen;
    case ID_FILE_SAVE:
        return PaintSave;
    case ID_EDIT_CUT:
        return PaintCut;
    case ID_EDIT_COPY:
        return PaintCopy;
    case ID_EDIT_PASTE:
        return PaintPaste;
    case ID_APP_ABOUT:
        return PaintAbout;
    case ID_PARAMETERS:
        return PaintParameters;
    case ID_LAYER_COLOR:
        return PaintLayerColor;
    case ID_MEASURE_SCALE:
        return PaintMeasureScale;
    case ID_LINE_MODE:
        return PaintLineMode;
    case ID_PAD_MODE:
        return PaintPadMode;
    case ID_COMPONENT_MARK:
        return PaintComponentMark;
    case ID_OPEN_WORK:
        return PaintOpenWork;
    case ID_SAVE_WORK:
        return PaintSaveWork;
    case ID_OPEN_PROTEL:
        return PaintOpenProtel;
    case ID_FILE_PRINT:
        return PaintSaveProtel;
    default:
        return nullptr;
    }
}

QImage Canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A small board: green with copper tracks and pads, the left part still
// grey as in a scan being traced. Drawn on a 64-unit square.
void PaintBoard(QPainter& p) {
    Pen(p, QColor(20, 70, 30), 2);
    p.setBrush(kBoardGreen);
    p.drawRoundedRect(QRectF(4, 8, 56, 48), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 160, 150, 200));
    p.drawRect(QRectF(5, 9, 20, 46));
    Pen(p, kCopper, 4);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(14, 20), QPointF(32, 20), QPointF(44, 32), QPointF(52, 32)});
    p.drawPolyline(QPolygonF{QPointF(14, 44), QPointF(36, 44), QPointF(44, 36)});
    p.setPen(Qt::NoPen);
    p.setBrush(kCopper);
    for (const QPointF& pad : {QPointF(14, 20), QPointF(52, 32), QPointF(14, 44)})
        p.drawEllipse(pad, 5, 5);
    p.setBrush(kBoardGreen);
    for (const QPointF& pad : {QPointF(14, 20), QPointF(52, 32), QPointF(14, 44)})
        p.drawEllipse(pad, 1.8, 1.8);
}

QIcon IconOfSizes(QImage (*make)(int)) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(make(size)));
    return icon;
}
} // namespace

QImage ButtonImage(UINT id, int scale) {
    const Painter paint = PainterFor(id);
    if (!paint || scale < 1)
        return {};
    QImage image = Canvas(kButtonSize * scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    paint(p);
    return image;
}

QIcon ButtonIcon(UINT id) {
    QIcon icon;
    for (int scale : {1, 2, 3})
        if (const QImage image = ButtonImage(id, scale); !image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QImage AppIconImage(int size) {
    QImage image = Canvas(QSize(size, size));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    PaintBoard(p);
    return image;
}

QImage DocumentIconImage(int size) {
    QImage image = Canvas(QSize(size, size));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    Pen(p, kOutline, 2);
    p.setBrush(kPaper);
    QPolygonF sheet{QPointF(8, 2), QPointF(44, 2), QPointF(58, 16), QPointF(58, 62),
                    QPointF(8, 62)};
    p.drawPolygon(sheet);
    p.translate(14, 22);
    p.scale(0.6, 0.6);
    PaintBoard(p);
    return image;
}

QIcon AppIcon() {
    return IconOfSizes(AppIconImage);
}

QIcon DocumentIcon() {
    return IconOfSizes(DocumentIconImage);
}
