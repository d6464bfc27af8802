#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server_list/server_list_settings.h"
#include "server_list/server_rows.h"
#include "ui_logic/server_list_query.h"
#include "ui_win32/native_window.h"

namespace kestrune {

struct ServerStatus;

// The server list window: the servers of the masters, the favourites or the recent servers,
// asked for their info as the player opens it or presses Refresh, shown as they answer in a
// virtual list view over the core's rows, sorted by a click on a column's header and filtered;
// the selected server's players below. Choosing one (Enter, a double click, "Use server") hands
// it to the main window and closes. Owned by the main window; Escape and the close box hide it.
class ServerListWindow : public NativeWindow {
public:
    // The controls' ids, in the Tab order.
    enum : int {
        kSourceLabel = 101,
        kSource,
        kHideEmpty,
        kHideFull,
        kHidePassword,
        kOnlyMod,
        kSearch,
        kServers,
        kPlayers,
        kProgress,
        kRefresh,
        kStop,
        kFavourite,
        kUseServer,
    };

    using Choose = std::function<void(const ServerRow& row)>;
    // The main window's mod: "" for the plain game.
    using CurrentMod = std::function<std::string()>;

    // Raises when the window or its socket cannot be made.
    ServerListWindow(HWND mainWindow, std::string settingsPath, Choose choose,
                     CurrentMod currentMod);
    ~ServerListWindow() override;

    // Shows the window (centred on the main window the first time) and refreshes the list when
    // it was hidden; brings it forward when it was open.
    void Open();

    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    bool Refreshing() const;
    // The rows shown, in order: the server each one is.
    const std::vector<ServerAddress>& ShownServers() const { return shownServers_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    using Source = ServerSource;

    void CreateControls();
    void Retranslate();
    void LayOut();
    int SourceBoxWidth() const;
    SIZE LeastClientSize() const;
    void Hide();
    void Refresh();
    void StopRefresh();
    void ShowProgress();
    void ApplyFilter();
    void AddRows(std::vector<ServerRow> rows);
    // Shows the rows again in the order and filter in force, keeping the selected server
    // selected and the row the player looks at where it was on the screen.
    void Reshow();
    void ShowSortArrow();
    void SortBy(int column);
    LRESULT Notify(NMHDR& header);
    void SelectionChanged();
    void ShowFavouriteButton();
    void ShowStatus(const ServerAddress& server, const ServerStatus& status);
    void ToggleFavourite();
    void RemoveFavourite();
    void FavouritesChanged();
    void UseSelected();
    std::optional<ServerRow> SelectedRow() const;
    int SelectedIndex() const;
    Source CurrentSource() const;

    HWND mainWindow_;
    ServerListSettings settings_;
    Choose choose_;
    CurrentMod currentMod_;
    std::unique_ptr<ServerListQuery> query_;
    bool placed_ = false;

    std::vector<ServerRow> rows_;
    RowFilter filter_;
    ServerColumn sortColumn_ = ServerColumn::Ping;
    bool descending_ = false;
    std::vector<std::size_t> shown_;             // indexes into rows_, in the shown order
    std::vector<ServerAddress> shownServers_;    // their servers, the same order
    std::optional<ServerAddress> selected_;      // the selected server, wherever it is shown
    std::wstring cellText_;                      // the text last handed to the list view
    bool adjusting_ = false;  // the selection is being moved to follow its server
};

}  // namespace kestrune
