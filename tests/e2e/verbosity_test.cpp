// -q leaves only the errors; -v shows each function request and its answer,
// one line each, in the configuration file's grammar.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Verbosity = E2eTest;

TEST_F(Verbosity, QuietLeavesErrorsVerboseShowsRequestsAndAnswers) {
  StartSim("switch lab model=NTR7100-8G serial=E2EVERB0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  const RunResult quiet = Ntrctl({"-q", "clear-counters", SimMac(1)});
  EXPECT_EXIT_STATUS(quiet, 0);
  EXPECT_EQ(quiet.out + quiet.err, "") << quiet.Describe();
  const RunResult quietGet = Ntrctl({"get", "-q", SimMac(1), "port-speed", "3"});
  EXPECT_EQ(quietGet.out, "auto\n") << quietGet.Describe();  // what was asked for
  const RunResult quietError = Ntrctl({"-q", "set", SimMac(1), "port-speed", "3", "fast"});
  EXPECT_EXIT_STATUS(quietError, 1);
  EXPECT_TRUE(Contains(quietError.err, "port-speed: auto|")) << quietError.Describe();

  const std::string mac = SimMac(1);
  const RunResult set = Ntrctl({"-v", "set", SimMac(1), "port-speed", "3", "100-fdx"});
  ASSERT_EXIT_STATUS(set, 0);
  const auto lines = SplitLines(set.err);
  const auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("> " + mac + " switch control function set port-speed 3 100-fdx")) << set.err;
  EXPECT_TRUE(has("< " + mac + " switch control function set port-speed 3 100-fdx")) << set.err;
  EXPECT_TRUE(has("< " + mac + " switch control function get system-macaddress " + mac)) << set.err;
  const RunResult get = Ntrctl({"--verbose", "get", SimMac(1), "port-speed", "3"});
  EXPECT_EQ(get.out, "100-fdx\n");
  EXPECT_TRUE(Contains(get.err, "< " + mac + " switch control function get port-speed 3 100-fdx\n"))
      << get.err;
  EXPECT_EXIT_STATUS(Ntrctl({"-q", "-v", "show", SimMac(1)}), 2);
}

}  // namespace
}  // namespace ntr::e2e
