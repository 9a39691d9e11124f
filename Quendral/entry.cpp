// The entry logic: banner, sockets start-up at version 1.1, one report, exit status.
#include "quendral.h"

namespace {
const char kProgramName[] = "Quendral";
const WORD kRequestedVersion = 0x0101;  // 1.1: major in the low byte, minor in the high byte
}  // namespace

bool InitWinsock(const SocketsApi& api) {
  WSADATA data;
  if (api.WSAStartup(kRequestedVersion, &data) != 0) return false;
  const int major = data.wVersion & 0xff;
  const int minor = (data.wVersion >> 8) & 0xff;
  if (major != 1 || minor != major) {
    api.WSACleanup();
    return false;
  }
  // Stays started on purpose: the process ends right after the report.
  return true;
}

int RunQuendral(int argc, char* argv[], const SocketsApi& api, FILE* out) {
  fprintf(out, "\n %s utility - Zemblor Systems Inc.\n\n", kProgramName);
  if (!InitWinsock(api)) {
    fprintf(out, "Failed to Initialize Winsock\n");
    return -1;
  }
  // argv[1] is the list's closing null when there is no argument; an empty argv (argc 0) has
  // no element 1 at all, so it is read only when it exists.
  LookupHostInfo(api, out, argc > 1 ? argv[1] : nullptr);
  // A report that never reached its reader is no success.
  if (fflush(out) != 0 || ferror(out)) return 1;
  return 0;
}
