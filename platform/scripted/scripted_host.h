// A view host for tests: a client rectangle of a chosen size, a pointer that
// the test places, and a record of every invalidation and cursor change.
// Client-area drawing goes to one RecordingDC that the test can inspect.
#pragma once

#include "platform/scripted/recording_dc.h"
#include "platform/view_host.h"

#include <memory>
#include <vector>

struct Invalidation {
    bool whole = false;
    CRect rect;
    bool erase = false;
};

class ScriptedViewHost : public IViewHost {
  public:
    explicit ScriptedViewHost(CRect client = CRect(0, 0, 800, 600), CPoint screenOrigin = {100, 50})
        : client(client), screenOrigin(screenOrigin) {}

    CRect GetClientRect() const override { return client; }
    void ScrollStateChanged() override { ++scrollChanges; }
    void Invalidate(bool erase) override { invalidations.push_back({true, client, erase}); }
    void InvalidateRect(const CRect& rect, bool erase) override {
        invalidations.push_back({false, rect, erase});
    }
    std::unique_ptr<CDC> GetClientDC() override;
    CPoint GetCursorPos() const override { return cursorScreen; }
    void SetCursorPos(CPoint screen) override {
        cursorScreen = screen;
        cursorMoves.push_back(screen);
    }
    CPoint ClientToScreen(CPoint p) const override { return p + screenOrigin; }
    CPoint ScreenToClient(CPoint p) const override { return p - screenOrigin; }
    void SetCursor(Cursor c) override {
        cursor = c;
        cursors.push_back(c);
    }

    // Places the pointer at a client point.
    void PutPointer(CPoint clientPoint) { cursorScreen = clientPoint + screenOrigin; }
    CPoint PointerClient() const { return cursorScreen - screenOrigin; }

    CRect client;
    CPoint screenOrigin;
    CPoint cursorScreen;
    Cursor cursor = Cursor::Arrow;
    std::vector<Cursor> cursors;
    std::vector<CPoint> cursorMoves;
    std::vector<Invalidation> invalidations;
    int scrollChanges = 0;
    // Everything drawn through client device contexts, in order.
    RecordingDC clientDrawing;
    int clientDCs = 0;
};
