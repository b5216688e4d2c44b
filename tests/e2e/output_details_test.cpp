// ntrctl's output in the details a script relies on: adapters' MACs and
// addresses, diff's headers, status words, actions' messages and errors as
// JSON objects.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using OutputDetails = E2eTest;

// The error object of a failed --json run: {"error":{"code":STATUS,"message":TEXT}}.
void ExpectJsonError(const RunResult& result, int status) {
  EXPECT_EXIT_STATUS(result, status);
  std::string why;
  const auto json = ParseJson(result.out, why);
  ASSERT_TRUE(json.has_value()) << why << result.Describe();
  EXPECT_EQ((*json)["error"]["code"].number(), status) << result.out;
  EXPECT_FALSE((*json)["error"]["message"].str().empty()) << result.out;
}

TEST_F(OutputDetails, AdaptersDiffStatusWordsActionsAndJsonErrors) {
  StartSim("switch lab model=NTR7100-8G serial=E2EOUT00001 restart-ms=300\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  // The adapter's MAC as switches are written, no address as null.
  const RunResult adapters = bed_->Ntrctl({"--json", "adapters"}, 60s, false);
  ASSERT_EXIT_STATUS(adapters, 0);
  const Json listed = ParseOutput(adapters)["adapters"].array().at(0);
  EXPECT_EQ(listed["mac"].str().size(), 17u) << adapters.out;
  EXPECT_EQ(listed["mac"].str().find('-'), std::string::npos) << adapters.out;
  EXPECT_TRUE(listed["address"].isNull()) << adapters.out;
  const RunResult plain = bed_->Ntrctl({"adapters"}, 60s, false);
  EXPECT_TRUE(Contains(plain.out, listed["mac"].str()) && !Contains(plain.out, "---."))
      << plain.out;

  // Nothing differs: no output at all; a difference has its headers.
  const RunResult same = Ntrctl({"diff", SimMac(1)});
  EXPECT_EXIT_STATUS(same, 0);
  EXPECT_EQ(same.out, "");
  Ctl("drift lab port-use 2 0");
  const RunResult differs = Ntrctl({"diff", SimMac(1)});
  EXPECT_EXIT_STATUS(differs, 1);
  EXPECT_TRUE(differs.out.starts_with("--- tool ")) << differs.out;
  Ctl("drift lab port-use 2 1");

  // A port's link in show's words; --raw for the code.
  const Json shown = ShowJson(SimMac(1));
  const Json& port1 = shown["ports"].array().at(0);
  const RunResult words = Ntrctl({"get", SimMac(1), "status-port-speed", "1"});
  EXPECT_EXIT_STATUS(words, 0);
  EXPECT_EQ(words.out, port1["link"].str() + "\n");
  const RunResult raw = Ntrctl({"get", "--raw", SimMac(1), "status-port-speed", "1"});
  EXPECT_EQ(raw.out, std::to_string(static_cast<int>(port1["linkSpeed"].number())) + "\n")
      << raw.Describe();

  // Every action answers in one style: what it did, in a sentence.
  for (const char* action : {"clear-counters", "restart"}) {
    const RunResult done = Ntrctl({"--json", action, SimMac(1)});
    ASSERT_EXIT_STATUS(done, 0);
    const Json answer = ParseOutput(done);
    EXPECT_TRUE(std::get<bool>(answer["ok"].value)) << done.out;
    EXPECT_EQ(answer["action"].str(), action);
    EXPECT_EQ(answer["mac"].str(), SimMac(1));
    EXPECT_FALSE(answer["message"].str().empty()) << done.out;
  }

  // Errors under --json: an object on standard output, the same statuses.
  ExpectJsonError(Ntrctl({"--json", "get", SimMac(1), "frobnicate"}), 2);
  ExpectJsonError(Ntrctl({"--json", "--bogus", "discover"}), 2);
  ExpectJsonError(Ntrctl({"--json", "set", SimMac(1), "port-speed", "9", "auto"}), 1);
  ExpectJsonError(Ntrctl({"--json", "--timeout", "2", "show", "02:5C:71:00:00:7E"}), 5);
}

}  // namespace
}  // namespace ntr::e2e
