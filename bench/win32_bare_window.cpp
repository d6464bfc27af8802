// The floor for a Win32 program: one empty window with a client area of 425 by 279 and the
// message loop, nothing else (no common controls, no manifest). With --label the window holds
// one line of text in the launcher's font, which shows what drawing any text adds to that floor;
// with --dlls the program first loads the system DLLs the launcher imports besides this one's,
// which shows what they cost apart from the launcher's own work.
//
// Built with KESTRUNE_BENCH_CONTROLS (bench_win32_controls_window), it is the floor for the
// launcher's main window instead: what Wine charges for the kind of window the launcher shows,
// without any of the launcher's own work. It imports the common controls (version 6, by the
// launcher's manifest, linked in with its other resources) and the socket DLL as the launcher
// does, and the window has the launcher's icon, a menu bar, and controls of the main window's
// kinds and numbers in the launcher's font, placed anywhere.

#include <windows.h>

#include <cstring>
#include <initializer_list>

#ifdef KESTRUNE_BENCH_CONTROLS
// needs windows.h first
#include <commctrl.h>
#include <winsock2.h>

#include "ui_win32/resources/resource_ids.h"
#endif
#include "ui_win32/startup_trace.h"

namespace {

LRESULT CALLBACK BareWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HFONT LauncherFont() {
    return ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

#ifdef KESTRUNE_BENCH_CONTROLS
HMENU MenuBar() {
    const HMENU menu = ::CreateMenu();
    for (const wchar_t* entry : {L"Files", L"Options", L"About"}) {
        ::AppendMenuW(menu, MF_STRING, 0, entry);
    }
    return menu;
}

// As many controls of each kind as the main window has, in the launcher's font.
void AddControls(HWND window, HINSTANCE instance, HFONT font) {
    const struct {
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
        int count;
        SIZE size;
    } kinds[] = {
        {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 12, {80, 13}},
        {WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 8, {97, 21}},
        {WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 3, {81, 17}},
        {WC_BUTTONW, BS_GROUPBOX, 0, 1, {81, 65}},
        {WC_BUTTONW, WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 2, {71, 20}},
        {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, 4, {75, 25}},
        {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 1, {89, 141}},
    };
    int id = 100;
    for (const auto& kind : kinds) {
        for (int i = 0; i < kind.count; ++i, ++id) {
            const HWND control = ::CreateWindowExW(
                kind.exStyle, kind.className, L"Control", WS_CHILD | WS_VISIBLE | kind.style,
                16 + id % 4 * 100, 8 + (id - 100) / 4 * 24, kind.size.cx, kind.size.cy, window,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE, 0, 260, 425,
                      19, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                      nullptr);
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    using kestrune::StartupCheckpoint;
    StartupCheckpoint("loader");
    HMENU menu = nullptr;
#ifdef KESTRUNE_BENCH_CONTROLS
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    ::WSASetLastError(0);  // the socket DLL is imported, as the launcher's is
    menu = MenuBar();
#endif
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BareWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareWindow";
#ifdef KESTRUNE_BENCH_CONTROLS
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_KESTRUNE));
#endif
    if (!::RegisterClassW(&windowClass)) {
        return 1;
    }
    // A fixed border and no maximise box, as the launcher's main window has.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 425, 279};
    ::AdjustWindowRectEx(&frame, style, menu != nullptr, 0);
    const HWND window = ::CreateWindowExW(
        0, L"BareWindow", L"Bare window", style, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, nullptr);
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
#ifdef KESTRUNE_BENCH_CONTROLS
    font = LauncherFont();
    AddControls(window, instance, font);
#endif
    if (std::strstr(commandLine, "--label")) {
        if (!font) {
            font = LauncherFont();
        }
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
