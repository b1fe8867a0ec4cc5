// Undo and redo against snapshots: random sequences of every kind of edit,
// made through the view's own mouse and key handlers, mixed with undos,
// redos and zooms. After every step the board must equal, bit for bit, the
// snapshot taken when it was last in that state.
#include "board/view_edit.h"
#include "res/resource.h"
#include "view_fixture.h"

#include <cstring>
#include <random>
#include <string>

namespace {

struct Snapshot {
    std::vector<Pad> pads;
    std::vector<Track> tracks;
};

Snapshot Take(const CDibView& v) {
    return {std::vector<Pad>(v.m_pPads, v.m_pPads + v.m_nPadCount),
            std::vector<Track>(v.m_pTracks, v.m_pTracks + v.m_nTrackCount)};
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool SameBits(const Snapshot& a, const Snapshot& b) {
    return SameBits(a.pads, b.pads) && SameBits(a.tracks, b.tracks);
}

void Scale(Snapshot& s, float f) {
    for (Pad& p : s.pads) {
        p.x *= f;
        p.y *= f;
    }
    for (Track& t : s.tracks) {
        t.x1 *= f;
        t.y1 *= f;
        t.x2 *= f;
        t.y2 *= f;
    }
}

class HistoryProperty : public BoardViewTest {
  protected:
    int Random(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    CPoint RandomPoint() { return {Random(20, 780), Random(20, 580)}; }

    // The client point of a random pad or track end in sight, if any.
    bool PointOnObject(CPoint* p) {
        const CPoint s = view.GetScrollPosition();
        for (int tries = 0; tries < 8; ++tries) {
            float x, y;
            if (view.m_nPadCount > 0 && Random(0, 1) == 0) {
                const Pad& pad = PadAt(Random(0, view.m_nPadCount - 1));
                x = pad.x;
                y = pad.y;
            } else if (view.m_nTrackCount > 0) {
                const Track& t = TrackAt(Random(0, view.m_nTrackCount - 1));
                x = (t.x1 + t.x2) / 2;
                y = (t.y1 + t.y2) / 2;
            } else {
                return false;
            }
            const CPoint c(static_cast<int>(x) - s.x, static_cast<int>(y) - s.y);
            if (view.ClientRect().PtInRect(c)) {
                *p = c;
                return true;
            }
        }
        return false;
    }

    void UseMode(UINT id) {
        view.OnCommand(id);
        view.m_bLineStarted = 0;
    }

    void RandomEdit(std::string* name) {
        switch (Random(0, 10)) {
        case 0:
            *name = "pad";
            UseMode(ID_PAD_MODE);
            Click(RandomPoint());
            break;
        case 1: {
            *name = "chain";
            UseMode(ID_LINE_MODE);
            const int clicks = Random(2, 4);
            for (int i = 0; i < clicks; ++i)
                Click(RandomPoint());
            if (Random(0, 2) == 0)
                Key(VK_BACK);
            Key(VK_ESCAPE);
            break;
        }
        case 2:
            *name = "mark";
            UseMode(ID_COMPONENT_MARK);
            Click(RandomPoint());
            break;
        case 3: {
            *name = "drag";
            CPoint p;
            if (!PointOnObject(&p))
                return;
            UseMode(ID_MOVE_STATUS);
            Press(p);
            Move(p + CPoint(Random(-30, 30), Random(-30, 30)));
            if (Random(0, 3) == 0)
                view.OnRButtonDown(0, p); // cancelled: no step
            view.OnLButtonUp(0, p);
            break;
        }
        case 4: {
            *name = "key move";
            CPoint p;
            if (!PointOnObject(&p))
                return;
            UseMode(ID_MOVE_STATUS);
            host.PutPointer(p);
            Key(Random(0, 1) ? VK_LEFT : VK_KEY_8);
            break;
        }
        case 5:
        case 6: {
            *name = "select-all";
            UseMode(ID_SELECT_ALL);
            const UINT keys[] = {VK_RIGHT, VK_KEY_2, VK_RETURN, VK_SPACE, VK_KEY_X, VK_KEY_Y};
            Key(keys[Random(0, 5)]);
            Key(VK_ESCAPE);
            break;
        }
        case 7: {
            *name = "delete";
            CPoint p;
            if (!PointOnObject(&p))
                return;
            host.PutPointer(p);
            Key(VK_DELETE);
            break;
        }
        case 8: {
            *name = "delete all";
            UseMode(ID_SELECT_ALL);
            services.answers.push_back(IDYES);
            view.OnCommand(ID_EDIT_CUT);
            services.answers.clear();
            Key(VK_ESCAPE);
            break;
        }
        default: {
            *name = "replace";
            std::vector<Pad> pads(static_cast<std::size_t>(Random(0, 5)));
            for (Pad& pad : pads)
                pad = {static_cast<float>(Random(0, 900)) + 0.25f, static_cast<float>(Random(0, 600))};
            std::vector<Track> tracks(static_cast<std::size_t>(Random(0, 5)));
            for (Track& t : tracks)
                t = {1.5f * Random(0, 500), 3.0f * Random(0, 200), 7.0f, 9.0f, static_cast<float>(Random(1, 12))};
            ASSERT_TRUE(view.ReplaceBoard(pads, tracks, board::StepKind::OpenWorkFile));
            break;
        }
        }
    }

    std::mt19937 rng;
};

TEST_F(HistoryProperty, UndoAndRedoBringBackEveryEarlierBoardExactly) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        rng.seed(seed);
        view.ClearBoard();
        std::vector<Snapshot> states{Take(view)};
        std::size_t at = 0;
        for (int step = 0; step < 250; ++step) {
            const int what = Random(0, 9);
            std::string name;
            if (what <= 5) {
                const std::uint64_t before = view.BoardRevision();
                RandomEdit(&name);
                if (view.BoardRevision() != before) {
                    // A gesture may be several steps (a chain, a select-all key
                    // and Escape); count what the history added.
                    states.resize(at + 1);
                    Snapshot now = Take(view);
                    // Walk back through the steps the gesture made, to learn
                    // the states in between, then forward again.
                    std::vector<Snapshot> between;
                    const std::uint64_t made = view.BoardRevision() - before;
                    for (std::uint64_t i = 1; i < made; ++i) {
                        view.OnEditUndo();
                        between.insert(between.begin(), Take(view));
                    }
                    for (std::uint64_t i = 1; i < made; ++i)
                        view.OnEditRedo();
                    ASSERT_TRUE(SameBits(Take(view), now)) << "seed " << seed << ", " << name;
                    for (Snapshot& s : between)
                        states.push_back(std::move(s));
                    states.push_back(std::move(now));
                    at = states.size() - 1;
                } else {
                    ASSERT_TRUE(SameBits(Take(view), states[at])) << "seed " << seed << ", " << name;
                }
            } else if (what <= 7) {
                name = "undo";
                const bool could = view.m_History.CanUndo();
                ASSERT_EQ(could, at > 0) << "seed " << seed;
                view.OnEditUndo();
                if (could)
                    --at;
            } else if (what == 8) {
                name = "redo";
                const bool could = view.m_History.CanRedo();
                ASSERT_EQ(could, at + 1 < states.size()) << "seed " << seed;
                view.OnEditRedo();
                if (could)
                    ++at;
            } else {
                name = "zoom";
                // From 1/4 (where the scan fits the window) to 4.
                const bool in = view.m_nScale < 4 &&
                                (view.m_nScale == ZoomFactor::FromExponent(-2) || Random(0, 1));
                const ZoomFactor scale = view.m_nScale;
                Key(in ? VK_PRIOR : VK_NEXT);
                if (view.m_nScale != scale)
                    for (Snapshot& s : states)
                        Scale(s, in ? 2.0f : 0.5f);
            }
            ASSERT_TRUE(SameBits(Take(view), states[at]))
                << "seed " << seed << ", step " << step << " (" << name << ")";
        }
    }
}

} // namespace
