// A world of game servers for the server list's benchmark, in one process on loopback: a master
// that lists every responder, and COUNT responders, each on a port of its own. Every fifth one
// never answers; each of the others answers "getinfo" and "getstatus" after a delay of its own
// between 5 and 150 ms. Prints the master's port, then one line per responder: "port delay_ms"
// (-1: silent), and serves until its standard input closes. Each delay runs from the request's
// arrival as the kernel stamped it, so that the world's own work does not lengthen it; when it
// ends, the world says on standard error how late its replies left.
//
// Usage: bench_server_world [COUNT]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Responder {
    int fd = -1;
    std::uint16_t port = 0;
    int delayMs = -1;
};

struct Reply {
    Clock::time_point due;
    int fd;
    sockaddr_in to;
    std::string datagram;
    bool operator>(const Reply& other) const { return due > other.due; }
};

int BoundSocket(std::uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("bind");
        std::exit(1);
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    const int size = 4 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

std::string InfoAnswer(const Responder& responder, std::string_view nonce) {
    const int n = responder.port % 97;
    return "\xFF\xFF\xFF\xFFinfoResponse\n\\challenge\\" + std::string(nonce) +
           "\\hostname\\Bench server " + std::to_string(responder.port) +
           "\\mapname\\q3dm" + std::to_string(1 + n % 19) + "\\clients\\" +
           std::to_string(n % 9) + "\\g_humanplayers\\" + std::to_string(n % 5) +
           "\\sv_maxclients\\16\\gametype\\" + std::to_string(n % 5) +
           "\\protocol\\68\\g_needpass\\" + std::to_string(n % 7 == 0 ? 1 : 0);
}

std::string StatusAnswer(const Responder& responder) {
    std::string answer = "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\Bench server " +
                         std::to_string(responder.port) + "\\mapname\\q3dm1\\sv_maxclients\\16\n";
    for (int i = 0; i < responder.port % 5; ++i) {
        answer += "3 40 \"Player" + std::to_string(i) + "\"\n";
    }
    return answer;
}

// The steady clock's time of a datagram the kernel stamped on the real-time clock.
Clock::time_point ArrivalOf(const msghdr& message) {
    const Clock::time_point now = Clock::now();
    for (const cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(const_cast<msghdr*>(&message), const_cast<cmsghdr*>(header))) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            timespec real{};
            std::memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
            clock_gettime(CLOCK_REALTIME, &real);
            const auto age = std::chrono::seconds(real.tv_sec - stamp.tv_sec) +
                             std::chrono::nanoseconds(real.tv_nsec - stamp.tv_nsec);
            return now - std::chrono::duration_cast<Clock::duration>(age);
        }
    }
    return now;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    // A socket per responder: more than the usual 1,024 descriptors.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    std::vector<Responder> responders(static_cast<std::size_t>(count));
    std::uint16_t masterPort = 0;
    const int master = BoundSocket(masterPort);
    const int poller = epoll_create1(EPOLL_CLOEXEC);
    const auto watch = [&](int fd, std::uint64_t tag) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = tag;
        epoll_ctl(poller, EPOLL_CTL_ADD, fd, &event);
    };
    watch(master, ~std::uint64_t{0});
    watch(STDIN_FILENO, ~std::uint64_t{0} - 1);
    std::printf("%u\n", masterPort);
    for (int i = 0; i < count; ++i) {
        Responder& responder = responders[static_cast<std::size_t>(i)];
        responder.fd = BoundSocket(responder.port);
        // Spread over 5..150 ms, the same for the same index in every run.
        responder.delayMs = i % 5 == 4 ? -1 : 5 + static_cast<int>((i * 7919u) % 146u);
        watch(responder.fd, static_cast<std::uint64_t>(i));
        std::printf("%u %d\n", responder.port, responder.delayMs);
    }
    std::fflush(stdout);

    std::priority_queue<Reply, std::vector<Reply>, std::greater<>> replies;
    // How late the replies left: the world's own error, which no ping can beat.
    long sentCount = 0;
    long lateCount = 0;
    Clock::duration latest{};
    std::vector<char> buffer(65536);
    std::vector<epoll_event> events(256);
    for (;;) {
        int timeoutMs = -1;
        if (!replies.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
                replies.top().due - Clock::now());
            timeoutMs = wait.count() <= 0 ? 0 : static_cast<int>((wait.count() + 999) / 1000);
        }
        // Sub-millisecond accuracy: a timed wait rounds up, so the last stretch is polled.
        if (timeoutMs == 1) {
            timeoutMs = 0;
        }
        const int ready = epoll_wait(poller, events.data(), static_cast<int>(events.size()),
                                     timeoutMs);
        for (int e = 0; e < ready; ++e) {
            const std::uint64_t tag = events[static_cast<std::size_t>(e)].data.u64;
            if (tag == ~std::uint64_t{0} - 1) {
                if (read(STDIN_FILENO, buffer.data(), buffer.size()) <= 0) {
                    std::fprintf(stderr,
                                 "world: %ld replies, the latest %.2f ms after its time, %ld later "
                                 "than 1 ms\n",
                                 sentCount,
                                 std::chrono::duration<double, std::milli>(latest).count(),
                                 lateCount);
                    return 0;
                }
                continue;
            }
            const bool isMaster = tag == ~std::uint64_t{0};
            const int fd = isMaster ? master : responders[tag].fd;
            for (;;) {
                sockaddr_in from{};
                iovec data{buffer.data(), buffer.size()};
                alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
                msghdr message{};
                message.msg_name = &from;
                message.msg_namelen = sizeof from;
                message.msg_iov = &data;
                message.msg_iovlen = 1;
                message.msg_control = control;
                message.msg_controllen = sizeof control;
                const ssize_t got = recvmsg(fd, &message, 0);
                if (got < 0) {
                    break;
                }
                const socklen_t length = message.msg_namelen;
                const std::string_view datagram(buffer.data(), static_cast<std::size_t>(got));
                if (isMaster) {
                    if (!datagram.starts_with("\xFF\xFF\xFF\xFFgetservers ")) {
                        continue;
                    }
                    // Pieces of at most 1,000 entries, the last with the end mark.
                    for (int first = 0; first < count; first += 1000) {
                        std::string list = "\xFF\xFF\xFF\xFFgetserversResponse";
                        for (int i = first; i < std::min(count, first + 1000); ++i) {
                            const std::uint16_t port = responders[static_cast<std::size_t>(i)].port;
                            list += std::string("\\\x7F\x00\x00\x01", 5);
                            list += static_cast<char>(port >> 8);
                            list += static_cast<char>(port & 0xFF);
                        }
                        list += std::string(first + 1000 >= count ? "\\EOT" : "\\EOF", 4);
                        list += std::string(3, '\0');
                        sendto(master, list.data(), list.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), length);
                    }
                    continue;
                }
                const Responder& responder = responders[tag];
                if (responder.delayMs < 0) {
                    continue;
                }
                std::string answer;
                const std::string_view getinfo = "\xFF\xFF\xFF\xFFgetinfo";
                if (datagram.starts_with(getinfo)) {
                    std::string_view nonce = datagram.substr(getinfo.size());
                    while (!nonce.empty() && nonce.front() == ' ') {
                        nonce.remove_prefix(1);
                    }
                    answer = InfoAnswer(responder, nonce);
                } else if (datagram.starts_with("\xFF\xFF\xFF\xFFgetstatus")) {
                    answer = StatusAnswer(responder);
                } else {
                    continue;
                }
                replies.push(
                    Reply{ArrivalOf(message) + std::chrono::milliseconds(responder.delayMs), fd,
                          from, std::move(answer)});
            }
        }
        const auto now = Clock::now();
        while (!replies.empty() && replies.top().due <= now) {
            const Reply& reply = replies.top();
            const Clock::duration late = Clock::now() - reply.due;
            latest = std::max(latest, late);
            lateCount += late > std::chrono::milliseconds(1) ? 1 : 0;
            ++sentCount;
            sendto(reply.fd, reply.datagram.data(), reply.datagram.size(), 0,
                   reinterpret_cast<const sockaddr*>(&reply.to), sizeof reply.to);
            replies.pop();
        }
    }
}
