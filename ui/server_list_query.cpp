#include "ui/server_list_query.h"

#include <QTimer>
#include <QtGlobal>

#include <span>

#include "net/udp_endpoint.h"
#include "ui/exception_display.h"

namespace kestrune {

namespace {

constexpr char kStatusQuery[] = "\xFF\xFF\xFF\xFFgetstatus";

// The list speaks IPv4: the name's first IPv4 address, if it has one.
std::optional<ServerAddress> FirstIpv4(const std::vector<IpAddress>& addresses,
                                       std::uint16_t port) {
    for (const IpAddress& address : addresses) {
        if (!address.IsV6()) {
            const auto& bytes = address.bytes;
            return ServerAddress::Ipv4(bytes[0], bytes[1], bytes[2], bytes[3], port);
        }
    }
    return std::nullopt;
}

}  // namespace

ServerListQuery::ServerListQuery(QObject* parent)
    : QObject(parent), datagram_(TUDPEndpoint::kReceiveBufferSize) {
    udp_ = new TUDPEndpoint(this);
    udp_->SetRemotePort(0);
    udp_->SetLocalPort(0);
    udp_->SetOnDataReceived([this](TUDPEndpoint&, std::int32_t, const std::string& fromIP,
                                   std::int32_t port) {
        Guarded([&] { Receive(fromIP, port); });
    });
    tick_ = new QTimer(this);
    tick_->setTimerType(Qt::PreciseTimer);
    tick_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(
        QueryScheduler::kTick));
    connect(tick_, &QTimer::timeout, this, [this] { Guarded([this] { Tick(); }); });
    batch_ = new QTimer(this);
    batch_->setInterval(kBatchIntervalMs);
    connect(batch_, &QTimer::timeout, this, [this] { Guarded([this] { Flush(); }); });
}

ServerListQuery::~ServerListQuery() = default;

std::optional<ServerAddress> ServerListQuery::LookUp(const std::string& host,
                                                     std::uint16_t port) {
    if (auto numeric = ParseNumericHost(host, port)) {
        return numeric;
    }
    try {
        udp_->SetRemoteHost(host);
        udp_->ResolveRemoteHost();
        return FirstIpv4(udp_->RemoteAddresses(), port);
    } catch (const Exception& error) {
        qInfo("Server list: %s not found (%s)", host.c_str(), error.message().c_str());
        return std::nullopt;
    }
}

void ServerListQuery::RefreshFromMasters(const std::vector<MasterEntry>& masters) {
    Stop();
    const unsigned generation = ++generation_;
    std::vector<ServerRefresh::Master> asked;
    for (const MasterEntry& master : masters) {
        const auto address = LookUp(master.host, master.port);
        if (generation != generation_) {
            return;  // another refresh or a stop came during the lookup
        }
        if (address) {
            asked.push_back({*address, master.protocol});
        }
    }
    refresh_.emplace();
    refresh_->AskMasters(asked, QueryScheduler::Clock::now());
    Start();
}

void ServerListQuery::RefreshServers(const std::vector<KeptServer>& servers) {
    Stop();
    const unsigned generation = ++generation_;
    std::vector<ServerAddress> asked;
    for (const KeptServer& server : servers) {
        const auto address = LookUp(server.host, server.port);
        if (generation != generation_) {
            return;
        }
        if (address) {
            asked.push_back(*address);
        }
    }
    refresh_.emplace();
    refresh_->AskServers(asked);
    Start();
}

void ServerListQuery::Start() {
    running_ = true;
    pending_.clear();
    tick_->start();
    batch_->start();
    Tick();
}

void ServerListQuery::Stop() {
    ++generation_;
    if (refresh_ && running_) {
        refresh_->Stop();
        Finish();
    }
}

void ServerListQuery::Finish() {
    tick_->stop();
    batch_->stop();
    running_ = false;
    Flush();
    if (refresh_) {
        for (const std::string& line : refresh_->Intake().LogLines()) {
            qInfo("%s", line.c_str());
        }
    }
    if (onProgress_) {
        onProgress_();
    }
}

void ServerListQuery::Tick() {
    if (!refresh_ || !running_) {
        return;
    }
    for (const QueryScheduler::Send& send : refresh_->TakeDue(QueryScheduler::Clock::now())) {
        Send(send.to, send.datagram);
    }
    if (refresh_->Settled()) {
        Finish();
    }
}

void ServerListQuery::Send(const ServerAddress& to, const std::string& datagram) {
    udp_->SetRemoteHost(to.Host());
    udp_->SetRemotePort(to.port);
    udp_->SendBuffer(std::span<const char>(datagram.data(), datagram.size()),
                     static_cast<std::int32_t>(datagram.size()));
}

void ServerListQuery::Flush() {
    if (!pending_.empty() && onRows_) {
        onRows_(std::exchange(pending_, {}));
    }
    if (onProgress_) {
        onProgress_();
    }
}

void ServerListQuery::AskStatus(const ServerAddress& server) {
    statusAsked_ = server;
    Send(server, std::string(kStatusQuery, sizeof kStatusQuery - 1));
}

void ServerListQuery::Receive(const std::string& fromIP, std::int32_t port) {
    const auto now = QueryScheduler::Clock::now();
    std::int32_t length = 0;
    udp_->ReadBuffer(datagram_, length);
    const auto from = ParseNumericHost(fromIP, static_cast<std::uint16_t>(port));
    if (!from || length <= 0) {
        return;
    }
    const std::string_view datagram(datagram_.data(), static_cast<std::size_t>(length));
    if (statusAsked_ && *from == *statusAsked_) {
        if (const auto status = ParseStatusResponse(datagram, udp_->LastDatagramCut())) {
            statusAsked_.reset();
            if (onStatus_) {
                onStatus_(*from, *status);
            }
            return;
        }
    }
    if (!refresh_) {
        return;
    }
    const bool wasSettled = refresh_->Settled();
    if (auto answer = refresh_->Received(*from, datagram, now)) {
        const auto pingMs = std::chrono::duration_cast<std::chrono::milliseconds>(
            answer->ping + std::chrono::microseconds(500));
        pending_.push_back(MakeServerRow(refresh_->Server(answer->server), answer->info,
                                         static_cast<int>(pingMs.count())));
    }
    // A master's piece that came after the list had settled starts the questions again.
    if (wasSettled && !refresh_->Settled() && !running_) {
        Start();
    }
}

}  // namespace kestrune
