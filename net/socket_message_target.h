#pragma once

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

namespace kestrune {

// The number of every socket message: read readiness and the end of a lookup alike.
inline constexpr std::uint32_t kSocketMessageNumber = 1125;

// A socket message as the endpoint receives it: its number, the event word (read readiness in
// the low 16 bits, or a lookup's error number in the high 16 bits), and for a lookup its id and
// the address found (network byte order).
struct SocketMessage {
    std::uint32_t number = 0;
    std::uint32_t eventWord = 0;
    std::uint64_t lookupId = 0;
    std::uint32_t address = 0;
};

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
