// The /proc readings behind the idle-cost and memory figures.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "bench/process_usage.h"

namespace kestrune::bench {
namespace {

TEST(ProcessUsageTexts, ReadsTheirFieldsWhateverTheCommandName) {
    // utime 7 and stime 5; the name holds blanks and ")" that must not shift the fields.
    EXPECT_EQ(CpuTicksFromStat("4242 (a) b) c) S 1 4242 4242 0 -1 4194560 100 0 0 0 7 5 0 0 20 "
                               "0 3 0 12345 1000 200\n"),
              12u);
    EXPECT_EQ(CpuTicksFromStat("4242 (x) S 1 2"), std::nullopt);
    EXPECT_EQ(CpuTicksFromStat("no name here"), std::nullopt);

    EXPECT_EQ(RuntimeNsFromSchedstat("141915 4827 2\n"), 141915u);
    EXPECT_EQ(RuntimeNsFromSchedstat(""), std::nullopt);

    const char* status =
        "Name:\tkestrune\nVmRSSx:\t1 kB\nVmRSS:\t   52340 kB\nRssAnon:\t 4100 kB\n"
        "Threads:\t3\n"
        "voluntary_ctxt_switches:\t120\nnonvoluntary_ctxt_switches:\t7\n";
    EXPECT_EQ(StatusKb(status, "VmRSS"), 52340);
    EXPECT_EQ(StatusKb(status, "RssAnon"), 4100);
    EXPECT_EQ(SwitchesFromStatus(status), 127u);
    EXPECT_EQ(SwitchesFromStatus("voluntary_ctxt_switches:\t120\n"), std::nullopt);
    EXPECT_EQ(StatusKb("Name:\tx\n", "VmRSS"), std::nullopt);
}

// Spins until the calling thread has had ms of CPU time.
void SpinFor(int ms) {
    timespec used{};
    do {
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    } while (used.tv_sec * 1000 + used.tv_nsec / 1'000'000 < ms);
}

TEST(ProcessUsage, SumsTheCpuTimeAndWakeUpsOfEveryThread) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::atomic<bool> spun = false;
        std::thread helper([&] {
            SpinFor(150);
            spun = true;
            pause();  // alive while the parent reads
        });
        SpinFor(100);
        while (!spun) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (int nap = 0; nap < 40; ++nap) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const char done = 1;
        (void)!write(ready[1], &done, 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(read(ready[0], &done, 1), 1);
    close(ready[0]);

    const auto usage = ReadProcessUsage(child);
    const ResidentSize resident = ReadResidentSize(child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    ASSERT_TRUE(usage.has_value());
    EXPECT_EQ(usage->threads, 2);
    // Both threads' time: 100 ms of the main thread alone would be a reading of one thread.
    EXPECT_GE(usage->cpuNs, 250'000'000u);
    EXPECT_LT(usage->cpuNs, 400'000'000u);
    EXPECT_GE(usage->switches, 40u);
    EXPECT_GT(resident.anonymousKb, 0);
    EXPECT_GT(resident.totalKb, resident.anonymousKb);

    EXPECT_FALSE(ReadProcessUsage(child).has_value());
    EXPECT_EQ(ReadResidentSize(child).totalKb, -1);
}

}  // namespace
}  // namespace kestrune::bench
