// What a newcomer to ntrctl types and what it should answer: indexes out of
// range named, keywords without the wire's trailing blank, files named in
// their errors.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using PlainAnswers = E2eTest;

TEST_F(PlainAnswers, IndexesKeywordsAndFilesAreNamed) {
  StartSim("switch lab model=NTR7100-8G serial=E2EPLAIN001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  // The index out of range is what is wrong, not the value.
  const RunResult setPort = Ntrctl({"set", SimMac(1), "port-speed", "9", "auto"});
  EXPECT_EXIT_STATUS(setPort, 1);
  EXPECT_TRUE(Contains(setPort.err, "port 9 is out of range (1..8)")) << setPort.Describe();
  const RunResult getTrunk = Ntrctl({"get", SimMac(1), "vlan-trunk", "2", "300"});
  EXPECT_EXIT_STATUS(getTrunk, 1);
  EXPECT_TRUE(Contains(getTrunk.err, "registration 300 is out of range (1..256)"))
      << getTrunk.Describe();
  const auto file = bed_->work() / "apply.txt";
  WriteFile(file, BlockFile(SimMac(1), "E2EPLAIN001", "NTR7100-8G",
                            {"switch control function set port-speed 99 auto"}));
  const RunResult applied = Ntrctl({"apply", SimMac(1), file.string()});
  EXPECT_EXIT_STATUS(applied, 1);
  EXPECT_TRUE(Contains(applied.err,
                       "port-speed 99 auto (パラメータが不正です: port 99 is out of range (1..8))"))
      << applied.Describe();

  // A keyword the wire spells with a trailing blank, typed without it.
  const RunResult keyword = bed_->Ntrctl({"keywords", "status-fan-rpm"}, 20s, false);
  EXPECT_EXIT_STATUS(keyword, 0);
  EXPECT_TRUE(keyword.out.starts_with("status-fan-rpm  status")) << keyword.out;

  // A file that cannot be opened is named with the reason, as export names it.
  const std::string missing = (bed_->work() / "missing.txt").string();
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"apply", SimMac(1), missing},
        std::vector<std::string>{"firmware", SimMac(1), missing}}) {
    const RunResult failed = Ntrctl(command);
    EXPECT_EXIT_STATUS(failed, 1);
    EXPECT_TRUE(Contains(failed.err, missing) && Contains(failed.err, "No such file or directory"))
        << failed.Describe();
  }
}

}  // namespace
}  // namespace ntr::e2e
