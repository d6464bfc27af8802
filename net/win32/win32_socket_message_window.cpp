// The hidden window on Windows: a message-only window receives message 1125, from Winsock for
// read readiness (WSAAsyncSelect) and from lookup threads for a lookup's end; the wait for a
// lookup hands the thread's messages to the installed step (lookup_wait_step.h) and sleeps in
// MsgWaitForMultipleObjectsEx between them.

#include <winsock2.h>
// needs winsock2.h first
#include <windows.h>

#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <utility>

#include "net/socket_message_window.h"
#include "net/win32/lookup_wait_step.h"
#include "platform/exception.h"

namespace kestrune {

namespace {

constexpr wchar_t kWindowClass[] = L"KestruneSocketMessages";
// Messages dispatched by one call of the wait at most, so that a flood of them cannot keep the
// waiting send from looking at its lookup.
constexpr int kMostMessagesPerWait = 1000;

// Lookup completions on their way from lookup threads to the window; the message itself only
// says that one is waiting, in order.
struct CompletionQueue {
    std::mutex mutex;
    std::deque<SocketMessage> messages;
};

LookupWaitStep& InstalledStep() {
    static LookupWaitStep step;
    return step;
}

class Win32SocketMessageWindow final : public SocketMessageWindow {
public:
    explicit Win32SocketMessageWindow(Receiver receiver);
    ~Win32SocketMessageWindow() override;

    void WatchReads(NativeSocket socket) override;
    void StopWatchingReads() override;
    bool IsWatchingReads() const override { return watched_ != kNoSocket; }
    bool StartLookup(HostLookupFunction lookup, std::string name, std::uint64_t lookupId) override;
    bool WaitForMessages() override;

    // Message 1125 as the window received it: wParam the socket, lParam the event word.
    void Receive(WPARAM wParam, LPARAM lParam);

private:
    void Deliver(const SocketMessage& message);

    Receiver receiver_;
    HWND window_ = nullptr;
    NativeSocket watched_ = kNoSocket;
    std::shared_ptr<CompletionQueue> completions_ = std::make_shared<CompletionQueue>();
    std::shared_ptr<LookupMailbox> mailbox_;
};

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self =
        reinterpret_cast<Win32SocketMessageWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kSocketMessageNumber && self != nullptr) {
        self->Receive(wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

ATOM RegisterWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&windowClass);
    }();
    return atom;
}

Win32SocketMessageWindow::Win32SocketMessageWindow(Receiver receiver)
    : receiver_(std::move(receiver)) {
    if (RegisterWindowClass() == 0) {
        throw Exception("Cannot register the socket message window");
    }
    // A message-only window: never shown, never sent broadcasts, only our messages.
    window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        throw Exception("Cannot create the socket message window");
    }
    mailbox_ = std::make_shared<LookupMailbox>(
        [window = window_, completions = completions_](const SocketMessage& message) {
            const std::lock_guard lock(completions->mutex);
            completions->messages.push_back(message);
            ::PostMessageW(window, kSocketMessageNumber, 0, static_cast<LPARAM>(message.eventWord));
        });
}

Win32SocketMessageWindow::~Win32SocketMessageWindow() {
    // No lookup posts to the window once it is gone; messages already queued go with it.
    mailbox_->Close();
    StopWatchingReads();
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

void Win32SocketMessageWindow::WatchReads(NativeSocket socket) {
    StopWatchingReads();
    watched_ = socket;
    // The socket is non-blocking from now on, as it was already.
    ::WSAAsyncSelect(static_cast<SOCKET>(socket), window_, kSocketMessageNumber, FD_READ);
}

void Win32SocketMessageWindow::StopWatchingReads() {
    if (watched_ == kNoSocket) {
        return;
    }
    ::WSAAsyncSelect(static_cast<SOCKET>(watched_), window_, 0, 0);
    watched_ = kNoSocket;
}

bool Win32SocketMessageWindow::StartLookup(HostLookupFunction lookup, std::string name,
                                           std::uint64_t lookupId) {
    return StartHostLookup(mailbox_, std::move(lookup), std::move(name), lookupId);
}

bool Win32SocketMessageWindow::WaitForMessages() {
    // Touches nothing of this object: a handler dispatched here may destroy the endpoint.
    for (;;) {
        MSG message;
        int dispatched = 0;
        while (dispatched < kMostMessagesPerWait &&
               ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The program is asked to end: the message loop must still see it.
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            if (const LookupWaitStep& step = InstalledStep()) {
                step(message);
            } else {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            ++dispatched;
        }
        if (dispatched > 0) {
            return true;
        }
        // Nothing waiting: sleep until something comes, whatever it is.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void Win32SocketMessageWindow::Receive(WPARAM wParam, LPARAM lParam) {
    const auto eventWord = static_cast<std::uint32_t>(lParam);
    if (WSAGETSELECTEVENT(lParam) == FD_READ) {
        // Read readiness of a socket that has been closed since finds nothing to read.
        if (static_cast<NativeSocket>(wParam) == watched_) {
            Deliver({kSocketMessageNumber, eventWord, 0, {}});
        }
        return;
    }
    SocketMessage completion;
    {
        const std::lock_guard lock(completions_->mutex);
        if (completions_->messages.empty()) {
            return;
        }
        completion = completions_->messages.front();
        completions_->messages.pop_front();
    }
    Deliver(completion);
}

void Win32SocketMessageWindow::Deliver(const SocketMessage& message) {
    // Nothing may escape into the system's message dispatch.
    try {
        receiver_(message);
    } catch (const std::exception& error) {
        ::OutputDebugStringA(
            (std::string("UDP endpoint: a handler failed: ") + error.what()).c_str());
    } catch (...) {
        ::OutputDebugStringA("UDP endpoint: a handler failed");
    }
}

}  // namespace

void SetLookupWaitStep(LookupWaitStep step) {
    InstalledStep() = std::move(step);
}

std::unique_ptr<SocketMessageWindow> MakeSocketMessageWindow(
    SocketMessageWindow::Receiver receiver) {
    return std::make_unique<Win32SocketMessageWindow>(std::move(receiver));
}

}  // namespace kestrune
