// The server list window on a loopback world: opened from the main window, fed by a master
// stand-in and responders, sorted, filtered, and a choice handed to the main window; favourites
// with the master down, and the recent servers "Launch game" records.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include "tests/support/loopback_servers.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/server_list_window.h"

namespace kestrune::test_support {
namespace {

class ServerListWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const ResponderInfo& info : {
                 ResponderInfo{"^1Red ^7Arena", "q3dm17", 2, 3, 16, "", false},
                 ResponderInfo{"Locked CTF", "q3ctf1", 1, 0, 8, "osp", true},
                 ResponderInfo{"Empty DM", "q3dm6", 0, 0, 12, "", false},
             }) {
            responders_.push_back(std::make_unique<LoopbackPeer>(Responder(info)));
        }
    }

    std::vector<std::uint16_t> ResponderPorts() const {
        std::vector<std::uint16_t> ports;
        for (const auto& responder : responders_) {
            ports.push_back(responder->Port());
        }
        return ports;
    }

    ServerListWindow& OpenWindow() {
        QApplication::setActiveWindow(window_.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
        auto* list = window_->findChild<ServerListWindow*>("ServerListWindow");
        if (list == nullptr || !list->isVisible()) {
            ADD_FAILURE() << "Ctrl+F opened no server list";
            throw std::runtime_error("no server list");
        }
        return *list;
    }

    // Runs the event loop until the refresh has settled (bounded).
    void WaitSettled(ServerListWindow& list) {
        for (int i = 0; i < 500 && list.Refreshing(); ++i) {
            QTest::qWait(10);
        }
        EXPECT_FALSE(list.Refreshing());
    }

    std::vector<QString> Column(ServerListWindow& list, ServerColumn column) {
        std::vector<QString> texts;
        const auto* model = list.Table().model();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.push_back(model->index(row, static_cast<int>(column)).data().toString());
        }
        return texts;
    }

    std::vector<std::unique_ptr<LoopbackPeer>> responders_;
};

TEST_F(ServerListWindowTest, ListsTheMastersServersAndHandsTheChoiceOver) {
    std::vector<std::uint16_t> listed = ResponderPorts();
    listed.push_back(responders_.back()->Port());  // listed twice
    LoopbackPeer silent([](auto&, auto, auto, auto) {});
    listed.push_back(silent.Port());  // never answers
    LoopbackPeer master(Master(listed));
    WriteSettings("[Quake3]\r\nQ3Password=\r\n[Masters]\r\n1=127.0.0.1:" +
                  QByteArray::number(master.Port()) + "\r\n");
    Create();
    ServerListWindow& list = OpenWindow();
    WaitSettled(list);
    EXPECT_EQ(master.Received(), 1);
    EXPECT_EQ(silent.Received(), 3);  // asked, then twice again, then given up
    EXPECT_EQ(list.ProgressText(), "3 of 4 servers answered");

    // Sorted by name with a click on its header, then the other way.
    QHeaderView* header = list.Table().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, 5));
    const std::vector<QString> byName = {"Empty DM", "Locked CTF", "Red Arena"};
    if (Column(list, ServerColumn::Name) != byName) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, 5));
    }
    EXPECT_EQ(Column(list, ServerColumn::Name), byName);
    EXPECT_EQ(Column(list, ServerColumn::Players),
              (std::vector<QString>{"0+0/12", "1+0/8", "2+3/16"}));
    EXPECT_EQ(Column(list, ServerColumn::Map),
              (std::vector<QString>{"q3dm6", "q3ctf1", "q3dm17"}));
    EXPECT_EQ(Column(list, ServerColumn::Mod), (std::vector<QString>{"", "osp", ""}));
    EXPECT_EQ(Column(list, ServerColumn::Lock), (std::vector<QString>{"", "yes", ""}));

    // Filters.
    auto& hideEmpty = *list.findChild<QCheckBox*>("HideEmpty");
    hideEmpty.click();
    EXPECT_EQ(Column(list, ServerColumn::Name), (std::vector<QString>{"Locked CTF", "Red Arena"}));
    QTest::keyClicks(list.findChild<QLineEdit*>("Search"), "CTF1");
    EXPECT_EQ(Column(list, ServerColumn::Name), (std::vector<QString>{"Locked CTF"}));

    // Selecting shows the players; Enter chooses.
    list.Table().setFocus();
    list.Table().selectRow(0);
    auto& players = *list.findChild<QTreeWidget*>("Players");
    for (int i = 0; i < 100 && players.topLevelItemCount() == 0; ++i) {
        QTest::qWait(10);
    }
    ASSERT_EQ(players.topLevelItemCount(), 1);
    EXPECT_EQ(players.topLevelItem(0)->text(0), "Player1");
    QTest::keyClick(&list.Table(), Qt::Key_Return);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").text(), "127.0.0.1");
    EXPECT_EQ(Get<QLineEdit>("edQ3Port").text(), QString::number(responders_[1]->Port()));
    EXPECT_EQ(Get<QComboBox>("cbMods").currentText(), "osp");
    EXPECT_EQ(window_->StatusPanelText(1), "Server needs a password");
}

TEST_F(ServerListWindowTest, FavouritesAnswerWithTheMasterDownAndLaunchesAreRecent) {
    LoopbackPeer deadMaster([](auto&, auto, auto, auto) {});
    const QByteArray port = QByteArray::number(responders_[0]->Port());
    WriteSettings("[TeamSpeak]\r\nAutojoin=0\r\n[Quake3]\r\nQ3Executable=/bin/true\r\nQ3Game=1\r\n[Masters]\r\n1=127.0.0.1:" +
                  QByteArray::number(deadMaster.Port()) + "\r\n[Favourites]\r\n1=127.0.0.1:" +
                  port + "\r\n");
    Create();
    std::vector<std::string> started;
    window_->SetProgramRunner([&](std::string_view, std::string_view parameters, std::string_view,
                                  std::string_view) {
        started.emplace_back(parameters);
        return LaunchResult{};
    });
    ServerListWindow& list = OpenWindow();
    list.findChild<QComboBox*>("Source")->setCurrentIndex(1);  // "Favourites"
    WaitSettled(list);
    EXPECT_EQ(list.ProgressText(), "1 of 1 server answered");
    EXPECT_EQ(Column(list, ServerColumn::Name), (std::vector<QString>{"Red Arena"}));
    // Double click chooses: the plain game, no password asked for.
    list.Table().selectRow(0);
    const QRect cell = list.Table().visualRect(list.Table().model()->index(0, 0));
    // A double click is a press, a release, then the second press's double click.
    QTest::mouseClick(list.Table().viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list.Table().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(Get<QLineEdit>("edQ3Port").text(), QString(port));
    EXPECT_NE(window_->StatusPanelText(1), "Server needs a password");
    Get<QPushButton>("btnLaunchQ3").click();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].find("+connect 127.0.0.1:" + port.toStdString()), std::string::npos)
        << started[0];
    EXPECT_TRUE(Settings().contains("[Recent]\r\n1=127.0.0.1:" + port + "\r\n")) << Settings().data();
    EXPECT_EQ(deadMaster.Received(), 1);  // asked once, on opening, and never again
}

}  // namespace
}  // namespace kestrune::test_support
