#include "platform/win32/winsock.h"

#include <winsock2.h>

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

}  // namespace

int StartWinsock() {
    static const WinsockSession session;
    return session.error();
}

}  // namespace kestrune::win32
