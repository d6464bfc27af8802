#include "ui_win32/mods_combo_box.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <utility>

#include "launcher/stored_text.h"
#include "ui_win32/wide_text.h"

namespace kestrune {

namespace {

constexpr UINT_PTR kSubclassId = 1;

// The edit's selection: first and one past the last highlighted character (the caret's end).
std::pair<std::size_t, std::size_t> SelectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void SetSelection(HWND edit, std::size_t start, std::size_t end) {
    ::SendMessageW(edit, EM_SETSEL, start, static_cast<LPARAM>(end));
}

// The messages by which the player edits the text: typing, Backspace, Delete, cutting,
// pasting, undoing.
bool MayEdit(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            return true;
        case WM_KEYDOWN:
            // Delete, Shift+Delete (cut) and Shift+Insert (paste); the arrows are the box's.
            return wParam == VK_DELETE || wParam == VK_INSERT;
        default:
            return false;
    }
}

bool BeginsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           ::CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

ModsComboBox::ModsComboBox(HWND box, std::function<void()> changed)
    : box_(box), changed_(std::move(changed)) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(box_, &info)) {
        edit_ = info.hwndItem;
        ::SetWindowSubclass(edit_, &ModsComboBox::EditProcedure, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
    }
}

ModsComboBox::~ModsComboBox() {
    if (edit_ && ::IsWindow(edit_)) {
        ::RemoveWindowSubclass(edit_, &ModsComboBox::EditProcedure, kSubclassId);
    }
}

std::wstring ModsComboBox::Text() const {
    return WindowText(box_);
}

void ModsComboBox::SetText(std::wstring_view text) {
    ::SetWindowTextW(edit_, std::wstring(text).c_str());
}

int ModsComboBox::Index() const {
    return static_cast<int>(::SendMessageW(box_, CB_GETCURSEL, 0, 0));
}

int ModsComboBox::Count() const {
    return static_cast<int>(::SendMessageW(box_, CB_GETCOUNT, 0, 0));
}

void ModsComboBox::Select(int index) {
    if (index >= 0) {
        ::SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    // Selecting none clears the edit part, which keeps what it showed.
    const std::wstring text = Text();
    const auto [start, end] = SelectionOf(edit_);
    ::SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetText(text);
    SetSelection(edit_, start, end);
}

void ModsComboBox::ShowEntries(const ModsList& mods) {
    const std::wstring text = Text();
    ::SendMessageW(box_, CB_RESETCONTENT, 0, 0);
    entries_.clear();
    for (const std::string& mod : mods) {
        entries_.push_back({DecodeStoredText(mod), mod});
        ::SendMessageW(box_, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Wide(entries_.back().shown).c_str()));
    }
    SetText(text);
}

void ModsComboBox::Append(std::u16string_view name) {
    entries_.push_back({std::u16string(name), {}});
    ::SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

std::optional<ModsList> ModsComboBox::ToWrite() const {
    if (unread_) {
        return std::nullopt;
    }
    return ModsListToWrite(entries_);
}

std::string ModsComboBox::StoredName() const {
    return StoredModName(entries_, Utf16(Text()));
}

void ModsComboBox::HandleNotification(WORD code) {
    if (code != CBN_SELCHANGE) {
        return;
    }
    // The edit part may show the picked entry only later; the handler reads it now.
    const int index = Index();
    if (index >= 0 && static_cast<std::size_t>(index) < entries_.size()) {
        SetText(Wide(entries_[static_cast<std::size_t>(index)].shown));
    }
    changed_();
}

LRESULT CALLBACK ModsComboBox::EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR self) {
    if (!MayEdit(message, wParam)) {
        return ::DefSubclassProc(edit, message, wParam, lParam);
    }
    auto& box = *reinterpret_cast<ModsComboBox*>(self);
    const std::wstring before = WindowText(edit);
    const auto [start, end] = SelectionOf(edit);
    const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
    if (WindowText(edit) != before) {
        box.Edited(before.size(), end - start);
    }
    return result;
}

void ModsComboBox::Edited(std::size_t length, std::size_t selected) {
    // What the edit put in: what it holds beyond the text that was not highlighted.
    const std::size_t kept = length - selected;
    const std::size_t now = WindowText(edit_).size();
    if (now <= kept) {
        // Backspace removes the highlighted completion or a character; nothing is completed,
        // and the text no longer stands for the entry that was selected.
        Select(-1);
    } else {
        Complete();
    }
    changed_();
}

void ModsComboBox::Complete() {
    const std::wstring text = WindowText(edit_);
    const std::size_t caret = std::min(SelectionOf(edit_).second, text.size());
    const std::wstring typed = text.substr(0, caret);
    const int match = FindEntryBeginningWith(typed);
    if (match < 0) {
        Select(-1);
        return;
    }
    const std::wstring entry = Wide(entries_[static_cast<std::size_t>(match)].shown);
    ::SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    SetText(typed + entry.substr(typed.size()));
    SetSelection(edit_, typed.size(), entry.size());
}

int ModsComboBox::FindEntryBeginningWith(std::wstring_view prefix) const {
    if (prefix.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (BeginsWithIgnoringCase(Wide(entries_[i].shown), prefix)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace kestrune
