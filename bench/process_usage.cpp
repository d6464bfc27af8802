#include "bench/process_usage.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace kestrune::bench {

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string_view SkipBlanks(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::optional<std::uint64_t> LeadingNumber(std::string_view text) {
    text = SkipBlanks(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    return value;
}

// The number after "key:" on the line that starts with it.
std::optional<std::uint64_t> StatusField(std::string_view status, std::string_view key) {
    for (std::size_t line = 0; line < status.size();) {
        const std::size_t end = std::min(status.find('\n', line), status.size());
        const std::string_view text = status.substr(line, end - line);
        if (text.size() > key.size() && text.substr(0, key.size()) == key &&
            text[key.size()] == ':') {
            return LeadingNumber(text.substr(key.size() + 1));
        }
        line = end + 1;
    }
    return std::nullopt;
}

bool HaveSchedstat() {
    static const bool have = ReadFile("/proc/self/schedstat").has_value();
    return have;
}

}  // namespace

std::optional<std::uint64_t> CpuTicksFromStat(std::string_view stat) {
    // "pid (comm) state ppid ...": the name ends at the last ")", and utime and stime are the
    // 12th and 13th fields after it.
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = stat.substr(nameEnd + 1);
    std::uint64_t ticks = 0;
    for (int field = 1; field <= 13; ++field) {
        rest = SkipBlanks(rest);
        if (rest.empty()) {
            return std::nullopt;
        }
        const std::size_t end = std::min(rest.find(' '), rest.size());
        if (field >= 12) {
            const auto value = LeadingNumber(rest.substr(0, end));
            if (!value) {
                return std::nullopt;
            }
            ticks += *value;
        }
        rest = rest.substr(end);
    }
    return ticks;
}

std::optional<std::uint64_t> RuntimeNsFromSchedstat(std::string_view schedstat) {
    return LeadingNumber(schedstat);
}

std::optional<std::uint64_t> SwitchesFromStatus(std::string_view status) {
    const auto voluntary = StatusField(status, "voluntary_ctxt_switches");
    const auto involuntary = StatusField(status, "nonvoluntary_ctxt_switches");
    if (!voluntary || !involuntary) {
        return std::nullopt;
    }
    return *voluntary + *involuntary;
}

std::optional<long> StatusKb(std::string_view status, std::string_view key) {
    const auto kb = StatusField(status, key);
    if (!kb) {
        return std::nullopt;
    }
    return static_cast<long>(*kb);
}

std::optional<ProcessUsage> ReadProcessUsage(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(tasks.c_str()), closedir);
    if (!dir) {
        return std::nullopt;
    }
    static const std::uint64_t nsPerTick = 1'000'000'000ull / sysconf(_SC_CLK_TCK);
    ProcessUsage usage;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        // A thread that ends while it is read is left out.
        const std::string task = tasks + "/" + entry->d_name;
        const auto status = ReadFile(task + "/status");
        std::optional<std::uint64_t> cpuNs;
        if (HaveSchedstat()) {
            if (const auto schedstat = ReadFile(task + "/schedstat")) {
                cpuNs = RuntimeNsFromSchedstat(*schedstat);
            }
        } else if (const auto stat = ReadFile(task + "/stat")) {
            if (const auto ticks = CpuTicksFromStat(*stat)) {
                cpuNs = *ticks * nsPerTick;
            }
        }
        const auto switches = status ? SwitchesFromStatus(*status) : std::nullopt;
        if (!cpuNs || !switches) {
            continue;
        }
        usage.cpuNs += *cpuNs;
        usage.switches += *switches;
        ++usage.threads;
    }
    if (usage.threads == 0) {
        return std::nullopt;
    }
    return usage;
}

ResidentSize ReadResidentSize(pid_t pid) {
    ResidentSize size;
    if (const auto status = ReadFile("/proc/" + std::to_string(pid) + "/status")) {
        size.totalKb = StatusKb(*status, "VmRSS").value_or(-1);
        size.anonymousKb = StatusKb(*status, "RssAnon").value_or(-1);
    }
    return size;
}

}  // namespace kestrune::bench
