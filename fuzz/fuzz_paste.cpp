// Feeds arbitrary bytes as the desktop clipboard's image/bmp data to Paste
// on a view that shows a picture: through the desktop clipboard (the bitmap
// file turned into a packed DIB and its pixel offset), normalising, checking
// and painting. A refused paste must keep the picture the view had.
#include "board/dib_view.h"
#include "image/dib_doc.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/scripted/recording_dc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class DesktopClipboardServices : public ScriptedServices {
  public:
    IClipboard& Clipboard() override { return desktop; }
    QtClipboard desktop;
};

// A 4 x 3 8-bit picture for the view to show before the paste.
HDIB StartingPicture() {
    BITMAPINFOHEADER h{40, 4, 3, 1, 8, BI_RGB, 12, 0, 0, 0, 0};
    HDIB dib = GlobalAlloc(GHND, 40 + 1024 + 12);
    GlobalLockGuard lock(dib);
    auto* p = static_cast<BYTE*>(lock.get());
    std::memcpy(p, &h, sizeof h);
    for (int i = 0; i < 256; ++i)
        p[40 + 4 * i] = BYTE(i);
    for (int i = 0; i < 12; ++i)
        p[40 + 1024 + i] = BYTE(i * 20);
    return dib;
}

std::vector<BYTE> BytesOf(HDIB dib) {
    GlobalLockGuard lock(dib);
    const auto* p = static_cast<const BYTE*>(lock.get());
    return std::vector<BYTE>(p, p + lock.size());
}

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_paste";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    App();
    DesktopClipboardServices services;
    CDibDoc doc;
    ScriptedViewHost host;
    CDibView view;
    view.AttachHost(&host);
    doc.AddView(&view);
    if (!doc.AcceptDibBlock(StartingPicture()))
        __builtin_trap();
    const HDIB before = doc.GetDibBlock();
    const std::vector<BYTE> beforeBytes = BytesOf(before);

    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/bmp"),
                  QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    QGuiApplication::clipboard()->setMimeData(mime);
    view.OnEditPaste();

    if (!doc.IsModified()) {
        // Refused (or nothing to paste): the picture is the one it was.
        if (doc.GetDibBlock() != before || BytesOf(doc.GetDibBlock()) != beforeBytes)
            __builtin_trap();
    } else {
        if (!doc.GetDibBlock())
            __builtin_trap();
        // What was taken is painted, zoomed in and out.
        RecordingDC dc;
        view.OnDraw(&dc);
        view.m_nScale = 4;
        view.OnDraw(&dc);
        view.m_nScale = ZoomFactor::FromExponent(-3);
        view.OnDraw(&dc);
    }
    doc.RemoveView(&view);
    return 0;
}
