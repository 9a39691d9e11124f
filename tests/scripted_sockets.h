// A sockets table that answers from a script and logs every call, with the platform's sharing:
// one result area that every lookup overwrites and one dotted-text buffer that the next call
// replaces, so a report that reads a stale entry prints the wrong bytes.
#ifndef QUENDRAL_TESTS_SCRIPTED_SOCKETS_H_
#define QUENDRAL_TESTS_SCRIPTED_SOCKETS_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sockets.h"

struct ScriptedHost {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<std::string> addresses;  // raw bytes in network order, see Ip()
  int addrtype = 2;
  int length = 4;
};

// An entry of type 2 (IPv4) and length 4.
ScriptedHost Host(const std::string& name, std::vector<std::string> aliases,
                  std::vector<std::string> addresses);

// One lookup's answer: an entry, or nothing (the lookup fails).
using Answer = std::optional<ScriptedHost>;

// Answers to successive lookups of one key, in order; the last one repeats once used up. An
// empty list means every lookup fails.
using Answers = std::vector<Answer>;

struct Script {
  int startupResult = 0;
  WORD offeredVersion = 0x0101;
  std::string localName = "ws01";
  int hostnameResult = 0;  // non-zero: gethostname fails and writes garbage
  std::map<std::string, Answers> byName;
  Answers localHost;                         // gethostbyname with no name
  std::map<std::string, Answers> byAddress;  // keyed by the first 4 address bytes, see Ip()
};

// The 4 bytes of a dotted IPv4 address, in network order.
std::string Ip(const char* dotted);

// Makes script the answers of the table returned by ScriptedApi() and clears the call log.
void UseScript(const Script& script);
void UseScript(Script&& script);
// Whether calls are logged (the default). Off, CallLog() stays empty and no call builds a log
// line: for runs that check the calls themselves and want them cheap.
void KeepCallLog(bool keep);
const SocketsApi& ScriptedApi();
// Every call since UseScript, one line each: gethostbyname("alpha"), gethostbyname(NULL),
// gethostbyaddr(192.0.2.10, 4, 2), inet_ntoa(192.0.2.10), gethostname(256),
// WSAStartup(0x0101), WSACleanup().
const std::vector<std::string>& CallLog();

// What one run printed and returned.
struct ToolRun {
  std::string output;
  int status = 0;       // RunQuendral's result
  bool result = false;  // LookupHostInfo's result
  std::vector<std::string> log;
};

// The whole tool with these arguments (after the program name).
ToolRun RunTool(const Script& script, const std::vector<const char*>& arguments);
// LookupHostInfo alone, the sockets library taken as started.
ToolRun RunReport(const Script& script, const char* hostName);

// Bytes with \r, \n and other control bytes made visible, for readable failure messages.
std::string Visible(const std::string& bytes);

#endif  // QUENDRAL_TESTS_SCRIPTED_SOCKETS_H_
