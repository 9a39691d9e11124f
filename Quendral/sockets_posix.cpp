// Windows Sockets 1.1 stand-in over the C library's resolver, so the report sees exactly what
// every other program on the machine sees (hosts file, DNS, other name services).
#include <arpa/inet.h>
#include <unistd.h>

#include "sockets.h"

namespace {

// There is no library to start: say yes, and offer exactly the version asked for by the tool.
int PosixStartup(WORD /*requested*/, WSADATA* data) {
  data->wVersion = 0x0101;
  data->wHighVersion = 0x0101;
  return 0;
}

int PosixCleanup() {
  return 0;
}

int PosixHostName(char* name, int length) {
  return ::gethostname(name, static_cast<size_t>(length));
}

// The C library's forward lookup has no answer for "no name"; the local computer's entry is
// the entry of the name the system calls itself. (These calls are obsolescent, and they are
// the point: the tool reports what exactly they answer.)
HOSTENT* PosixHostByName(const char* name) {
  // cppcheck-suppress gethostbynameCalled
  if (name != nullptr) return ::gethostbyname(name);
  char local[256];
  if (::gethostname(local, sizeof local) != 0) return nullptr;
  local[sizeof local - 1] = '\0';
  // cppcheck-suppress gethostbynameCalled
  return ::gethostbyname(local);
}

HOSTENT* PosixHostByAddr(const char* address, int length, int type) {
  if (length < 0) return nullptr;
  // cppcheck-suppress gethostbyaddrCalled
  return ::gethostbyaddr(address, static_cast<socklen_t>(length), type);
}

char* PosixNtoa(struct in_addr address) {
  return ::inet_ntoa(address);
}

const SocketsApi kPosixSockets = {PosixStartup,    PosixCleanup,    PosixHostName,
                                  PosixHostByName, PosixHostByAddr, PosixNtoa};

}  // namespace

const SocketsApi& PlatformSockets() {
  return kPosixSockets;
}
