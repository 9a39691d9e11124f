// What the report costs in process: LookupHostInfo against the bare resolver calls it makes.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "quendral.h"
#include "scripted_sockets.h"

namespace {

// The scripted table logs every call; it is reset this often, with the clock stopped, so the
// log stays small without a reset in every timed iteration.
const int64_t kResetEvery = 256;

// "host.test" with count addresses from the documentation ranges, each of whose reverse name
// leads back to it.
Script HostScript(int count) {
  Script script;
  ScriptedHost host;
  host.name = "host.test";
  const char* const ranges[] = {"192.0.2.", "198.51.100.", "203.0.113."};
  for (int i = 0; i < count; ++i) {
    const std::string dotted = ranges[i / 254] + std::to_string(i % 254 + 1);
    const std::string interfaceName = "if" + std::to_string(i) + ".test";
    host.addresses.push_back(Ip(dotted.c_str()));
    ScriptedHost reverse;
    reverse.name = interfaceName;
    script.byAddress[Ip(dotted.c_str())] = {reverse};
    ScriptedHost forward;
    forward.name = interfaceName;
    forward.addresses = {Ip(dotted.c_str())};
    script.byName[interfaceName] = {forward};
  }
  script.byName["host.test"] = {host};
  return script;
}

// The resolver calls the report makes for a host whose answers do not change, in the same
// order and with the same arguments, and nothing else: no text, no checks beyond what the
// calls need. The baseline the report's own cost is measured against.
void BareCalls(const SocketsApi& api, const char* hostName) {
  char localHostName[256];
  char interfaceName[256];
  api.gethostname(localHostName, static_cast<int>(sizeof localHostName));
  HOSTENT* host = api.gethostbyname(hostName);
  if (host == nullptr) return;
  const int length = host->h_length;
  const int type = host->h_addrtype;
  int count = 0;
  while (host->h_addr_list[count] != nullptr) ++count;
  for (int index = 0; index < count; ++index) {
    const char* address = host->h_addr_list[index];
    struct in_addr dotted;
    memcpy(&dotted, address, sizeof dotted);
    benchmark::DoNotOptimize(api.inet_ntoa(dotted));
    HOSTENT* reverse = api.gethostbyaddr(address, length, type);
    if (reverse != nullptr) {
      strncpy(interfaceName, reverse->h_name, sizeof interfaceName - 1);
      interfaceName[sizeof interfaceName - 1] = '\0';
      benchmark::DoNotOptimize(api.gethostbyname(interfaceName));
    }
    host = api.gethostbyname(hostName);
    if (host == nullptr) return;
  }
}

FILE* DevNull() {
  static FILE* out = fopen("/dev/null", "w");
  if (out == nullptr) abort();
  return out;
}

template <bool kReport>
void Run(benchmark::State& state, const SocketsApi& api, const char* hostName) {
  for (auto _ : state) {
    if (kReport) {
      benchmark::DoNotOptimize(LookupHostInfo(api, DevNull(), hostName));
    } else {
      BareCalls(api, hostName);
    }
  }
}

template <bool kReport>
void Scripted(benchmark::State& state) {
  const Script script = HostScript(static_cast<int>(state.range(0)));
  UseScript(script);
  int64_t runs = 0;
  for (auto _ : state) {
    if (++runs % kResetEvery == 0) {
      state.PauseTiming();
      UseScript(script);
      state.ResumeTiming();
    }
    if (kReport) {
      benchmark::DoNotOptimize(LookupHostInfo(ScriptedApi(), DevNull(), "host.test"));
    } else {
      BareCalls(ScriptedApi(), "host.test");
    }
  }
  state.SetComplexityN(state.range(0));
}

// The C library's resolver, with whatever the environment gives it: host<N>.test with N
// addresses comes from the hosts file that the bench script has nss_wrapper read, or from the
// DNS server it runs in a namespace.
template <bool kReport>
void Platform(benchmark::State& state) {
  const std::string hostName = "host" + std::to_string(state.range(0)) + ".test";
  Run<kReport>(state, PlatformSockets(), hostName.c_str());
  state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK_TEMPLATE(Scripted, true)
    ->Name("scripted/report")
    ->RangeMultiplier(8)
    ->Range(1, 512)
    ->Complexity();
BENCHMARK_TEMPLATE(Scripted, false)
    ->Name("scripted/bare")
    ->RangeMultiplier(8)
    ->Range(1, 512)
    ->Complexity();
BENCHMARK_TEMPLATE(Platform, true)->Name("platform/report")->RangeMultiplier(8)->Range(1, 512);
BENCHMARK_TEMPLATE(Platform, false)->Name("platform/bare")->RangeMultiplier(8)->Range(1, 512);

BENCHMARK_MAIN();
