#pragma once

#include <QFont>

namespace kestrune {

// The windows' font: "MS Sans Serif" 8 point, which the system substitutes. Narrow sans fonts of
// similar widths are preferred to the desktop's default, so the captions fit their controls.
QFont WindowFont();

}  // namespace kestrune
