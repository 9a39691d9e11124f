// The host report against scripted sockets: exact bytes, and the calls made in their order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_sockets.h"

namespace {

// The round trip of one address: its reverse name, and that name's forward entry.
void RoundTrip(Script& script, const char* address, const char* name, const char* backTo) {
  script.byAddress[Ip(address)] = {Host(name, {}, {})};
  script.byName[name] = {Host(name, {}, {Ip(backTo)})};
}

// ws01 looking up alpha (alias alpha-srv): .10 comes back, .11's name leads to .99, .12 has no
// reverse entry.
Script Alpha() {
  Script script;
  script.byName["alpha"] = {
      Host("alpha", {"alpha-srv"}, {Ip("192.0.2.10"), Ip("192.0.2.11"), Ip("192.0.2.12")})};
  script.byAddress[Ip("192.0.2.10")] = {Host("alpha", {}, {})};  // back to alpha's own entry
  RoundTrip(script, "192.0.2.11", "alpha-if2", "192.0.2.99");
  return script;
}

// One host "h" with the given addresses and no aliases.
Script Single(std::vector<std::string> addresses) {
  Script script;
  script.byName["h"] = {Host("h", {}, std::move(addresses))};
  return script;
}

const char kHeadH[] =
    "ws01 looking up host info for h\n"
    "Host Name:      h\n"
    "Address Type:   2\n"
    "Address Length: 4\n"
    "Aliases:            \n"
    "\r"
    "Addresses:      ";

struct ReportCase {
  const char* what;
  Script script;
  const char* hostName;
  bool result;
  std::string output;
  std::vector<std::string> log;  // empty: not checked
};

std::vector<ReportCase> ReportCases() {
  std::vector<ReportCase> cases;

  cases.push_back(
      {"the sample run: round trip, mismatch, no reverse entry",
       Alpha(),
       "alpha",
       true,
       "ws01 looking up host info for alpha\n"
       "Host Name:      alpha\n"
       "Address Type:   2\n"
       "Address Length: 4\n"
       "Aliases:            \n"
       "alpha-srv\n                    "
       "\r"
       "Addresses:      "
       "192.0.2.10       alpha                                    +"
       "\n                "
       "192.0.2.11       alpha-if2                                - 192.0.2.99       "
       "\n                "
       "192.0.2.12       <Unknown>"
       "\n                "
       "\r"
       "WARNING: 1 Addresses could not be resolved back to names\n"
       "WARNING: 1 Interface Names did not resolve back to the correct address\n",
       {"gethostname(256)", "gethostbyname(\"alpha\")", "inet_ntoa(192.0.2.10)",
        "gethostbyaddr(192.0.2.10, 4, 2)", "gethostbyname(\"alpha\")", "gethostbyname(\"alpha\")",
        "inet_ntoa(192.0.2.11)", "gethostbyaddr(192.0.2.11, 4, 2)", "gethostbyname(\"alpha-if2\")",
        "inet_ntoa(192.0.2.99)", "gethostbyname(\"alpha\")", "inet_ntoa(192.0.2.12)",
        "gethostbyaddr(192.0.2.12, 4, 2)", "gethostbyname(\"alpha\")"}});

  // One row per outcome of a single address.
  {
    Script script = Single({Ip("192.0.2.1")});
    cases.push_back({"outcome: reverse lookup fails",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        <Unknown>\n                \r"
                         "WARNING: 1 Addresses could not be resolved back to names\n",
                     {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
                      "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"h\")"}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    script.byAddress[Ip("192.0.2.1")] = {Host("gone.test", {}, {})};
    cases.push_back({"outcome: forward lookup of the interface name fails",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        gone.test                                ???"
                         "\n                \r"
                         "WARNING: 1 Interface Names could not be resolved back to addresses\n",
                     {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
                      "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"gone.test\")",
                      "gethostbyname(\"h\")"}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    RoundTrip(script, "192.0.2.1", "h.test", "192.0.2.1");
    cases.push_back({"outcome: round trip",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        h.test                                   +"
                         "\n                \r",
                     {}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    RoundTrip(script, "192.0.2.1", "h.test", "198.51.100.7");
    cases.push_back({"outcome: mismatch",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        h.test                                   - 198.51.100.7 "
                         "    \n                \r"
                         "WARNING: 1 Interface Names did not resolve back to the correct address\n",
                     {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
                      "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"h.test\")",
                      "inet_ntoa(198.51.100.7)", "gethostbyname(\"h\")"}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    script.byAddress[Ip("192.0.2.1")] = {Host("h.test", {}, {})};
    script.byName["h.test"] = {Host("h.test", {}, {Ip("192.0.2.9"), Ip("192.0.2.1")})};
    cases.push_back({"outcome: only the first address counts, the one under test second",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        h.test                                   - 192.0.2.9    "
                         "    \n                \r"
                         "WARNING: 1 Interface Names did not resolve back to the correct address\n",
                     {}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    script.byAddress[Ip("192.0.2.1")] = {Host("empty.test", {}, {})};
    script.byName["empty.test"] = {Host("empty.test", {"e"}, {})};
    cases.push_back({"an interface name whose entry has no address does not lead back",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        empty.test                               ???"
                         "\n                \r"
                         "WARNING: 1 Interface Names could not be resolved back to addresses\n",
                     {}});
  }
  {
    Script script = Single({});
    cases.push_back({"empty address list",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) + "\r",
                     {"gethostname(256)", "gethostbyname(\"h\")"}});
  }
  {
    Script script;
    script.byName["h"] = {Host("h.test", {"a1", "a2", "a3"}, {})};
    cases.push_back({"aliases: first at the margin, each later one after 20 blanks",
                     script,
                     "h",
                     true,
                     "ws01 looking up host info for h\n"
                     "Host Name:      h.test\n"
                     "Address Type:   2\n"
                     "Address Length: 4\n"
                     "Aliases:            \n"
                     "a1\n                    a2\n                    a3\n                    "
                     "\rAddresses:      \r",
                     {}});
  }
  {
    Script script;
    script.localName = "ws01.test";
    script.localHost = {Host("ws01.test", {}, {Ip("192.0.2.5")}), Answer()};
    RoundTrip(script, "192.0.2.5", "ws01.test", "192.0.2.5");
    cases.push_back({"no name: local header, every host lookup asks for no name, (null)",
                     script,
                     nullptr,
                     false,
                     "Looking up Local Host info for ws01.test\n"
                     "Host Name:      ws01.test\n"
                     "Address Type:   2\n"
                     "Address Length: 4\n"
                     "Aliases:            \n"
                     "\r"
                     "Addresses:      "
                     "192.0.2.5        ws01.test                                +"
                     "\n                "
                     "Failed to Re-Lookup host entry for (null)\n",
                     {"gethostname(256)", "gethostbyname(NULL)", "inet_ntoa(192.0.2.5)",
                      "gethostbyaddr(192.0.2.5, 4, 2)", "gethostbyname(\"ws01.test\")",
                      "gethostbyname(NULL)"}});
  }
  cases.push_back({"no name, local computer unknown",
                   Script(),
                   nullptr,
                   false,
                   "Looking up Local Host info for ws01\n"
                   "Failed to Lookup host entry for (null)\n",
                   {"gethostname(256)", "gethostbyname(NULL)"}});
  cases.push_back({"first lookup fails: header and failure line only",
                   Script(),
                   "nowhere.test",
                   false,
                   "ws01 looking up host info for nowhere.test\n"
                   "Failed to Lookup host entry for nowhere.test\n",
                   {"gethostname(256)", "gethostbyname(\"nowhere.test\")"}});
  cases.push_back({"an empty name is a name",
                   Script(),
                   "",
                   false,
                   "ws01 looking up host info for \n"
                   "Failed to Lookup host entry for \n",
                   {"gethostname(256)", "gethostbyname(\"\")"}});
  {
    Script script = Single({Ip("192.0.2.1"), Ip("192.0.2.2")});
    script.byName["h"].push_back(Answer());
    cases.push_back({"re-lookup fails mid-walk: no closing \\r, no warnings",
                     script,
                     "h",
                     false,
                     std::string(kHeadH) + "192.0.2.1        <Unknown>\n                "
                                           "Failed to Re-Lookup host entry for h\n",
                     {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
                      "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"h\")"}});
  }
  {
    // Each fresh list decides: .1 from the first, .1 again at index 1 of the second, nothing at
    // index 2 of the third, so .2 and .3 are never tested.
    Script script;
    script.byName["h"] = {Host("h", {}, {Ip("192.0.2.1"), Ip("192.0.2.2"), Ip("192.0.2.3")}),
                          Host("h", {}, {Ip("192.0.2.3"), Ip("192.0.2.1"), Ip("192.0.2.2")}),
                          Host("h", {}, {Ip("192.0.2.2"), Ip("192.0.2.3")})};
    RoundTrip(script, "192.0.2.1", "one.test", "192.0.2.1");
    cases.push_back(
        {"rotating answers: by index over each fresh list",
         script,
         "h",
         true,
         std::string(kHeadH) + "192.0.2.1        one.test                                 +"
                               "\n                "
                               "192.0.2.1        one.test                                 +"
                               "\n                \r",
         {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
          "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"one.test\")", "gethostbyname(\"h\")",
          "inet_ntoa(192.0.2.1)", "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"one.test\")",
          "gethostbyname(\"h\")"}});
  }
  {
    Script script;
    script.byName["h"] = {Host("h", {}, {Ip("192.0.2.1"), Ip("192.0.2.2"), Ip("192.0.2.3")}),
                          Host("h", {}, {Ip("192.0.2.1"), Ip("192.0.2.2"), Ip("192.0.2.3")}),
                          Host("h", {}, {Ip("192.0.2.1")})};
    cases.push_back({"rotating answers: a fresh list shorter than the index reached",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        <Unknown>\n                "
                         "192.0.2.2        <Unknown>\n                \r"
                         "WARNING: 2 Addresses could not be resolved back to names\n",
                     {}});
  }
  {
    Script script = Single({Ip("192.0.2.1"), Ip("192.0.2.2"), Ip("192.0.2.3")});
    RoundTrip(script, "192.0.2.1", "m.test", "192.0.2.77");
    script.byAddress[Ip("192.0.2.2")] = {Host("lost.test", {}, {})};
    cases.push_back({"all three warnings, in fixed order whatever order the failures came",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        m.test                                   - 192.0.2.77   "
                         "    \n                "
                         "192.0.2.2        lost.test                                ???"
                         "\n                "
                         "192.0.2.3        <Unknown>\n                \r"
                         "WARNING: 1 Addresses could not be resolved back to names\n"
                         "WARNING: 1 Interface Names could not be resolved back to addresses\n"
                         "WARNING: 1 Interface Names did not resolve back to the correct address\n",
                     {}});
  }
  {
    // The re-lookups answer with another type and length; the reverse lookups still get the
    // first entry's, and the printed ones are the first entry's.
    Script script;
    ScriptedHost later = Host("h", {}, {Ip("192.0.2.1"), Ip("192.0.2.2")});
    later.addrtype = 23;
    later.length = 16;
    script.byName["h"] = {Host("h", {}, {Ip("192.0.2.1"), Ip("192.0.2.2")}), later};
    ScriptedHost reverse = Host("r.test", {}, {});
    reverse.addrtype = 99;
    reverse.length = 8;
    script.byAddress[Ip("192.0.2.1")] = {reverse};
    script.byName["r.test"] = {Host("r.test", {}, {Ip("192.0.2.1")})};
    cases.push_back(
        {"saved length and type go to every reverse lookup",
         script,
         "h",
         true,
         std::string(kHeadH) + "192.0.2.1        r.test                                   +"
                               "\n                "
                               "192.0.2.2        <Unknown>\n                \r"
                               "WARNING: 1 Addresses could not be resolved back to names\n",
         {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
          "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"r.test\")", "gethostbyname(\"h\")",
          "inet_ntoa(192.0.2.2)", "gethostbyaddr(192.0.2.2, 4, 2)", "gethostbyname(\"h\")"}});
  }
  {
    const std::string longName(300, 'n');
    const std::string kept(255, 'n');
    Script script = Single({Ip("192.0.2.1")});
    script.byAddress[Ip("192.0.2.1")] = {Host(longName, {}, {})};
    script.byName[kept] = {Host(kept, {}, {Ip("192.0.2.1")})};
    cases.push_back({"a 300-byte reverse name is cut to 255 bytes",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) + "192.0.2.1        " + kept + " +\n                \r",
                     {"gethostname(256)", "gethostbyname(\"h\")", "inet_ntoa(192.0.2.1)",
                      "gethostbyaddr(192.0.2.1, 4, 2)", "gethostbyname(\"" + kept + "\")",
                      "gethostbyname(\"h\")"}});
  }
  {
    Script script = Single({Ip("192.0.2.1")});
    RoundTrip(script, "192.0.2.1", "a-name-of-forty-one-characters-for-a-test", "192.0.2.1");
    cases.push_back({"a name longer than 40 columns pushes the verdict right",
                     script,
                     "h",
                     true,
                     std::string(kHeadH) +
                         "192.0.2.1        a-name-of-forty-one-characters-for-a-test +"
                         "\n                \r",
                     {}});
  }
  {
    // ESC, CR, LF, BEL and DEL from an answer are shown, never sent; bytes from 0x80 pass.
    Script script;
    script.localName = "ws\x1b[2J";
    script.byName["h\r\x07"] = {
        Host("h\x1b]0;x\x07", {"evil\rWARNING: forged\n", "caf\xc3\xa9"}, {Ip("192.0.2.1")})};
    script.byAddress[Ip("192.0.2.1")] = {Host("if\n\x7f", {}, {})};
    script.byName["if\n\x7f"] = {Host("if", {}, {Ip("192.0.2.1")})};
    cases.push_back({"control bytes in names are escaped and counted as columns",
                     script,
                     "h\r\x07",
                     true,
                     "ws\\x1b[2J looking up host info for h\\x0d\\x07\n"
                     "Host Name:      h\\x1b]0;x\\x07\n"
                     "Address Type:   2\n"
                     "Address Length: 4\n"
                     "Aliases:            \n"
                     "evil\\x0dWARNING: forged\\x0a\n                    "
                     "caf\xc3\xa9\n                    \r"
                     "Addresses:      "
                     "192.0.2.1        if\\x0a\\x7f                               +"
                     "\n                \r",
                     {}});
  }
  {
    Script script;
    script.hostnameResult = -1;
    cases.push_back({"gethostname fails: the local name is empty",
                     script,
                     "h",
                     false,
                     " looking up host info for h\nFailed to Lookup host entry for h\n",
                     {}});
  }
  {
    Script script;
    script.localName = std::string(300, 'w');
    cases.push_back(
        {"a local name that fills the buffer is cut to 255 bytes",
         script,
         "h",
         false,
         std::string(255, 'w') + " looking up host info for h\nFailed to Lookup host entry for h\n",
         {}});
  }
  return cases;
}

TEST(Report, PrintsExactBytesAndMakesExactCalls) {
  for (const ReportCase& c : ReportCases()) {
    SCOPED_TRACE(c.what);
    const ToolRun run = RunReport(c.script, c.hostName);
    EXPECT_EQ(Visible(c.output), Visible(run.output));
    EXPECT_EQ(c.result, run.result);
    if (!c.log.empty()) {
      EXPECT_EQ(c.log, run.log);
    }
  }
}

}  // namespace
