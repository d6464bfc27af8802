#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace kestrune {

// Where a window of the given outer size (frame included) sits centred on an area (the screen or
// another window); its left and top never go below 0.
QPoint CentredTopLeft(const QRect& area, QSize outer);

// The top-left moved as little as needed for a window of the given outer size to lie within the
// screen area (pinned to the area's top-left when the window is larger than the area).
QPoint KeptOnScreen(QPoint topLeft, QSize outer, const QRect& screen);

// What the window manager's frame adds to a window's client size; a usual frame until the window
// has been framed.
QSize FrameExtra(const QWidget& window);

// Gives a top-level window the outer size (frame included) asked for: the client size is set from
// an estimate now, and set again once, as soon as the real frame is known.
void KeepOuterSize(QWidget& window, QSize outer);

// Shows a window, brings it to the front and activates it, whether or not it was open.
void BringForward(QWidget& window);

}  // namespace kestrune
