#pragma once

#include <memory>

#include "ui_logic/server_list_query.h"

namespace kestrune {

// The server list's traffic in the Windows edition: the query on a TUDPEndpoint of its own, its
// timers on the UI thread (MakeWin32Timer), what its handlers raise shown by the exception
// display. Raises UDPSockError when no socket can be had.
std::unique_ptr<ServerListQuery> MakeServerListQuery();

}  // namespace kestrune
