#pragma once

#include <windows.h>

#include <functional>

namespace kestrune {

// What the endpoint's wait for a name lookup does with each message it takes from the thread's
// queue. The windows' program installs its message loop's own step, which gives the keyboard to
// the windows' controls (Tab, the arrows, Enter), so that they behave during the wait as at any
// other time; net/ knows nothing of those windows. An empty step, the default, translates and
// dispatches the message.
using LookupWaitStep = std::function<void(MSG& message)>;
void SetLookupWaitStep(LookupWaitStep step);

}  // namespace kestrune
