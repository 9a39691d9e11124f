// The scripted sockets table: answers from a script, one shared result area, a call log.
#include "scripted_sockets.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <utility>

#include "quendral.h"

// Under AddressSanitizer the result area is poisoned wherever no current entry lives, so a
// report that reads a replaced entry, or past the end of a name, stops with a report instead of
// reading garbage.
#if defined(__SANITIZE_ADDRESS__)
#define SCRIPTED_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCRIPTED_ASAN 1
#endif
#endif
#if defined(SCRIPTED_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace {

void Poison(const volatile void* bytes, size_t size) {
#if defined(SCRIPTED_ASAN)
  __asan_poison_memory_region(bytes, size);
#else
  (void)bytes;
  (void)size;
#endif
}

void Unpoison(const volatile void* bytes, size_t size) {
#if defined(SCRIPTED_ASAN)
  __asan_unpoison_memory_region(bytes, size);
#else
  (void)bytes;
  (void)size;
#endif
}

Script g_script;
std::map<std::string, size_t> g_asked;  // lookups made so far per key
std::vector<std::string> g_log;
bool g_keepLog = true;

// The result area: one entry and the storage its pointers lead into, rewritten by every
// lookup. Before each lookup the bytes the last one used are scribbled over, so whatever a
// report kept from an earlier entry now reads as garbage or as the new entry.
HOSTENT g_entry;
alignas(alignof(char*)) char g_area[8 << 20];
size_t g_areaUsed = 0;
bool g_areaPoisoned = false;

// inet_ntoa's buffer, which every other call scribbles over too.
char g_dotted[32];

void Scribble() {
  if (!g_areaPoisoned) {
    Poison(g_area, sizeof g_area);
    g_areaPoisoned = true;
  }
  Unpoison(g_area, g_areaUsed);
  memset(g_area, 0xA5, g_areaUsed);
  Poison(g_area, g_areaUsed);
  g_areaUsed = 0;
  Unpoison(&g_entry, sizeof g_entry);
  memset(&g_entry, 0xA5, sizeof g_entry);
  Poison(&g_entry, sizeof g_entry);
  snprintf(g_dotted, sizeof g_dotted, "%s", "#stale-dotted#");
}

void* Take(size_t bytes) {
  const size_t align = alignof(char*);
  const size_t start = (g_areaUsed + align - 1) / align * align;
  if (start + bytes > sizeof g_area) {
    fprintf(stderr, "scripted sockets: entry too large for the result area\n");
    abort();
  }
  g_areaUsed = start + bytes;
  return g_area + start;
}

char* CopyString(const std::string& text) {
  char* copy = static_cast<char*>(Take(text.size() + 1));
  memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

char** CopyList(const std::vector<std::string>& items, bool raw) {
  char** list = static_cast<char**>(Take((items.size() + 1) * sizeof(char*)));
  for (size_t i = 0; i < items.size(); ++i) {
    if (raw) {
      // Address bytes, with 4 zero bytes behind them so a short address still reads as 4.
      // Byte by byte: these are a few bytes each, copied for every item on every lookup.
      const std::string& address = items[i];
      char* bytes = static_cast<char*>(Take(address.size() + 4));
      for (size_t at = 0; at < address.size(); ++at) bytes[at] = address[at];
      for (size_t at = 0; at < 4; ++at) bytes[address.size() + at] = '\0';
      list[i] = bytes;
    } else {
      list[i] = CopyString(items[i]);
    }
  }
  list[items.size()] = nullptr;
  return list;
}

// The bytes Take hands out for host's entry, alignment included.
size_t AreaSize(const ScriptedHost& host) {
  const auto aligned = [](size_t bytes) {
    const size_t align = alignof(char*);
    return (bytes + align - 1) / align * align;
  };
  size_t size = aligned(host.name.size() + 1);
  size += aligned((host.aliases.size() + 1) * sizeof(char*));
  for (const std::string& alias : host.aliases) size += aligned(alias.size() + 1);
  size += aligned((host.addresses.size() + 1) * sizeof(char*));
  for (const std::string& address : host.addresses) size += aligned(address.size() + 4);
  return size;
}

HOSTENT* Answer(const std::string& key, const Answers& answers) {
  Scribble();
  const size_t asked = g_asked[key]++;
  if (answers.empty()) return nullptr;
  const ::Answer& answer = answers[asked < answers.size() ? asked : answers.size() - 1];
  if (!answer) return nullptr;
  // Readable in one piece, as far as this entry reaches (one call, not one per piece: large
  // lists are copied on every lookup); the bytes past its end stay poisoned.
  const size_t size = AreaSize(*answer);
  Unpoison(g_area, size);
  Unpoison(&g_entry, sizeof g_entry);
  g_entry.h_name = CopyString(answer->name);
  g_entry.h_aliases = CopyList(answer->aliases, false);
  g_entry.h_addrtype = static_cast<decltype(g_entry.h_addrtype)>(answer->addrtype);
  g_entry.h_length = static_cast<decltype(g_entry.h_length)>(answer->length);
  g_entry.h_addr_list = CopyList(answer->addresses, true);
  if (g_areaUsed > size) abort();
  return &g_entry;
}

std::string Dotted(const unsigned char* bytes) {
  char text[32];
  snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

std::string Quoted(const char* name) {
  if (name == nullptr) return "NULL";
  return "\"" + Visible(name) + "\"";
}

int ScriptedStartup(WORD requested, WSADATA* data) {
  char line[64];
  snprintf(line, sizeof line, "WSAStartup(0x%04x)", static_cast<unsigned>(requested));
  if (g_keepLog) g_log.push_back(line);
  memset(data, 0xA5, sizeof *data);
  if (g_script.startupResult != 0) return g_script.startupResult;
  data->wVersion = g_script.offeredVersion;
  data->wHighVersion = g_script.offeredVersion;
  return 0;
}

int ScriptedCleanup() {
  if (g_keepLog) g_log.push_back("WSACleanup()");
  return 0;
}

int ScriptedHostName(char* name, int length) {
  if (g_keepLog) g_log.push_back("gethostname(" + std::to_string(length) + ")");
  if (g_script.hostnameResult != 0) {
    memset(name, 'X', static_cast<size_t>(length));  // a failed call leaves no terminator
    return g_script.hostnameResult;
  }
  // Like the POSIX call, a name that does not fit comes back cut and unterminated.
  const size_t room = static_cast<size_t>(length);
  const size_t size = g_script.localName.size();
  memcpy(name, g_script.localName.c_str(), size < room ? size + 1 : room);
  return 0;
}

// A key the script does not know: every lookup fails. Named, so that the answers of a known key
// are used in place rather than copied on every lookup.
const Answers kNoAnswers;

HOSTENT* ScriptedHostByName(const char* name) {
  if (g_keepLog) g_log.push_back("gethostbyname(" + Quoted(name) + ")");
  if (name == nullptr) return Answer("\x01local", g_script.localHost);
  const auto found = g_script.byName.find(name);
  return Answer(std::string("name:") + name,
                found != g_script.byName.end() ? found->second : kNoAnswers);
}

HOSTENT* ScriptedHostByAddr(const char* address, int length, int type) {
  const std::string key(address, 4);
  if (g_keepLog) {
    g_log.push_back("gethostbyaddr(" + Dotted(reinterpret_cast<const unsigned char*>(address)) +
                    ", " + std::to_string(length) + ", " + std::to_string(type) + ")");
  }
  const auto found = g_script.byAddress.find(key);
  return Answer("addr:" + key, found != g_script.byAddress.end() ? found->second : kNoAnswers);
}

char* ScriptedNtoa(struct in_addr address) {
  const std::string text = Dotted(reinterpret_cast<const unsigned char*>(&address));
  if (g_keepLog) g_log.push_back("inet_ntoa(" + text + ")");
  snprintf(g_dotted, sizeof g_dotted, "%s", text.c_str());
  return g_dotted;
}

const SocketsApi kScripted = {ScriptedStartup,    ScriptedCleanup,    ScriptedHostName,
                              ScriptedHostByName, ScriptedHostByAddr, ScriptedNtoa};

// Runs body with out on a temporary file and returns what was written.
template <typename Body>
std::string Capture(Body body) {
  FILE* out = tmpfile();
  if (out == nullptr) abort();
  body(out);
  fflush(out);
  std::string text;
  rewind(out);
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, out)) > 0) text.append(chunk, got);
  fclose(out);
  return text;
}

}  // namespace

ScriptedHost Host(const std::string& name, std::vector<std::string> aliases,
                  std::vector<std::string> addresses) {
  ScriptedHost host;
  host.name = name;
  host.aliases = std::move(aliases);
  host.addresses = std::move(addresses);
  return host;
}

std::string Ip(const char* dotted) {
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  // Test data written in the tests themselves: a malformed one stops the run here.
  // NOLINTNEXTLINE(cert-err34-c)
  if (sscanf(dotted, "%u.%u.%u.%u", &a, &b, &c, &d) != 4) abort();
  const char bytes[4] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                         static_cast<char>(d)};
  return std::string(bytes, 4);
}

void UseScript(const Script& script) {
  UseScript(Script(script));
}

void UseScript(Script&& script) {
  g_script = std::move(script);
  g_asked.clear();
  g_log.clear();
  Scribble();
}

void KeepCallLog(bool keep) {
  g_keepLog = keep;
}

const SocketsApi& ScriptedApi() {
  return kScripted;
}

const std::vector<std::string>& CallLog() {
  return g_log;
}

ToolRun RunTool(const Script& script, const std::vector<const char*>& arguments) {
  UseScript(script);
  std::vector<char*> argv;
  std::vector<std::string> storage = {"quendral"};
  for (const char* argument : arguments) storage.push_back(argument);
  argv.reserve(storage.size() + 1);
  for (std::string& text : storage) argv.push_back(text.data());
  argv.push_back(nullptr);
  ToolRun run;
  run.output = Capture([&](FILE* out) {
    run.status = RunQuendral(static_cast<int>(argv.size() - 1), argv.data(), ScriptedApi(), out);
  });
  run.log = g_log;
  return run;
}

ToolRun RunReport(const Script& script, const char* hostName) {
  UseScript(script);
  ToolRun run;
  run.output =
      Capture([&](FILE* out) { run.result = LookupHostInfo(ScriptedApi(), out, hostName); });
  run.log = g_log;
  return run;
}

std::string Visible(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (c == '\n') {
      text += "\\n\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (code < 0x20 || code == 0x7f) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "<%02x>", code);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text;
}
