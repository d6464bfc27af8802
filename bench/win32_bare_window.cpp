// The floor for a Win32 program: one empty window with a client area of 425 by 279 and the
// message loop, nothing else (no common controls, no manifest). With --label the window holds
// one line of text in the launcher's font, which shows what drawing any text adds to that floor;
// with --dlls the program first loads the system DLLs the launcher imports besides this one's,
// which shows what they cost apart from the launcher's own work.

#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "ui_win32/startup_trace.h"

namespace {

LRESULT CALLBACK BareWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    using kestrune::StartupCheckpoint;
    StartupCheckpoint("loader");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BareWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareWindow";
    if (!::RegisterClassW(&windowClass)) {
        return 1;
    }
    // A fixed border and no maximise box, as the launcher's main window has.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 425, 279};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const HWND window = ::CreateWindowExW(
        0, L"BareWindow", L"Bare window", style, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    StartupCheckpoint("main_window");
    if (std::strstr(commandLine, "--dlls")) {
        for (const wchar_t* dll : {L"comctl32.dll", L"ws2_32.dll"}) {
            if (!::LoadLibraryW(dll)) {
                return 1;
            }
        }
    }
    HFONT font = nullptr;
    if (std::strstr(commandLine, "--label")) {
        font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
        const HWND label = ::CreateWindowExW(0, L"STATIC", L"Program ready", WS_CHILD | WS_VISIBLE,
                                             16, 240, 200, 16, window, nullptr, instance, nullptr);
        ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ::ShowWindow(window, showCommand);
    StartupCheckpoint("main_mapped");
    ::UpdateWindow(window);
    StartupCheckpoint("main_painted");
    kestrune::EndStartupTrace();

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (font) {
        ::DeleteObject(font);
    }
    return 0;
}
