// The other side of the board: a second scan held by the document beside
// its own, with how it lies on this one. The tracing keeps this side's
// ("front") pixels; the other side ("back") is shown through a transform
// into them, the mirror and scale of its resolution until it is registered.
#pragma once

#include "board/registration.h"
#include "board/scan_lines.h"
#include "platform/types.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDibDoc;

struct OtherSide {
    OtherSide();
    ~OtherSide();
    OtherSide(OtherSide&&) noexcept;
    OtherSide& operator=(OtherSide&&) noexcept;

    std::unique_ptr<CDibDoc> scan; // its picture, with its file's path
    ScanLines lines;               // its resolution
    registration::Mirror mirror = registration::Mirror::LeftRight;
    // The pairs of the last registration, kept for the next one.
    std::vector<registration::PointPair> pairs;
    // Back pixels to front pixels as the pairs fix them; nothing until the
    // side has been registered.
    std::optional<registration::Transform> registered;

    // The transform the side is shown through: the registered one, or the
    // mirror and scale centred on a front scan of this size and resolution.
    registration::Transform BackToFront(CSize frontSize, ScanLines frontLines) const;
    CSize ScanSize() const;
};

// Opens the scan of `path` as an other side (any format the program opens),
// with the resolution its file states, or else the one remembered for it,
// or else `fallback`. The program's messages tell why when it cannot.
std::unique_ptr<OtherSide> LoadOtherSide(const std::string& path, ScanLines fallback);

// What a view shows: which side lies on top, and the other one blended
// over it at an opacity while the x-ray is on.
struct SidesShown {
    static constexpr int kLeastOpacity = 10;
    static constexpr int kMostOpacity = 90;
    static constexpr int kOpacityStep = 10;
    bool back = false;
    bool xray = false;
    int opacity = 50; // percent, kLeastOpacity to kMostOpacity
};

// A registration in progress in a view: the pairs being edited, the front
// point of a pair whose back point is still to come, a mark being dragged,
// and what there was before, for a cancel.
struct RegistrationSession {
    bool active = false;
    std::vector<registration::PointPair> pairs;
    std::optional<registration::Point> pendingFront;
    std::optional<registration::Fit> fit;
    std::string refusal; // why the pairs give no fit, while they give none
    int dragPair = -1;   // the pair whose mark on the shown side is dragged
    std::vector<registration::PointPair> pairsBefore;
    std::optional<registration::Transform> registeredBefore;
    bool backShownBefore = false;
};
