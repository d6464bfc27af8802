// "Test server" of the Windows edition against a real dedicated game server on the IPv6
// loopback address, which real_game_server.sh starts and names in KESTRUNE_GAME_SERVER_PORT.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/files.h"
#include "tests/support/win32_messages.h"
#include "tests/ui_win32/control_table.h"
#include "tests/ui_win32/main_window_test.h"

namespace kestrune {
namespace {

class Win32RealGameServer : public NativeMainWindowTest {
protected:
    test_support::TempFolder folder_;
};

TEST_F(Win32RealGameServer, AnswersTestServerOverIpv6) {
    const char* port = std::getenv("KESTRUNE_GAME_SERVER_PORT");
    if (port == nullptr) {
        GTEST_SKIP() << "started by real_game_server.sh, which names the server's port";
    }
    const std::wstring widePort(port, port + std::char_traits<char>::length(port));
    form_ = std::make_unique<TForm1>(folder_ / "kestrune.ini", folder_ / "mods.kst");
    // Typed with its port, which moves into the port field once the focus leaves.
    Type(kIdEdQ3Server, L"[::1]:" + widePort);
    ::SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(kIdEdQ3Server, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(Control(kIdEdQ3Server)));
    EXPECT_EQ(Text(kIdEdQ3Server), L"::1");
    EXPECT_EQ(Text(kIdEdQ3Port), widePort);

    // The server may still be loading its map: a few tries, 750 ms each at most.
    for (int attempt = 0; attempt < 20 && Text(kIdLabel1) != L"Server is online"; ++attempt) {
        Click(kIdBtnTest);
        test_support::PumpUntil([&] { return Text(kIdLabel1) != L"Waiting for server"; },
                                std::chrono::milliseconds(1500));
    }
    ASSERT_EQ(Text(kIdLabel1), L"Server is online");
    EXPECT_TRUE(Text(kIdServerInfo).starts_with(L"oa_dm1 \u00B7 0/8 players \u00B7 "));
    const std::wstring hint = test_support::HintOf(form_->Handle(), Control(kIdServerInfo));
    EXPECT_TRUE(hint.starts_with(L"Host name: Kestrune IPv6\r\nAddress: [::1]:" + widePort) ||
                hint.starts_with(L"Host name: Kestrune IPv6\nAddress: [::1]:" + widePort))
        << std::filesystem::path(hint).string();
    EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace kestrune
