#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "ui_logic/server_list_query.h"

namespace kestrune {

// A repeating timer whose timeout runs on the calling (UI) thread.
//
// USER timers (SetTimer) never fire more often than every 10 ms, and really every 15.6 ms on
// most systems, whatever timeBeginPeriod says: the scheduler's tick of 1 ms would then send a
// burst every 15.6 ms and the pace (and the pings measured with it) would suffer. So an interval
// under USER_TIMER_MINIMUM runs on a waitable timer waited for by a worker thread (a
// high-resolution one where the system has it, else the system's timer resolution raised to
// 1 ms while it runs), which posts one message to a message-only window of the timer's: never a
// second while the first waits, so a busy UI thread sees one late tick, not a flooded queue.
// Longer intervals are plain USER timers.
std::unique_ptr<RepeatingTimer> MakeWin32Timer(std::chrono::milliseconds interval,
                                               std::function<void()> timeout);

}  // namespace kestrune
