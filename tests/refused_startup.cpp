// The whole tool over the real sockets layer, which offers 2.2 instead of 1.1: shows how a
// refused start-up reaches the process's exit status on the real platform.
#include <stdio.h>

#include "quendral.h"

namespace {

int StartupOfferingTwoTwo(WORD requested, WSADATA* data) {
  const int result = PlatformSockets().WSAStartup(requested, data);
  if (result == 0) data->wVersion = 0x0202;
  return result;
}

}  // namespace

int main(int argc, char* argv[]) {
  SocketsApi api = PlatformSockets();
  api.WSAStartup = StartupOfferingTwoTwo;
  return RunQuendral(argc, argv, api, stdout);
}
