#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "launcher/server_status.h"
#include "platform/ip_address.h"
#include "server_list/server_list_settings.h"
#include "server_list/server_refresh.h"
#include "server_list/server_rows.h"

namespace kestrune {

// What the server list's traffic needs of a datagram socket. Each front-end gives it its
// TUDPEndpoint through EndpointLink (below).
class DatagramLink {
public:
    // A datagram from fromIP:port that reached this machine at arrived; cut when the system gave
    // only its beginning.
    using Received =
        std::function<void(const std::string& fromIP, std::int32_t port, std::string_view datagram,
                           bool cut, QueryScheduler::TimePoint arrived)>;

    virtual ~DatagramLink() = default;
    virtual void SetOnReceived(Received received) = 0;
    // Every address of a name, in the order the system gives them. Raises when it has none.
    virtual std::vector<IpAddress> LookUp(const std::string& host) = 0;
    // host is numeric here (IPv4, or IPv6 without brackets).
    virtual void Send(const std::string& host, std::uint16_t port, std::string_view datagram) = 0;
};

// A repeating timer of the front-end's toolkit, stopped until started.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
};

// Makes a stopped timer that calls timeout every interval on the UI thread.
using TimerMaker = std::function<std::unique_ptr<RepeatingTimer>(
    std::chrono::milliseconds interval, std::function<void()> timeout)>;

// Where the list's servers come from: the masters, the favourites or the recent servers.
enum class ServerSource { Internet, Favourites, Recent };

// The server list's traffic on the UI thread, whatever toolkit draws the list: a refresh (masters
// or named servers) run by the core's ServerRefresh on a socket of its own and a fine timer, its
// answers handed on in batches, and the status query for the selected server.
class ServerListQuery {
public:
    using RowsArrived = std::function<void(std::vector<ServerRow> rows)>;
    using ProgressChanged = std::function<void()>;
    using StatusArrived = std::function<void(const ServerAddress& server, const ServerStatus&)>;
    using ShowException = std::function<void(std::string_view message)>;
    using LogLine = std::function<void(const std::string& line)>;

    // The scheduler's tick, which paces its first questions.
    static constexpr auto kTickInterval =
        std::chrono::duration_cast<std::chrono::milliseconds>(QueryScheduler::kTick);
    // How often the answers gathered reach the list: often enough to look live, seldom enough
    // that ten thousand rows never stall the window.
    static constexpr std::chrono::milliseconds kBatchInterval{100};

    // makeTimer gives the tick's timer (kTickInterval, as fine as the toolkit can) and the
    // batches' (kBatchInterval). What a timer's or the socket's handler raises goes to show.
    ServerListQuery(std::unique_ptr<DatagramLink> link, const TimerMaker& makeTimer,
                    ShowException show);
    ~ServerListQuery();
    ServerListQuery(const ServerListQuery&) = delete;
    ServerListQuery& operator=(const ServerListQuery&) = delete;

    void SetOnRows(RowsArrived handler) { onRows_ = std::move(handler); }
    void SetOnProgress(ProgressChanged handler) { onProgress_ = std::move(handler); }
    void SetOnStatus(StatusArrived handler) { onStatus_ = std::move(handler); }
    void SetOnLog(LogLine handler) { onLog_ = std::move(handler); }

    // Starts a refresh, ending any running one. Names are looked up first; one that cannot be is
    // left out and logged. A master is asked at its name's first IPv4 and first IPv6 address; a
    // named server at its first address, IPv4 preferred.
    void RefreshFromMasters(const std::vector<MasterEntry>& masters);
    void RefreshServers(const std::vector<KeptServer>& servers);
    // Refreshes the source's servers as the settings file lists them.
    void Refresh(ServerSource source, const ServerListSettings& settings);
    void Stop();
    // Asks the server for its status (its players); the answer comes through the status handler.
    void AskStatus(const ServerAddress& server);

    bool Running() const { return running_; }
    std::size_t Listed() const { return refresh_ ? refresh_->Listed() : 0; }
    std::size_t Answered() const { return refresh_ ? refresh_->Answered() : 0; }
    // "N of M servers answered", in the language in use.
    std::string ProgressText() const;

private:
    // The host's addresses: a numeric host itself, else what the name has (none when unknown).
    std::vector<ServerAddress> LookUp(const std::string& host, std::uint16_t port);
    void Start();
    void Tick();
    void Flush();
    void Receive(const std::string& fromIP, std::int32_t port, std::string_view datagram, bool cut,
                 QueryScheduler::TimePoint arrived);
    void Send(const ServerAddress& to, std::string_view datagram);
    void Finish();
    void Log(const std::string& line);

    std::unique_ptr<DatagramLink> link_;
    ShowException show_;
    std::unique_ptr<RepeatingTimer> tick_;
    std::unique_ptr<RepeatingTimer> batch_;
    std::optional<ServerRefresh> refresh_;
    std::vector<ServerRow> pending_;
    std::optional<ServerAddress> statusAsked_;
    bool running_ = false;
    // Bumped by each refresh, so that a lookup wait that outlives its refresh starts nothing.
    unsigned generation_ = 0;
    RowsArrived onRows_;
    ProgressChanged onProgress_;
    StatusArrived onStatus_;
    LogLine onLog_;
};

// The addresses of a name the list asks: for a master, its first IPv4 and its first IPv6
// address (a master may list other servers on each family); for a named server, its first
// address, IPv4 preferred.
std::vector<ServerAddress> MasterAddresses(const std::vector<ServerAddress>& addresses);
std::optional<ServerAddress> ServerAddressOf(const std::vector<ServerAddress>& addresses);

// A DatagramLink over an endpoint of the TUDPEndpoint kind, made and owned here. A template, so
// that this folder needs no header of net/ (on Linux the endpoint is a QObject).
template <class Endpoint>
class EndpointLink final : public DatagramLink {
public:
    // Raises when the endpoint gets no socket.
    EndpointLink() : udp_(std::make_unique<Endpoint>()), buffer_(Endpoint::kReceiveBufferSize) {
        udp_->SetRemotePort(0);
        udp_->SetLocalPort(0);
        udp_->SetOnDataReceived(
            [this](Endpoint&, std::int32_t, const std::string& fromIP, std::int32_t port) {
                std::int32_t length = 0;
                udp_->ReadBuffer(buffer_, length);
                if (received_ && length >= 0) {
                    received_(fromIP, port,
                              std::string_view(buffer_.data(), static_cast<std::size_t>(length)),
                              udp_->LastDatagramCut(), udp_->LastArrival());
                }
            });
    }

    void SetOnReceived(Received received) override { received_ = std::move(received); }

    std::vector<IpAddress> LookUp(const std::string& host) override {
        udp_->SetRemoteHost(host);
        udp_->ResolveRemoteHost();
        return udp_->RemoteAddresses();
    }

    void Send(const std::string& host, std::uint16_t port, std::string_view datagram) override {
        udp_->SetRemoteHost(host);
        udp_->SetRemotePort(port);
        udp_->SendBuffer(std::span<const char>(datagram.data(), datagram.size()),
                         static_cast<std::int32_t>(datagram.size()));
    }

private:
    std::unique_ptr<Endpoint> udp_;
    std::vector<char> buffer_;
    Received received_;
};

}  // namespace kestrune
