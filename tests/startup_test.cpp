// The entry logic against scripted sockets: banner, start-up at 1.1, arguments, exit status.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "quendral.h"
#include "scripted_sockets.h"

namespace {

const char kBanner[] = "\n Quendral utility - Zemblor Systems Inc.\n\n";
const char kFailed[] = "Failed to Initialize Winsock\n";

struct StartupCase {
  const char* what;
  int startupResult;
  WORD offeredVersion;
  int status;
  std::vector<std::string> log;
};

TEST(Startup, RefusesAnythingButAStartedVersionOneOne) {
  const std::vector<std::string> refusedAndCleaned = {"WSAStartup(0x0101)", "WSACleanup()"};
  const StartupCase cases[] = {
      {"start-up fails: no cleanup", 10091, 0x0101, -1, {"WSAStartup(0x0101)"}},
      {"start-up fails whatever version it wrote", 10092, 0x0202, -1, {"WSAStartup(0x0101)"}},
      {"2.2 offered", 0, 0x0202, -1, refusedAndCleaned},
      {"1.0 offered", 0, 0x0001, -1, refusedAndCleaned},
      {"1.2 offered (minor in the high byte)", 0, 0x0201, -1, refusedAndCleaned},
      {"2.1 offered", 0, 0x0102, -1, refusedAndCleaned},
      {"0.0 offered", 0, 0x0000, -1, refusedAndCleaned},
  };
  for (const StartupCase& c : cases) {
    SCOPED_TRACE(c.what);
    Script script;
    script.startupResult = c.startupResult;
    script.offeredVersion = c.offeredVersion;
    const ToolRun run = RunTool(script, {"alpha"});
    EXPECT_EQ(c.status, run.status);
    EXPECT_EQ(Visible(std::string(kBanner) + kFailed), Visible(run.output));
    EXPECT_EQ(c.log, run.log);
  }
}

struct ArgumentCase {
  const char* what;
  std::vector<const char*> arguments;
  std::string output;  // after the banner
  std::vector<std::string> log;
};

TEST(Startup, LooksUpTheFirstArgumentOnlyAndReturnsZero) {
  const ArgumentCase cases[] = {
      {"no argument: the local computer",
       {},
       "Looking up Local Host info for ws01\nFailed to Lookup host entry for (null)\n",
       {"WSAStartup(0x0101)", "gethostname(256)", "gethostbyname(NULL)"}},
      {"three arguments: only the first",
       {"one.test", "two.test", "three.test"},
       "ws01 looking up host info for one.test\nFailed to Lookup host entry for one.test\n",
       {"WSAStartup(0x0101)", "gethostname(256)", "gethostbyname(\"one.test\")"}},
      {"a dash starts a host name, not an option",
       {"-h"},
       "ws01 looking up host info for -h\nFailed to Lookup host entry for -h\n",
       {"WSAStartup(0x0101)", "gethostname(256)", "gethostbyname(\"-h\")"}},
      {"printf conversions are text",
       {"%s%n%x%s"},
       "ws01 looking up host info for %s%n%x%s\nFailed to Lookup host entry for %s%n%x%s\n",
       {"WSAStartup(0x0101)", "gethostname(256)", "gethostbyname(\"%s%n%x%s\")"}},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun run = RunTool(Script(), c.arguments);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(Visible(kBanner + c.output), Visible(run.output));
    EXPECT_EQ(c.log, run.log);
  }
}

TEST(Startup, StatusIsZeroWhateverTheReportFound) {
  Script script;
  script.byName["h"] = {ScriptedHost{"h", {}, {Ip("192.0.2.1")}, 2, 4}};
  const ToolRun run = RunTool(script, {"h"});
  EXPECT_EQ(0, run.status);
  EXPECT_NE(std::string::npos, run.output.find("WARNING: 1 Addresses could not be resolved"));
}

TEST(Startup, AnEmptyArgumentVectorMeansNoName) {
  UseScript(Script());
  char* argv[] = {nullptr, nullptr};
  FILE* out = tmpfile();
  ASSERT_NE(nullptr, out);
  EXPECT_EQ(0, RunQuendral(0, argv, ScriptedApi(), out));
  fclose(out);
  EXPECT_EQ(
      (std::vector<std::string>{"WSAStartup(0x0101)", "gethostname(256)", "gethostbyname(NULL)"}),
      CallLog());
}

#if !defined(_WIN32)
TEST(Startup, OutputThatCannotBeWrittenIsNoSuccess) {
  UseScript(Script());
  char name[] = "quendral";
  char host[] = "h";
  char* argv[] = {name, host, nullptr};
  FILE* full = fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
  EXPECT_EQ(1, RunQuendral(2, argv, ScriptedApi(), full));
  fclose(full);

  // A failed start-up keeps its own status even when the message is lost.
  Script refused;
  refused.startupResult = 10091;
  UseScript(refused);
  full = fopen("/dev/full", "w");
  ASSERT_NE(nullptr, full);
  EXPECT_EQ(-1, RunQuendral(2, argv, ScriptedApi(), full));
  fclose(full);
}
#endif

}  // namespace
