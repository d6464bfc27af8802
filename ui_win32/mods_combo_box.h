#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/launcher_settings.h"
#include "ui_logic/mods_list_entries.h"

namespace kestrune {

// The main window's editable mods box (a CBS_DROPDOWN combo box made by the window): keeps each
// entry's stored bytes beside it and completes what the player types from its entries. Every
// change the player makes, by typing or by picking an entry, is reported once through the
// change handler; changes made from code are not.
class ModsComboBox {
public:
    // Watches the box's edit part; changed runs after each change of the player's.
    ModsComboBox(HWND box, std::function<void()> changed);
    ~ModsComboBox();
    ModsComboBox(const ModsComboBox&) = delete;
    ModsComboBox& operator=(const ModsComboBox&) = delete;

    HWND Handle() const { return box_; }
    HWND EditPart() const { return edit_; }

    std::wstring Text() const;
    void SetText(std::wstring_view text);
    int Index() const;
    int Count() const;
    // Selects an entry; -1 selects none and keeps the text and its highlight.
    void Select(int index);

    // Replaces the entries with the names read from the file; nothing is selected and the text
    // stays.
    void ShowEntries(const ModsList& mods);
    // Appends a name the player typed (it has no stored bytes).
    void Append(std::u16string_view name);
    void MarkUnread() { unread_ = true; }
    std::optional<ModsList> ToWrite() const;
    std::string StoredName() const;

    // The box's WM_COMMAND notifications (the window passes them on): a pick from the list.
    void HandleNotification(WORD code);

private:
    static LRESULT CALLBACK EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    // The player changed the text; before it the edit held length characters, selected of them
    // highlighted.
    void Edited(std::size_t length, std::size_t selected);
    void Complete();
    int FindEntryBeginningWith(std::wstring_view prefix) const;

    HWND box_;
    HWND edit_ = nullptr;
    std::function<void()> changed_;
    std::vector<ModsEntry> entries_;
    bool unread_ = false;
};

}  // namespace kestrune
