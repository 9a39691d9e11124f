// Fuzz target: hostile answers from the scripted sockets, the whole run, and the report it must
// print, derived from what each call actually answered.
//
// Input encoding, read front to back; a read past the end gives zero bytes, so every input is a
// complete, finite script:
//   u8 flags: 1 start-up result follows (i16), 2 offered version follows (u16), 4 gethostname
//             fails, 8 no argument, 16 local name follows (else "ws01"), 32 inet_ntoa
//             failures follow
//   [i16 start-up result] [u16 offered version] [u8 inet_ntoa failures: bit k makes call k
//   answer null] [name: local name] [name: argument]
//   u8 n (n % 9), then n u8 mutations: the low 5 bits pick a lookup (0-based, both kinds in call
//             order) whose entry, when it has one, gets a null h_name (32), h_aliases (64) or
//             h_addr_list (128)
//   u8 n (n % 7), then n addresses of 4 bytes: the address pool
//   u8 n (n % 7), then n names: the name pool (each entry's forward answers follow below)
//   answers: the host's (by its argument, or the local computer's)
//   answers: one per pool address (reverse), then one per pool name (forward)
// answers: u8 n (n % 5; none means every lookup fails), then n times u8 a: a % 4 == 0 fails, else
//   an entry: u8 f (1: i16 h_addrtype and i16 h_length follow, else 2 and 4), addresses (list:
//   per item u8 s, s < 0xf0 the pool address s % size, else s - 0xf0 raw bytes), name, aliases
//   (list of names)
// list: u8 c, c < 0xff gives c % 16 items, 0xff u16 % 2001 items
// name: u8 m: m % 4 == 0 u16 % 1001 bytes; 1 u16 % 1001 copies of the next byte; 2 the pool name
//   m / 4 % size (a literal when there is no pool yet); 3 m / 4 bytes
//
// The names and lists are cut to a work budget, so one input stays cheap however large its
// counts: every address of the host costs a fresh copy of each entry in the walk.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "quendral.h"
#include "scripted_sockets.h"

namespace {

const char kBanner[] = "\n Quendral utility - Zemblor Systems Inc.\n\n";
const size_t kMaxName = 1000;
const size_t kMaxList = 2000;
const size_t kWork = 2 << 20;         // bytes one walk may copy, spread over its addresses
const size_t kEntryFloor = 36 << 10;  // room for 2,000 addresses whatever the walk's length
const size_t kItemCost = 16;          // a list slot and its alignment in the result area

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;

  uint8_t Byte() {
    return at < size ? data[at++] : 0;
  }
  uint16_t U16() {
    const unsigned low = Byte();
    return static_cast<uint16_t>(low | static_cast<unsigned>(Byte()) << 8);
  }
  std::string Bytes(size_t count) {
    const size_t take = count < size - at ? count : size - at;
    std::string bytes(reinterpret_cast<const char*>(data + at), take);
    at += take;
    return bytes;
  }
};

struct Decoder {
  Reader in;
  std::vector<std::string> addressPool;
  std::vector<std::string> namePool;
  size_t budget = 0;  // bytes left for the entry being decoded
};

std::string Cut(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::string DecodeName(Decoder& d) {
  const uint8_t mode = d.in.Byte();
  std::string name;
  switch (mode % 4) {
    case 0:
      name = d.in.Bytes(d.in.U16() % (kMaxName + 1));
      break;
    case 1: {
      const size_t count = d.in.U16() % (kMaxName + 1);
      name.assign(count, static_cast<char>(d.in.Byte()));
      break;
    }
    case 2:
      if (!d.namePool.empty()) name = d.namePool[mode / 4 % d.namePool.size()];
      break;
    default:
      name = d.in.Bytes(mode / 4);
  }
  name = Cut(name, d.budget);
  d.budget -= name.size();
  return name;
}

size_t DecodeCount(Decoder& d) {
  const uint8_t c = d.in.Byte();
  // Long lists make slow runs: they are there, but not at every other byte.
  return c < 0xff ? c % 16 : d.in.U16() % (kMaxList + 1);
}

// walkLength: how many times the walk may copy this entry; a host's entry is copied once per
// address of its own.
ScriptedHost DecodeEntry(Decoder& d, size_t walkLength, bool isHost) {
  ScriptedHost host;
  const uint8_t flags = d.in.Byte();
  if (flags & 1) {
    host.addrtype = static_cast<int16_t>(d.in.U16());
    host.length = static_cast<int16_t>(d.in.U16());
  }
  const size_t addresses = DecodeCount(d);
  const size_t walk = isHost ? addresses : walkLength;
  d.budget = std::max(kEntryFloor, kWork / (1 + walk));
  for (size_t i = 0; i < addresses && d.budget >= kItemCost; ++i) {
    d.budget -= kItemCost;
    const uint8_t s = d.in.Byte();
    if (s < 0xf0 && !d.addressPool.empty()) {
      host.addresses.push_back(d.addressPool[s % d.addressPool.size()]);
    } else {
      host.addresses.push_back(d.in.Bytes(s >= 0xf0 ? s - 0xf0U : 4U));
    }
  }
  host.name = DecodeName(d);
  const size_t aliases = DecodeCount(d);
  for (size_t i = 0; i < aliases && d.budget >= kItemCost; ++i) {
    d.budget -= kItemCost;
    host.aliases.push_back(DecodeName(d));
  }
  return host;
}

Answers DecodeAnswers(Decoder& d, size_t walkLength, bool isHost) {
  Answers answers;
  const size_t count = d.in.Byte() % 5U;
  for (size_t i = 0; i < count; ++i) {
    if (d.in.Byte() % 4 == 0) {
      answers.push_back(Answer());
    } else {
      answers.emplace_back(DecodeEntry(d, walkLength, isHost));
    }
  }
  return answers;
}

size_t LongestList(const Answers& answers) {
  size_t longest = 0;
  for (const Answer& answer : answers) {
    if (answer && answer->addresses.size() > longest) longest = answer->addresses.size();
  }
  return longest;
}

// The C string a name becomes once it is in an entry, and the key the table finds it under
// once the report has copied it into its 256-byte buffer.
std::string AsCString(const std::string& text) {
  return text.substr(0, strnlen(text.c_str(), text.size()));
}

struct Case {
  Script script;  // handed over to the table before the run
  int startupResult = 0;
  WORD offeredVersion = 0x0101;
  bool hasArgument = true;
  uint8_t ntoaFailures = 0;
  std::string argument;
  uint8_t mutations[32] = {};
};

Case Decode(const uint8_t* data, size_t size) {
  Case c;
  Decoder d{Reader{data, size}, {}, {}, kMaxName};
  const uint8_t flags = d.in.Byte();
  if (flags & 1) c.script.startupResult = static_cast<int16_t>(d.in.U16());
  if (flags & 2) c.script.offeredVersion = d.in.U16();
  if (flags & 32) c.ntoaFailures = d.in.Byte();
  if (flags & 4) c.script.hostnameResult = -1;
  c.startupResult = c.script.startupResult;
  c.offeredVersion = c.script.offeredVersion;
  c.hasArgument = (flags & 8) == 0;
  d.budget = kMaxName;
  if (flags & 16) c.script.localName = DecodeName(d);
  d.budget = kMaxName;
  if (c.hasArgument) c.argument = AsCString(DecodeName(d));

  const size_t mutations = d.in.Byte() % 9U;
  for (size_t i = 0; i < mutations; ++i) {
    const uint8_t m = d.in.Byte();
    c.mutations[m & 31] |= static_cast<uint8_t>(m & 0xe0);
  }
  const size_t addresses = d.in.Byte() % 7U;
  for (size_t i = 0; i < addresses; ++i) {
    std::string address = d.in.Bytes(4);
    address.resize(4, '\0');
    d.addressPool.push_back(address);
  }
  const size_t names = d.in.Byte() % 7U;
  std::vector<std::string> poolNames;
  for (size_t i = 0; i < names; ++i) {
    d.budget = kMaxName;
    poolNames.push_back(DecodeName(d));
  }
  d.namePool = poolNames;

  Answers host = DecodeAnswers(d, 0, true);
  const size_t walk = LongestList(host);
  for (const std::string& address : d.addressPool) {
    Answers reverse = DecodeAnswers(d, walk, false);
    c.script.byAddress.try_emplace(address, std::move(reverse));  // the first one counts
  }
  for (const std::string& name : d.namePool) {
    Answers forward = DecodeAnswers(d, walk, false);
    const std::string key = AsCString(name).substr(0, 255);
    c.script.byName.try_emplace(key, std::move(forward));
  }
  if (c.hasArgument) {
    c.script.byName[c.argument] = std::move(host);
  } else {
    c.script.localHost = std::move(host);
  }
  return c;
}

// ---- The shadow table: passes every call to the scripted one and notes what it answered.

enum class Verdict { kUnknown, kUnresolved, kMatch, kMismatch };

struct Row {
  uint32_t expected = 0;     // the address at this index of the latest host entry
  uint32_t dottedAsked = 0;  // what the report asked inet_ntoa for, before the reverse lookup
  bool dottedNull = false;   // and inet_ntoa answered null
  uint32_t asked = 0;        // what the report handed to the reverse lookup
  int askedLength = 0;
  int askedType = 0;
  std::string interfaceName;  // the reverse entry's name as the report's buffer holds it
  bool reverseOk = false;
  bool interfaceAsked = false;
  std::string interfaceAskedName;
  Verdict verdict = Verdict::kUnknown;
  uint32_t first = 0;        // the interface name's first address, for a mismatch
  bool firstDotted = false;  // inet_ntoa was asked for the mismatch's address
  uint32_t firstAsked = 0;
  bool firstNull = false;
  bool relookupOk = false;
  bool relookupDone = false;
};

enum class Expect { kFirst, kReverse, kInterface, kRelookup, kDone };

struct Seen {
  const Case* c = nullptr;
  int startups = 0;
  int startupResult = 0;
  WORD version = 0;
  int cleanups = 0;
  int hostnames = 0;
  int hostnameLength = 0;
  std::string localName;
  int lookups = 0;
  int ntoaCalls = 0;
  bool pendingDotted = false;  // inet_ntoa asked since the last reverse lookup
  bool pendingNull = false;
  uint32_t pendingAsked = 0;
  Expect expect = Expect::kFirst;
  bool firstOk = false;
  bool nameNull = false;
  std::string name;
  int type = 0;
  int length = 0;
  std::vector<std::string> aliases;
  bool haveNext = false;
  uint32_t next = 0;
  std::vector<Row> rows;
  std::string breach;  // the first call the report should not have made
};

Seen g_seen;

void Breach(const std::string& what) {
  if (g_seen.breach.empty()) g_seen.breach = what;
}

uint32_t Word(const char* bytes) {
  uint32_t word;
  memcpy(&word, bytes, sizeof word);
  return word;
}

// The walk over a long list runs once per address: no coverage feedback from its loop.
#if defined(__clang__)
#define NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define NO_COVERAGE
#endif

// The entry's address at index, walked from the start as the report must.
NO_COVERAGE bool EntryAt(const HOSTENT* entry, size_t index, uint32_t* address) {
  if (entry->h_addr_list == nullptr) return false;
  for (size_t i = 0; i <= index; ++i) {
    if (entry->h_addr_list[i] == nullptr) return false;
  }
  *address = Word(entry->h_addr_list[index]);
  return true;
}

HOSTENT* Mutate(HOSTENT* entry) {
  const int call = g_seen.lookups++;
  if (entry == nullptr || call >= 32) return entry;
  const uint8_t m = g_seen.c->mutations[call];
  if (m & 32) entry->h_name = nullptr;
  if (m & 64) entry->h_aliases = nullptr;
  if (m & 128) entry->h_addr_list = nullptr;
  return entry;
}

int ShadowStartup(WORD requested, WSADATA* data) {
  ++g_seen.startups;
  if (requested != 0x0101) Breach("WSAStartup asked for another version");
  g_seen.startupResult = ScriptedApi().WSAStartup(requested, data);
  g_seen.version = data->wVersion;
  return g_seen.startupResult;
}

int ShadowCleanup() {
  ++g_seen.cleanups;
  return ScriptedApi().WSACleanup();
}

int ShadowHostName(char* name, int length) {
  ++g_seen.hostnames;
  g_seen.hostnameLength = length;
  const int result = ScriptedApi().gethostname(name, length);
  g_seen.localName = result != 0 ? std::string() : std::string(name, strnlen(name, 255));
  return result;
}

bool SameHostName(const char* name) {
  if (!g_seen.c->hasArgument) return name == nullptr;
  return name != nullptr && g_seen.c->argument == name;
}

HOSTENT* ShadowHostByName(const char* name) {
  HOSTENT* entry = Mutate(ScriptedApi().gethostbyname(name));
  switch (g_seen.expect) {
    case Expect::kFirst:
      if (!SameHostName(name)) Breach("the first lookup is not of the host");
      g_seen.firstOk = entry != nullptr;
      g_seen.expect = entry != nullptr ? Expect::kReverse : Expect::kDone;
      if (entry == nullptr) break;
      g_seen.nameNull = entry->h_name == nullptr;
      if (entry->h_name != nullptr) g_seen.name = entry->h_name;
      g_seen.type = entry->h_addrtype;
      g_seen.length = entry->h_length;
      for (char** alias = entry->h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        g_seen.aliases.push_back(*alias);
      }
      g_seen.haveNext = EntryAt(entry, 0, &g_seen.next);
      break;
    case Expect::kInterface: {
      Row& row = g_seen.rows.back();
      row.interfaceAsked = true;
      row.interfaceAskedName = name != nullptr ? name : "(a null name)";
      uint32_t first = 0;
      if (entry == nullptr || !EntryAt(entry, 0, &first)) {
        row.verdict = Verdict::kUnresolved;
      } else {
        row.verdict = first == row.expected ? Verdict::kMatch : Verdict::kMismatch;
        row.first = first;
      }
      g_seen.expect = Expect::kRelookup;
      break;
    }
    case Expect::kRelookup: {
      if (!SameHostName(name)) Breach("a re-lookup is not of the host");
      Row& row = g_seen.rows.back();
      row.relookupDone = true;
      row.relookupOk = entry != nullptr;
      g_seen.expect = entry != nullptr ? Expect::kReverse : Expect::kDone;
      if (entry != nullptr) g_seen.haveNext = EntryAt(entry, g_seen.rows.size(), &g_seen.next);
      break;
    }
    default:
      Breach("a forward lookup out of turn");
  }
  return entry;
}

HOSTENT* ShadowHostByAddr(const char* address, int length, int type) {
  // The address points into the entry that this lookup replaces.
  const uint32_t asked = Word(address);
  HOSTENT* entry = Mutate(ScriptedApi().gethostbyaddr(address, length, type));
  if (g_seen.expect != Expect::kReverse || !g_seen.haveNext) {
    Breach("a reverse lookup out of turn or past the list");
    return entry;
  }
  Row row;
  if (!g_seen.pendingDotted) Breach("no dotted text before the reverse lookup");
  row.dottedAsked = g_seen.pendingAsked;
  row.dottedNull = g_seen.pendingNull;
  g_seen.pendingDotted = false;
  row.expected = g_seen.next;
  row.asked = asked;
  row.askedLength = length;
  row.askedType = type;
  row.reverseOk = entry != nullptr;
  if (entry != nullptr && entry->h_name != nullptr) {
    row.interfaceName = std::string(entry->h_name, strnlen(entry->h_name, 255));
  }
  g_seen.rows.push_back(row);
  g_seen.haveNext = false;
  g_seen.expect = entry != nullptr ? Expect::kInterface : Expect::kRelookup;
  return entry;
}

char* ShadowNtoa(struct in_addr address) {
  const int call = g_seen.ntoaCalls++;
  const bool fails = call < 8 && ((g_seen.c->ntoaFailures >> call) & 1) != 0;
  uint32_t asked;
  memcpy(&asked, &address, sizeof asked);
  char* text = ScriptedApi().inet_ntoa(address);
  if (g_seen.expect == Expect::kReverse && !g_seen.pendingDotted) {
    g_seen.pendingDotted = true;
    g_seen.pendingAsked = asked;
    g_seen.pendingNull = fails;
  } else if (g_seen.expect == Expect::kRelookup && !g_seen.rows.empty() &&
             g_seen.rows.back().verdict == Verdict::kMismatch && g_seen.rows.back().reverseOk &&
             !g_seen.rows.back().firstDotted) {
    Row& row = g_seen.rows.back();
    row.firstDotted = true;
    row.firstAsked = asked;
    row.firstNull = fails;
  } else {
    Breach("inet_ntoa out of turn");
  }
  return fails ? nullptr : text;
}

const SocketsApi kShadow = {ShadowStartup,    ShadowCleanup,    ShadowHostName,
                            ShadowHostByName, ShadowHostByAddr, ShadowNtoa};

// ---- The report those answers call for.

void AppendName(std::string& out, const char* name, size_t width) {
  if (name == nullptr) name = "(null)";
  size_t columns = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
      columns += 4;
    } else {
      out += *p;
      ++columns;
    }
  }
  if (columns < width) out.append(width - columns, ' ');
}

// inet_ntoa's text in 16 columns and a blank; no text when it answered null.
void AppendDotted(std::string& out, uint32_t address, bool answeredNull) {
  if (answeredNull) {
    out.append(17, ' ');
    return;
  }
  unsigned char b[4];
  memcpy(b, &address, sizeof b);
  char text[32];
  snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  out += text;
  out.append(17 - strlen(text), ' ');
}

std::string ExpectedReport(const Case& c, const Seen& seen, int* status) {
  std::string out = kBanner;
  const bool started = c.startupResult == 0 && c.offeredVersion == 0x0101;
  if (seen.startups != 1) Breach("WSAStartup not called once");
  if (seen.cleanups != (c.startupResult == 0 && !started ? 1 : 0)) {
    Breach("WSACleanup called where it should not be, or not called");
  }
  if (!started) {
    if (seen.hostnames != 0 || seen.lookups != 0) Breach("lookups after a failed start-up");
    *status = -1;
    return out + "Failed to Initialize Winsock\n";
  }
  *status = 0;
  if (seen.hostnames != 1 || seen.hostnameLength != 256) Breach("gethostname not asked once");
  const char* hostName = c.hasArgument ? c.argument.c_str() : nullptr;
  if (c.hasArgument) {
    AppendName(out, seen.localName.c_str(), 0);
    out += " looking up host info for ";
    AppendName(out, hostName, 0);
    out += "\n";
  } else {
    out += "Looking up Local Host info for ";
    AppendName(out, seen.localName.c_str(), 0);
    out += "\n";
  }
  if (!seen.firstOk) {
    out += "Failed to Lookup host entry for ";
    AppendName(out, hostName, 0);
    return out + "\n";
  }
  out += "Host Name:      ";
  AppendName(out, seen.nameNull ? nullptr : seen.name.c_str(), 0);
  out += "\nAddress Type:   " + std::to_string(seen.type);
  out += "\nAddress Length: " + std::to_string(seen.length);
  out += "\nAliases:            \n";
  for (const std::string& alias : seen.aliases) {
    AppendName(out, alias.c_str(), 0);
    out += "\n                    ";
  }
  out += "\rAddresses:      ";
  int counts[4] = {};
  for (const Row& row : seen.rows) {
    if (row.asked != row.expected) Breach("the reverse lookup got another address");
    if (row.askedLength != seen.length || row.askedType != seen.type) {
      Breach("the reverse lookup did not get the saved length and type");
    }
    if (row.reverseOk && (!row.interfaceAsked || row.interfaceAskedName != row.interfaceName)) {
      Breach("the interface name looked up is not the reverse entry's name");
    }
    if (row.dottedAsked != row.expected) Breach("inet_ntoa got another address");
    AppendDotted(out, row.expected, row.dottedNull);
    Verdict verdict = row.reverseOk ? row.verdict : Verdict::kUnknown;
    if (verdict == Verdict::kUnknown) {
      out += "<Unknown>";
    } else {
      AppendName(out, row.interfaceName.c_str(), 40);
      out += " ";
      if (verdict == Verdict::kUnresolved) out += "???";
      if (verdict == Verdict::kMatch) out += "+";
      if (verdict == Verdict::kMismatch) {
        out += "- ";
        if (!row.firstDotted || row.firstAsked != row.first) {
          Breach("no dotted text, or another address's, for a mismatch");
        }
        AppendDotted(out, row.first, row.firstNull);
      }
    }
    ++counts[static_cast<int>(verdict)];
    out += "\n                ";
    if (!row.relookupDone) Breach("no re-lookup after an address");
    if (!row.relookupOk) {
      out += "Failed to Re-Lookup host entry for ";
      AppendName(out, hostName, 0);
      return out + "\n";
    }
  }
  if (seen.haveNext) Breach("the walk stopped with an address left at the next index");
  out += "\r";
  const int unknown = counts[static_cast<int>(Verdict::kUnknown)];
  const int unresolved = counts[static_cast<int>(Verdict::kUnresolved)];
  const int mismatched = counts[static_cast<int>(Verdict::kMismatch)];
  if (unknown > 0) {
    out +=
        "WARNING: " + std::to_string(unknown) + " Addresses could not be resolved back to names\n";
  }
  if (unresolved > 0) {
    out += "WARNING: " + std::to_string(unresolved) +
           " Interface Names could not be resolved back to addresses\n";
  }
  if (mismatched > 0) {
    out += "WARNING: " + std::to_string(mismatched) +
           " Interface Names did not resolve back to the correct address\n";
  }
  return out;
}

[[noreturn]] void Fail(const char* what, const std::string& expected, const std::string& actual) {
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  fprintf(stderr, "report fuzz: %s (first difference at byte %zu)\n", what, at);
  const size_t from = at > 200 ? at - 200 : 0;
  fprintf(stderr, "--- expected from byte %zu\n%s\n--- actual\n%s\n", from,
          Visible(expected.substr(from, 400)).c_str(), Visible(actual.substr(from, 400)).c_str());
  abort();
}

// The output is written to one memory buffer, reused by every run; a report cannot outgrow it
// within the work budget (2,000 names of 1,000 control bytes print as 8 MB).
char g_output[32 << 20];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* out = fmemopen(g_output, sizeof g_output, "w");
  if (out == nullptr) abort();
  Case c = Decode(data, size);
  KeepCallLog(false);  // the shadow table keeps what the checks need
  UseScript(std::move(c.script));
  g_seen = Seen();
  g_seen.c = &c;

  std::string argument = c.argument;
  char name[] = "quendral";
  char* argv[] = {name, c.hasArgument ? argument.data() : nullptr, nullptr};
  const int argc = c.hasArgument ? 2 : 1;
  rewind(out);
  clearerr(out);
  const int status = RunQuendral(argc, argv, kShadow, out);
  fflush(out);  // a failed start-up returns without flushing
  const long written = ftell(out);
  if (written < 0 || static_cast<size_t>(written) >= sizeof g_output) abort();
  const std::string actual(g_output, static_cast<size_t>(written));

  // REPORT_FUZZ_PRINT set: each report goes to standard output, to see what a seed does.
  static const bool print = getenv("REPORT_FUZZ_PRINT") != nullptr;
  if (print) fwrite(actual.data(), 1, actual.size(), stdout);

  // What holds on the output alone, whatever the model below says.
  if (actual.compare(0, strlen(kBanner), kBanner) != 0) Fail("no banner", kBanner, actual);
  for (const char byte : actual) {
    const unsigned char b = static_cast<unsigned char>(byte);
    if ((b < 0x20 || b == 0x7f) && b != '\r' && b != '\n') {
      Fail("a raw control byte in the report", "", actual);
    }
  }

  int expectedStatus = 0;
  const std::string expected = ExpectedReport(c, g_seen, &expectedStatus);
  if (!g_seen.breach.empty()) Fail(g_seen.breach.c_str(), expected, actual);
  if (status != expectedStatus) {
    Fail(("exit status " + std::to_string(status) + ", not " + std::to_string(expectedStatus))
             .c_str(),
         expected, actual);
  }
  if (actual != expected) Fail("the report differs", expected, actual);

  // Nothing of this run outlives it: libFuzzer takes memory held over from one run to the next
  // as a possible leak and runs the input again to find it.
  UseScript(Script());
  g_seen = Seen();
  return 0;
}
