#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "ui_logic/main_window_view.h"

namespace kestrune {

// The main window's file-open dialog for the game's and the voice client's executables. One
// dialog serves both, so each browse starts from the previous choice.
class ExecutableDialog {
public:
    explicit ExecutableDialog(HWND owner) : owner_(owner) {}

    // Lists the folders and the files that the first filter lists, and offers the others; gives
    // the chosen path in UTF-8, or "0" when the player cancels.
    std::string BrowseForExecutable(std::span<const FileFilter> filters);

private:
    HWND owner_;
    std::wstring previous_;
};

// What a test answers in place of the dialog: the chosen path, or nothing for a cancel. It is
// given the dialog's filter and the path the dialog would show.
using FileDialogAnswer = std::function<std::optional<std::wstring>(const std::wstring& filter,
                                                                   const std::wstring& previous)>;
// Replaces the dialog (tests); an empty answer restores it.
void SetFileDialogAnswer(FileDialogAnswer answer);

}  // namespace kestrune
