// The raw round trip of one status query to a loopback responder: a blocking socket, one
// datagram out, one back, nothing else. Prints the median of the round trips in microseconds.
//
//   bench_udp_round_trip PORT [COUNT]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr char kQuery[] = "\xFF\xFF\xFF\xFFgetStatus";
constexpr int kWarmUp = 5;

double NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [COUNT]\n", argv[0]);
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 20;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    server.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    timeval patience{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);

    std::vector<double> trips;
    int lost = 0;
    char answer[65536];  // the whole answer, however full the server
    for (int trip = 0; trip < kWarmUp + count; ++trip) {
        const double start = NowUs();
        sendto(fd, kQuery, sizeof kQuery - 1, 0, reinterpret_cast<sockaddr*>(&server),
               sizeof server);
        if (recv(fd, answer, sizeof answer, 0) <= 0) {
            ++lost;
            continue;
        }
        const double end = NowUs();
        if (trip >= kWarmUp) {
            trips.push_back(end - start);
        }
    }
    close(fd);
    if (trips.empty()) {
        std::fprintf(stderr, "udp_round_trip: no answers\n");
        return 1;
    }
    std::sort(trips.begin(), trips.end());
    std::printf("round_trip_us=%.1f lost=%d\n", trips[trips.size() / 2], lost);
    return 0;
}
