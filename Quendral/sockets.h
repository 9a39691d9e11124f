// The sockets calls the tool makes, as one table that main fills from the platform and tests
// fill from a script.
#ifndef QUENDRAL_SOCKETS_H_
#define QUENDRAL_SOCKETS_H_

#if defined(_WIN32)
#include <winsock2.h>
#else
#include "sockets_posix_types.h"
#endif

/// The six Windows Sockets 1.1 calls the report and the start-up rely on, with the meanings
/// Windows Sockets gives them. gethostbyname and gethostbyaddr return an entry in one result
/// area that the next lookup of either replaces; inet_ntoa's text lasts until the next call.
struct SocketsApi {
  int (*WSAStartup)(WORD requested, WSADATA* data);
  int (*WSACleanup)();
  int (*gethostname)(char* name, int length);
  HOSTENT* (*gethostbyname)(const char* name);  // null name: the local computer
  HOSTENT* (*gethostbyaddr)(const char* address, int length, int type);
  char* (*inet_ntoa)(struct in_addr address);
};

/// The platform's own sockets calls (the real ones on Windows, a stand-in on POSIX).
const SocketsApi& PlatformSockets();

#endif  // QUENDRAL_SOCKETS_H_
