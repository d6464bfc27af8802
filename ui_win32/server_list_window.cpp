#include "ui_win32/server_list_window.h"

// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "i18n/translate.h"
#include "launcher/display_text.h"
#include "launcher/server_status.h"
#include "ui_win32/elided_text.h"
#include "ui_win32/font_dc.h"
#include "ui_win32/language_change.h"
#include "ui_win32/server_list_query.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"

namespace kestrune {

namespace {

// The first client size and the places' measures (96 DPI).
constexpr SIZE kFirstClientSize{820, 520};
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kTopRowHeight = 23;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;
// What the search box needs beside its hint: frame and margins.
constexpr int kSearchFrameExtra = 16;
// The progress line's least room.
constexpr int kLeastProgressWidth = 160;
constexpr int kLeastListsHeight = 120;
constexpr int kComboArrowWidth = 30;
constexpr int kDroppedHeight = 120;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Sent to itself once shown, so that the servers' list takes the focus after the activation.
constexpr UINT kOpenedMessage = WM_APP + 41;

constexpr const char* kSearchHint = N_("Search name, map, mod or address");
constexpr const char* kSources[] = {N_("Internet"), N_("Favourites"), N_("Recent")};
constexpr const char* kColumns[] = {N_("Name"),      N_("Map"), N_("Players"), N_("Ping"),
                                    N_("Game type"), N_("Mod"), N_("Lock"),    N_("Address")};
static_assert(std::size(kColumns) == static_cast<std::size_t>(ServerColumn::Count));
// Ping leaves room for the sort arrow beside its title.
constexpr int kColumnWidths[] = {230, 90, 70, 60, 115, 60, 40, 130};
constexpr const char* kPlayerColumns[] = {N_("Player"), N_("Score"), N_("Ping")};
constexpr int kPlayerColumnWidths[] = {300, 60, 60};

struct Caption {
    int id;
    const char* english;
};
constexpr Caption kCaptions[] = {
    {ServerListWindow::kSourceLabel, N_("&Servers:")},
    {ServerListWindow::kHideEmpty, N_("Hide &empty")},
    {ServerListWindow::kHideFull, N_("Hide &full")},
    {ServerListWindow::kHidePassword, N_("Hide &password")},
    {ServerListWindow::kOnlyMod, N_("Only my &mod")},
    {ServerListWindow::kRefresh, N_("&Refresh")},
    {ServerListWindow::kStop, N_("S&top")},
    {ServerListWindow::kUseServer, N_("&Use server")},
};
constexpr int kCheckBoxes[] = {ServerListWindow::kHideEmpty, ServerListWindow::kHideFull,
                               ServerListWindow::kHidePassword, ServerListWindow::kOnlyMod};
constexpr int kButtons[] = {ServerListWindow::kRefresh, ServerListWindow::kStop,
                            ServerListWindow::kFavourite, ServerListWindow::kUseServer};

int Unscaled(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(kLayoutDpi), static_cast<int>(dpi));
}

void SetColumnText(HWND list, int column, std::string_view english) {
    std::wstring text = WideFromUtf8(Tr(english));
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = text.data();
    ::SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
}

void AddColumns(HWND list, const int* widths, std::size_t count, UINT dpi) {
    for (std::size_t column = 0; column < count; ++column) {
        LVCOLUMNW item{};
        item.mask = LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        item.cx = Scaled(widths[column], dpi);
        item.fmt = LVCFMT_LEFT;
        item.iSubItem = static_cast<int>(column);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace

ServerListWindow::ServerListWindow(HWND mainWindow, std::string settingsPath, Choose choose,
                                   CurrentMod currentMod)
    : mainWindow_(mainWindow),
      settings_(std::move(settingsPath)),
      choose_(std::move(choose)),
      currentMod_(std::move(currentMod)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    query_ = MakeServerListQuery();
    Create(L"KestruneServerList", L"", kStyle, 0, kFirstClientSize, nullptr, mainWindow);
    query_->SetOnRows([this](std::vector<ServerRow> rows) { AddRows(std::move(rows)); });
    query_->SetOnProgress([this] { ShowProgress(); });
    query_->SetOnStatus([this](const ServerAddress& server, const ServerStatus& status) {
        ShowStatus(server, status);
    });
    CreateControls();
    Retranslate();
}

ServerListWindow::~ServerListWindow() {
    query_.reset();
}

// Made in the Tab order, as the Qt window's.
void ServerListWindow::CreateControls() {
    AddControl(WC_STATICW, L"", SS_LEFTNOWORDWRAP, {}, kSourceLabel);
    AddControl(WC_COMBOBOXW, L"", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, {},
               kSource);
    for (const int box : kCheckBoxes) {
        AddControl(WC_BUTTONW, L"", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, {}, box);
    }
    AddControl(WC_EDITW, L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, {}, kSearch, 8,
               WS_EX_CLIENTEDGE);

    const HWND servers = AddControl(
        WC_LISTVIEWW, L"",
        WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        {}, kServers, 8, WS_EX_CLIENTEDGE);
    ::SendMessageW(servers, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    AddColumns(servers, kColumnWidths, std::size(kColumnWidths), Dpi());
    const HWND players =
        AddControl(WC_LISTVIEWW, L"", WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_NOSORTHEADER |
                                          LVS_SINGLESEL,
                   {}, kPlayers, 8, WS_EX_CLIENTEDGE);
    ::SendMessageW(players, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    AddColumns(players, kPlayerColumnWidths, std::size(kPlayerColumnWidths), Dpi());

    AddControl(WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {}, kProgress);
    for (const int button : kButtons) {
        AddControl(WC_BUTTONW, L"", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, {}, button);
    }
    ::EnableWindow(Control(kStop), FALSE);
    ::EnableWindow(Control(kFavourite), FALSE);
    ::EnableWindow(Control(kUseServer), FALSE);
}

// Every text in the language in use, then the places they need.
void ServerListWindow::Retranslate() {
    ::SetWindowTextW(Handle(), WideFromUtf8(Tr("Find server")).c_str());
    for (const Caption& caption : kCaptions) {
        ::SetDlgItemTextW(Handle(), caption.id, WideFromUtf8(Tr(caption.english)).c_str());
    }
    const HWND source = Control(kSource);
    const auto chosen = ::SendMessageW(source, CB_GETCURSEL, 0, 0);
    ::SendMessageW(source, CB_RESETCONTENT, 0, 0);
    for (const char* english : kSources) {
        ::SendMessageW(source, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(WideFromUtf8(Tr(english)).c_str()));
    }
    ::SendMessageW(source, CB_SETCURSEL, static_cast<WPARAM>(std::max<LRESULT>(chosen, 0)), 0);
    ::SendDlgItemMessageW(
        Handle(), kSearch, EM_SETCUEBANNER, TRUE,
        reinterpret_cast<LPARAM>(WideFromUtf8(Tr(kSearchHint)).c_str()));
    for (std::size_t column = 0; column < std::size(kColumns); ++column) {
        SetColumnText(Control(kServers), static_cast<int>(column), kColumns[column]);
    }
    ShowSortArrow();  // the columns' new texts take their headers' format with them
    for (std::size_t column = 0; column < std::size(kPlayerColumns); ++column) {
        SetColumnText(Control(kPlayers), static_cast<int>(column), kPlayerColumns[column]);
    }
    ShowFavouriteButton();
    // A column whose title is longer than the English one widens by the difference (unless the
    // player has made it wide enough), so that every title has the room English has.
    {
        const HWND servers = Control(kServers);
        const FontDC dc(servers);
        for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
            const int needs =
                Scaled(kColumnWidths[column], Dpi()) +
                std::max(0, TextWidth(dc.Get(), WideFromUtf8(Tr(kColumns[column]))) -
                                TextWidth(dc.Get(), WideFromUtf8(kColumns[column])));
            if (::SendMessageW(servers, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0) <
                needs) {
                ::SendMessageW(servers, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), needs);
            }
        }
    }
    // The players' "bot" in the new language.
    if (selected_) {
        SelectionChanged();
    }
    ShowProgress();
    // A language whose texts need more room than the window has widens it.
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const SIZE least = LeastClientSize();
    const int width = Unscaled(client.right, Dpi());
    const int height = Unscaled(client.bottom, Dpi());
    if (width < least.cx || height < least.cy) {
        const SIZE outer = OuterSizeFor(
            {Scaled(std::max<int>(width, least.cx), Dpi()),
             Scaled(std::max<int>(height, least.cy), Dpi())},
            kStyle, 0, false, Dpi());
        ::SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOut();
}

// The sources' box (96 DPI): its longest text and its arrow.
int ServerListWindow::SourceBoxWidth() const {
    const FontDC dc(Control(kSource));
    int widest = 0;
    for (const char* english : kSources) {
        widest = std::max(widest,
                          Unscaled(TextWidth(dc.Get(), WideFromUtf8(Tr(english))), Dpi()));
    }
    return widest + kComboArrowWidth;
}

// The least client size (96 DPI) that holds the top row, the lists and the buttons' row.
SIZE ServerListWindow::LeastClientSize() const {
    int top = kMargin + CaptionWidth(*this, Control(kSourceLabel)) + kGap;
    top += SourceBoxWidth() + 2 * kGap;
    for (const int box : kCheckBoxes) {
        top += CaptionWidth(*this, Control(box)) + kGap;
    }
    {
        // The search box keeps room for its hint: the window widens rather than cut it.
        const FontDC dc(Control(kSearch));
        top += Unscaled(TextWidth(dc.Get(), WideFromUtf8(Tr(kSearchHint))), Dpi()) +
               kSearchFrameExtra + kMargin;
    }
    int bottom = kMargin + kLeastProgressWidth + kMargin;
    for (const int button : kButtons) {
        bottom += std::max(kButtonWidth, CaptionWidth(*this, Control(button))) + kGap;
    }
    return {std::max(top, bottom), kMargin + kTopRowHeight + kGap + kLeastListsHeight + kGap +
                                       kButtonHeight + kMargin};
}

// The top row left to right, the search box taking what is left; the two lists sharing the
// height three to one; the progress line and the buttons at the bottom, the buttons right.
void ServerListWindow::LayOut() {
    if (!Control(kUseServer)) {
        return;  // sized while being made, before its controls
    }
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const SIZE least = LeastClientSize();
    const int width = std::max<int>(Unscaled(client.right, Dpi()), least.cx);
    const int height = std::max<int>(Unscaled(client.bottom, Dpi()), least.cy);

    int x = kMargin;
    const int labelWidth = CaptionWidth(*this, Control(kSourceLabel));
    MovePlacedControl(Control(kSourceLabel), {x, kMargin + 4, labelWidth, 13});
    x += labelWidth + kGap;
    const int comboWidth = SourceBoxWidth();
    MovePlacedControl(Control(kSource), {x, kMargin, comboWidth, kDroppedHeight});
    x += comboWidth + 2 * kGap;
    for (const int box : kCheckBoxes) {
        const int boxWidth = CaptionWidth(*this, Control(box));
        MovePlacedControl(Control(box), {x, kMargin + 3, boxWidth, 17});
        x += boxWidth + kGap;
    }
    MovePlacedControl(Control(kSearch), {x, kMargin, width - kMargin - x, 21});

    const int listsTop = kMargin + kTopRowHeight + kGap;
    const int buttonsTop = height - kMargin - kButtonHeight;
    const int listsHeight = buttonsTop - kGap - listsTop - kGap;
    const int serversHeight = listsHeight * 3 / 4;
    MovePlacedControl(Control(kServers), {kMargin, listsTop, width - 2 * kMargin, serversHeight});
    MovePlacedControl(Control(kPlayers), {kMargin, listsTop + serversHeight + kGap,
                                          width - 2 * kMargin,
                                          listsHeight - serversHeight - kGap});

    int right = width - kMargin;
    for (auto button = std::rbegin(kButtons); button != std::rend(kButtons); ++button) {
        const int buttonWidth = std::max(kButtonWidth, CaptionWidth(*this, Control(*button)));
        right -= buttonWidth;
        MovePlacedControl(Control(*button), {right, buttonsTop, buttonWidth, kButtonHeight});
        right -= kGap;
    }
    MovePlacedControl(Control(kProgress),
                      {kMargin, buttonsTop + 6, std::max(0, right - kMargin), 13});
}

void ServerListWindow::Open() {
    const bool opening = !::IsWindowVisible(Handle());
    BringForward(Handle());
    if (opening) {
        ::PostMessageW(Handle(), kOpenedMessage, 0, 0);
        Refresh();
    }
}

void ServerListWindow::Hide() {
    StopRefresh();
    ::ShowWindow(Handle(), SW_HIDE);
}

ServerListWindow::Source ServerListWindow::CurrentSource() const {
    const auto index = ::SendDlgItemMessageW(Handle(), kSource, CB_GETCURSEL, 0, 0);
    return static_cast<Source>(std::clamp<LRESULT>(index, 0, 2));
}

void ServerListWindow::Refresh() {
    rows_.clear();
    selected_.reset();
    Reshow();
    ::SendDlgItemMessageW(Handle(), kPlayers, LVM_DELETEALLITEMS, 0, 0);
    SelectionChanged();
    query_->Refresh(CurrentSource(), settings_);
    ShowProgress();
}

void ServerListWindow::StopRefresh() {
    query_->Stop();
    ShowProgress();
}

bool ServerListWindow::Refreshing() const {
    return query_->Running();
}

void ServerListWindow::ShowProgress() {
    ::SetDlgItemTextW(Handle(), kProgress, WideFromUtf8(query_->ProgressText()).c_str());
    const bool running = query_->Running();
    // A button about to be disabled hands the focus on first, so that the keyboard keeps it.
    if (!running && ::GetFocus() == Control(kStop)) {
        ::SetFocus(Control(kRefresh));
    } else if (running && ::GetFocus() == Control(kRefresh)) {
        ::SetFocus(Control(kStop));
    }
    ::EnableWindow(Control(kStop), running ? TRUE : FALSE);
    ::EnableWindow(Control(kRefresh), running ? FALSE : TRUE);
}

void ServerListWindow::ApplyFilter() {
    RowFilter filter;
    filter.hideEmpty = ::IsDlgButtonChecked(Handle(), kHideEmpty) == BST_CHECKED;
    filter.hideFull = ::IsDlgButtonChecked(Handle(), kHideFull) == BST_CHECKED;
    filter.hidePassword = ::IsDlgButtonChecked(Handle(), kHidePassword) == BST_CHECKED;
    if (::IsDlgButtonChecked(Handle(), kOnlyMod) == BST_CHECKED) {
        filter.onlyMod = currentMod_ ? currentMod_() : std::string();
    }
    std::string text = win32::Utf8FromWide(WindowText(Control(kSearch)));
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    filter.text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (filter != filter_) {
        filter_ = std::move(filter);
        Reshow();
    }
}

void ServerListWindow::AddRows(std::vector<ServerRow> rows) {
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    Reshow();
}

void ServerListWindow::Reshow() {
    const HWND list = Control(kServers);
    // The row that stays put on the screen: the selected one where it is in sight, else the top
    // one once the list is scrolled.
    const int oldTop = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int oldSelected = SelectedIndex();
    std::optional<ServerAddress> anchor;
    int anchorOffset = 0;
    if (oldSelected >= oldTop && oldSelected < oldTop + perPage + 1) {
        anchor = shownServers_[static_cast<std::size_t>(oldSelected)];
        anchorOffset = oldSelected - oldTop;
    } else if (oldTop > 0 && static_cast<std::size_t>(oldTop) < shownServers_.size()) {
        anchor = shownServers_[static_cast<std::size_t>(oldTop)];
    }

    shown_ = ShownRows(rows_, filter_, sortColumn_, descending_);
    shownServers_.clear();
    for (const std::size_t index : shown_) {
        shownServers_.push_back(rows_[index].address);
    }
    const auto indexOf = [this](const std::optional<ServerAddress>& server) {
        const auto found = server ? std::find(shownServers_.begin(), shownServers_.end(), *server)
                                  : shownServers_.end();
        return found == shownServers_.end() ? -1
                                            : static_cast<int>(found - shownServers_.begin());
    };

    ::SendMessageW(list, LVM_SETITEMCOUNT, shownServers_.size(),
                   LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // The selection follows its server; a server filtered out is no longer selected.
    const int selected = indexOf(selected_);
    if (selected != oldSelected) {
        adjusting_ = true;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&state));
        if (selected >= 0) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                           reinterpret_cast<LPARAM>(&state));
        }
        adjusting_ = false;
    }
    if (selected < 0 && selected_) {
        SelectionChanged();
    }
    const int anchorIndex = indexOf(anchor);
    if (anchorIndex >= 0) {
        const int wantedTop = std::max(0, anchorIndex - anchorOffset);
        const int top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (wantedTop != top &&
            ::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item))) {
            ::SendMessageW(list, LVM_SCROLL, 0, (wantedTop - top) * (item.bottom - item.top));
        }
    }
    ::InvalidateRect(list, nullptr, FALSE);
}

void ServerListWindow::ShowSortArrow() {
    const HWND header = reinterpret_cast<HWND>(
        ::SendDlgItemMessageW(Handle(), kServers, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < static_cast<int>(ServerColumn::Count); ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == static_cast<int>(sortColumn_)) {
            item.fmt |= descending_ ? HDF_SORTDOWN : HDF_SORTUP;
        }
        ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&item));
    }
}

// A click on the sorting column's header turns the order round; on another, sorts by it.
void ServerListWindow::SortBy(int column) {
    if (column < 0 || column >= static_cast<int>(ServerColumn::Count)) {
        return;
    }
    const auto clicked = static_cast<ServerColumn>(column);
    descending_ = clicked == sortColumn_ && !descending_;
    sortColumn_ = clicked;
    ShowSortArrow();
    Reshow();
}

int ServerListWindow::SelectedIndex() const {
    const auto index = ::SendDlgItemMessageW(Handle(), kServers, LVM_GETNEXTITEM,
                                             static_cast<WPARAM>(-1), LVNI_SELECTED);
    return index >= 0 && static_cast<std::size_t>(index) < shown_.size() ? static_cast<int>(index)
                                                                         : -1;
}

std::optional<ServerRow> ServerListWindow::SelectedRow() const {
    const int index = SelectedIndex();
    if (index < 0) {
        return std::nullopt;
    }
    return rows_[shown_[static_cast<std::size_t>(index)]];
}

void ServerListWindow::SelectionChanged() {
    const std::optional<ServerRow> row = SelectedRow();
    selected_ = row ? std::optional(row->address) : std::nullopt;
    ::EnableWindow(Control(kUseServer), row ? TRUE : FALSE);
    ::EnableWindow(Control(kFavourite), row ? TRUE : FALSE);
    ::SendDlgItemMessageW(Handle(), kPlayers, LVM_DELETEALLITEMS, 0, 0);
    if (!row) {
        return;
    }
    ShowFavouriteButton();
    query_->AskStatus(row->address);
}

void ServerListWindow::ShowFavouriteButton() {
    const std::optional<ServerRow> row = SelectedRow();
    const bool isFavourite = row && settings_.IsFavourite(KeptServerOf(row->address));
    ::SetDlgItemTextW(
        Handle(), kFavourite,
        WideFromUtf8(isFavourite ? Tr("Remove from f&avourites") : Tr("&Add to favourites"))
            .c_str());
}

void ServerListWindow::ShowStatus(const ServerAddress& server, const ServerStatus& status) {
    if (selected_ != server || !status.players) {
        return;
    }
    const HWND players = Control(kPlayers);
    ::SendMessageW(players, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (const ServerPlayer& player : *status.players) {
        std::wstring cells[] = {
            WideFromUtf8(DisplayText(player.name)),
            std::to_wstring(player.score),
            player.ping == 0 ? WideFromUtf8(Tr("bot")) : std::to_wstring(player.ping),
        };
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = cells[0].data();
        ::SendMessageW(players, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < static_cast<int>(std::size(cells)); ++column) {
            item.iSubItem = column;
            item.pszText = cells[column].data();
            ::SendMessageW(players, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(&item));
        }
        ++index;
    }
}

void ServerListWindow::ToggleFavourite() {
    const auto row = SelectedRow();
    if (!row) {
        return;
    }
    settings_.ToggleFavourite(KeptServerOf(row->address));
    FavouritesChanged();
}

void ServerListWindow::RemoveFavourite() {
    const auto row = SelectedRow();
    if (!row) {
        return;
    }
    settings_.RemoveFavourite(KeptServerOf(row->address));
    FavouritesChanged();
}

// The list of favourites shows the change at once; another list, the button's new caption.
void ServerListWindow::FavouritesChanged() {
    if (CurrentSource() == Source::Favourites) {
        Refresh();
    } else {
        SelectionChanged();
    }
}

void ServerListWindow::UseSelected() {
    const auto row = SelectedRow();
    if (!row) {
        return;
    }
    Hide();
    if (choose_) {
        choose_(*row);
    }
}

LRESULT ServerListWindow::Notify(NMHDR& header) {
    if (header.idFrom != kServers) {
        return 0;
    }
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
            if ((item.mask & LVIF_TEXT) != 0 && item.iItem >= 0 &&
                static_cast<std::size_t>(item.iItem) < shown_.size() && item.cchTextMax > 0) {
                const ServerRow& row = rows_[shown_[static_cast<std::size_t>(item.iItem)]];
                cellText_ =
                    WideFromUtf8(ColumnText(row, static_cast<ServerColumn>(item.iSubItem)));
                ::lstrcpynW(item.pszText, cellText_.c_str(), item.cchTextMax);
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!adjusting_ && (change.uChanged & LVIF_STATE) != 0 &&
                ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
                const std::optional<ServerRow> row = SelectedRow();
                if ((row ? std::optional(row->address) : std::nullopt) != selected_) {
                    SelectionChanged();
                }
            }
            return 0;
        }
        case LVN_COLUMNCLICK:
            SortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return 0;
        case NM_DBLCLK:
            if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) {
                UseSelected();
            }
            return 0;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
                RemoveFavourite();
            }
            return 0;
        default:
            return 0;
    }
}

LRESULT ServerListWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kLanguageChangedMessage:
            Retranslate();
            return 0;
        case WM_CLOSE:
            Hide();
            return 0;
        case WM_SHOWWINDOW:
            // Shown for the first time: centred on the main window (never left of or above 0).
            if (wParam && !placed_) {
                placed_ = true;
                CentreOnWindow(Handle(), mainWindow_);
            }
            break;
        case kOpenedMessage:
            ::SetFocus(Control(kServers));
            return 0;
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_GETMINMAXINFO: {
            if (Control(kUseServer)) {
                const SIZE least = LeastClientSize();
                const SIZE outer = OuterSizeFor({Scaled(least.cx, Dpi()), Scaled(least.cy, Dpi())},
                                                kStyle, 0, false, Dpi());
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = {outer.cx, outer.cy};
            }
            return 0;
        }
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const WORD code = HIWORD(wParam);
            if (id == kSource && code == CBN_SELCHANGE) {
                Refresh();
            } else if (id == kSearch && code == EN_CHANGE) {
                ApplyFilter();
            } else if (code == BN_CLICKED) {
                switch (id) {
                    case kHideEmpty:
                    case kHideFull:
                    case kHidePassword:
                    case kOnlyMod:
                        ApplyFilter();
                        break;
                    case kRefresh:
                        Refresh();
                        break;
                    case kStop:
                        StopRefresh();
                        break;
                    case kFavourite:
                        ToggleFavourite();
                        break;
                    case kUseServer:
                        UseSelected();
                        break;
                    case IDOK: {
                        // Enter, from the dialog manager: on the servers' list it chooses; on
                        // a button it presses it.
                        const HWND focus = ::GetFocus();
                        if (focus == Control(kServers)) {
                            UseSelected();
                        } else if (std::find_if(std::begin(kButtons), std::end(kButtons),
                                                [&](int button) {
                                                    return Control(button) == focus;
                                                }) != std::end(kButtons)) {
                            ::SendMessageW(focus, BM_CLICK, 0, 0);
                        }
                        break;
                    }
                    case IDCANCEL:
                        // Escape, from the dialog manager: the close box's way.
                        Hide();
                        break;
                    default:
                        break;
                }
            }
            return 0;
        }
        default:
            break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace kestrune
