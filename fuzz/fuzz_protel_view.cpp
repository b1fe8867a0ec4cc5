// Arbitrary bytes as a Protel file imported over a picture in a board view:
// whatever the import takes fits the board and paints, and an import that
// fails (read error, coordinates out of range) keeps the board that was there.
#include "board/dib_view.h"
#include "exchange/text_lines.h"
#include "image/dib_doc.h"
#include "platform/scripted/recording_dc.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}

// A small 24-bit picture; the first input byte picks its size.
HDIB Picture(std::uint8_t sizeByte) {
    const int w = 1 + sizeByte % 64, h = 1 + sizeByte / 4;
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    BITMAPINFOHEADER info{40, w, h, 1, 24, BI_RGB, stride * static_cast<DWORD>(h), 0, 0, 0, 0};
    HDIB dib = GlobalAlloc(GHND, 40 + info.biSizeImage);
    GlobalLockGuard lock(dib);
    std::memcpy(lock.get(), &info, sizeof info);
    return dib;
}

struct Board {
    std::vector<Pad> pads;
    std::vector<Track> tracks;
    bool operator==(const Board& o) const {
        return pads.size() == o.pads.size() && tracks.size() == o.tracks.size() &&
               std::memcmp(pads.data(), o.pads.data(), pads.size() * sizeof(Pad)) == 0 &&
               std::memcmp(tracks.data(), o.tracks.data(), tracks.size() * sizeof(Track)) == 0;
    }
};

Board BoardOf(const CDibView& view) {
    Board b;
    b.pads.assign(view.m_pPads, view.m_pPads + view.m_nPadCount);
    b.tracks.assign(view.m_pTracks, view.m_pTracks + view.m_nTrackCount);
    return b;
}

const std::string& InputPath() {
    static const std::string path = [] {
        char dir[] = "/tmp/fuzz-protel-view-XXXXXX";
        Check(mkdtemp(dir) != nullptr);
        return std::string(dir) + "/in.pcb";
    }();
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    ScriptedServices services;
    CDibDoc doc;
    ScriptedViewHost host;
    CDibView view;
    view.AttachHost(&host);
    doc.AddView(&view);
    Check(doc.AcceptDibBlock(Picture(data[0])));
    view.m_nScale = ZoomFactor::FromExponent(data[1] % 13 - 4); // 1/16 to 256
    ++data, --size, ++data, --size;
    RecordingDC dc;
    view.OnDraw(&dc); // takes the picture's size, as the window does
    view.AppendPad(3, 4);
    view.AppendTrack(1, 2, 5, 6, 1);
    const Board before = BoardOf(view);

    Check(WriteWholeFile(InputPath(), std::string(reinterpret_cast<const char*>(data), size)));
    services.fileAnswers.push_back(InputPath());
    view.OnOpenProtel();

    bool failed = false;
    for (const auto& message : services.messages)
        failed = failed || message.text == "Read error or file format is invalid!" ||
                 message.text == "The file's coordinates are out of range: nothing was read.";
    if (failed)
        Check(BoardOf(view) == before);
    for (int i = 0; i < view.m_nPadCount; ++i)
        Check(std::isfinite(view.m_pPads[i].x) && std::isfinite(view.m_pPads[i].y));
    view.OnDraw(&dc);
    doc.RemoveView(&view);
    return 0;
}
