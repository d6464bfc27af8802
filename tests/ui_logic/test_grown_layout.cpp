#include <gtest/gtest.h>

#include <vector>

#include "ui_logic/grown_layout.h"

namespace kestrune {
namespace {

// A small window: a fields row (two labels over two edits, the second edit reaching the right
// edge, stretching there), and a buttons row whose last button keeps to the window's edge.
const LayoutRow kRows[] = {{108}, {60}};
std::vector<LayoutControl> Window(int label0, int label1, int button0, int button1) {
    return {
        {{10, 10, 40, 13}, label0, 0},  // label over edit 0
        {{10, 26, 45, 21}, 0, 0},       // edit 0
        {{60, 10, 30, 13}, label1, 0},  // label over edit 1
        {{60, 26, 50, 21}, 0, 0},       // edit 1, to the right edge (110)
        {{10, 60, 40, 25}, button0, 1},
        {{70, 60, 40, 25}, button1, 1},  // at the right edge
    };
}

TEST(GrownLayout, TextsGrowTheirControlsAndTheWindow) {
    const struct {
        const char* what;
        std::vector<LayoutControl> controls;
        std::vector<LayoutPlace> places;
        int extraWidth;
    } cases[] = {
        {"texts that fit keep the layout", Window(30, 0, 40, 20),
         {{10, 10, 40, 13}, {10, 26, 45, 21}, {60, 10, 30, 13}, {60, 26, 50, 21},
          {10, 60, 40, 25}, {70, 60, 40, 25}},
         0},
        {"a label with room to its right widens alone", Window(44, 0, 0, 0),
         {{10, 10, 44, 13}, {10, 26, 45, 21}, {60, 10, 30, 13}, {60, 26, 50, 21},
          {10, 60, 40, 25}, {70, 60, 40, 25}},
         0},
        // 10 + 60 + 4 reaches 74: the second column moves 14 right, the first edit widens with
        // it, the window grows 14, and the buttons' row gives its last button to the edge.
        {"a label reaching the next column moves it", Window(60, 0, 0, 0),
         {{10, 10, 60, 13}, {10, 26, 59, 21}, {74, 10, 30, 13}, {74, 26, 50, 21},
          {10, 60, 40, 25}, {84, 60, 40, 25}},
         14},
        // The last label needs 70 (60 + 70 = 130): nothing is right of it, the window grows.
        {"the last column widens the window", Window(0, 70, 0, 0),
         {{10, 10, 40, 13}, {10, 26, 45, 21}, {60, 10, 70, 13}, {60, 26, 50, 21},
          {10, 60, 40, 25}, {90, 60, 40, 25}},
         20},
        // The first button (10 + 64 + 4 = 78) crowds the last one (70): the window grows 8.
        {"buttons keep apart and to the edge", Window(0, 0, 64, 0),
         {{10, 10, 40, 13}, {10, 26, 45, 21}, {60, 10, 30, 13}, {60, 26, 58, 21},
          {10, 60, 64, 25}, {78, 60, 40, 25}},
         8},
        {"the edge button grows to the left part's side", Window(0, 0, 0, 46),
         {{10, 10, 40, 13}, {10, 26, 45, 21}, {60, 10, 30, 13}, {60, 26, 56, 21},
          {10, 60, 40, 25}, {70, 60, 46, 25}},
         6},
    };
    for (const auto& c : cases) {
        const GrownLayout layout = GrowToTexts(c.controls, kRows);
        EXPECT_EQ(layout.places, c.places) << c.what;
        EXPECT_EQ(layout.extraWidth, c.extraWidth) << c.what;
    }
}

TEST(GrownLayout, AWiderMenuWidensTheStretchingRows) {
    const GrownLayout layout = GrowToTexts(Window(0, 0, 0, 0), kRows, 12);
    EXPECT_EQ(layout.extraWidth, 12);
    EXPECT_EQ(layout.places[3], (LayoutPlace{60, 26, 62, 21}));
    EXPECT_EQ(layout.places[5], (LayoutPlace{82, 60, 40, 25}));
}

}  // namespace
}  // namespace kestrune
