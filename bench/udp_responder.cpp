// A game server stand-in on loopback that answers every datagram at once with a status reply:
// the bare reply line, or the bytes of REPLY_FILE (e.g. an answer recorded from a real server).
// Prints the port it listens on, then serves until nothing has come for a while.
//
//   bench_udp_responder [QUIET_SECONDS] [REPLY_FILE]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kReply[] = "\xFF\xFF\xFF\xFFstatusResponse\n";
constexpr long kMostAnswers = 1'000'000;

}  // namespace

int main(int argc, char** argv) {
    const int quietSeconds = argc > 1 ? std::atoi(argv[1]) : 120;
    std::string reply(kReply, sizeof kReply - 1);
    if (argc > 2) {
        std::ifstream file(argv[2], std::ios::binary);
        reply.assign(std::istreambuf_iterator<char>(file), {});
        if (!file.good() && !file.eof()) {
            std::perror(argv[2]);
            return 1;
        }
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        std::perror("udp_responder");
        return 1;
    }
    timeval quiet{quietSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);
    std::printf("%u\n", ntohs(local.sin_port));
    std::fflush(stdout);

    char datagram[2048];
    for (long answered = 0; answered < kMostAnswers; ++answered) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        if (recvfrom(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from),
                     &fromLength) < 0) {
            break;  // quiet for too long
        }
        // Bound to loopback, so only loopback peers reach it.
        sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    }
    close(fd);
    return 0;
}
