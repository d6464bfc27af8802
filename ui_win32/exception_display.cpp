#include "ui_win32/exception_display.h"

#include <windows.h>

#include <vector>

#include "launcher/stored_text.h"
#include "ui_logic/application_title.h"
#include "ui_logic/exception_message.h"
#include "ui_win32/wide_text.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

ExceptionPresenter& InstalledPresenter() {
    static ExceptionPresenter presenter;
    return presenter;
}

HWND& BoxOwnerWhenNoneIsActive() {
    static HWND owner = nullptr;
    return owner;
}

struct WindowSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOtherEnabledWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    if (window != search.owner && ::IsWindowEnabled(window)) {
        search.found.push_back(window);
    }
    return TRUE;
}

// The program's enabled top-level windows but the box's owner, which the box disables itself
// (one thread runs them all).
std::vector<HWND> OtherEnabledWindows(HWND owner) {
    WindowSearch search{owner, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectOtherEnabledWindow,
                        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ShowMessageBox(const std::wstring& text) {
    const HWND focus = ::GetFocus();
    // Over the window in use; with none active (another program's is), the main window owns it,
    // so that bringing Kestrune forward brings the box with it, above the windows it disables.
    HWND owner = ::GetActiveWindow();
    if (!owner && ::IsWindow(BoxOwnerWhenNoneIsActive())) {
        owner = BoxOwnerWhenNoneIsActive();
    }
    const std::vector<HWND> disabled = OtherEnabledWindows(owner);
    for (HWND window : disabled) {
        ::EnableWindow(window, FALSE);
    }
    ::MessageBoxW(owner, text.c_str(), WideFromUtf8(Tr(kApplicationTitle)).c_str(),
                  MB_OK | MB_ICONSTOP | MB_APPLMODAL);
    for (HWND window : disabled) {
        if (::IsWindow(window)) {
            ::EnableWindow(window, TRUE);
        }
    }
    if (focus && ::IsWindow(focus)) {
        ::SetFocus(focus);
    }
}

}  // namespace

std::wstring ExceptionText(std::string_view message) {
    // A message may quote a stored text, which shows as the window shows it.
    return Wide(DecodeStoredText(ExceptionMessage(message)));
}

void ShowException(std::string_view message) {
    const std::wstring text = ExceptionText(message);
    if (const auto& presenter = InstalledPresenter()) {
        presenter(text);
        return;
    }
    ShowMessageBox(text);
}

void SetExceptionBoxOwner(HWND window) {
    BoxOwnerWhenNoneIsActive() = window;
}

void SetExceptionPresenter(ExceptionPresenter presenter) {
    InstalledPresenter() = std::move(presenter);
}

}  // namespace kestrune
