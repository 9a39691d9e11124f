// The few Windows Sockets types the tool names, for POSIX systems that have no Windows Sockets.
#ifndef QUENDRAL_SOCKETS_POSIX_TYPES_H_
#define QUENDRAL_SOCKETS_POSIX_TYPES_H_

#include <netdb.h>
#include <netinet/in.h>

typedef unsigned short WORD;
typedef struct hostent HOSTENT;

/// Start-up record: only the negotiated version is meaningful here (major number in the low
/// byte, minor in the high byte).
struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
};

#endif  // QUENDRAL_SOCKETS_POSIX_TYPES_H_
