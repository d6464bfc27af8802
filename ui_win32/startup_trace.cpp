#include "ui_win32/startup_trace.h"

#ifdef KESTRUNE_STARTUP_TRACE

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

namespace kestrune {

namespace {

struct Checkpoint {
    const char* step;
    LARGE_INTEGER time;
};

// Fixed room: noting a step allocates nothing and costs one counter read.
struct Trace {
    std::array<Checkpoint, 64> checkpoints{};
    std::size_t count = 0;
    bool reported = false;
};

Trace& TheTrace() {
    static Trace trace;
    return trace;
}

// The time from the process's creation (as the system noted it) to now, in milliseconds: what the
// loader and the runtimes cost before the first checkpoint.
double MillisecondsSinceProcessCreation() {
    using PreciseTime = void(WINAPI*)(FILETIME*);
    const auto precise = reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now{}, created{}, unused{};
    if (precise) {
        precise(&now);
    } else {
        ::GetSystemTimeAsFileTime(&now);
    }
    ::GetProcessTimes(::GetCurrentProcess(), &created, &unused, &unused, &unused);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 1e4;
}

}  // namespace

void StartupCheckpoint(const char* step) {
    Trace& trace = TheTrace();
    if (trace.count == 0) {
        // The first step runs from the process's creation: the loader and the runtimes.
        trace.checkpoints[trace.count++] = {nullptr, {}};
        const double loaderMs = MillisecondsSinceProcessCreation();
        LARGE_INTEGER now{}, frequency{};
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        trace.checkpoints[0].time.QuadPart =
            now.QuadPart - static_cast<LONGLONG>(loaderMs * frequency.QuadPart / 1e3);
    }
    if (trace.count < trace.checkpoints.size()) {
        trace.checkpoints[trace.count].step = step;
        ::QueryPerformanceCounter(&trace.checkpoints[trace.count].time);
        ++trace.count;
    }
}

void EndStartupTrace() {
    Trace& trace = TheTrace();
    if (trace.reported || trace.count < 2) {
        return;
    }
    trace.reported = true;
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    std::string line;
    for (std::size_t i = 1; i < trace.count; ++i) {
        const double ms = static_cast<double>(trace.checkpoints[i].time.QuadPart -
                                              trace.checkpoints[i - 1].time.QuadPart) *
                          1e3 / static_cast<double>(frequency.QuadPart);
        char pair[96];
        std::snprintf(pair, sizeof pair, "%s%s=%.3f", i > 1 ? " " : "", trace.checkpoints[i].step,
                      ms);
        line += pair;
    }
    line += '\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
}

}  // namespace kestrune

#endif
