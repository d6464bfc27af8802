// The server list's query on a recording link and timers run by hand: which addresses a refresh
// asks for each name it is given, and how an answer is timed.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "ui_logic/server_list_query.h"

namespace kestrune {
namespace {

IpAddress V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    IpAddress address;
    address.bytes = {a, b, c, d};
    return address;
}

IpAddress V6(std::uint8_t last) {
    std::array<std::uint8_t, 16> bytes{0x20, 0x01, 0x0d, 0xb8};
    bytes[15] = last;
    return IpAddress::V6(bytes);
}

class RecordingLink final : public DatagramLink {
public:
    RecordingLink(std::map<std::string, std::vector<IpAddress>> names,
                  std::vector<std::string>& sent)
        : names_(std::move(names)), sent_(sent) {}
    void SetOnReceived(Received received) override { received_ = std::move(received); }
    std::vector<IpAddress> LookUp(const std::string& host) override {
        const auto found = names_.find(host);
        if (found == names_.end()) {
            throw Exception("Host not found");
        }
        return found->second;
    }
    void Send(const std::string& host, std::uint16_t port, std::string_view datagram) override {
        // A master is asked "getservers" or, on IPv6, "getserversExt".
        const std::string_view question =
            datagram.substr(4).starts_with("getservers") ? "getservers" : "getinfo";
        sent_.push_back(host + " " + std::to_string(port) + " " + std::string(question));
        lastDatagram_ = datagram;
    }
    // Hands the query a datagram from host:port, as the socket would.
    void Deliver(const std::string& host, std::int32_t port, std::string_view datagram,
                 QueryScheduler::TimePoint arrived) {
        received_(host, port, datagram, false, arrived);
    }
    const std::string& LastDatagram() const { return lastDatagram_; }

private:
    std::map<std::string, std::vector<IpAddress>> names_;
    std::vector<std::string>& sent_;
    Received received_;
    std::string lastDatagram_;
};

class IdleTimer final : public RepeatingTimer {
public:
    void Start() override {}
    void Stop() override {}
};

TimerMaker IdleTimers(
    std::map<std::chrono::milliseconds, std::function<void()>>* timeouts = nullptr) {
    return [timeouts](std::chrono::milliseconds interval, std::function<void()> timeout) {
        if (timeouts != nullptr) {
            (*timeouts)[interval] = std::move(timeout);
        }
        return std::make_unique<IdleTimer>();
    };
}

struct LookUpCase {
    const char* host;
    std::vector<std::string> mastersAsked;  // "host port question"
    std::vector<std::string> serverAsked;
};

TEST(ServerListQueryTest, AsksAMasterOnEachFamilyAndAServerOnItsFirstAddressIpv4First) {
    const std::map<std::string, std::vector<IpAddress>> names = {
        {"both.example", {V6(1), V4(192, 0, 2, 1), V4(192, 0, 2, 2), V6(2)}},
        {"v6.example", {V6(3), V6(4)}},
        {"v4.example", {V4(192, 0, 2, 3), V4(192, 0, 2, 4)}},
    };
    const LookUpCase cases[] = {
        {"both.example",
         {"192.0.2.1 27950 getservers", "2001:db8::1 27950 getservers"},
         {"192.0.2.1 27950 getinfo"}},
        {"v6.example", {"2001:db8::3 27950 getservers"}, {"2001:db8::3 27950 getinfo"}},
        {"v4.example", {"192.0.2.3 27950 getservers"}, {"192.0.2.3 27950 getinfo"}},
        {"198.51.100.7", {"198.51.100.7 27950 getservers"}, {"198.51.100.7 27950 getinfo"}},
        {"[2001:db8::9]", {"2001:db8::9 27950 getservers"}, {"2001:db8::9 27950 getinfo"}},
        {"unknown.example", {}, {}},
    };
    for (const LookUpCase& test : cases) {
        std::vector<std::string> sent;
        std::vector<std::string> logged;
        ServerListQuery query(std::make_unique<RecordingLink>(names, sent), IdleTimers(),
                              [](std::string_view message) { ADD_FAILURE() << message; });
        query.SetOnLog([&](const std::string& line) { logged.push_back(line); });

        query.RefreshFromMasters({MasterEntry{test.host, 27950, 68}});
        EXPECT_EQ(sent, test.mastersAsked) << test.host;
        sent.clear();
        query.RefreshServers({KeptServer{test.host, 27950}});
        EXPECT_EQ(sent, test.serverAsked) << test.host;
        if (test.mastersAsked.empty()) {
            ASSERT_FALSE(logged.empty());
            EXPECT_EQ(logged.front(), "Server list: unknown.example not found (Host not found)");
        }
    }
}

TEST(ServerListQueryTest, APingRunsToTheAnswersArrivalNotToWhenItWasRead) {
    std::vector<std::string> sent;
    std::map<std::chrono::milliseconds, std::function<void()>> timeouts;
    auto owned =
        std::make_unique<RecordingLink>(std::map<std::string, std::vector<IpAddress>>{}, sent);
    RecordingLink& link = *owned;
    ServerListQuery query(std::move(owned), IdleTimers(&timeouts),
                          [](std::string_view message) { ADD_FAILURE() << message; });
    std::vector<ServerRow> rows;
    query.SetOnRows([&](std::vector<ServerRow> arrived) { rows = std::move(arrived); });

    const auto asked = QueryScheduler::Clock::now();
    query.RefreshServers({KeptServer{"192.0.2.5", 27960}});
    ASSERT_EQ(sent, std::vector<std::string>{"192.0.2.5 27960 getinfo"});
    const std::string nonce =
        link.LastDatagram().substr(std::string_view("\xFF\xFF\xFF\xFFgetinfo ").size());
    // The answer came in 40 ms after the question; the window reads it much later.
    link.Deliver(
        "192.0.2.5", 27960,
        "\xFF\xFF\xFF\xFFinfoResponse\n\\challenge\\" + nonce + "\\hostname\\A\\mapname\\q3dm1",
        asked + std::chrono::milliseconds(40));
    timeouts.at(ServerListQuery::kBatchInterval)();

    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "A");
    EXPECT_NEAR(rows[0].pingMs, 40, 1);  // what the question took to go out, at most
}

}  // namespace
}  // namespace kestrune
