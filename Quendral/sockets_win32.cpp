// The real Windows Sockets calls, as the table the tool's logic reaches the platform through.
#include "sockets.h"

namespace {

// Thin wrappers: they give the table one calling convention and its const-correct types on
// every Windows target, 32-bit ones included.
int Win32Startup(WORD requested, WSADATA* data) {
  return ::WSAStartup(requested, data);
}

int Win32Cleanup() {
  return ::WSACleanup();
}

int Win32HostName(char* name, int length) {
  return ::gethostname(name, length);
}

// Windows Sockets answers a null name with the local computer's own entry.
HOSTENT* Win32HostByName(const char* name) {
  return ::gethostbyname(name);
}

HOSTENT* Win32HostByAddr(const char* address, int length, int type) {
  return ::gethostbyaddr(address, length, type);
}

char* Win32Ntoa(struct in_addr address) {
  return ::inet_ntoa(address);
}

const SocketsApi kWin32Sockets = {Win32Startup,    Win32Cleanup,    Win32HostName,
                                  Win32HostByName, Win32HostByAddr, Win32Ntoa};

}  // namespace

const SocketsApi& PlatformSockets() {
  return kWin32Sockets;
}
