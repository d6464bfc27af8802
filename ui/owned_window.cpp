#include "ui/owned_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QObject>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace kestrune {

namespace {

#if QT_CONFIG(xcb)

constexpr xcb_atom_t kNoAtom = XCB_ATOM_NONE;

xcb_atom_t Atom(xcb_connection_t& connection, std::string_view name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(&connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(&connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : kNoAtom;
}

// Only X11 has such a state. The window is not mapped yet: its state is a property of its own,
// which Qt merges its own states into as it maps the window; the window manager clears it
// whenever the window is withdrawn.
void SkipTaskBar(QWidget& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return;
    }
    static const xcb_atom_t state = Atom(*connection, "_NET_WM_STATE");
    static const xcb_atom_t skipTaskBar = Atom(*connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == kNoAtom || skipTaskBar == kNoAtom) {
        return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskBar);
}

#else

void SkipTaskBar(QWidget&) {}

#endif

// What an owned window does beyond Qt's own. Being transient for the main window is not enough
// for every task bar; the window manager's state "skip task bar" is, set each time Qt tells the
// window it is shown, just before it maps it. Escape reaches the window when none of its controls
// takes the key.
class OwnedWindowManners : public QObject {
public:
    OwnedWindowManners(QWidget& window, EscapeKey escape)
        : QObject(&window), window_(window), escape_(escape) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) {
            return false;
        }
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            SkipTaskBar(window_);
        } else if (event->type() == QEvent::KeyPress && escape_ == EscapeKey::ClosesWindow &&
                   static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
            window_.close();
            return true;
        }
        return false;
    }

private:
    QWidget& window_;
    EscapeKey escape_;
};

}  // namespace

void MakeOwnedWindow(QWidget& window, QWidget& mainWindow, Qt::WindowFlags frame,
                     EscapeKey escape) {
    window.setParent(&mainWindow, Qt::Dialog | frame);
    new OwnedWindowManners(window, escape);
}

}  // namespace kestrune
