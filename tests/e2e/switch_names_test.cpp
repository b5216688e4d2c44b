// Switches named by their system names: the names the tool keeps answer at
// once, a name nothing carries fails soon with the names there are.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using SwitchNames = E2eTest;

std::size_t Discoveries(const std::vector<LoggedRequest>& requests) {
  return static_cast<std::size_t>(
      std::count_if(requests.begin(), requests.end(),
                    [](const LoggedRequest& r) { return r.request == "discovery"; }));
}

TEST_F(SwitchNames, KnownNamesAnswerAtOnceAndUnknownOnesListTheNames) {
  StartSim("switch lab model=NTR7100-8G serial=E2ENAME0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  // list prints the name discover prints, the default one included.
  const RunResult listed = bed_->Ntrctl({"list"}, 20s, false);
  EXPECT_TRUE(Contains(listed.out, "name=NTR7100-8G_E2ENAME0001\n")) << listed.Describe();
  ASSERT_EXIT_STATUS(Ntrctl({"set", "NTR7100-8G_E2ENAME0001", "system-name", "lab-old"}), 0);

  // An import renames it: the new name is the switch's, which still carries
  // the old one (the question is about it, not about another switch).
  const auto file = bed_->work() / "renamed.txt";
  WriteFile(file, BlockFile(SimMac(1), "E2ENAME0001", "NTR7100-8G",
                            {"switch control function set system-name lab-renamed"}));
  ASSERT_EXIT_STATUS(Ntrctl({"import", file.string()}), 0);
  const RunResult asked = Ntrctl({"show", "lab-renamed"});
  EXPECT_EXIT_STATUS(asked, 3);
  EXPECT_TRUE(Contains(asked.err, "ntrctl: answer with --changed")) << asked.Describe();
  const RunResult shown = Ntrctl({"--changed", "tool", "show", "lab-renamed"});
  EXPECT_EXIT_STATUS(shown, 0);
  EXPECT_TRUE(Contains(shown.out, "name: lab-renamed\n")) << shown.Describe();

  // A name nothing carries: one discovery cycle, not the whole time-out.
  const std::size_t logged = Requests().size();
  const RunResult typo = Ntrctl({"show", "lab-renamd"});
  EXPECT_EXIT_STATUS(typo, 5);
  EXPECT_TRUE(Contains(
      typo.err, "switch lab-renamd not found; known names:\n  lab-renamed (" + SimMac(1) + ")"))
      << typo.Describe();
  EXPECT_LE(Discoveries(RequestsSince(logged)), 4u) << typo.Describe();
}

}  // namespace
}  // namespace ntr::e2e
