#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/server_status.h"
#include "server_list/server_list_settings.h"
#include "server_list/server_refresh.h"
#include "server_list/server_rows.h"

class QTimer;

namespace kestrune {

class TUDPEndpoint;

// The server list's traffic on the UI thread: a refresh (masters or named servers) run by the
// core's ServerRefresh on a socket of its own and a timer, its answers handed on in batches, and
// the status query for the selected server.
class ServerListQuery : public QObject {
    Q_OBJECT

public:
    using RowsArrived = std::function<void(std::vector<ServerRow> rows)>;
    using ProgressChanged = std::function<void()>;
    using StatusArrived = std::function<void(const ServerAddress& server, const ServerStatus&)>;

    // How often the answers gathered reach the list: often enough to look live, seldom enough
    // that ten thousand rows never stall the window.
    static constexpr int kBatchIntervalMs = 100;

    // Raises UDPSockError when no socket can be had.
    explicit ServerListQuery(QObject* parent = nullptr);
    ~ServerListQuery() override;

    void SetOnRows(RowsArrived handler) { onRows_ = std::move(handler); }
    void SetOnProgress(ProgressChanged handler) { onProgress_ = std::move(handler); }
    void SetOnStatus(StatusArrived handler) { onStatus_ = std::move(handler); }

    // Starts a refresh, ending any running one. Names are looked up first; one that cannot be is
    // left out and logged.
    void RefreshFromMasters(const std::vector<MasterEntry>& masters);
    void RefreshServers(const std::vector<KeptServer>& servers);
    void Stop();
    // Asks the server for its status (its players); the answer comes through the status handler.
    void AskStatus(const ServerAddress& server);

    bool Running() const { return running_; }
    std::size_t Listed() const { return refresh_ ? refresh_->Listed() : 0; }
    std::size_t Answered() const { return refresh_ ? refresh_->Answered() : 0; }

private:
    std::optional<ServerAddress> LookUp(const std::string& host, std::uint16_t port);
    void Start();
    void Tick();
    void Flush();
    void Receive(const std::string& fromIP, std::int32_t port);
    void Send(const ServerAddress& to, const std::string& datagram);
    void Finish();

    TUDPEndpoint* udp_ = nullptr;
    QTimer* tick_ = nullptr;
    QTimer* batch_ = nullptr;
    std::optional<ServerRefresh> refresh_;
    std::vector<ServerRow> pending_;
    std::vector<char> datagram_;
    std::optional<ServerAddress> statusAsked_;
    bool running_ = false;
    // Bumped by each refresh, so that a lookup wait that outlives its refresh starts nothing.
    unsigned generation_ = 0;
    RowsArrived onRows_;
    ProgressChanged onProgress_;
    StatusArrived onStatus_;
};

}  // namespace kestrune
