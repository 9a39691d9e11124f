// The tool's own code allocates nothing: every heap allocation made while a run is under way,
// the scripted table's aside, is counted, and the count must stay 0.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "quendral.h"
#include "scripted_sockets.h"

// The C library's allocator under its own names, so the replacements below can count and pass
// on. Every allocation in the process goes through them, operator new's included.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the library's names
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace {

bool g_counting = false;
long g_allocations = 0;

void Count() {
  if (g_counting) ++g_allocations;
}

}  // namespace

extern "C" void* malloc(size_t size) noexcept {
  Count();
  return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) noexcept {
  Count();
  return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size) noexcept {
  Count();
  return __libc_realloc(block, size);
}

extern "C" void* aligned_alloc(size_t alignment, size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}

extern "C" int posix_memalign(void** block, size_t alignment, size_t size) noexcept {
  Count();
  *block = __libc_memalign(alignment, size);
  return *block != nullptr ? 0 : 12;  // ENOMEM
}

extern "C" void free(void* block) noexcept {
  __libc_free(block);
}

namespace {

// The scripted table builds strings and log lines: its calls are not the tool's, so counting
// pauses inside them.
struct Paused {
  bool was = g_counting;
  Paused() {
    g_counting = false;
  }
  ~Paused() {
    g_counting = was;
  }
  Paused(const Paused&) = delete;
  Paused& operator=(const Paused&) = delete;
};

int Startup(WORD requested, WSADATA* data) {
  Paused paused;
  return ScriptedApi().WSAStartup(requested, data);
}
int Cleanup() {
  Paused paused;
  return ScriptedApi().WSACleanup();
}
int HostName(char* name, int length) {
  Paused paused;
  return ScriptedApi().gethostname(name, length);
}
HOSTENT* HostByName(const char* name) {
  Paused paused;
  return ScriptedApi().gethostbyname(name);
}
HOSTENT* HostByAddr(const char* address, int length, int type) {
  Paused paused;
  return ScriptedApi().gethostbyaddr(address, length, type);
}
char* Ntoa(struct in_addr address) {
  Paused paused;
  return ScriptedApi().inet_ntoa(address);
}

const SocketsApi kPausing = {Startup, Cleanup, HostName, HostByName, HostByAddr, Ntoa};

struct HeapCase {
  const char* what;
  Script script;
  const char* argument;  // null: no argument
};

std::vector<HeapCase> HeapCases() {
  std::vector<HeapCase> cases;
  {
    // Every outcome: round trip, mismatch, no reverse entry, unknown interface name.
    Script script;
    script.byName["alpha"] = {
        Host("alpha", {"alpha-srv"},
             {Ip("192.0.2.10"), Ip("192.0.2.11"), Ip("192.0.2.12"), Ip("192.0.2.13")})};
    script.byAddress[Ip("192.0.2.10")] = {Host("alpha", {}, {})};
    script.byAddress[Ip("192.0.2.11")] = {Host("alpha-if2", {}, {})};
    script.byName["alpha-if2"] = {Host("alpha-if2", {}, {Ip("192.0.2.99")})};
    script.byAddress[Ip("192.0.2.13")] = {Host("gone.test", {}, {})};
    cases.push_back({"every verdict and warning", script, "alpha"});
  }
  {
    Script script;
    script.localName = "ws\x1b[2J";
    const std::string longName(300, 'n');
    script.byName["h\r\x07"] = {
        Host("h\x1b]0;x\x07", std::vector<std::string>(2000, "a\x01"), {Ip("192.0.2.1")})};
    script.byAddress[Ip("192.0.2.1")] = {Host(longName + "\x7f", {}, {})};
    script.byName[std::string(255, 'n')] = {Host("n", {}, {Ip("192.0.2.1")})};
    cases.push_back({"control bytes, 2,000 aliases, a reverse name cut to 255", script, "h\r\x07"});
  }
  {
    Script script;
    script.localHost = {Host("ws01", {}, {Ip("192.0.2.5"), Ip("192.0.2.6")}), Answer()};
    cases.push_back({"the local computer, and a re-lookup that fails", script, nullptr});
  }
  {
    Script script;
    script.hostnameResult = -1;
    cases.push_back({"gethostname fails and the host is unknown", script, "%s%n%x%s"});
  }
  {
    Script script;
    script.offeredVersion = 0x0202;
    cases.push_back({"start-up refused", script, "alpha"});
  }
  return cases;
}

TEST(Heap, TheCountingSeesAnAllocation) {
  // Without this the zero below would prove nothing.
  g_allocations = 0;
  g_counting = true;
  // cppcheck-suppress unusedAllocatedMemory
  void* volatile block = malloc(16);
  g_counting = false;
  free(block);
  EXPECT_EQ(1, g_allocations);
}

TEST(Heap, ARunAllocatesNothing) {
  // The stream gets its buffer beforehand: left to itself, the C library allocates one on the
  // first write, which is the stream's set-up rather than the tool's doing.
  static char buffer[1 << 16];
  for (HeapCase& c : HeapCases()) {
    SCOPED_TRACE(c.what);
    FILE* out = tmpfile();
    ASSERT_NE(nullptr, out);
    ASSERT_EQ(0, setvbuf(out, buffer, _IOFBF, sizeof buffer));
    UseScript(c.script);
    char name[] = "quendral";
    std::string argument = c.argument != nullptr ? c.argument : "";
    char* argv[] = {name, c.argument != nullptr ? argument.data() : nullptr, nullptr};

    g_allocations = 0;
    g_counting = true;
    const int status = RunQuendral(c.argument != nullptr ? 2 : 1, argv, kPausing, out);
    g_counting = false;

    EXPECT_EQ(0, g_allocations);
    EXPECT_NE(1, status);
    EXPECT_GT(ftell(out), 0L);
    fclose(out);
  }
}

}  // namespace
