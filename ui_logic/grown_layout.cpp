#include "ui_logic/grown_layout.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace kestrune {

namespace {

bool SideBySide(const LayoutPlace& a, const LayoutPlace& b) {
    return a.top < b.top + b.height && b.top < a.top + a.height;
}

// Inserts width at x among the places of part: those at or right of x move, those across it
// widen.
void InsertWidth(std::vector<LayoutPlace>& places, const std::vector<std::size_t>& part, int x,
                 int width) {
    for (const std::size_t i : part) {
        if (places[i].left >= x) {
            places[i].left += width;
        } else if (places[i].right() > x) {
            places[i].width += width;
        }
    }
}

// Grows each control of part to its text, left to right; returns where stretch went.
int GrowPart(std::span<const LayoutControl> controls, std::vector<LayoutPlace>& places,
             std::vector<std::size_t> part, int stretch) {
    std::sort(part.begin(), part.end(),
              [&](std::size_t a, std::size_t b) { return places[a].left < places[b].left; });
    for (const std::size_t i : part) {
        const int needed = controls[i].needed;
        if (needed == 0) {
            continue;
        }
        int limit = INT_MAX;
        for (const std::size_t j : part) {
            // To its right: beginning after it begins and ending after it ends (the layout's
            // columns may share an edge pixel).
            if (j != i && SideBySide(places[i], places[j]) && places[j].left > places[i].left &&
                places[j].right() > places[i].right()) {
                limit = std::min(limit, places[j].left);
            }
        }
        // A text that fills its place, and would run into the next control or come closer to
        // it than the gap, moves it along. (The layout's own places leave a text well inside
        // its place as it is, however close the next control begins.)
        int overrun = limit == INT_MAX ? 0 : places[i].left + needed + kLayoutGap - limit;
        if (needed <= places[i].width - kLayoutGap) {
            overrun = 0;
        }
        if (needed <= places[i].width && overrun <= 0) {
            continue;
        }
        if (overrun > 0) {
            // A next control that starts inside this one's edge moves all the same.
            const int edge = std::min(places[i].right(), limit);
            std::vector<std::size_t> others;
            std::copy_if(part.begin(), part.end(), std::back_inserter(others),
                         [i](std::size_t j) { return j != i; });
            InsertWidth(places, others, edge, overrun);
            if (stretch >= edge) {
                stretch += overrun;
            }
        }
        places[i].width = std::max(places[i].width, needed);
    }
    return stretch;
}

int MostRight(const std::vector<LayoutPlace>& places, const std::vector<std::size_t>& part) {
    int right = INT_MIN;
    for (const std::size_t i : part) {
        right = std::max(right, places[i].right());
    }
    return right;
}

int LeastLeft(const std::vector<LayoutPlace>& places, const std::vector<std::size_t>& part) {
    int left = INT_MAX;
    for (const std::size_t i : part) {
        left = std::min(left, places[i].left);
    }
    return left;
}

}  // namespace

GrownLayout GrowToTexts(std::span<const LayoutControl> controls, std::span<const LayoutRow> rows,
                        int minExtraWidth) {
    GrownLayout layout;
    for (const LayoutControl& control : controls) {
        layout.places.push_back(control.place);
    }
    const std::vector<LayoutPlace> designed = layout.places;
    struct Grown {
        std::vector<std::size_t> left, right;  // of the stretch point
        int stretch = LayoutRow::kNoStretch;
        int needs = 0;        // extra width the row needs
        int rightGrowth = 0;  // how far its right part's edge moved
    };
    std::vector<Grown> grown(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        Grown& row = grown[r];
        row.stretch = rows[r].stretchAt;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].row != static_cast<int>(r)) {
                continue;
            }
            const bool rightOfStretch =
                row.stretch != LayoutRow::kNoStretch && controls[i].place.left >= row.stretch;
            (rightOfStretch ? row.right : row.left).push_back(i);
        }
        if (row.left.empty() && row.right.empty()) {
            continue;
        }
        std::vector<std::size_t> all = row.left;
        all.insert(all.end(), row.right.begin(), row.right.end());
        const int designedRight = MostRight(designed, all);
        row.stretch = GrowPart(controls, layout.places, row.left, row.stretch);
        GrowPart(controls, layout.places, row.right, LayoutRow::kNoStretch);
        if (row.right.empty()) {
            row.needs = MostRight(layout.places, row.left) - designedRight;
        } else {
            row.rightGrowth = MostRight(layout.places, row.right) - designedRight;
            // The right part moves with the window's edge; it must stay clear of the left part.
            const int crowding = row.left.empty() ? 0
                                                  : MostRight(layout.places, row.left) +
                                                        kLayoutGap -
                                                        LeastLeft(layout.places, row.right);
            row.needs = row.rightGrowth + std::max(crowding, 0);
        }
    }
    layout.extraWidth = std::max(0, minExtraWidth);
    for (const Grown& row : grown) {
        layout.extraWidth = std::max(layout.extraWidth, row.needs);
    }
    // Each row takes up what the window grew beyond its own needs at its stretch point.
    for (const Grown& row : grown) {
        if (row.stretch == LayoutRow::kNoStretch) {
            continue;
        }
        if (!row.right.empty()) {
            for (const std::size_t i : row.right) {
                layout.places[i].left += layout.extraWidth - row.rightGrowth;
            }
        } else {
            InsertWidth(layout.places, row.left, row.stretch, layout.extraWidth - row.needs);
        }
    }
    return layout;
}

}  // namespace kestrune
