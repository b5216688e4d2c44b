// Planning before applying: diff against a file and apply --dry-run print
// what the switch would receive, and send nothing.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using PlanBeforeApply = E2eTest;

std::size_t Sets(const std::vector<LoggedRequest>& requests) {
  return static_cast<std::size_t>(std::count_if(
      requests.begin(), requests.end(),
      [](const auto& r) { return r.request.starts_with("function set") || r.request == "sync"; }));
}

TEST_F(PlanBeforeApply, DiffAgainstAFileAndDryRunSendNothing) {
  StartSim("switch lab model=NTR7100-8G serial=E2EPLAN0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto file = (bed_->work() / "plan.txt").string();
  WriteFile(file, BlockFile(SimMac(1), "E2EPLAN0001", "NTR7100-8G",
                            {"switch control function set port-speed 3 100-fdx",
                             "switch control function set port-use 5 off"}));
  const std::string config = ReadFile(bed_->configPath());
  const std::size_t logged = Requests().size();

  // The file's lines (-) against the switch's (+): what apply would send.
  const std::string plan = "--- " + file + "\n+++ switch " + SimMac(1) +
                           "\n-switch control function set port-speed 3 100-fdx\n"
                           "-switch control function set port-use 5 off\n";
  const RunResult diff = Ntrctl({"diff", SimMac(1), "--file", file});
  EXPECT_EXIT_STATUS(diff, 1);
  EXPECT_EQ(diff.out, plan) << diff.Describe();
  const RunResult dry = Ntrctl({"apply", "--dry-run", SimMac(1), file});
  EXPECT_EXIT_STATUS(dry, 0);
  EXPECT_EQ(dry.out, plan) << dry.Describe();
  EXPECT_EQ(Sets(RequestsSince(logged)), 0u);
  EXPECT_EQ(ReadFile(bed_->configPath()), config);

  // Applied, the switch holds the file: nothing left to plan.
  ASSERT_EXIT_STATUS(Ntrctl({"apply", SimMac(1), file}), 0);
  EXPECT_EXIT_STATUS(Ntrctl({"diff", SimMac(1), "--file", file}), 0);
  const RunResult nothing = Ntrctl({"apply", "--dry-run", SimMac(1), file});
  EXPECT_EXIT_STATUS(nothing, 0);
  EXPECT_EQ(nothing.out, "");

  // A file that cannot be read or has rejected lines: diff's trouble status,
  // apply's failure with the lines; the options belong to their commands.
  EXPECT_EXIT_STATUS(Ntrctl({"diff", SimMac(1), "--file", file + ".missing"}), 2);
  WriteFile(file, BlockFile(SimMac(1), "E2EPLAN0001", "NTR7100-8G",
                            {"switch control function set port-speed 3 fast"}));
  const RunResult rejected = Ntrctl({"apply", "--dry-run", SimMac(1), file});
  EXPECT_EXIT_STATUS(rejected, 1);
  EXPECT_TRUE(Contains(rejected.err, "port-speed 3 fast (")) << rejected.Describe();
  EXPECT_EXIT_STATUS(Ntrctl({"diff", "--dry-run", SimMac(1)}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"apply", SimMac(1), file, "--file", file}), 2);
}

}  // namespace
}  // namespace ntr::e2e
