// The tool's logic: start-up, the host report and the entry point that joins them.
#ifndef QUENDRAL_QUENDRAL_H_
#define QUENDRAL_QUENDRAL_H_

#include <stdio.h>

#include "sockets.h"

/// Starts the sockets library at version 1.1. False when it does not start or offers another
/// version, in which case it has been cleaned up again.
bool InitWinsock(const SocketsApi& api);

/// Prints the resolver's entry for hostName (null: the local computer) to out and checks each
/// address's round trip. True when the report ran to its end, warnings or not; false when the
/// host could not be looked up, first or again.
bool LookupHostInfo(const SocketsApi& api, FILE* out, const char* hostName);

/// The whole run: banner, start-up, report on argv[1]. Returns the exit status: 0 once the
/// sockets library started, -1 when it did not, 1 when out could not be written.
int RunQuendral(int argc, char* argv[], const SocketsApi& api, FILE* out);

#endif  // QUENDRAL_QUENDRAL_H_
