// The refresh on a simulated clock: the pace of first questions, retries and give-ups, the
// nonces and which answers count, the masters' lists and the rules against hostile masters.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "server_list/master_answer.h"
#include "server_list/server_refresh.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using TimePoint = QueryScheduler::TimePoint;

const TimePoint kStart{1000s};

ServerAddress Server(int n) {
    return ServerAddress::Ipv4(192, 0, 2, static_cast<std::uint8_t>(n), 27960);
}

std::string Answer(const std::string& nonce, const std::string& name = "s") {
    return "\xFF\xFF\xFF\xFFinfoResponse\n\\hostname\\" + name + "\\challenge\\" + nonce;
}

std::string NonceOf(const QueryScheduler::Send& send) {
    return send.datagram.substr(std::string("\xFF\xFF\xFF\xFFgetinfo ").size());
}

// Nonces "n1", "n2", ... in the order asked.
QueryScheduler CountingScheduler(int sendsPerSecond = 1000) {
    return QueryScheduler([n = 0]() mutable { return "n" + std::to_string(++n); },
                          sendsPerSecond);
}

// Runs the scheduler tick by tick until `until`, recording every datagram's time and target.
struct Sent {
    int atMs;
    ServerAddress to;
    std::string nonce;
};
std::vector<Sent> RunUntil(QueryScheduler& scheduler, int fromMs, int untilMs) {
    std::vector<Sent> sent;
    for (int ms = fromMs; ms <= untilMs; ++ms) {
        for (const auto& send : scheduler.TakeDue(kStart + std::chrono::milliseconds(ms))) {
            sent.push_back({ms, send.to, NonceOf(send)});
        }
    }
    return sent;
}

TEST(QueryScheduler, PacesRetriesAndGivesUp) {
    // 4 servers at 500 a second: one question every 2 ms.
    QueryScheduler scheduler = CountingScheduler(500);
    for (int n = 1; n <= 4; ++n) {
        scheduler.Add(Server(n));
    }
    EXPECT_EQ(scheduler.Add(Server(2)), 1u);  // a duplicate keeps its place
    const std::vector<Sent> sent = RunUntil(scheduler, 0, 2000);
    std::vector<std::pair<int, int>> times;  // (ms, server's last byte)
    for (const Sent& s : sent) {
        times.emplace_back(s.atMs, s.to.bytes[3]);
    }
    const std::vector<std::pair<int, int>> expected = {
        {0, 1},    {2, 2},    {4, 3},    {6, 4},     // paced first questions
        {500, 1},  {502, 2},  {504, 3},  {506, 4},   // retries after 500 ms
        {1000, 1}, {1002, 2}, {1004, 3}, {1006, 4},  // and again: 3 datagrams each
    };
    EXPECT_EQ(times, expected);
    // Every question had a nonce of its own.
    std::map<std::string, int> nonces;
    for (const Sent& s : sent) {
        ++nonces[s.nonce];
    }
    EXPECT_EQ(nonces.size(), sent.size());
    // Given up 1.5 s after the first question, not before.
    QueryScheduler late = CountingScheduler(500);
    late.Add(Server(1));
    RunUntil(late, 0, 1499);
    EXPECT_FALSE(late.Settled());
    RunUntil(late, 1500, 1500);
    EXPECT_TRUE(late.Settled());
    EXPECT_EQ(late.Answered(), 0u);
}

TEST(QueryScheduler, CountsOnlyTheServersOwnAnswerToAWaitingNonce) {
    QueryScheduler scheduler = CountingScheduler();
    scheduler.Add(Server(1));
    scheduler.Add(Server(2));
    RunUntil(scheduler, 0, 1);    // n1 to server 1 at 0 ms, n2 to server 2 at 1 ms
    RunUntil(scheduler, 2, 500);  // n3 to server 1 at 500 ms
    const auto at = [](int ms) { return kStart + std::chrono::milliseconds(ms); };
    ServerAddress otherPort = Server(1);
    otherPort.port = 27961;
    struct Case {
        const char* what;
        ServerAddress from;
        std::string datagram;
        int atMs;
        std::optional<int> pingMs;  // nothing: not an answer
    } cases[] = {
        {"from another port", otherPort, Answer("n1"), 510, std::nullopt},
        {"another server's nonce", Server(1), Answer("n2"), 510, std::nullopt},
        {"an unknown nonce", Server(1), Answer("n9"), 510, std::nullopt},
        {"not an info answer", Server(1), "\xFF\xFF\xFF\xFFstatusResponse\n\\challenge\\n1", 510,
         std::nullopt},
        // The first question's answer, arriving after the retry: its own round trip.
        {"late answer to the first question", Server(1), Answer("n1"), 520, 520},
        {"a second answer", Server(1), Answer("n3"), 530, std::nullopt},
        {"server 2", Server(2), Answer("n2"), 41, 40},
    };
    for (const Case& c : cases) {
        const auto answer = scheduler.Received(c.from, c.datagram, at(c.atMs));
        ASSERT_EQ(answer.has_value(), c.pingMs.has_value()) << c.what;
        if (answer) {
            EXPECT_EQ(answer->ping, std::chrono::milliseconds(*c.pingMs)) << c.what;
        }
    }
    EXPECT_EQ(scheduler.Answered(), 2u);
    EXPECT_TRUE(scheduler.Settled());
    // An answer after the give-up is too late.
    QueryScheduler given = CountingScheduler();
    given.Add(Server(3));
    RunUntil(given, 0, 1500);
    EXPECT_FALSE(given.Received(Server(3), Answer("n1"), at(1600)));
}

TEST(QueryScheduler, ALateTickSendsOneBurstAtMost) {
    QueryScheduler scheduler = CountingScheduler(1000);
    for (int n = 1; n <= 30; ++n) {
        scheduler.Add(Server(n));
    }
    EXPECT_EQ(scheduler.TakeDue(kStart).size(), 1u);
    // 100 ms without a tick: one burst, then the pace again.
    EXPECT_EQ(scheduler.TakeDue(kStart + 100ms).size(),
              static_cast<std::size_t>(QueryScheduler::kMostBurst));
    EXPECT_EQ(scheduler.TakeDue(kStart + 101ms).size(), 1u);
    EXPECT_EQ(scheduler.TakeDue(kStart + 101ms).size(), 0u);
    scheduler.Stop();
    EXPECT_EQ(scheduler.TakeDue(kStart + 102ms).size(), 0u);
    EXPECT_TRUE(scheduler.Settled());
}

TEST(ServerIntake, DropsWhatAHostileMasterLists) {
    const ServerAddress publicMaster = ServerAddress::Ipv4(198, 51, 100, 1, 27950);
    const ServerAddress loopbackMaster = ServerAddress::Ipv4(127, 0, 0, 1, 27950);
    const std::vector<ServerAddress> listed = {
        Server(1),
        Server(1),                                     // duplicate
        ServerAddress::Ipv4(0, 0, 0, 7, 27960),        // this network
        ServerAddress::Ipv4(239, 1, 1, 1, 27960),      // multicast
        ServerAddress::Ipv4(255, 255, 255, 255, 27960),
        ServerAddress::Ipv4(192, 0, 2, 9, 0),          // port 0
        ServerAddress::Ipv4(127, 0, 0, 1, 27960),      // local
        ServerAddress::Ipv4(192, 168, 0, 2, 27960),    // local
        Server(2),
    };
    ServerIntake fromPublic;
    EXPECT_EQ(fromPublic.Take(listed, publicMaster), (std::vector{Server(1), Server(2)}));
    EXPECT_EQ(fromPublic.Counts(), (IntakeCounts{1, 4, 2, 0}));
    EXPECT_EQ(fromPublic.LogLines(),
              (std::vector<std::string>{
                  "Master lists: 1 duplicate servers dropped",
                  "Master lists: 4 servers at addresses no server can have dropped",
                  "Master lists: 2 servers on local networks dropped (the master is not on one)"}));
    ServerIntake fromLoopback;
    EXPECT_EQ(fromLoopback.Take(listed, loopbackMaster).size(), 4u);

    // 10,000 servers at most.
    std::vector<ServerAddress> flood;
    for (int host = 0; host < 400; ++host) {
        for (int port = 1; port <= 40; ++port) {
            flood.push_back(ServerAddress::Ipv4(203, 0, static_cast<std::uint8_t>(host / 256),
                                                static_cast<std::uint8_t>(host % 256),
                                                static_cast<std::uint16_t>(port)));
        }
    }
    ServerIntake flooded;
    EXPECT_EQ(flooded.Take(flood, publicMaster).size(), 10'000u);
    EXPECT_EQ(flooded.Counts(), (IntakeCounts{0, 0, 0, 400 * 40 - 10'000}));
}

TEST(ServerRefresh, ReadsTheMastersListsAndAsksTheirServers) {
    const ServerAddress master = ServerAddress::Ipv4(127, 0, 0, 1, 27950);
    const ServerAddress silent = ServerAddress::Ipv4(127, 0, 0, 2, 27950);
    ServerRefresh refresh(CountingScheduler());
    refresh.AskMasters({{master, 68}, {silent, 71}}, kStart);
    auto due = refresh.TakeDue(kStart);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].to, master);
    EXPECT_EQ(due[0].datagram, "\xFF\xFF\xFF\xFFgetservers 68 empty full");
    EXPECT_EQ(due[1].datagram, "\xFF\xFF\xFF\xFFgetservers 71 empty full");

    const std::string list = "\xFF\xFF\xFF\xFFgetserversResponse\\\x7F\x00\x00\x05\x6D\x38"s +
                             "\\\x7F\x00\x00\x05\x6D\x38"s;
    EXPECT_FALSE(refresh.Received(master, list, kStart + 10ms));
    EXPECT_FALSE(refresh.Received(master, list + "\\EOT\0\0\0"s, kStart + 11ms));
    EXPECT_EQ(refresh.Listed(), 1u);
    due = refresh.TakeDue(kStart + 12ms);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].to, ServerAddress::Ipv4(127, 0, 0, 5, 27960));
    const auto answer =
        refresh.Received(due[0].to, Answer(NonceOf(due[0]), "Five"), kStart + 20ms);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->info.hostName, "Five");
    EXPECT_EQ(answer->ping, 8ms);
    // The silent master holds the refresh until 1.5 s of silence.
    refresh.TakeDue(kStart + 1499ms);
    EXPECT_FALSE(refresh.Settled());
    refresh.TakeDue(kStart + 1500ms);
    EXPECT_TRUE(refresh.Settled());
    EXPECT_EQ(refresh.Intake().Counts().duplicates, 3u);

    // Servers asked directly: no master, and the player's own loopback server is kept.
    ServerRefresh direct(CountingScheduler());
    direct.AskServers({ServerAddress::Ipv4(127, 0, 0, 1, 27960), Server(1),
                       ServerAddress::Ipv4(0, 0, 0, 0, 27960)});
    EXPECT_EQ(direct.Listed(), 2u);
    direct.Stop();
    EXPECT_TRUE(direct.Settled());
    EXPECT_FALSE(direct.Received(master, list, kStart));
}

}  // namespace
}  // namespace kestrune
