#include "net/qt/socket_message_target.h"

#include <utility>

namespace kestrune {

QEvent::Type SocketMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

SocketMessageTarget::SocketMessageTarget(Receiver receiver, QObject* parent)
    : QObject(parent), receiver_(std::move(receiver)) {}

bool SocketMessageTarget::event(QEvent* event) {
    if (event->type() != SocketMessageEvent::EventType()) {
        return QObject::event(event);
    }
    receiver_(static_cast<SocketMessageEvent*>(event)->Message());
    return true;
}

}  // namespace kestrune
