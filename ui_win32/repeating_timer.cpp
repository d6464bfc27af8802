#include "ui_win32/repeating_timer.h"

#include <windows.h>
#include <timeapi.h>

#include <atomic>
#include <thread>
#include <utility>

#include "platform/exception.h"

namespace kestrune {

namespace {

constexpr wchar_t kTimerWindowClass[] = L"KestruneQueryTimer";
constexpr UINT kFineTickMessage = WM_APP + 40;
constexpr UINT_PTR kUserTimerId = 1;
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The system's timer resolution at 1 ms while it lives.
class FineResolution {
public:
    FineResolution() : raised_(::timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~FineResolution() {
        if (raised_) {
            ::timeEndPeriod(1);
        }
    }
    FineResolution(const FineResolution&) = delete;
    FineResolution& operator=(const FineResolution&) = delete;

private:
    bool raised_;
};

// A message-only window that runs the timer's timeout for its messages.
class TimerWindow {
public:
    explicit TimerWindow(std::function<void(UINT message)> handle) : handle_(std::move(handle)) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        if (!::GetClassInfoExW(instance, kTimerWindowClass, &windowClass)) {
            windowClass.lpfnWndProc = &TimerWindow::Procedure;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kTimerWindowClass;
            ::RegisterClassExW(&windowClass);
        }
        window_ = ::CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, instance, nullptr);
        if (!window_) {
            throw Exception("Cannot create the server list's timer");
        }
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TimerWindow() { ::DestroyWindow(window_); }
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TimerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == kFineTickMessage || message == WM_TIMER)) {
            self->handle_(message);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    std::function<void(UINT)> handle_;
    HWND window_ = nullptr;
};

// An interval of USER_TIMER_MINIMUM or more: a USER timer.
class UserTimer final : public RepeatingTimer {
public:
    UserTimer(std::chrono::milliseconds interval, std::function<void()> timeout)
        : interval_(interval), timeout_(std::move(timeout)), window_([this](UINT) {
              if (running_) {
                  timeout_();
              }
          }) {}
    ~UserTimer() override { Stop(); }

    void Start() override {
        running_ = ::SetTimer(window_.Handle(), kUserTimerId,
                              static_cast<UINT>(interval_.count()), nullptr) != 0;
    }
    void Stop() override {
        running_ = false;
        ::KillTimer(window_.Handle(), kUserTimerId);
    }

private:
    std::chrono::milliseconds interval_;
    std::function<void()> timeout_;
    bool running_ = false;
    TimerWindow window_;
};

// A shorter interval: a waitable timer on a worker thread (see the header).
class FineTimer final : public RepeatingTimer {
public:
    FineTimer(std::chrono::milliseconds interval, std::function<void()> timeout)
        : interval_(interval), timeout_(std::move(timeout)), window_([this](UINT) {
              posted_ = false;
              if (running_) {
                  timeout_();
              }
          }) {}
    ~FineTimer() override { Stop(); }

    void Start() override {
        Stop();
        UniqueHandle timer(::CreateWaitableTimerExW(nullptr, nullptr,
                                                    CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                                    TIMER_ALL_ACCESS));
        std::unique_ptr<FineResolution> resolution;
        if (!timer) {
            // Before Windows 10 (1803): an ordinary waitable timer, as fine as the system's
            // resolution, raised for the while.
            timer.reset(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
            resolution = std::make_unique<FineResolution>();
        }
        UniqueHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!timer || !stop) {
            throw Exception("Cannot start the server list's timer");
        }
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(interval_.count()) * 10'000;  // 100 ns units
        if (!::SetWaitableTimer(timer.get(), &due, static_cast<LONG>(interval_.count()), nullptr,
                                nullptr, FALSE)) {
            throw Exception("Cannot start the server list's timer");
        }
        running_ = true;
        posted_ = false;
        timer_ = std::move(timer);
        stop_ = std::move(stop);
        resolution_ = std::move(resolution);
        worker_ = std::thread([this, window = window_.Handle(), timer = timer_.get(),
                               stop = stop_.get()] {
            const HANDLE waits[] = {stop, timer};
            while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
                if (!posted_.exchange(true) && !::PostMessageW(window, kFineTickMessage, 0, 0)) {
                    posted_ = false;
                }
            }
        });
    }

    void Stop() override {
        running_ = false;
        if (worker_.joinable()) {
            ::SetEvent(stop_.get());
            worker_.join();
        }
        if (timer_) {
            ::CancelWaitableTimer(timer_.get());
        }
        timer_.reset();
        stop_.reset();
        resolution_.reset();
    }

private:
    std::chrono::milliseconds interval_;
    std::function<void()> timeout_;
    bool running_ = false;
    std::atomic<bool> posted_{false};
    TimerWindow window_;
    UniqueHandle timer_;
    UniqueHandle stop_;
    std::unique_ptr<FineResolution> resolution_;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<RepeatingTimer> MakeWin32Timer(std::chrono::milliseconds interval,
                                               std::function<void()> timeout) {
    if (interval.count() < USER_TIMER_MINIMUM) {
        return std::make_unique<FineTimer>(interval, std::move(timeout));
    }
    return std::make_unique<UserTimer>(interval, std::move(timeout));
}

}  // namespace kestrune
