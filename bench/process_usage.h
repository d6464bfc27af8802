#pragma once

// What a running process costs, read from /proc: time on a CPU and context switches summed over
// its threads, and its resident size.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrune::bench {

struct ProcessUsage {
    std::uint64_t cpuNs = 0;     // time on a CPU, all live threads
    std::uint64_t switches = 0;  // voluntary and involuntary context switches, all live threads
    int threads = 0;
};

// Sums the usage of every thread of pid, or nothing when the process is gone. CPU time comes from
// each thread's schedstat (nanoseconds) where the kernel has it, else from utime and stime in
// stat (clock ticks).
std::optional<ProcessUsage> ReadProcessUsage(pid_t pid);

// Resident size in kB, all of it (VmRSS) and the part no other process can share (RssAnon: heap,
// stacks, private mappings); -1 when the process is gone.
struct ResidentSize {
    long totalKb = -1;
    long anonymousKb = -1;
};
ResidentSize ReadResidentSize(pid_t pid);

// The parts of the /proc texts the above use.
// utime + stime of a stat line, in clock ticks. The command name may hold blanks and ")".
std::optional<std::uint64_t> CpuTicksFromStat(std::string_view stat);
// The first field of schedstat: nanoseconds spent on a CPU.
std::optional<std::uint64_t> RuntimeNsFromSchedstat(std::string_view schedstat);
// voluntary_ctxt_switches + nonvoluntary_ctxt_switches of a status text.
std::optional<std::uint64_t> SwitchesFromStatus(std::string_view status);
// A "key: N kB" field of a status text, in kB.
std::optional<long> StatusKb(std::string_view status, std::string_view key);

}  // namespace kestrune::bench
