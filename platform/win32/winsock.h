#pragma once

#include <winsock2.h>

#include <functional>

namespace kestrune::win32 {

// Starts Winsock 2.2 the first time it is called, for the rest of the program; 0 when it is
// ready, else the start's error number (given again to every later caller).
int StartWinsock();

// recvfrom(socket, buffer, size, 0, from, fromLength), or the stand-in that a test put in its
// place: Wine reports no ICMP errors, so tests make a read fail as Windows would.
int ReceiveFrom(SOCKET socket, char* buffer, int size, sockaddr* from, int* fromLength);

// Takes the same arguments and gives what recvfrom would, its error set with WSASetLastError.
using ReceiveFromCall = std::function<int(SOCKET, char*, int, sockaddr*, int*)>;
// Puts call in recvfrom's place for every socket; an empty one puts recvfrom back.
void SetReceiveFromForTests(ReceiveFromCall call);

}  // namespace kestrune::win32
