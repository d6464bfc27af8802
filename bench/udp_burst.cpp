// A burst of datagrams from a loopback sender at the UDP endpoint, beside a plain blocking read
// loop on the same burst and the event loop's timer with no burst at all.
//
// For each run: datagrams sent, kept by the kernel (sent minus the socket's drop count), read
// or reported, whether all came in order, heap allocations and resident memory around the burst,
// and the worst lateness of a 10 ms timer while the burst lasts.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <thread>

#include "net/udp_endpoint.h"
#include "platform/udp_socket.h"

namespace {

std::atomic<std::uint64_t> gAllocations{0};

}  // namespace

// Counts every heap allocation of the process, to show what a datagram costs.
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace kestrune {
namespace {

constexpr int kBurst = 100000;
constexpr std::size_t kPayload = 32;  // a sequence number, then padding
constexpr std::uint32_t kLoopback = 0x0100007Fu;
constexpr int kTimerInterval = 10;

struct Figures {
    const char* name = "";
    int sent = 0;
    long kept = 0;
    long read = 0;
    bool inOrder = true;
    double seconds = 0;
    std::uint64_t allocations = 0;
    long rssBeforeKb = 0;
    long rssAfterKb = 0;
    double worstLateMs = -1;  // -1: no timer in this run
    int ticks = 0;
};

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The kernel's count of datagrams dropped at the socket bound to port (the last column of
// /proc/net/udp).
long DropsAtPort(std::uint16_t port) {
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot;
        std::string local;
        fields >> slot >> local;
        if (local.size() >= 5 && local.compare(local.size() - 5, 5, wanted) == 0) {
            std::string last;
            for (std::string field; fields >> field;) {
                last = field;
            }
            return std::stol(last);
        }
    }
    return -1;
}

// Sends kBurst numbered datagrams to the port as fast as the socket takes them.
int SendBurst(std::uint16_t port) {
    int error = 0;
    UdpSocket sender = UdpSocket::Make(error);
    char payload[kPayload] = {};
    int sent = 0;
    for (std::uint32_t sequence = 1; sequence <= kBurst; ++sequence) {
        std::memcpy(payload, &sequence, sizeof sequence);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const int result = sender.SendTo(payload, IpAddress::V4(kLoopback), port);
            if (result == 0) {
                ++sent;
                break;
            }
            if (result != EAGAIN) {
                break;
            }
            std::this_thread::yield();
        }
    }
    return sent;
}

std::uint32_t SequenceOf(const char* payload) {
    std::uint32_t sequence = 0;
    std::memcpy(&sequence, payload, sizeof sequence);
    return sequence;
}

// Watches a 10 ms timer: the worst delay past its due time, counted while `active` holds.
class TimerWatch {
public:
    TimerWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kTimerInterval);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (active && last_ >= 0) {
                const double late = double(now - last_) / 1e6 - kTimerInterval;
                worstLateMs = std::max(worstLateMs, late);
                ++ticks;
            }
            last_ = now;
        });
        clock_.start();
        timer_.start();
    }
    bool active = false;
    double worstLateMs = 0;
    int ticks = 0;

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
};

// Runs the event loop until done() holds, checking every millisecond.
template <typename Done>
void RunLoopUntil(Done done) {
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done()) {
            QCoreApplication::quit();
        }
    });
    check.start();
    QCoreApplication::exec();
}

Figures TimerAlone() {
    Figures figures;
    figures.name = "timer, no burst";
    TimerWatch watch;
    watch.active = true;
    QElapsedTimer clock;
    clock.start();
    figures.rssBeforeKb = ResidentKb();
    const std::uint64_t allocations = gAllocations;
    RunLoopUntil([&] { return clock.elapsed() >= 1000; });
    figures.allocations = gAllocations - allocations;
    figures.rssAfterKb = ResidentKb();
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.worstLateMs = watch.worstLateMs;
    figures.ticks = watch.ticks;
    return figures;
}

// The baseline: a blocking recvfrom loop on a socket of its own, no event loop.
Figures BlockingReadLoop() {
    Figures figures;
    figures.name = "blocking recvfrom";
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = kLoopback;
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    const std::uint16_t port = ntohs(local.sin_port);
    timeval quiet{0, 200000};  // the burst is over once nothing came for 200 ms
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);

    figures.rssBeforeKb = ResidentKb();
    const long dropsBefore = DropsAtPort(port);
    const std::uint64_t allocations = gAllocations;
    QElapsedTimer clock;
    clock.start();
    std::thread sender([&] { figures.sent = SendBurst(port); });
    char buffer[2048];
    std::uint32_t last = 0;
    qint64 lastArrival = 0;
    for (;;) {
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count < 0) {
            break;
        }
        lastArrival = clock.nsecsElapsed();
        ++figures.read;
        const std::uint32_t sequence = SequenceOf(buffer);
        figures.inOrder = figures.inOrder && sequence > last;
        last = sequence;
    }
    sender.join();
    figures.seconds = lastArrival / 1e9;
    figures.allocations = gAllocations - allocations;
    figures.kept = figures.sent - (DropsAtPort(port) - dropsBefore);
    figures.rssAfterKb = ResidentKb();
    ::close(fd);
    return figures;
}

Figures Endpoint() {
    Figures figures;
    figures.name = "endpoint + event loop";
    TUDPEndpoint endpoint;
    endpoint.SetRemotePort(0);
    endpoint.SetLocalPort(0);
    endpoint.SetReportLevel(1);
    char payload[2048];
    std::uint32_t last = 0;
    QElapsedTimer clock;
    qint64 lastArrival = 0;
    endpoint.SetOnDataReceived(
        [&](TUDPEndpoint& sender, std::int32_t, const std::string&, std::int32_t) {
            std::int32_t length = 0;
            sender.ReadBuffer(payload, length);
            lastArrival = clock.nsecsElapsed();
            ++figures.read;
            const std::uint32_t sequence = SequenceOf(payload);
            figures.inOrder = figures.inOrder && sequence > last;
            last = sequence;
        });
    endpoint.BindLocalPort();
    const std::uint16_t port = endpoint.BoundPort();

    TimerWatch watch;
    QElapsedTimer settle;
    settle.start();
    RunLoopUntil([&] { return settle.elapsed() >= 100; });
    figures.rssBeforeKb = ResidentKb();
    const long dropsBefore = DropsAtPort(port);
    const std::uint64_t allocations = gAllocations;
    std::atomic<bool> sending = true;
    clock.start();
    watch.active = true;
    std::thread sender([&] {
        figures.sent = SendBurst(port);
        sending = false;
    });
    // The burst lasts until the sender is done and the endpoint has been quiet for 200 ms.
    RunLoopUntil([&] {
        return !sending && clock.nsecsElapsed() - std::max(lastArrival, qint64(0)) > 200'000'000;
    });
    watch.active = false;
    sender.join();
    figures.seconds = lastArrival / 1e9;
    figures.allocations = gAllocations - allocations;
    figures.kept = figures.sent - (DropsAtPort(port) - dropsBefore);
    figures.rssAfterKb = ResidentKb();
    figures.worstLateMs = watch.worstLateMs;
    figures.ticks = watch.ticks;
    return figures;
}

void Print(const Figures& f) {
    char timer[32] = "-";
    if (f.worstLateMs >= 0) {
        std::snprintf(timer, sizeof timer, "%.2f ms (%d ticks)", f.worstLateMs, f.ticks);
    }
    std::printf("%-22s %7d %7ld %7ld %-5s %8.3f %10.0f %8llu %7ld %7ld  %s\n", f.name, f.sent,
                f.kept, f.read, f.inOrder ? "yes" : "NO", f.seconds,
                f.seconds > 0 ? f.read / f.seconds : 0.0,
                static_cast<unsigned long long>(f.allocations), f.rssBeforeKb, f.rssAfterKb, timer);
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    QCoreApplication application(argc, argv);
    std::printf("%d datagrams of %zu bytes from a loopback sender thread\n\n", kBurst, kPayload);
    std::printf("%-22s %7s %7s %7s %-5s %8s %10s %8s %7s %7s  %s\n", "run", "sent", "kept", "read",
                "order", "seconds", "per sec", "allocs", "RSS kB", "after", "timer worst late");
    Print(TimerAlone());
    Print(BlockingReadLoop());
    Print(Endpoint());
    return 0;
}
