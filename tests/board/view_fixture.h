// A board view on a scripted host and scripted services, for driving the
// real handlers: the test places the pointer, sends mouse and key messages,
// and reads the model, the drawing, the invalidations and the status line.
#pragma once

#include "board/dib_view.h"
#include "board/keys.h"
#include "platform/scripted/scripted_host.h"
#include "platform/scripted/scripted_services.h"

#include <gtest/gtest.h>

#include <vector>

class BoardViewTest : public ::testing::Test {
  protected:
    BoardViewTest() {
        view.AttachHost(&host);
        SetImageSize(2000, 1500);
        host.invalidations.clear();
        services.messages.clear();
    }
    ~BoardViewTest() override { view.ClearBoard(); }

    // Sizes the image and the scroll range at the current zoom.
    void SetImageSize(int width, int height) {
        view.m_nImageWidth = width;
        view.m_nImageHeight = height;
        view.SetScrollSizes(MM_TEXT, CSize(static_cast<int>(view.m_nScale.ZoomedExtent(width)),
                                           static_cast<int>(view.m_nScale.ZoomedExtent(height))));
    }

    void Click(CPoint p) {
        host.PutPointer(p);
        view.OnLButtonDown(0, p);
        view.OnLButtonUp(0, p);
    }
    void Press(CPoint p) {
        host.PutPointer(p);
        view.OnLButtonDown(0, p);
    }
    void Move(CPoint p) {
        host.PutPointer(p);
        view.OnMouseMove(0, p);
    }
    void Key(UINT key, UINT repeat = 1) { view.OnKeyDown(key, repeat, 0); }

    void AddTrack(float x1, float y1, float x2, float y2, int layer = 1) {
        ASSERT_TRUE(view.AppendTrack(x1, y1, x2, y2, layer));
    }
    void AddPad(float x, float y) { ASSERT_TRUE(view.AppendPad(x, y)); }

    const Track& TrackAt(int i) const { return view.m_pTracks[i]; }
    const Pad& PadAt(int i) const { return view.m_pPads[i]; }

    std::vector<DrawOp> Drawn() const { return host.clientDrawing.Drawn(); }
    std::vector<DrawOp> DrawnOf(DrawOp::Kind kind) const {
        std::vector<DrawOp> out;
        for (const DrawOp& op : Drawn())
            if (op.kind == kind)
                out.push_back(op);
        return out;
    }
    void ClearRecords() {
        host.clientDrawing.ops.clear();
        host.invalidations.clear();
        host.cursorMoves.clear();
        services.messages.clear();
        services.beeps.clear();
    }

    ScriptedServices services;
    ScriptedViewHost host{CRect(0, 0, 800, 600)};
    CDibView view;
};

inline void ExpectTrack(const Track& t, float x1, float y1, float x2, float y2) {
    EXPECT_EQ(t.x1, x1);
    EXPECT_EQ(t.y1, y1);
    EXPECT_EQ(t.x2, x2);
    EXPECT_EQ(t.y2, y2);
}
