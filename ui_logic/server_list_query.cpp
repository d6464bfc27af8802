#include "ui_logic/server_list_query.h"

#include <algorithm>

#include "i18n/translate.h"
#include "platform/exception.h"
#include "ui_logic/handler_guard.h"

namespace kestrune {

namespace {

constexpr std::string_view kStatusQuery = "\xFF\xFF\xFF\xFFgetstatus";

}  // namespace

std::vector<ServerAddress> MasterAddresses(const std::vector<ServerAddress>& addresses) {
    std::vector<ServerAddress> chosen;
    for (const bool v6 : {false, true}) {
        const auto first = std::find_if(addresses.begin(), addresses.end(),
                                        [v6](const ServerAddress& a) { return a.ipv6 == v6; });
        if (first != addresses.end()) {
            chosen.push_back(*first);
        }
    }
    return chosen;
}

std::optional<ServerAddress> ServerAddressOf(const std::vector<ServerAddress>& addresses) {
    const std::vector<ServerAddress> both = MasterAddresses(addresses);
    if (both.empty()) {
        return std::nullopt;
    }
    return both.front();
}

ServerListQuery::ServerListQuery(std::unique_ptr<DatagramLink> link, const TimerMaker& makeTimer,
                                 ShowException show)
    : link_(std::move(link)), show_(std::move(show)) {
    link_->SetOnReceived([this](const std::string& fromIP, std::int32_t port,
                                std::string_view datagram, bool cut,
                                QueryScheduler::TimePoint arrived) {
        RunGuarded([&] { Receive(fromIP, port, datagram, cut, arrived); }, show_);
    });
    tick_ = makeTimer(kTickInterval, [this] { RunGuarded([this] { Tick(); }, show_); });
    batch_ = makeTimer(kBatchInterval, [this] { RunGuarded([this] { Flush(); }, show_); });
}

ServerListQuery::~ServerListQuery() {
    // A lookup wait still running returns into a refresh that is over.
    ++generation_;
    tick_.reset();
    batch_.reset();
}

void ServerListQuery::Log(const std::string& line) {
    if (onLog_) {
        onLog_(line);
    }
}

std::vector<ServerAddress> ServerListQuery::LookUp(const std::string& host,
                                                   std::uint16_t port) {
    if (const auto numeric = ParseNumericHost(host, port)) {
        return {*numeric};
    }
    try {
        std::vector<ServerAddress> addresses;
        for (const IpAddress& address : link_->LookUp(host)) {
            if (!address.IsNull()) {
                addresses.push_back(ServerAddress::FromIp(address, port));
            }
        }
        return addresses;
    } catch (const Exception& error) {
        Log("Server list: " + host + " not found (" + error.message() + ")");
        return {};
    }
}

void ServerListQuery::RefreshFromMasters(const std::vector<MasterEntry>& masters) {
    Stop();
    const unsigned generation = ++generation_;
    std::vector<ServerRefresh::Master> asked;
    for (const MasterEntry& master : masters) {
        const std::vector<ServerAddress> addresses = LookUp(master.host, master.port);
        if (generation != generation_) {
            return;  // another refresh or a stop came during the lookup
        }
        for (const ServerAddress& address : MasterAddresses(addresses)) {
            asked.push_back({address, master.protocol});
        }
    }
    refresh_.emplace();
    refresh_->AskMasters(asked, QueryScheduler::Clock::now());
    Start();
}

void ServerListQuery::Refresh(ServerSource source, const ServerListSettings& settings) {
    switch (source) {
        case ServerSource::Internet:
            RefreshFromMasters(settings.Masters());
            break;
        case ServerSource::Favourites:
            RefreshServers(settings.Favourites());
            break;
        case ServerSource::Recent:
            RefreshServers(settings.Recent());
            break;
    }
}

void ServerListQuery::RefreshServers(const std::vector<KeptServer>& servers) {
    Stop();
    const unsigned generation = ++generation_;
    std::vector<ServerAddress> asked;
    for (const KeptServer& server : servers) {
        const std::vector<ServerAddress> addresses = LookUp(server.host, server.port);
        if (generation != generation_) {
            return;
        }
        if (const auto address = ServerAddressOf(addresses)) {
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
    tick_->Start();
    batch_->Start();
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
    tick_->Stop();
    batch_->Stop();
    running_ = false;
    Flush();
    if (refresh_) {
        for (const std::string& line : refresh_->Intake().LogLines()) {
            Log(line);
        }
    }
    if (onProgress_) {
        onProgress_();
    }
}

std::string ServerListQuery::ProgressText() const {
    const std::size_t listed = Listed();
    return Format(TrN("%1 of %2 server answered", "%1 of %2 servers answered", listed),
                  {std::to_string(Answered()), std::to_string(listed)});
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

void ServerListQuery::Send(const ServerAddress& to, std::string_view datagram) {
    link_->Send(to.Host(), to.port, datagram);
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
    Send(server, kStatusQuery);
}

void ServerListQuery::Receive(const std::string& fromIP, std::int32_t port,
                              std::string_view datagram, bool cut,
                              QueryScheduler::TimePoint arrived) {
    const auto from = ParseNumericHost(fromIP, static_cast<std::uint16_t>(port));
    if (!from || datagram.empty()) {
        return;
    }
    if (statusAsked_ && *from == *statusAsked_) {
        if (const auto status = ParseStatusResponse(datagram, cut)) {
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
    // Timed by its arrival, not by when this thread got to it: a ping leaves out the time the
    // answer waited while the window drew rows.
    if (auto answer = refresh_->Received(*from, datagram, arrived)) {
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
