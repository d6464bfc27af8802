#include "platform/win32/winsock.h"

#include <utility>

namespace kestrune::win32 {

namespace {

// Started once, on first use, and cleaned up when the program ends.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data{};
        error_ = ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() {
        if (error_ == 0) {
            ::WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    int error() const { return error_; }

private:
    int error_ = 0;
};

ReceiveFromCall& ReceiveFromStandIn() {
    static ReceiveFromCall call;
    return call;
}

}  // namespace

int StartWinsock() {
    static const WinsockSession session;
    return session.error();
}

int ReceiveFrom(SOCKET socket, char* buffer, int size, sockaddr* from, int* fromLength) {
    if (const ReceiveFromCall& standIn = ReceiveFromStandIn()) {
        return standIn(socket, buffer, size, from, fromLength);
    }
    return ::recvfrom(socket, buffer, size, 0, from, fromLength);
}

void SetReceiveFromForTests(ReceiveFromCall call) {
    ReceiveFromStandIn() = std::move(call);
}

}  // namespace kestrune::win32
