// Prints the target a test program runs on, as CTest names it, before its first test: a cross
// build's log then says that the code ran under an emulator, and which.
#include <stdio.h>
#include <stdlib.h>

namespace {

struct TargetLine {
  TargetLine() noexcept {
    const char* target = getenv("QUENDRAL_TARGET");
    if (target != nullptr) printf("target: %s\n", target);
  }
};

const TargetLine kTargetLine;

}  // namespace
