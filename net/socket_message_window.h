#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/host_lookup_worker.h"
#include "net/socket_message.h"
#include "platform/udp_socket.h"

namespace kestrune {

// The endpoint's hidden window: what brings its socket messages to it on the UI thread, one at
// a time, and lets it wait for them. One implementation per system:
// - Qt (net/qt/): a QObject that receives posted events and a QSocketNotifier;
// - Win32 (net/win32/): a message-only window, read readiness through WSAAsyncSelect.
class SocketMessageWindow {
public:
    using Receiver = std::function<void(const SocketMessage&)>;

    virtual ~SocketMessageWindow() = default;

    // Message 1125 with event word 1 whenever a datagram waits on socket, again after each read
    // while more wait. Asking for another socket replaces the request.
    virtual void WatchReads(NativeSocket socket) = 0;
    // No more read readiness for the socket being watched (before it is closed).
    virtual void StopWatchingReads() = 0;
    virtual bool IsWatchingReads() const = 0;

    // Runs lookup(name) away from the UI thread; its end comes back as message 1125 with the
    // error number in the high 16 bits of the event word, lookupId and the addresses. False when
    // no lookup could be started (then nothing will come).
    virtual bool StartLookup(HostLookupFunction lookup, std::string name,
                             std::uint64_t lookupId) = 0;

    // Dispatches the UI thread's waiting messages (every handler may run, this window's own
    // included), blocking until at least one has come; never spins. False when the wait
    // cannot go on (no message loop, or the program is asked to quit).
    virtual bool WaitForMessages() = 0;
};

// This system's hidden window; messages for the endpoint go to receiver.
std::unique_ptr<SocketMessageWindow> MakeSocketMessageWindow(
    SocketMessageWindow::Receiver receiver);

}  // namespace kestrune
