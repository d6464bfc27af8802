// The server list's refresh against bench_server_world, on the real query driver and event loop
// (offscreen): the time from Refresh to the list settled, each ping beside its responder's
// delay, the longest the event loop was kept from a 1 ms timer, and the memory 10,000 rows
// take in the list's table view over an empty one.
//
// Usage: bench_server_list_refresh MASTER_PORT DELAYS_FILE
// Prints one line of key=value pairs: settled_ms answered listed, the ping errors (worst, median,
// 99th percentile, how many within 2 ms), busy_ms and rows_10000_kb.

#include <QApplication>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "server_list/server_rows.h"
#include "ui/server_filter_model.h"
#include "ui/server_list_query.h"
#include "ui/server_table_model.h"

namespace {

using Clock = std::chrono::steady_clock;

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace kestrune;
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s MASTER_PORT DELAYS_FILE\n", argv[0]);
        return 2;
    }
    const auto masterPort = static_cast<std::uint16_t>(std::atoi(argv[1]));
    std::map<std::uint16_t, int> delays;
    std::ifstream file(argv[2]);
    for (int port = 0, delay = 0; file >> port >> delay;) {
        delays[static_cast<std::uint16_t>(port)] = delay;
    }

    // How long the event loop was kept from its timers: the longest gap between two ticks of a
    // 1 ms timer, less the millisecond.
    Clock::time_point lastBeat = Clock::now();
    Clock::duration longestBusy{};
    bool measuring = false;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        if (measuring) {
            longestBusy = std::max(longestBusy, now - lastBeat - std::chrono::milliseconds(1));
        }
        lastBeat = now;
    });
    beat.start();

    // The rows go into the window's own model and view, as in the window.
    ServerTableModel rows;
    ServerFilterModel shown(rows);
    QTableView view;
    view.setModel(&shown);
    view.setSortingEnabled(true);
    view.sortByColumn(static_cast<int>(ServerColumn::Ping), Qt::AscendingOrder);
    view.resize(800, 500);
    view.show();

    const std::unique_ptr<ServerListQuery> made = MakeServerListQuery();
    ServerListQuery& query = *made;
    std::vector<int> pingErrors;
    query.SetOnRows([&](std::vector<ServerRow> arrived) {
        for (const ServerRow& row : arrived) {
            const auto delay = delays.find(row.address.port);
            if (delay != delays.end()) {
                pingErrors.push_back(std::abs(row.pingMs - delay->second));
            }
        }
        rows.AppendRows(std::move(arrived));
    });
    Clock::time_point started;
    Clock::time_point settled;
    query.SetOnProgress([&] {
        if (measuring && !query.Running()) {
            settled = Clock::now();
            measuring = false;
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        }
    });
    QTimer::singleShot(100, [&] {
        measuring = true;
        started = Clock::now();
        query.RefreshFromMasters({MasterEntry{"127.0.0.1", masterPort, 68}});
    });
    QTimer::singleShot(60'000, &app, &QCoreApplication::quit);
    app.exec();

    // 10,000 rows in the same view, beside it empty.
    rows.Clear();
    app.processEvents();
    const long emptyKiB = ResidentKiB();
    std::vector<ServerRow> many;
    for (int i = 0; i < 10'000; ++i) {
        ServerInfo info;
        info.hostName = "^1Bench ^7server number " + std::to_string(i);
        info.map = "q3dm" + std::to_string(i % 19);
        info.clients = i % 9;
        info.humans = i % 5;
        info.slotCount = 16;
        info.gameType = i % 5;
        info.game = i % 3 ? "" : "osp";
        many.push_back(MakeServerRow(ServerAddress::Ipv4(10, static_cast<std::uint8_t>(i >> 8),
                                                         static_cast<std::uint8_t>(i), 1, 27960),
                                     info, i % 300));
    }
    rows.AppendRows(std::move(many));
    app.processEvents();
    const long fullKiB = ResidentKiB();

    std::sort(pingErrors.begin(), pingErrors.end());
    const auto share = [&](double part) {
        return pingErrors.empty() ? 0 : pingErrors[std::size_t(part * double(pingErrors.size() - 1))];
    };
    const int within2 = static_cast<int>(
        std::count_if(pingErrors.begin(), pingErrors.end(), [](int error) { return error <= 2; }));
    std::printf("settled_ms=%.1f answered=%zu listed=%zu ping_error_ms=%d ping_error_p50_ms=%d "
                "ping_error_p99_ms=%d pings_within_2ms=%d busy_ms=%.1f rows_10000_kb=%ld\n",
                Ms(settled - started), query.Answered(), query.Listed(), share(1.0), share(0.5),
                share(0.99), within2, Ms(longestBusy), fullKiB - emptyKiB);
    return 0;
}
