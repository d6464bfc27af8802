#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// A server field's text taken apart: the host (a name, dotted IPv4, or IPv6 without its
// brackets) and the port written after it, if any.
struct ServerField {
    std::string host;
    std::string port;  // empty when the text names none

    bool operator==(const ServerField&) const = default;
};

// Reads what a player types or pastes into a server field: a host name, an IPv4 address, an
// IPv6 address bare ("2001:db8::1") or in brackets ("[::1]"), any of them followed by ":PORT"
// ("[::1]:27961", "host:27961"; a port is one to five digits up to 65535). A bare IPv6 address
// is never split at its colons. Any other text is the host, as typed.
ServerField SplitServerField(std::string_view text);

// Whether a host (as SplitServerField gives it) is written as an IPv6 address (an IPv4-mapped one
// included), scoped or not.
bool IsIpv6Host(std::string_view host);

// The host as a command line or a URL writes it before ":PORT": IPv6 in brackets, anything else
// as it is.
std::string HostBeforePort(std::string_view host);

}  // namespace kestrune
