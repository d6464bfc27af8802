// The native server list window on a loopback world: opened from the main window's menu, fed by
// a master stand-in and responders of the test's own, sorted with clicks on its header, filtered,
// and a choice handed to the main window; favourites with the master down, removed with Delete;
// and three of the host's real dedicated servers, listed and launched.
#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/executable_path.h"
#include "platform/win32/utf8_text.h"
#include "tests/support/files.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/master_stand_in.h"
#include "tests/support/win32_messages.h"
#include "tests/ui_win32/main_window_test.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/server_list_window.h"

namespace kestrune {
namespace {

using test_support::LoopbackPeer;
using test_support::ResponderInfo;
using test_support::TempFolder;

class NativeServerListTest : public NativeMainWindowTest {
protected:
    static void SetUpTestSuite() {
        NativeMainWindowTest::SetUpTestSuite();
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        NativeMainWindowTest::SetUp();
        for (const ResponderInfo& info : {
                 ResponderInfo{"^1Red ^7Arena", "q3dm17", 2, 3, 16, "", false},
                 ResponderInfo{"Locked CTF", "q3ctf1", 1, 0, 8, "osp", true},
                 ResponderInfo{"Empty DM", "q3dm6", 0, 0, 12, "", false},
                 ResponderInfo{"Full Duel", "cpm22", 2, 0, 2, "cpma", false},
             }) {
            peers_.push_back(std::make_unique<LoopbackPeer>(test_support::Responder(info)));
        }
    }
    void TearDown() override {
        NativeMainWindowTest::TearDown();
        peers_.clear();
    }

    LoopbackPeer& AddPeer(LoopbackPeer::Handler handler) {
        peers_.push_back(std::make_unique<LoopbackPeer>(std::move(handler)));
        return *peers_.back();
    }
    std::uint16_t PortOf(std::size_t responder) const { return peers_[responder]->Port(); }

    void Create(const std::string& settings) {
        test_support::WriteFile(folder_ / "kestrune.ini", settings);
        form_ = std::make_unique<TForm1>(folder_ / "kestrune.ini", folder_ / "mods.kst");
    }

    // The window's messages and the world's datagrams, until done holds (at most limit).
    template <class Done>
    bool Pump(Done done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return test_support::PumpUntil(
            [&] {
                for (const auto& peer : peers_) {
                    peer->Serve();
                }
                if (master_ != nullptr) {
                    master_->Peer().Serve();
                }
                return done();
            },
            limit);
    }

    // Opens the list from the menu, or with Ctrl+F typed in the server field.
    ServerListWindow& OpenList(bool withKeys = false) {
        if (withKeys) {
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            Key(Control(kIdEdQ3Server), 'F');
            keys[VK_CONTROL] = 0;
            ::SetKeyboardState(keys);
        } else {
            Menu(kIdFindServer1);
        }
        ServerListWindow* list = form_->ServerList();
        if (list == nullptr || !::IsWindowVisible(list->Handle())) {
            ADD_FAILURE() << "Find server opened no server list";
            throw std::runtime_error("no server list");
        }
        EXPECT_EQ(::GetWindow(list->Handle(), GW_OWNER), form_->Handle());
        EXPECT_TRUE(Pump([&] { return !list->Refreshing(); }));
        return *list;
    }

    static std::wstring Cell(HWND listView, int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static std::vector<std::wstring> Column(const ServerListWindow& list, ServerColumn column) {
        const HWND servers = list.Control(ServerListWindow::kServers);
        std::vector<std::wstring> texts;
        const auto count = ::SendMessageW(servers, LVM_GETITEMCOUNT, 0, 0);
        for (int row = 0; row < count; ++row) {
            texts.push_back(Cell(servers, row, static_cast<int>(column)));
        }
        return texts;
    }
    static HWND Header(const ServerListWindow& list) {
        return reinterpret_cast<HWND>(::SendMessageW(list.Control(ServerListWindow::kServers),
                                                     LVM_GETHEADER, 0, 0));
    }
    // A click of the mouse on a column's header.
    static void ClickHeader(const ServerListWindow& list, ServerColumn column) {
        const HWND header = Header(list);
        RECT rect{};
        ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&rect));
        const LPARAM where = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, where);
        ::SendMessageW(header, WM_LBUTTONUP, 0, where);
    }
    static int SortFormat(const ServerListWindow& list, ServerColumn column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(Header(list), HDM_GETITEMW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    static void Select(const ServerListWindow& list, int row) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list.Control(ServerListWindow::kServers), LVM_SETITEMSTATE,
                       static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
    // A key as the message loop hands it on, with the focus on control.
    static void Key(HWND control, WPARAM key) {
        ::SetFocus(control);
        MSG down{control, WM_KEYDOWN, key, 1, 0, {}};
        DispatchWindowMessage(down);
        MSG up{control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u), 0, {}};
        DispatchWindowMessage(up);
    }

    TempFolder folder_;
    std::vector<std::unique_ptr<LoopbackPeer>> peers_;
    std::unique_ptr<test_support::MasterStandIn> master_;  // also served while pumping
};

TEST_F(NativeServerListTest, ListsTheMastersServersSortsFiltersAndHandsTheChoiceOver) {
    std::vector<std::uint16_t> listed = {PortOf(0), PortOf(1), PortOf(2), PortOf(3), PortOf(2)};
    LoopbackPeer& silent = AddPeer([](auto&, auto, auto, auto) {});
    listed.push_back(silent.Port());
    LoopbackPeer& master = AddPeer(test_support::Master(listed));
    Create("[Quake3]\r\nQ3Password=\r\n[Masters]\r\n1=127.0.0.1:" + std::to_string(master.Port()) +
           "\r\n");
    ServerListWindow& list = OpenList(true);
    EXPECT_EQ(master.Received(), 1);
    EXPECT_EQ(silent.Received(), 3);  // asked, then twice again, then given up
    EXPECT_EQ(WindowText(list.Control(ServerListWindow::kProgress)), L"4 of 5 servers answered");
    EXPECT_EQ(SortFormat(list, ServerColumn::Ping), HDF_SORTUP);

    // By name with a click on its header, then the other way with another.
    ClickHeader(list, ServerColumn::Name);
    EXPECT_EQ(SortFormat(list, ServerColumn::Ping), 0);
    EXPECT_EQ(SortFormat(list, ServerColumn::Name), HDF_SORTUP);
    EXPECT_EQ(Column(list, ServerColumn::Name),
              (std::vector<std::wstring>{L"Empty DM", L"Full Duel", L"Locked CTF", L"Red Arena"}));
    EXPECT_EQ(Column(list, ServerColumn::Players),
              (std::vector<std::wstring>{L"0+0/12", L"2+0/2", L"1+0/8", L"2+3/16"}));
    EXPECT_EQ(Column(list, ServerColumn::Mod),
              (std::vector<std::wstring>{L"", L"cpma", L"osp", L""}));
    EXPECT_EQ(Column(list, ServerColumn::Lock), (std::vector<std::wstring>{L"", L"", L"yes", L""}));
    ClickHeader(list, ServerColumn::Name);
    EXPECT_EQ(SortFormat(list, ServerColumn::Name), HDF_SORTDOWN);
    EXPECT_EQ(Column(list, ServerColumn::Name),
              (std::vector<std::wstring>{L"Red Arena", L"Locked CTF", L"Full Duel", L"Empty DM"}));

    // The selection stays with its server through another order.
    Select(list, 0);
    ClickHeader(list, ServerColumn::Players);
    const int selected = static_cast<int>(::SendMessageW(
        list.Control(ServerListWindow::kServers), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
        LVNI_SELECTED));
    EXPECT_EQ(Column(list, ServerColumn::Name)[static_cast<std::size_t>(selected)], L"Red Arena");
    // Its players come below.
    const HWND players = list.Control(ServerListWindow::kPlayers);
    ASSERT_TRUE(Pump([&] { return ::SendMessageW(players, LVM_GETITEMCOUNT, 0, 0) == 5; }));
    EXPECT_EQ(Cell(players, 0, 0), L"Player1");
    EXPECT_EQ(Cell(players, 0, 1), L"3");
    EXPECT_EQ(Cell(players, 4, 2), L"bot");
    ClickHeader(list, ServerColumn::Name);

    // The filters, each from none.
    struct FilterCase {
        bool hideEmpty, hideFull, hidePassword;
        const wchar_t* search;
        std::vector<std::wstring> names;
    };
    const FilterCase filters[] = {
        {false, false, false, L"", {L"Empty DM", L"Full Duel", L"Locked CTF", L"Red Arena"}},
        {true, false, false, L"", {L"Full Duel", L"Locked CTF", L"Red Arena"}},
        {false, true, false, L"", {L"Empty DM", L"Locked CTF", L"Red Arena"}},
        {false, false, true, L"", {L"Empty DM", L"Full Duel", L"Red Arena"}},
        {true, true, true, L"", {L"Red Arena"}},
        {false, false, false, L"CTF1", {L"Locked CTF"}},      // the map
        {false, false, false, L" cpma ", {L"Full Duel"}},     // the mod
        {false, false, false, L"arena", {L"Red Arena"}},      // the name, colours gone
        {true, false, false, L"zz", {}},
    };
    for (const FilterCase& filter : filters) {
        const std::pair<int, bool> boxes[] = {{ServerListWindow::kHideEmpty, filter.hideEmpty},
                                              {ServerListWindow::kHideFull, filter.hideFull},
                                              {ServerListWindow::kHidePassword, filter.hidePassword}};
        for (const auto& [box, checked] : boxes) {
            if ((::IsDlgButtonChecked(list.Handle(), box) == BST_CHECKED) != checked) {
                ::SendMessageW(list.Control(box), BM_CLICK, 0, 0);
            }
        }
        ::SetWindowTextW(list.Control(ServerListWindow::kSearch), filter.search);
        EXPECT_EQ(Column(list, ServerColumn::Name), filter.names)
            << filter.hideEmpty << filter.hideFull << filter.hidePassword << " "
            << win32::Utf8FromWide(filter.search);
    }

    // Enter on the list chooses the selected server.
    ::SetWindowTextW(list.Control(ServerListWindow::kSearch), L"locked");
    Select(list, 0);
    Key(list.Control(ServerListWindow::kServers), VK_RETURN);
    EXPECT_FALSE(::IsWindowVisible(list.Handle()));
    EXPECT_EQ(Text(kIdEdQ3Server), L"127.0.0.1");
    EXPECT_EQ(Text(kIdEdQ3Port), std::to_wstring(PortOf(1)));
    EXPECT_EQ(::IsDlgButtonChecked(form_->Handle(), kIdGroupItem1), BST_CHECKED);
    EXPECT_EQ(WindowText(Control(kIdCbMods)), L"osp");
    EXPECT_EQ(form_->StatusPanelText(1), L"Server needs a password");
}

TEST_F(NativeServerListTest, FavouritesAnswerWithTheMasterDownAndDeleteRemovesThem) {
    LoopbackPeer& deadMaster = AddPeer([](auto&, auto, auto, auto) {});
    const std::string port = std::to_string(PortOf(0));
    Create("[Quake3]\r\nQ3Password=\r\n[Masters]\r\n1=127.0.0.1:" +
           std::to_string(deadMaster.Port()) + "\r\n[Favourites]\r\n1=127.0.0.1:" + port + "\r\n");
    ServerListWindow& list = OpenList();
    const HWND source = list.Control(ServerListWindow::kSource);
    ::SendMessageW(source, CB_SETCURSEL, 1, 0);  // "Favourites", as the player picks it
    ::SendMessageW(list.Handle(), WM_COMMAND, MAKEWPARAM(ServerListWindow::kSource, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(source));
    ASSERT_TRUE(Pump([&] { return !list.Refreshing(); }));
    EXPECT_EQ(WindowText(list.Control(ServerListWindow::kProgress)), L"1 of 1 server answered");
    EXPECT_EQ(Column(list, ServerColumn::Name), (std::vector<std::wstring>{L"Red Arena"}));
    Select(list, 0);
    EXPECT_EQ(WindowText(list.Control(ServerListWindow::kFavourite)), L"Remove from f&avourites");

    // Delete on the list forgets it; the list of favourites is asked again, empty.
    Key(list.Control(ServerListWindow::kServers), VK_DELETE);
    ASSERT_TRUE(Pump([&] { return !list.Refreshing(); }));
    EXPECT_EQ(test_support::ReadFile(folder_ / "kestrune.ini").find("=127.0.0.1:" + port),
              std::string::npos)
        << test_support::ReadFile(folder_ / "kestrune.ini");
    EXPECT_TRUE(Column(list, ServerColumn::Name).empty());
    EXPECT_EQ(WindowText(list.Control(ServerListWindow::kProgress)), L"0 of 0 servers answered");

    // Escape hides the window; opened again, it asks again.
    Key(list.Control(ServerListWindow::kServers), VK_ESCAPE);
    EXPECT_FALSE(::IsWindowVisible(list.Handle()));
    EXPECT_EQ(deadMaster.Received(), 1);
}

TEST_F(NativeServerListTest, TheSelectionStaysWithItsServerWhileLateAnswersArrive) {
    // A server that answers only the second question, half a second after the others.
    int asked = 0;
    const LoopbackPeer::Handler answer =
        test_support::Responder(ResponderInfo{"Aardvark", "q3dm1", 1, 0, 8, "", false});
    LoopbackPeer& late = AddPeer([&](LoopbackPeer& self, std::string_view datagram,
                                     std::uint32_t from, std::uint16_t port) {
        if (datagram.find("getinfo") == std::string_view::npos || ++asked > 1) {
            answer(self, datagram, from, port);
        }
    });
    LoopbackPeer& master = AddPeer(test_support::Master({PortOf(0), PortOf(2), late.Port()}));
    Create("[Masters]\r\n1=127.0.0.1:" + std::to_string(master.Port()) + "\r\n");
    Menu(kIdFindServer1);
    ServerListWindow& list = *form_->ServerList();
    ASSERT_TRUE(Pump([&] { return Column(list, ServerColumn::Name).size() == 2; }));
    ClickHeader(list, ServerColumn::Name);
    ASSERT_EQ(Column(list, ServerColumn::Name),
              (std::vector<std::wstring>{L"Empty DM", L"Red Arena"}));
    Select(list, 1);
    ASSERT_TRUE(Pump([&] { return !list.Refreshing(); }));
    EXPECT_EQ(Column(list, ServerColumn::Name),
              (std::vector<std::wstring>{L"Aardvark", L"Empty DM", L"Red Arena"}));
    EXPECT_EQ(::SendMessageW(list.Control(ServerListWindow::kServers), LVM_GETNEXTITEM,
                             static_cast<WPARAM>(-1), LVNI_SELECTED),
              2);
    EXPECT_TRUE(::IsWindowEnabled(list.Control(ServerListWindow::kUseServer)));
}

TEST_F(NativeServerListTest, ADoubleClickChoosesThePlainGameWithoutAskingForAPassword) {
    const std::vector<std::uint16_t> listed = {PortOf(0)};
    LoopbackPeer& master = AddPeer(test_support::Master(listed));
    Create("[Quake3]\r\nQ3Password=\r\nQ3Game=1\r\n[Masters]\r\n1=127.0.0.1:" +
           std::to_string(master.Port()) + "\r\n");
    ServerListWindow& list = OpenList();
    ASSERT_EQ(Column(list, ServerColumn::Name), (std::vector<std::wstring>{L"Red Arena"}));
    const HWND servers = list.Control(ServerListWindow::kServers);
    RECT item{};
    item.left = LVIR_BOUNDS;
    ::SendMessageW(servers, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM where = MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
    ::SendMessageW(servers, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageW(servers, WM_LBUTTONUP, 0, where);
    ::SendMessageW(servers, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    ::SendMessageW(servers, WM_LBUTTONUP, 0, where);
    EXPECT_FALSE(::IsWindowVisible(list.Handle()));
    EXPECT_EQ(Text(kIdEdQ3Port), std::to_wstring(PortOf(0)));
    EXPECT_EQ(::IsDlgButtonChecked(form_->Handle(), kIdGroupItem0), BST_CHECKED);
    EXPECT_NE(form_->StatusPanelText(1), L"Server needs a password");
}

// One of the host's dedicated servers, a Linux program: Wine's CreateProcessW runs it, given by its
// path on drive Z:, with fork and exec; its files go to the test's folder. Wine hands back no
// handle that could end a Unix program, so the server is told to quit over its remote console
// (with a password of this run's own) until it no longer answers on its port.
class HostDedicatedServer {
public:
    static constexpr const wchar_t* kProgram = L"Z:\\usr\\lib\\ioquake3\\ioq3ded";
    static constexpr const wchar_t* kGameData = L"Z:\\usr\\lib\\openarena-server\\baseoa";

    HostDedicatedServer(const std::filesystem::path& folder, const std::string& name,
                        const std::string& map, int bots, std::uint16_t master)
        : port_(test_support::FreeUdpPort()), password_(std::to_string(std::random_device()())),
          prober_([this](LoopbackPeer&, std::string_view datagram, auto, auto) {
              answered_ = answered_ || datagram.starts_with("\xFF\xFF\xFF\xFFinfoResponse");
          }) {
        const std::string home = UnixPath(folder);
        if (home.empty()) {
            return;  // never the player's own folder
        }
        std::string line = "\"" + win32::Utf8FromWide(kProgram) + "\"";
        const std::pair<const char*, std::string> settings[] = {
            {"com_basegame", "baseoa"}, {"fs_basepath", "/usr/lib/openarena-server"},
            {"fs_homepath", home}, {"com_legacyprotocol", "71"},
            {"com_protocol", "71"}, {"dedicated", "2"}, {"net_ip", "127.0.0.1"},
            {"net_enabled", "1"}, {"net_port", std::to_string(port_)},
            {"sv_master1", "127.0.0.1:" + std::to_string(master)}, {"sv_master2", ""},
            {"sv_master3", ""}, {"rconpassword", password_}, {"sv_hostname", name},
            {"sv_maxclients", "12"}};
        for (const auto& [setting, value] : settings) {
            line += std::string(" +set ") + setting + " \"" + value + "\"";
        }
        line += " +map " + map;
        for (const char* bot : {"Angelyss", "Jenna"}) {
            if (bots-- > 0) {
                line += std::string(" +addbot ") + bot;
            }
        }
        line += " +heartbeat";  // at once rather than at the next interval

        // No terminal for the server's console; what it prints (to its error output, which Wine
        // leaves as the test's own) joins the test's output.
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE nothing = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                       OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
        PROCESS_INFORMATION process{};
        std::wstring commandLine = win32::WideFromUtf8(line);
        started_ = ::CreateProcessW(kProgram, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                    nullptr, folder.wstring().c_str(), &startup, &process);
        for (HANDLE handle : {process.hProcess, process.hThread, nothing}) {
            if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
                ::CloseHandle(handle);
            }
        }
    }
    ~HostDedicatedServer() {
        // Asked until it answers (it may not be up yet), then told to quit until it no longer does.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        bool seen = false;
        while (started_ && std::chrono::steady_clock::now() < deadline) {
            answered_ = false;
            Send("getinfo probe");
            test_support::PumpUntil(
                [&] {
                    prober_.Serve();
                    return answered_;
                },
                std::chrono::milliseconds(500));
            if (!answered_ && seen) {
                return;
            }
            seen = seen || answered_;
            if (answered_) {
                Send("rcon " + password_ + " quit");
            }
        }
        ADD_FAILURE() << "the server on port " << port_ << " did not end";
    }
    HostDedicatedServer(const HostDedicatedServer&) = delete;
    HostDedicatedServer& operator=(const HostDedicatedServer&) = delete;

    bool Started() const { return started_; }
    std::uint16_t Port() const { return port_; }

private:
    static std::string UnixPath(const std::filesystem::path& path) {
        using ToUnix = char*(CDECL*)(const wchar_t*);
        const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char* unix = toUnix != nullptr ? toUnix(path.wstring().c_str()) : nullptr;
        std::string result = unix != nullptr ? unix : "";
        ::HeapFree(::GetProcessHeap(), 0, unix);
        return result;
    }
    void Send(const std::string& command) {
        prober_.SendTo("\xFF\xFF\xFF\xFF" + command, test_support::LoopbackAddress(), port_);
    }

    std::uint16_t port_;
    std::string password_;
    bool started_ = false;
    bool answered_ = false;
    LoopbackPeer prober_;
};

// The game and its data are the host's: they are found on drive Z: under the host's wine64 (the
// 64-bit suites), not within the WoW64 root, where the 32-bit suites run and this test skips.
TEST_F(NativeServerListTest, ListsRealServersAndLaunchesTheChosenOne) {
    if (::GetFileAttributesW(HostDedicatedServer::kProgram) == INVALID_FILE_ATTRIBUTES ||
        ::GetFileAttributesW(HostDedicatedServer::kGameData) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no ioquake3-server and openarena-server of the host on drive Z:";
    }
    master_ = std::make_unique<test_support::MasterStandIn>();
    test_support::MasterStandIn& master = *master_;
    TempFolder serverFolder;
    std::vector<std::unique_ptr<HostDedicatedServer>> servers;
    for (const auto& [name, map, bots] : {std::tuple{"^2Green ^7Room", "oa_dm1", 0},
                                          std::tuple{"Bot Yard", "oa_dm4", 2},
                                          std::tuple{"Third Place", "oa_ctf2", 0}}) {
        servers.push_back(std::make_unique<HostDedicatedServer>(serverFolder.path(), name, map,
                                                                bots, master.Port()));
        ASSERT_TRUE(servers.back()->Started()) << ::GetLastError();
    }
    ASSERT_TRUE(Pump([&] { return master.Known() == 3; }, std::chrono::seconds(60)))
        << master.Known() << " of 3 servers reported to the master";

    // The game is the stand-in that records its command line.
    const std::filesystem::path game = folder_.path() / "quake3.exe";
    std::filesystem::copy_file(
        std::filesystem::path(ExecutablePath()).parent_path() / "win32_recording_program.exe",
        game);
    Create("[TeamSpeak]\r\nAutojoin=0\r\n[Quake3]\r\nQ3Executable=" + game.string() +
           "\r\n[Masters]\r\n1=127.0.0.1:" + std::to_string(master.Port()) + " 71\r\n");
    ServerListWindow& list = OpenList(true);
    EXPECT_EQ(WindowText(list.Control(ServerListWindow::kProgress)), L"3 of 3 servers answered");
    const auto names = Column(list, ServerColumn::Name);
    const auto maps = Column(list, ServerColumn::Map);
    const auto players = Column(list, ServerColumn::Players);
    std::map<std::wstring, std::wstring> shown;  // name: map and players
    for (std::size_t row = 0; row < names.size(); ++row) {
        shown[names[row]] = maps[row] + L" " + players[row];
    }
    EXPECT_EQ(shown, (std::map<std::wstring, std::wstring>{{L"Green Room", L"oa_dm1 0+0/12"},
                                                          {L"Bot Yard", L"oa_dm4 0+2/12"},
                                                          {L"Third Place", L"oa_ctf2 0+0/12"}}));

    const auto botYard = std::find(names.begin(), names.end(), L"Bot Yard");
    ASSERT_NE(botYard, names.end());
    Select(list, static_cast<int>(botYard - names.begin()));
    Key(list.Control(ServerListWindow::kServers), VK_RETURN);
    EXPECT_EQ(Text(kIdEdQ3Server), L"127.0.0.1");
    EXPECT_EQ(Text(kIdEdQ3Port), std::to_wstring(servers[1]->Port()));
    Click(kIdBtnLaunchQ3);
    // The stand-in renames its record into place once it is whole; it cannot be opened while the
    // rename still holds it.
    const std::filesystem::path record = game.wstring() + L".record";
    std::string bytes;
    ASSERT_TRUE(Pump([&] { return !(bytes = test_support::ReadFile(record)).empty(); }));
    std::wstring commandLine(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(commandLine.data(), bytes.data(), commandLine.size() * sizeof(wchar_t));
    EXPECT_NE(commandLine.find(L" +connect 127.0.0.1:" + std::to_wstring(servers[1]->Port())),
              std::wstring::npos)
        << win32::Utf8FromWide(commandLine);
}

}  // namespace
}  // namespace kestrune
