// Registering the other side: pairs of matching points clicked alternately
// on the front and on the back, a fit after every change, the residual of
// each pair in the status line and the worst pair's mark in red. A mark can
// be dragged, a right click on it (or Delete over it) takes its pair away,
// Enter keeps the fit and Escape goes back to what there was.
#include "board/dib_view.h"
#include "board/keys.h"
#include "board/mode_status.h"
#include "board/view_geometry.h"
#include "board/view_sides.h"
#include "image/dib_doc.h"
#include "platform/user_services.h"

#include <cmath>
#include <cstdio>

using registration::Point;
using registration::PointPair;

namespace {
constexpr const char* kCaption = "Quarzline";
// How near the pointer must be to a mark to grab it, in client pixels.
constexpr int kMarkReach = 6;
constexpr int kMarkSize = 6;
constexpr COLORREF kMarkColor = RGB(0, 220, 0);
constexpr COLORREF kWorstColor = RGB(255, 0, 0);
constexpr COLORREF kPendingColor = RGB(255, 200, 0);

registration::Transform ShownTransform(const CDibView& view, const OtherSide& side) {
    const CDibDoc* doc = view.GetDocument();
    return side.BackToFront(doc ? doc->GetImageSize() : CSize(1, 1), view.GetScanLines());
}

// The front pixel under a client point, pixel k's centre at k.
Point FrontPointAt(const CDibView& view, CPoint client) {
    const CPoint s = view.GetScrollPosition();
    const double step = std::ldexp(1.0, -view.m_nScale.Exponent());
    return {(static_cast<double>(s.x) + client.x + 0.5) * step - 0.5,
            (static_cast<double>(s.y) + client.y + 0.5) * step - 0.5};
}

std::optional<CPoint> ClientOf(const CDibView& view, Point front) {
    const CPoint s = view.GetScrollPosition();
    const double zoom = view.m_nScale.Factor();
    const double x = (front.x + 0.5) * zoom - 0.5 - s.x, y = (front.y + 0.5) * zoom - 0.5 - s.y;
    if (!(std::abs(x) < board::kFarAway && std::abs(y) < board::kFarAway))
        return std::nullopt;
    return CPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

// Where a pair's mark on the side shown lies in the front frame.
std::optional<Point> MarkOf(const CDibView& view, const OtherSide& side, const PointPair& pair) {
    if (!view.m_Sides.back)
        return pair.front;
    return ShownTransform(view, side).Apply(pair.back);
}

int PairNear(const CDibView& view, const OtherSide& side, CPoint client) {
    const auto& pairs = view.m_Registering.pairs;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto mark = MarkOf(view, side, pairs[i]);
        const auto at = mark ? ClientOf(view, *mark) : std::nullopt;
        if (at && std::abs(at->x - client.x) <= kMarkReach && std::abs(at->y - client.y) <= kMarkReach)
            return static_cast<int>(i);
    }
    return -1;
}

std::string Format(const char* format, double a, double b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string ResidualOf(const CDibView& view, const registration::Residual& residual) {
    return Format("%.2f px %.1f mil", residual.Pixels(),
                  residual.Mils(view.MilPerPixelX(), view.MilPerPixelY()));
}

// "4 pairs, worst: pair 2 0.51 px 2.6 mil  |  Pair 1: 0.32 px 1.6 mil  Pair 2: ...",
// or what is missing. The summary comes first: with many pairs the list is
// longer than the status line, which cuts it at its end.
std::string ResidualText(const CDibView& view) {
    const RegistrationSession& session = view.m_Registering;
    if (session.pendingFront)
        return "Now click the same point on the back (pair " + std::to_string(session.pairs.size() + 1) + ")";
    if (!session.fit) {
        if (!session.refusal.empty())
            return session.refusal;
        return "Click a point on the front, then the same point on the back; " +
               std::to_string(session.pairs.size()) + " of at least 3 pairs. Enter keeps, Escape cancels";
    }
    const auto& residuals = session.fit->residuals;
    const int worst = session.fit->worst;
    std::string text = std::to_string(residuals.size()) + " pairs, worst: pair " +
                       std::to_string(worst + 1);
    if (worst >= 0 && static_cast<std::size_t>(worst) < residuals.size())
        text += " " + ResidualOf(view, residuals[static_cast<std::size_t>(worst)]);
    for (std::size_t i = 0; i < residuals.size(); ++i)
        text += (i == 0 ? "  |  Pair " : "  Pair ") + std::to_string(i + 1) + ": " +
                ResidualOf(view, residuals[i]);
    return text;
}

void ShowResiduals(CDibView& view) {
    Services().SetStatusPaneText(0, ResidualText(view));
}

// Fits the pairs and shows the side through the fit at once, so that the
// next clicks on the back already land near their places.
void Refit(CDibView& view) {
    OtherSide* side = board::OtherSideOf(view);
    RegistrationSession& session = view.m_Registering;
    session.fit.reset();
    session.refusal.clear();
    if (!side)
        return;
    if (session.pairs.size() >= 3) {
        registration::FitOutcome outcome = registration::FitPairs(session.pairs);
        session.fit = std::move(outcome.fit);
        session.refusal = outcome.refusal;
    }
    side->registered = session.fit ? std::optional(session.fit->backToFront) : session.registeredBefore;
    if (CDibDoc* doc = view.GetDocument())
        for (CScrollView* other : doc->GetViews())
            other->Invalidate(false);
    ShowResiduals(view);
}

void EndSession(CDibView& view) {
    const bool back = view.m_Registering.backShownBefore;
    view.m_Registering = {};
    view.ShowSide(back);
    view.Invalidate(false);
    view.OnSetCursor();
    board::ShowModeStatus(view);
}

void DrawMark(CDC& dc, CPoint c, COLORREF color, int size) {
    const Pen previous = dc.SelectPen(Pen{2, color});
    dc.MoveTo(c.x - size, c.y);
    dc.LineTo(c.x + size + 1, c.y);
    dc.MoveTo(c.x, c.y - size);
    dc.LineTo(c.x, c.y + size + 1);
    const Brush brush = dc.SelectBrush(Brush{RGB(0, 0, 0), true});
    dc.Ellipse(c.x - size, c.y - size, c.x + size + 1, c.y + size + 1);
    dc.SelectBrush(brush);
    dc.SelectPen(previous);
}
} // namespace

namespace board {
void RegisterClick(CDibView& view, CPoint point) {
    OtherSide* side = OtherSideOf(view);
    RegistrationSession& session = view.m_Registering;
    if (!side)
        return;
    if (!session.pendingFront) {
        if (const int pair = PairNear(view, *side, point); pair >= 0) {
            session.dragPair = pair;
            return;
        }
    }
    const Point front = FrontPointAt(view, point);
    if (!view.m_Sides.back) {
        session.pendingFront = front;
        view.ShowSide(true);
        ShowResiduals(view);
        return;
    }
    const std::optional<registration::Transform> toBack = ShownTransform(view, *side).Inverse();
    const std::optional<Point> back = toBack ? toBack->Apply(front) : std::nullopt;
    if (!session.pendingFront || !back) {
        // A back point comes second: the pair starts on the front.
        view.ShowSide(false);
        ShowResiduals(view);
        return;
    }
    session.pairs.push_back({*session.pendingFront, *back});
    session.pendingFront.reset();
    view.ShowSide(false);
    Refit(view);
}

void RegisterDrag(CDibView& view, CPoint point) {
    OtherSide* side = OtherSideOf(view);
    RegistrationSession& session = view.m_Registering;
    if (!side || session.dragPair < 0 || session.dragPair >= static_cast<int>(session.pairs.size()))
        return;
    PointPair& pair = session.pairs[static_cast<std::size_t>(session.dragPair)];
    const Point front = FrontPointAt(view, point);
    if (!view.m_Sides.back) {
        pair.front = front;
    } else if (const auto toBack = ShownTransform(view, *side).Inverse()) {
        if (const auto back = toBack->Apply(front))
            pair.back = *back;
    }
    view.Invalidate(false);
}

void RegisterRelease(CDibView& view) {
    if (view.m_Registering.dragPair < 0)
        return;
    view.m_Registering.dragPair = -1;
    Refit(view);
}

void RegisterRightClick(CDibView& view, CPoint point) {
    OtherSide* side = OtherSideOf(view);
    RegistrationSession& session = view.m_Registering;
    if (!side)
        return;
    if (session.pendingFront) {
        session.pendingFront.reset();
        view.ShowSide(false);
        ShowResiduals(view);
        return;
    }
    const int pair = PairNear(view, *side, point);
    if (pair < 0)
        return;
    session.pairs.erase(session.pairs.begin() + pair);
    Refit(view);
}

void AcceptRegistration(CDibView& view) {
    OtherSide* side = OtherSideOf(view);
    RegistrationSession& session = view.m_Registering;
    if (!side)
        return;
    if (!session.pairs.empty() && !session.fit) {
        const std::string why = session.refusal.empty()
                                    ? "Registering needs at least 3 pairs of points; there are " +
                                          std::to_string(session.pairs.size()) + "."
                                    : session.refusal;
        Services().MessageBox(why, kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    side->pairs = session.pairs;
    side->registered = session.fit ? std::optional(session.fit->backToFront) : std::nullopt;
    view.MarkBoardModified();
    const std::string done = session.fit ? "The other side is registered: " + ResidualText(view)
                                         : "The other side is shown mirrored, unregistered";
    EndSession(view);
    Services().SetStatusPaneText(0, done);
}

void CancelRegistration(CDibView& view) {
    if (OtherSide* side = OtherSideOf(view))
        side->registered = view.m_Registering.registeredBefore;
    EndSession(view);
    if (CDibDoc* doc = view.GetDocument())
        for (CScrollView* other : doc->GetViews())
            other->Invalidate(false);
}

bool RegistrationKey(CDibView& view, UINT key, const CPoint* pointer) {
    switch (key) {
    case VK_RETURN: AcceptRegistration(view); return true;
    case VK_ESCAPE: CancelRegistration(view); return true;
    case VK_DELETE:
        if (pointer)
            RegisterRightClick(view, *pointer);
        return true;
    default: return false;
    }
}

void PaintRegistrationMarks(CDibView& view, CDC& dc) {
    const OtherSide* side = OtherSideOf(view);
    const RegistrationSession& session = view.m_Registering;
    if (!side || !session.active)
        return;
    const int worst = session.fit ? session.fit->worst : -1;
    for (std::size_t i = 0; i < session.pairs.size(); ++i) {
        const auto mark = MarkOf(view, *side, session.pairs[i]);
        if (const auto at = mark ? ClientOf(view, *mark) : std::nullopt) {
            const bool isWorst = static_cast<int>(i) == worst;
            DrawMark(dc, *at, isWorst ? kWorstColor : kMarkColor, isWorst ? kMarkSize + 3 : kMarkSize);
        }
    }
    if (session.pendingFront && !view.m_Sides.back)
        if (const auto at = ClientOf(view, *session.pendingFront))
            DrawMark(dc, *at, kPendingColor, kMarkSize);
}
} // namespace board

void CDibView::OnRegisterOtherSide() {
    OtherSide* side = board::OtherSideOf(*this);
    if (!side || m_Registering.active)
        return;
    if (m_bLineStarted) {
        m_bLineStarted = 0;
        m_nChainSegments = 0;
    }
    CancelMeasuring();
    m_Registering = {};
    m_Registering.active = true;
    m_Registering.pairs = side->pairs;
    m_Registering.pairsBefore = side->pairs;
    m_Registering.registeredBefore = side->registered;
    m_Registering.backShownBefore = m_Sides.back;
    ShowSide(false);
    Refit(*this);
    OnSetCursor();
    board::ShowModeStatus(*this);
    Invalidate(false);
}
