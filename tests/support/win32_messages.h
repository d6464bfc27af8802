#pragma once

// Windows only: what the tests do while the code under test waits on window messages.

#include <windows.h>

#include <chrono>

namespace kestrune::test_support {

// Dispatches the thread's messages until done holds or the time is up; false when it is up.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

}  // namespace kestrune::test_support
