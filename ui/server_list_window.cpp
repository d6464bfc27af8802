#include "ui/server_list_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "i18n/translate.h"
#include "launcher/display_text.h"
#include "launcher/server_status.h"
#include "ui/exception_display.h"
#include "ui/owned_window.h"
#include "ui/server_filter_model.h"
#include "ui/server_list_query.h"
#include "ui/server_table_model.h"
#include "ui/shown_text.h"
#include "ui/window_placement.h"

namespace kestrune {

namespace {

constexpr QSize kFirstSize(820, 520);
// The columns' widths in English; the last one, the address, takes the rest.
constexpr int kColumnWidths[] = {230, 90, 70, 45, 115, 60, 40};
// What the search box needs beside its text: frame, margins and the clear button.
constexpr int kSearchFrameExtra = 40;
// Where the players pane keeps whether a player is a bot (its ping column says so in words).
constexpr int kIsBotRole = Qt::UserRole;

// The sources' entries, in the order of Source; shown through Tr.
constexpr const char* kSourceNames[] = {N_("Internet"), N_("Favourites"), N_("Recent")};
constexpr const char* kPlayerHeaders[] = {N_("Player"), N_("Score"), N_("Ping")};

}  // namespace

ServerListWindow::ServerListWindow(QWidget& mainWindow, std::string settingsPath, Choose choose,
                                   CurrentMod currentMod)
    : mainWindow_(mainWindow),
      settings_(std::move(settingsPath)),
      choose_(std::move(choose)),
      currentMod_(std::move(currentMod)) {
    MakeOwnedWindow(*this, mainWindow, kOrdinaryFrame, EscapeKey::ClosesWindow);
    setObjectName("ServerListWindow");
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kFirstSize);
    CreateControls();
    Retranslate();
}

ServerListWindow::~ServerListWindow() = default;

void ServerListWindow::CreateControls() {
    rows_ = new ServerTableModel(this);
    shown_ = new ServerFilterModel(*rows_, this);
    query_ = MakeServerListQuery();
    query_->SetOnRows([this](std::vector<ServerRow> rows) { AddRows(std::move(rows)); });
    query_->SetOnProgress([this] { ShowProgress(); });
    query_->SetOnStatus([this](const ServerAddress& server, const ServerStatus& status) {
        ShowStatus(server, status);
    });

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    sourceLabel_ = new QLabel(this);
    sourceLabel_->setObjectName("SourceLabel");
    source_ = new QComboBox(this);
    source_->setObjectName("Source");
    // Its width follows the longest entry in the language in use.
    source_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (std::size_t entry = 0; entry < std::size(kSourceNames); ++entry) {
        source_->addItem(QString());
    }
    sourceLabel_->setBuddy(source_);
    top->addWidget(sourceLabel_);
    top->addWidget(source_);
    top->addSpacing(12);
    const auto check = [this, top](QCheckBox*& box, const char* name) {
        box = new QCheckBox(this);
        box->setObjectName(name);
        top->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] { Guarded([this] { ApplyFilter(); }); });
    };
    check(hideEmpty_, "HideEmpty");
    check(hideFull_, "HideFull");
    check(hidePassword_, "HidePassword");
    check(onlyMod_, "OnlyMod");
    search_ = new QLineEdit(this);
    search_->setObjectName("Search");
    search_->setClearButtonEnabled(true);
    top->addWidget(search_, 1);
    layout->addLayout(top);

    table_ = new QTableView(this);
    table_->setObjectName("Servers");
    table_->setModel(shown_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setWordWrap(false);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setSortingEnabled(true);
    table_->sortByColumn(static_cast<int>(ServerColumn::Ping), Qt::AscendingOrder);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
        table_->setColumnWidth(column, kColumnWidths[column]);
    }
    layout->addWidget(table_, 3);

    players_ = new QTreeWidget(this);
    players_->setObjectName("Players");
    players_->setRootIsDecorated(false);
    players_->setColumnCount(static_cast<int>(std::size(kPlayerHeaders)));
    players_->setColumnWidth(0, 300);
    layout->addWidget(players_, 1);

    auto* bottom = new QHBoxLayout;
    progress_ = new QLabel(this);
    progress_->setObjectName("Progress");
    bottom->addWidget(progress_, 1);
    const auto button = [this, bottom](QPushButton*& pushed, const char* name) {
        pushed = new QPushButton(this);
        pushed->setObjectName(name);
        pushed->setAutoDefault(false);
        bottom->addWidget(pushed);
    };
    button(refresh_, "Refresh");
    button(stop_, "Stop");
    button(favourite_, "Favourite");
    button(use_, "UseServer");
    layout->addLayout(bottom);
    stop_->setEnabled(false);
    favourite_->setEnabled(false);
    use_->setEnabled(false);

    setTabOrder(source_, hideEmpty_);
    setTabOrder(hideEmpty_, hideFull_);
    setTabOrder(hideFull_, hidePassword_);
    setTabOrder(hidePassword_, onlyMod_);
    setTabOrder(onlyMod_, search_);
    setTabOrder(search_, table_);
    setTabOrder(table_, players_);
    setTabOrder(players_, refresh_);
    setTabOrder(refresh_, stop_);
    setTabOrder(stop_, favourite_);
    setTabOrder(favourite_, use_);

    connect(source_, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { Refresh(); }); });
    connect(search_, &QLineEdit::textChanged, this, [this] { Guarded([this] { ApplyFilter(); }); });
    connect(refresh_, &QPushButton::clicked, this, [this] { Guarded([this] { Refresh(); }); });
    connect(stop_, &QPushButton::clicked, this, [this] { Guarded([this] { StopRefresh(); }); });
    connect(favourite_, &QPushButton::clicked, this,
            [this] { Guarded([this] { ToggleFavourite(); }); });
    connect(use_, &QPushButton::clicked, this, [this] { Guarded([this] { UseSelected(); }); });
    // Enter and a double click both activate a row.
    connect(table_, &QTableView::activated, this, [this] { Guarded([this] { UseSelected(); }); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Guarded([this] { SelectionChanged(); }); });
    auto* remove = new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr,
                                 Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] {
        Guarded([this] {
            if (const auto row = SelectedRow()) {
                settings_.RemoveFavourite(KeptServerOf(row->address));
                FavouritesChanged();
            }
        });
    });
}

void ServerListWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Guarded([this] { Retranslate(); });
    }
    QWidget::changeEvent(event);
}

// Every text of the window in the language in use; the layouts make the room they need.
void ServerListWindow::Retranslate() {
    setWindowTitle(Utf8(Tr("Find server")));
    sourceLabel_->setText(Utf8(Tr("&Servers:")));
    for (int entry = 0; entry < static_cast<int>(std::size(kSourceNames)); ++entry) {
        source_->setItemText(entry, Utf8(Tr(kSourceNames[entry])));
    }
    const std::pair<QAbstractButton*, const char*> captioned[] = {
        {hideEmpty_, N_("Hide &empty")},    {hideFull_, N_("Hide &full")},
        {hidePassword_, N_("Hide &password")}, {onlyMod_, N_("Only my &mod")},
        {refresh_, N_("&Refresh")},         {stop_, N_("S&top")},
        {use_, N_("&Use server")},
    };
    for (const auto& [control, english] : captioned) {
        control->setText(Utf8(Tr(english)));
    }
    search_->setPlaceholderText(Utf8(Tr("Search name, map, mod or address")));
    // The box keeps room for its hint: the window widens rather than cut it.
    search_->setMinimumWidth(search_->fontMetrics().horizontalAdvance(search_->placeholderText()) +
                             kSearchFrameExtra);
    ShowFavouriteButton();

    QStringList playerHeaders;
    for (const char* english : kPlayerHeaders) {
        playerHeaders << Utf8(Tr(english));
    }
    players_->setHeaderLabels(playerHeaders);
    for (int item = 0; item < players_->topLevelItemCount(); ++item) {
        QTreeWidgetItem& player = *players_->topLevelItem(item);
        if (player.data(2, kIsBotRole).toBool()) {
            player.setText(2, Utf8(Tr("bot")));
        }
    }

    rows_->Retranslate();
    // A column whose title is longer than the English one widens by the difference (unless the
    // player has made it wide enough), so that every title has the room English has.
    QHeaderView& header = *table_->horizontalHeader();
    const QFontMetrics metrics = header.fontMetrics();
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
        const int needs =
            kColumnWidths[column] +
            std::max(0, metrics.horizontalAdvance(rows_->headerData(column, Qt::Horizontal)
                                                      .toString()) -
                            metrics.horizontalAdvance(QString::fromLatin1(
                                ServerTableModel::EnglishHeader(column))));
        if (header.sectionSize(column) < needs) {
            header.resizeSection(column, needs);
        }
    }
    ShowProgress();
}

void ServerListWindow::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        move(CentredTopLeft(mainWindow_.frameGeometry(), size() + FrameExtra(mainWindow_)));
    }
    const bool opening = visible && !isVisible();
    QWidget::setVisible(visible);
    if (opening) {
        table_->setFocus();
        Guarded([this] { Refresh(); });
    } else if (!visible) {
        Guarded([this] { StopRefresh(); });
    }
}

ServerListWindow::Source ServerListWindow::CurrentSource() const {
    return static_cast<Source>(std::clamp(source_->currentIndex(), 0, 2));
}

void ServerListWindow::Refresh() {
    rows_->Clear();
    players_->clear();
    stop_->setEnabled(true);
    refresh_->setEnabled(false);
    ShowProgress();
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

QString ServerListWindow::ProgressText() const {
    return progress_->text();
}

void ServerListWindow::ShowProgress() {
    progress_->setText(Utf8(query_->ProgressText()));
    stop_->setEnabled(query_->Running());
    refresh_->setEnabled(!query_->Running());
}

void ServerListWindow::ApplyFilter() {
    RowFilter filter;
    filter.hideEmpty = hideEmpty_->isChecked();
    filter.hideFull = hideFull_->isChecked();
    filter.hidePassword = hidePassword_->isChecked();
    if (onlyMod_->isChecked()) {
        filter.onlyMod = currentMod_ ? currentMod_() : std::string();
    }
    filter.text = search_->text().trimmed().toStdString();
    shown_->SetFilter(std::move(filter));
}

// The rows join the list where the order puts them; the row the player sees at the top (or has
// selected, where it is in sight) stays where it was on the screen.
void ServerListWindow::AddRows(std::vector<ServerRow> rows) {
    QScrollBar* scroll = table_->verticalScrollBar();
    QPersistentModelIndex anchor;
    int anchorTop = 0;
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (!selected.isEmpty() && table_->viewport()->rect().intersects(
                                   table_->visualRect(selected.front()))) {
        anchor = selected.front();
    } else if (scroll->value() > 0) {
        anchor = table_->indexAt(QPoint(0, 0));
    }
    if (anchor.isValid()) {
        anchorTop = table_->visualRect(anchor).top();
    }
    rows_->AppendRows(std::move(rows));
    if (anchor.isValid()) {
        scroll->setValue(scroll->value() + table_->visualRect(anchor).top() - anchorTop);
    }
}

std::optional<ServerRow> ServerListWindow::SelectedRow() const {
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return rows_->Row(shown_->mapToSource(selected.front()).row());
}

void ServerListWindow::SelectionChanged() {
    const auto row = SelectedRow();
    use_->setEnabled(row.has_value());
    favourite_->setEnabled(row.has_value());
    players_->clear();
    ShowFavouriteButton();
    if (row) {
        query_->AskStatus(row->address);
    }
}

// The button offers to remove the selected server when it is a favourite, else to add it; both
// captions share their access key.
void ServerListWindow::ShowFavouriteButton() {
    const auto row = SelectedRow();
    const bool isFavourite = row && settings_.IsFavourite(KeptServerOf(row->address));
    favourite_->setText(Utf8(isFavourite ? Tr("Remove from f&avourites")
                                         : Tr("&Add to favourites")));
}

void ServerListWindow::ShowStatus(const ServerAddress& server, const ServerStatus& status) {
    const auto row = SelectedRow();
    if (!row || row->address != server || !status.players) {
        return;
    }
    players_->clear();
    for (const ServerPlayer& player : *status.players) {
        auto* item = new QTreeWidgetItem(players_);
        item->setText(0, QString::fromStdString(DisplayText(player.name)));
        item->setText(1, QString::number(player.score));
        // TRANSLATORS: the players pane's Ping column, for a player that is a bot.
        item->setText(2, player.ping == 0 ? Utf8(Tr("bot")) : QString::number(player.ping));
        item->setData(2, kIsBotRole, player.ping == 0);
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
    query_->Stop();
    close();
    if (choose_) {
        choose_(*row);
    }
}

}  // namespace kestrune
