#include "ui/window_placement.h"

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <algorithm>

namespace kestrune {

namespace {

// A title bar and thin borders, as most window managers draw them.
constexpr QSize kUsualFrameExtra(8, 30);

// Watches a window until its frame is known, then sets the client size once.
class OuterSizeKeeper : public QObject {
public:
    OuterSizeKeeper(QWidget& window, QSize outer)
        : QObject(&window), window_(window), outer_(outer) {
        setObjectName(kName);
        Apply(FrameExtra(window));
        window.installEventFilter(this);
    }

    static constexpr const char* kName = "OuterSizeKeeper";

    // Another size (the window's texts need more room): applied now and kept as the first.
    void Change(QSize outer) {
        outer_ = outer;
        Apply(FrameExtra(window_));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && !done_) {
            switch (event->type()) {
                case QEvent::Move:
                case QEvent::Resize:
                case QEvent::Show:
                case QEvent::WindowActivate:
                    if (const QSize extra = window_.frameGeometry().size() - window_.size();
                        !extra.isNull()) {
                        done_ = true;
                        Apply(extra);
                    }
                    break;
                default:
                    break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Apply(QSize extra) { window_.resize((outer_ - extra).expandedTo(QSize(1, 1))); }

    QWidget& window_;
    QSize outer_;
    bool done_ = false;
};

}  // namespace

QPoint CentredTopLeft(const QRect& area, QSize outer) {
    const int left = area.left() + (area.width() - outer.width()) / 2;
    const int top = area.top() + (area.height() - outer.height()) / 2;
    return {std::max(left, 0), std::max(top, 0)};
}

QPoint KeptOnScreen(QPoint topLeft, QSize outer, const QRect& screen) {
    const int left = std::min(topLeft.x(), screen.left() + screen.width() - outer.width());
    const int top = std::min(topLeft.y(), screen.top() + screen.height() - outer.height());
    return {std::max(left, screen.left()), std::max(top, screen.top())};
}

QSize FrameExtra(const QWidget& window) {
    const QSize extra = window.frameGeometry().size() - window.size();
    return extra.isNull() ? kUsualFrameExtra : extra;
}

void KeepOuterSize(QWidget& window, QSize outer) {
    if (auto* keeper = window.findChild<QObject*>(OuterSizeKeeper::kName,
                                                  Qt::FindDirectChildrenOnly)) {
        static_cast<OuterSizeKeeper*>(keeper)->Change(outer);
        return;
    }
    new OuterSizeKeeper(window, outer);
}

void BringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace kestrune
