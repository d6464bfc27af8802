#pragma once

#include <span>
#include <vector>

namespace kestrune {

// A control's place in a window's layout, in pixels at 96 DPI within the client area.
struct LayoutPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    bool operator==(const LayoutPlace&) const = default;
};

// A control as laid out for English, how wide its text is in the language in use (0 for a
// control without one), and the row of the window it belongs to.
struct LayoutControl {
    LayoutPlace place;
    int needed = 0;
    int row = 0;
};

// A row of controls side by side. A row that takes up the window's extra width does so at
// stretchAt: the controls across it widen, those right of it move right with the window's edge.
struct LayoutRow {
    static constexpr int kNoStretch = -1;
    int stretchAt = kNoStretch;
};

struct GrownLayout {
    std::vector<LayoutPlace> places;  // in the order of the controls given
    int extraWidth = 0;               // how much wider than its layout the window is
};

// The layout grown to the texts: a control whose text needs more room than its place has
// widens to fit it; where it would then reach the next control of its row, it and every
// control of the row right of its edge move right (controls across the edge widen), keeping
// their order and alignment. The window widens by what the widest row needs, and at least by
// minExtraWidth. Controls whose texts fit keep their places: a layout whose texts all fit is
// the layout itself.
GrownLayout GrowToTexts(std::span<const LayoutControl> controls, std::span<const LayoutRow> rows,
                        int minExtraWidth = 0);

// Least room between a grown control and the next one of its row.
inline constexpr int kLayoutGap = 4;

}  // namespace kestrune
