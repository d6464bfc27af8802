// Drives the launcher's real main window as a user would, for these figures:
// - the time from a click on "Test server" to "Server is online", and to the server's details
//   shown beside it, against a responder on loopback that answers at once;
// - what the process costs while "Test server" waits on a name lookup that takes LOOKUP_MS,
//   beside what the same process costs idle for as long.
//
//   bench_probe_latency SETTINGS_FILE [CLICKS] [LOOKUP_MS]
//
// The settings file names the responder in Q3Server and Q3Port; mods.kst is read from the
// current folder, as the launcher does.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <arpa/inet.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/udp_endpoint.h"
#include "ui/exception_display.h"
#include "ui/main_window.h"

namespace kestrune::bench {
namespace {

constexpr int kWarmUpClicks = 3;
const QString kOnline = QStringLiteral("Server is online");
const QString kTimedOut = QStringLiteral("Server time out");

double NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

struct Cost {
    double cpuUs = 0;
    long switches = 0;
};

Cost ProcessCost() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto us = [](timeval time) { return time.tv_sec * 1e6 + time.tv_usec; };
    return {us(usage.ru_utime) + us(usage.ru_stime), usage.ru_nvcsw + usage.ru_nivcsw};
}

void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Window {
    QPushButton* test = nullptr;
    QLabel* message = nullptr;
    QLabel* details = nullptr;
    QLineEdit* server = nullptr;
    TUDPEndpoint* udp = nullptr;
};

struct Latency {
    double onlineUs = 0;
    double detailsUs = 0;
};

// Microseconds from the click to "Server is online" and to the details shown, or nothing when
// the probe timed out. The window is looked at each time the event loop is about to wait, that
// is right after every handler that could have changed it.
std::optional<Latency> ClickToOnline(const Window& window) {
    QEventLoop loop;
    double online = -1;
    double details = -1;
    const auto check = [&] {
        const double now = NowUs();
        if (online < 0 && window.message->text() == kOnline) {
            online = now;
        }
        if (details < 0 && !window.details->text().isEmpty()) {
            details = now;
        }
        if ((online >= 0 && details >= 0) || window.message->text() == kTimedOut) {
            loop.quit();
        }
    };
    const QMetaObject::Connection watch = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, check);
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);  // the probe's own timer ends it sooner
    const double start = NowUs();
    window.test->click();
    check();
    if (online < 0 || details < 0) {
        loop.exec();
    }
    QObject::disconnect(watch);
    if (online < 0 || details < 0) {
        return std::nullopt;
    }
    return Latency{online - start, details - start};
}

int Run(const std::string& settingsPath, int clicks, int lookupMs) {
    int exceptions = 0;
    SetExceptionPresenter([&](const QString& text) {
        std::fprintf(stderr, "probe_latency: %s\n", qPrintable(text));
        ++exceptions;
    });
    TForm1 form(settingsPath);
    Window window{form.findChild<QPushButton*>("btnTest"), form.findChild<QLabel*>("Label1"),
                  form.findChild<QLabel*>("lblServerInfo"),
                  form.findChild<QLineEdit*>("edQ3Server"), form.findChild<TUDPEndpoint*>("UDP")};
    if (!window.test || !window.message || !window.details || !window.server || !window.udp ||
        exceptions > 0) {
        std::fprintf(stderr, "probe_latency: the main window is not as expected\n");
        return 1;
    }
    RunEventsFor(300);  // mapped and painted

    std::vector<double> latencies;
    std::vector<double> detailLatencies;
    int timeouts = 0;
    for (int click = 0; click < kWarmUpClicks + clicks; ++click) {
        RunEventsFor(20);
        const std::optional<Latency> latency = ClickToOnline(window);
        if (!latency) {
            ++timeouts;
        } else if (click >= kWarmUpClicks) {
            latencies.push_back(latency->onlineUs);
            detailLatencies.push_back(latency->detailsUs);
        }
    }
    if (latencies.empty() || exceptions > 0) {
        std::fprintf(stderr, "probe_latency: no answer to the probe\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(detailLatencies.begin(), detailLatencies.end());

    // The same window idle, then waiting on a slow lookup for as long.
    RunEventsFor(200);
    const Cost idleStart = ProcessCost();
    const double idleStartUs = NowUs();
    RunEventsFor(lookupMs);
    const Cost idleEnd = ProcessCost();
    const double idleUs = NowUs() - idleStartUs;

    window.udp->SetHostLookup([lookupMs](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(lookupMs));
        return HostLookupResult{0, {IpAddress::V4(htonl(INADDR_LOOPBACK))}};
    });
    window.server->setText("slow-lookup.invalid");
    const Cost waitStart = ProcessCost();
    const double waitStartUs = NowUs();
    window.test->click();  // returns once the lookup is done and the query sent
    const Cost waitEnd = ProcessCost();
    const double waitUs = NowUs() - waitStartUs;
    window.udp->SetHostLookup({});
    RunEventsFor(100);

    const auto percent = [](const Cost& from, const Cost& to, double us) {
        return 100 * (to.cpuUs - from.cpuUs) / us;
    };
    const auto perSecond = [](const Cost& from, const Cost& to, double us) {
        return (to.switches - from.switches) * 1e6 / us;
    };
    std::printf(
        "probe_us=%.1f details_us=%.1f probe_timeouts=%d lookup_wait_ms=%.0f lookup_cpu_pct=%.3f "
        "lookup_wakeups_per_s=%.2f idle_cpu_pct=%.3f idle_wakeups_per_s=%.2f\n",
        latencies[latencies.size() / 2], detailLatencies[detailLatencies.size() / 2], timeouts,
        waitUs / 1e3, percent(waitStart, waitEnd, waitUs), perSecond(waitStart, waitEnd, waitUs),
        percent(idleStart, idleEnd, idleUs), perSecond(idleStart, idleEnd, idleUs));
    return exceptions > 0 ? 1 : 0;
}

}  // namespace
}  // namespace kestrune::bench

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SETTINGS_FILE [CLICKS] [LOOKUP_MS]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    const int clicks = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int lookupMs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2000;
    return kestrune::bench::Run(argv[1], clicks, lookupMs);
}
