#include "ui_win32/server_list_query.h"

#include <windows.h>

#include <string>

#include "net/udp_endpoint.h"
#include "platform/win32/utf8_text.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/repeating_timer.h"

namespace kestrune {

std::unique_ptr<ServerListQuery> MakeServerListQuery() {
    auto query = std::make_unique<ServerListQuery>(
        std::make_unique<EndpointLink<TUDPEndpoint>>(), &MakeWin32Timer,
        [](std::string_view message) { ShowException(message); });
    query->SetOnLog([](const std::string& line) {
        ::OutputDebugStringW(win32::WideFromUtf8(line + "\n").c_str());
    });
    return query;
}

}  // namespace kestrune
