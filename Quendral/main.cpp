// Process entry: the platform's sockets and standard output, handed to the tool's logic.
#include "quendral.h"

int main(int argc, char* argv[]) {
  return RunQuendral(argc, argv, PlatformSockets(), stdout);
}
