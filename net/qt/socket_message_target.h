#pragma once

#include <QEvent>
#include <QObject>

#include <functional>

#include "net/socket_message.h"

namespace kestrune {

// The event that carries a SocketMessage across threads to the UI thread.
class SocketMessageEvent : public QEvent {
public:
    explicit SocketMessageEvent(SocketMessage message) : QEvent(EventType()), message_(message) {}
    const SocketMessage& Message() const { return message_; }
    static QEvent::Type EventType();

private:
    SocketMessage message_;
};

// Stands where a hidden window would receive socket messages: every SocketMessageEvent posted
// to it is handed to the receiver, on the thread it lives in. Other events go to QObject's own
// handling.
class SocketMessageTarget : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const SocketMessage&)>;

    SocketMessageTarget(Receiver receiver, QObject* parent);

    bool event(QEvent* event) override;

private:
    Receiver receiver_;
};

}  // namespace kestrune
