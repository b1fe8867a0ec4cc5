#include "platform/scripted/scripted_host.h"

namespace {
// Forwards to the host's one recorder, so that all client drawing of a test
// lands in one list.
class ForwardingDC : public CDC {
  public:
    explicit ForwardingDC(RecordingDC& target) : m_target(target) {}
    Pen SelectPen(const Pen& pen) override { return m_target.SelectPen(pen); }
    Brush SelectBrush(const Brush& brush) override { return m_target.SelectBrush(brush); }
    CPoint MoveTo(int x, int y) override { return m_target.MoveTo(x, y); }
    bool LineTo(int x, int y) override { return m_target.LineTo(x, y); }
    bool Ellipse(int l, int t, int r, int b) override { return m_target.Ellipse(l, t, r, b); }
    bool Polygon(std::span<const CPoint> points) override { return m_target.Polygon(points); }
    void FillSolidRect(const CRect& r, COLORREF c) override { m_target.FillSolidRect(r, c); }
    int SetStretchBltMode(int mode) override { return m_target.SetStretchBltMode(mode); }
    CPalette* SelectPalette(CPalette* p, bool bg) override { return m_target.SelectPalette(p, bg); }
    UINT RealizePalette() override { return m_target.RealizePalette(); }
    int GetDeviceCaps(int index) const override { return m_target.GetDeviceCaps(index); }
    bool IsPrinting() const override { return false; }
    CRect GetClipBox() const override { return m_target.GetClipBox(); }
    int SetDIBitsToDevice(int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT start, UINT n,
                          const void* bits, const BITMAPINFO* info, UINT usage,
                          std::size_t bytes) override {
        return m_target.SetDIBitsToDevice(xd, yd, w, h, xs, ys, start, n, bits, info, usage, bytes);
    }
    int StretchDIBits(int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
                      const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop,
                      std::size_t bytes) override {
        return m_target.StretchDIBits(xd, yd, wd, hd, xs, ys, ws, hs, bits, info, usage, rop,
                                      bytes);
    }

  private:
    RecordingDC& m_target;
};
} // namespace

std::unique_ptr<CDC> ScriptedViewHost::GetClientDC() {
    ++clientDCs;
    return std::make_unique<ForwardingDC>(clientDrawing);
}
