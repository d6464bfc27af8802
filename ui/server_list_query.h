#pragma once

#include <memory>

#include "ui_logic/server_list_query.h"

namespace kestrune {

// The server list's traffic in the Qt edition: the query on a TUDPEndpoint of its own, its tick
// on a precise QTimer (a coarse one may fire up to 5 % late, and the tick paces the questions),
// what its handlers raise shown by the exception display. Raises UDPSockError when no socket
// can be had.
std::unique_ptr<ServerListQuery> MakeServerListQuery();

}  // namespace kestrune
