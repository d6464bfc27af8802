#include "ui_win32/executable_dialog.h"

#include <windows.h>
// needs windows.h first
#include <commdlg.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/utf8_text.h"
#include "ui_win32/wide_text.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

// Room for the chosen path, in characters with its terminator.
constexpr std::size_t kPathRoom = 260;

FileDialogAnswer& InstalledAnswer() {
    static FileDialogAnswer answer;
    return answer;
}

std::optional<std::wstring> RunFileDialog(HWND owner, const std::wstring& filter,
                                          const std::wstring& previous) {
    std::vector<wchar_t> path(kPathRoom, L'\0');
    previous.copy(path.data(), std::min(previous.size(), kPathRoom - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    // The relative mods list stays where the launcher was started, whatever folder is browsed.
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    // The common dialogs are loaded the first time a path is chosen, not with the program.
    static const auto getOpenFileName =
        win32::SystemFunction<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!getOpenFileName || !getOpenFileName(&dialog)) {
        return std::nullopt;
    }
    return std::wstring(path.data());
}

}  // namespace

std::string ExecutableDialog::BrowseForExecutable(std::span<const FileFilter> filters) {
    // Each entry is its name and its patterns, NUL after each; the list ends in two NULs. The
    // system separates patterns with ";", and a name shows its patterns where they differ.
    std::wstring filter;
    for (const FileFilter& entry : filters) {
        const std::wstring patterns = WideFromUtf8(entry.patterns);
        filter += WideFromUtf8(Tr(entry.name));
        if (entry.name != entry.patterns) {
            filter += L" (" + patterns + L")";
        }
        filter.push_back(L'\0');
        std::replace_copy(patterns.begin(), patterns.end(), std::back_inserter(filter), L' ', L';');
        filter.push_back(L'\0');
    }
    const auto& answer = InstalledAnswer();
    const std::optional<std::wstring> chosen =
        answer ? answer(filter, previous_) : RunFileDialog(owner_, filter, previous_);
    if (!chosen) {
        return "0";
    }
    previous_ = *chosen;
    return win32::Utf8FromWide(previous_);
}

void SetFileDialogAnswer(FileDialogAnswer answer) {
    InstalledAnswer() = std::move(answer);
}

}  // namespace kestrune
