#pragma once

#include <Qt>

class QWidget;

namespace kestrune {

// The frame of an ordinary resizable window: caption, system menu, minimise, maximise and close.
constexpr Qt::WindowFlags kOrdinaryFrame = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                           Qt::WindowCloseButtonHint;

// What Escape does in an owned window: nothing, or close it as its close box does, as a dialog's
// Escape does on Windows, whichever of its controls has the focus (none of them takes the key).
enum class EscapeKey { Ignored, ClosesWindow };

// Makes a window the main window's own, with the frame given: its child of the dialog type, which
// is transient for it (it stays above the main window and goes with it when minimised), and kept
// off the task bar each time it is shown.
void MakeOwnedWindow(QWidget& window, QWidget& mainWindow, Qt::WindowFlags frame,
                     EscapeKey escape = EscapeKey::Ignored);

}  // namespace kestrune
