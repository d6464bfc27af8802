// Starts a program on the X display and reports how long its window with a given title takes to
// be mapped and to get its first content, then, once it has settled, its resident size and what
// it costs while nothing happens.
//
//   bench_window_watch --title TITLE [--settle-ms N] [--idle-ms N] [--unfocus] -- PROGRAM [ARGS...]
//
// --unfocus maps a window of its own after the settling time, which the window manager makes the
// active one: the idle figures are then those of a program in the background.
//
// Prints one line: startup_ms map_ms, with --idle-ms idle_cpu_pct idle_wakeups_per_s threads (at
// the start and the end of the idle time), then rss_kb anon_kb read at the end.
//
// The costs are those of the process that owns the window, named by its _NET_WM_PID, or of the
// program started where the window names none. The two differ where the program starts the
// window's process through another; under Wine they are one process (the loader becomes the
// Windows program), and Wine's server, shared by every Windows program, is no part of it.
//
// The window is found as a child of the root window (where every top-level window is created)
// whose WM_NAME is the title once it maps. Its first content is the first Damage report on it
// after the map: top-level windows get no server-drawn background, so that report is the
// program's own first paint.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/process_usage.h"

extern char** environ;

namespace kestrune::bench {
namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Options {
    std::string title;
    int settleMs = 0;
    int idleMs = 0;
    int timeoutMs = 20000;
    bool unfocus = false;        // another window is made the active one before the idle time
    std::vector<char*> program;  // ends with a null pointer
};

bool ParseOptions(int argc, char** argv, Options& options) {
    int arg = 1;
    for (; arg < argc && std::strcmp(argv[arg], "--") != 0; ++arg) {
        if (std::strcmp(argv[arg], "--unfocus") == 0) {
            options.unfocus = true;
            continue;
        }
        if (arg + 1 >= argc) {
            return false;
        }
        const std::string name = argv[arg];
        const char* value = argv[++arg];
        if (name == "--title") {
            options.title = value;
        } else if (name == "--settle-ms") {
            options.settleMs = std::atoi(value);
        } else if (name == "--idle-ms") {
            options.idleMs = std::atoi(value);
        } else if (name == "--timeout-ms") {
            options.timeoutMs = std::atoi(value);
        } else {
            return false;
        }
    }
    for (++arg; arg < argc; ++arg) {
        options.program.push_back(argv[arg]);
    }
    options.program.push_back(nullptr);
    return !options.title.empty() && options.program.size() > 1;
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

std::string WindowName(xcb_connection_t* x, xcb_window_t window) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(x, cookie, nullptr),
                                             &std::free);
    if (!reply) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       xcb_get_property_value_length(reply.get()));
}

// The process that made the window, as it says in _NET_WM_PID, or 0.
pid_t WindowProcess(xcb_connection_t* x, xcb_window_t window) {
    static constexpr char kName[] = "_NET_WM_PID";
    ReplyPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, sizeof kName - 1, kName), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_NONE) {
        return 0;
    }
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4) {
        return 0;
    }
    return static_cast<pid_t>(
        *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())));
}

bool IsViewable(xcb_connection_t* x, xcb_window_t window) {
    ReplyPtr<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr),
        &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void StopChild(pid_t child) {
    kill(child, SIGTERM);
    for (int wait = 0; wait < 200; ++wait) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

struct Startup {
    double mapMs = -1;
    double paintMs = -1;
};

// Watches the root window's children until the titled one has been mapped and painted.
class FirstPaintWatch {
public:
    FirstPaintWatch(xcb_connection_t* x, std::string title) : x_(x), title_(std::move(title)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x_, &xcb_damage_id);
        if (damage && damage->present) {
            damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
            ReplyPtr<xcb_damage_query_version_reply_t> version(
                xcb_damage_query_version_reply(x_, xcb_damage_query_version(x_, 1, 1), nullptr),
                &std::free);
        }
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, root_, XCB_CW_EVENT_MASK, &mask);
        // Round trip: the selection is in force before the program starts.
        std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
    }

    bool HasDamage() const { return damageEvent_ != 0; }
    xcb_window_t Target() const { return target_; }

    // Ends the watch: no more events from the program's windows.
    void Stop() {
        const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        for (const auto& [window, damage] : damages_) {
            xcb_damage_destroy(x_, damage);
            xcb_change_window_attributes(x_, window, XCB_CW_EVENT_MASK, &none);
        }
        damages_.clear();
        xcb_change_window_attributes(x_, root_, XCB_CW_EVENT_MASK, &none);
        xcb_flush(x_);
    }

    // Maps a small window of the watch's own, which the window manager makes the active one.
    void TakeFocus() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x_)).data;
        const xcb_window_t window = xcb_generate_id(x_);
        xcb_create_window(x_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 64, 64, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(x_, window);
        std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
    }

    // Handles the events that are in; true once the first paint has been seen.
    bool Handle(double startMs, Startup& startup) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(x_)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(raw, &std::free);
            const double now = NowMs() - startMs;
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(raw);
                if (create->parent == root_) {
                    Track(create->window, now, startup);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(raw);
                if (map->event == map->window && target_ == XCB_NONE &&
                    damages_.count(map->window) && WindowName(x_, map->window) == title_) {
                    target_ = map->window;
                    startup.mapMs = now;
                }
            } else if (type == damageEvent_) {
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(raw);
                if (damage->drawable == target_ && startup.mapMs >= 0) {
                    startup.paintMs = now;
                    return true;
                }
                xcb_damage_subtract(x_, damage->damage, XCB_NONE, XCB_NONE);
            }
        }
        xcb_flush(x_);
        return false;
    }

private:
    void Track(xcb_window_t window, double now, Startup& startup) {
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, window, XCB_CW_EVENT_MASK, &mask);
        const xcb_damage_damage_t damage = xcb_generate_id(x_);
        xcb_damage_create(x_, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        damages_[window] = damage;
        // Mapped before the selection took hold: its map is taken as now.
        if (target_ == XCB_NONE && IsViewable(x_, window) && WindowName(x_, window) == title_) {
            target_ = window;
            startup.mapMs = now;
            std::fprintf(stderr, "window_watch: the window was mapped before it was watched\n");
        }
    }

    xcb_connection_t* x_;
    std::string title_;
    xcb_window_t root_ = XCB_NONE;
    std::uint8_t damageEvent_ = 0;
    xcb_window_t target_ = XCB_NONE;
    std::map<xcb_window_t, xcb_damage_damage_t> damages_;
};

int Run(const Options& options) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "window_watch: no X display\n");
        return 2;
    }
    FirstPaintWatch watch(x, options.title);
    if (!watch.HasDamage()) {
        std::fprintf(stderr, "window_watch: the X server has no Damage extension\n");
        return 2;
    }

    const double startMs = NowMs();
    pid_t child = 0;
    if (posix_spawn(&child, options.program[0], nullptr, nullptr, options.program.data(),
                    environ) != 0) {
        std::fprintf(stderr, "window_watch: cannot start %s\n", options.program[0]);
        return 2;
    }
    Startup startup;
    pollfd x11{xcb_get_file_descriptor(x), POLLIN, 0};
    bool painted = false;
    while (!painted) {
        const double left = options.timeoutMs - (NowMs() - startMs);
        if (left <= 0 || waitpid(child, nullptr, WNOHANG) == child) {
            break;
        }
        painted = watch.Handle(startMs, startup);
        if (!painted) {
            poll(&x11, 1, static_cast<int>(std::min(left, 100.0)) + 1);
        }
    }
    if (!painted) {
        xcb_disconnect(x);
        std::fprintf(stderr, "window_watch: no window \"%s\" painted\n", options.title.c_str());
        StopChild(child);
        return 1;
    }

    // Whose costs are read: the window's process where it names one.
    const pid_t windowProcess = WindowProcess(x, watch.Target());
    const pid_t measured = windowProcess > 0 ? windowProcess : child;
    watch.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(options.settleMs));
    // After the settling time: a splash window that closes gives the focus back to the window.
    if (options.unfocus) {
        watch.TakeFocus();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::printf("startup_ms=%.2f map_ms=%.2f", startup.paintMs, startup.mapMs);
    if (options.idleMs > 0) {
        const auto before = ReadProcessUsage(measured);
        const double idleStart = NowMs();
        std::this_thread::sleep_for(std::chrono::milliseconds(options.idleMs));
        const auto after = ReadProcessUsage(measured);
        const double idleMs = NowMs() - idleStart;
        if (!before || !after) {
            std::fprintf(stderr, "window_watch: the program ended early\n");
            StopChild(child);
            xcb_disconnect(x);
            return 1;
        }
        const double cpuMs = (double(after->cpuNs) - double(before->cpuNs)) / 1e6;
        const double wakeups = double(after->switches) - double(before->switches);
        std::printf(" idle_cpu_pct=%.3f idle_wakeups_per_s=%.2f threads=%d/%d",
                    100 * cpuMs / idleMs, wakeups * 1000 / idleMs, before->threads, after->threads);
    }
    const ResidentSize resident = ReadResidentSize(measured);
    StopChild(child);
    xcb_disconnect(x);
    std::printf(" rss_kb=%ld anon_kb=%ld\n", resident.totalKb, resident.anonymousKb);
    return 0;
}

}  // namespace
}  // namespace kestrune::bench

int main(int argc, char** argv) {
    kestrune::bench::Options options;
    if (!kestrune::bench::ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: %s --title TITLE [--settle-ms N] [--idle-ms N] [--timeout-ms N] [--unfocus] -- "
            "PROGRAM [ARGS...]\n",
            argv[0]);
        return 2;
    }
    return kestrune::bench::Run(options);
}
