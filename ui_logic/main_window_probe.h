#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "launcher/server_probe.h"
#include "ui_logic/handler_guard.h"
#include "ui_logic/main_window_steps.h"
#include "i18n/translate.h"

namespace kestrune {

// The main window's UDP endpoint as its steps use it, whatever draws the window: set up once
// with the window, the status query sent through it, each datagram read from it and handed to
// the steps with the time it came, and the window's close, which ends a lookup still waiting.
//
// A template over the endpoint, so that these steps need no header of net/ (on Linux the
// endpoint is a QObject that the Qt window owns); each front-end gives it its TUDPEndpoint.
template <class Endpoint>
class MainWindowProbe {
public:
    // Shows the message of an exception that a handler raised (the front-end's display).
    using ShowException = std::function<void(std::string_view message)>;

    // Sets the endpoint up: no remote port yet, any free local port, bound now. Raises when the
    // endpoint gets no socket.
    MainWindowProbe(Endpoint& udp, MainWindowSteps& steps, ShowException show)
        : udp_(udp), steps_(steps), show_(std::move(show)) {
        udp_.SetRemotePort(0);
        try {
            udp_.SetLocalPort(0);
        } catch (const Exception& error) {
            // Reported as a stored property of the window that could not be applied.
            throw Exception(Format(Tr("Error reading UDP.LocalPort: %1"), {error.message()}));
        }
        udp_.SetReportLevel(1);
        udp_.SetOnDataReceived([this](Endpoint& sender, std::int32_t numberBytes,
                                      const std::string& fromIP, std::int32_t port) {
            RunGuarded([&] { ReceiveDatagram(sender, numberBytes, fromIP, port); }, show_);
        });
        udp_.SetOnPortUnreachable([this](Endpoint&, const std::string& toIP, std::int32_t port) {
            RunGuarded([&] { steps_.UDPPortUnreachable(toIP, port); }, show_);
        });
        // The round trip runs from the send itself, after any name lookup.
        udp_.SetOnDataSend([this](Endpoint& sender) {
            const auto sentAt = ProbeQuery::Clock::now();
            steps_.UDPDataSent(sender.RemoteAddress(), sender.RemotePort(), sentAt,
                               OtherFamilyAddress(sender));
        });
        udp_.BindLocalPort();
    }

    MainWindowProbe(const MainWindowProbe&) = delete;
    MainWindowProbe& operator=(const MainWindowProbe&) = delete;

    // Sends the status query to host:port. False when the window closed while the host's name
    // was being looked up: there is no one left to tell.
    bool SendStatusQuery(const std::string& host, std::int32_t port) {
        lookupAbandoned_ = false;
        udp_.SetRemoteHost(host);
        udp_.SetRemotePort(port);
        try {
            udp_.SendBuffer(std::span<const char>(kStatusQuery), kStatusQueryLength);
        } catch (const Exception&) {
            if (lookupAbandoned_) {
                return false;
            }
            throw;
        }
        return true;
    }

    // The window is asked to close: runs FormClose, whose failure is shown. True when the window
    // may close; a failed save keeps it open, and the next attempt saves again.
    bool FormCloseAllows() {
        bool saved = false;
        RunGuarded(
            [&] {
                steps_.FormClose();
                saved = true;
            },
            show_);
        if (!saved) {
            return false;
        }
        // A "Test server" waiting for a name lookup must not hold the program open.
        lookupAbandoned_ = true;
        udp_.CancelLookup();
        return true;
    }

private:
    // The first address of the host just queried whose family is not that of the query's.
    static std::optional<IpAddress> OtherFamilyAddress(const Endpoint& sender) {
        const IpAddress& sentTo = sender.RemoteAddress();
        for (const IpAddress& address : sender.RemoteAddresses()) {
            if (address.family != sentTo.family) {
                return address;
            }
        }
        return std::nullopt;
    }

    void ReceiveDatagram(Endpoint& sender, std::int32_t numberBytes, const std::string& fromIP,
                         std::int32_t port) {
        const auto receivedAt = ProbeQuery::Clock::now();
        std::vector<char> buffer(static_cast<std::size_t>(std::max(numberBytes, 0)) + 1);
        std::int32_t length = numberBytes;
        sender.ReadBuffer(buffer, length);
        const auto received = static_cast<std::size_t>(std::clamp(length, 0, numberBytes));
        steps_.UDPDataReceived(std::string_view(buffer.data(), received), sender.LastDatagramCut(),
                               fromIP, port, receivedAt);
    }

    Endpoint& udp_;
    MainWindowSteps& steps_;
    ShowException show_;
    // Set when closing the window ended the wait of a "Test server".
    bool lookupAbandoned_ = false;
};

}  // namespace kestrune
