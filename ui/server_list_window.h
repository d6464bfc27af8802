#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "server_list/server_list_settings.h"
#include "server_list/server_rows.h"
#include "ui_logic/server_list_query.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTreeWidget;

namespace kestrune {

class ServerFilterModel;
class ServerTableModel;
struct ServerStatus;

// The server list window: the servers of the masters, the favourites or the recent servers,
// asked for their info as the player opens it or presses Refresh, shown as they answer, sorted
// and filtered; the selected server's players below. Choosing one hands it to the main window
// and closes. A window of the main window's own; Escape closes it.
class ServerListWindow : public QWidget {
    Q_OBJECT

public:
    using Source = ServerSource;

    using Choose = std::function<void(const ServerRow& row)>;
    // The main window's mod: "" for the plain game.
    using CurrentMod = std::function<std::string()>;

    ServerListWindow(QWidget& mainWindow, std::string settingsPath, Choose choose,
                     CurrentMod currentMod);
    ~ServerListWindow() override;

    // The list is refreshed each time the window is shown.
    void setVisible(bool visible) override;

    // For tests: the table and the "N of M servers answered" line.
    QTableView& Table() const { return *table_; }
    QString ProgressText() const;
    bool Refreshing() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void Retranslate();
    void ShowFavouriteButton();
    void Refresh();
    void StopRefresh();
    void ApplyFilter();
    void ShowProgress();
    void AddRows(std::vector<ServerRow> rows);
    void SelectionChanged();
    void ShowStatus(const ServerAddress& server, const ServerStatus& status);
    void ToggleFavourite();
    void FavouritesChanged();
    void UseSelected();
    std::optional<ServerRow> SelectedRow() const;
    Source CurrentSource() const;

    QWidget& mainWindow_;
    ServerListSettings settings_;
    Choose choose_;
    CurrentMod currentMod_;
    bool placed_ = false;

    ServerTableModel* rows_ = nullptr;
    ServerFilterModel* shown_ = nullptr;
    std::unique_ptr<ServerListQuery> query_;

    QLabel* sourceLabel_ = nullptr;
    QComboBox* source_ = nullptr;
    QCheckBox* hideEmpty_ = nullptr;
    QCheckBox* hideFull_ = nullptr;
    QCheckBox* hidePassword_ = nullptr;
    QCheckBox* onlyMod_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QTreeWidget* players_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* favourite_ = nullptr;
    QPushButton* use_ = nullptr;
};

}  // namespace kestrune
