// A full board: clicks that would add beyond 20000 pads or tracks say so once
// and add nothing.
#include "view_fixture.h"

namespace {

class FullBoard : public BoardViewTest {
  protected:
    void FillPads(int count) {
        for (int i = 0; i < count; ++i)
            AddPad(static_cast<float>(i % 1000), 700.0f);
    }
    void FillTracks(int count) {
        for (int i = 0; i < count; ++i)
            AddTrack(1500, 1400, 1510, 1400);
    }
    void ExpectOneFullMessage(const char* what) {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].caption, "Quarzline");
        EXPECT_EQ(services.messages[0].icon(), MB_ICONSTOP);
        EXPECT_NE(services.messages[0].text.find("20000 " + std::string(what)), std::string::npos)
            << services.messages[0].text;
    }
};

TEST_F(FullBoard, PadClickBeyondCapacityAddsNothing) {
    FillPads(g_nMaxItems);
    ClearRecords();
    Click({50, 60});
    EXPECT_EQ(view.m_nPadCount, g_nMaxItems);
    EXPECT_EQ(PadAt(g_nMaxItems - 1).x, static_cast<float>((g_nMaxItems - 1) % 1000));
    ExpectOneFullMessage("pads");
    EXPECT_TRUE(DrawnOf(DrawOp::Ellipse).empty()) << "no pad drawn that is not stored";
    EXPECT_TRUE(services.beeps.empty());
}

TEST_F(FullBoard, TrackSegmentBeyondCapacityAddsNothing) {
    FillTracks(g_nMaxItems - 1);
    view.OnLineMode();
    Click({100, 100});
    Click({200, 100}); // the last free entry
    ClearRecords();
    Click({300, 100});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems);
    ExpectTrack(TrackAt(g_nMaxItems - 1), 100, 100, 200, 100);
    ExpectOneFullMessage("tracks");
    EXPECT_TRUE(DrawnOf(DrawOp::LineTo).empty());
}

TEST_F(FullBoard, ComponentMarkNeedsRoomForAllThreeStrokes) {
    FillTracks(g_nMaxItems - 2);
    view.OnComponentMark();
    ClearRecords();
    Click({400, 300});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems - 2) << "never a partial mark";
    ExpectOneFullMessage("tracks");
    view.ClearBoard();
    FillTracks(g_nMaxItems - 3);
    ClearRecords();
    Click({400, 300});
    EXPECT_EQ(view.m_nTrackCount, g_nMaxItems);
    EXPECT_TRUE(services.messages.empty());
}

} // namespace
