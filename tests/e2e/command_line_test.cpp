// ntrctl's command line as network engineers type it: options anywhere,
// MAC forms and shared names, usage errors, export to standard output and
// never over a link, and what an unprivileged user or one without a home
// folder is told.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using CommandLine = E2eTest;

constexpr uid_t kNobody = 65534;

// ntrctl in the tool's namespace as the user nobody, with `environment` only.
RunResult NtrctlAsNobody(const Testbed& bed, const std::vector<std::string>& environment) {
  Child child;
  std::string error;
  if (!child.Start(
          {"ip", "netns", "exec", bed.toolNamespace(), "setpriv", "--reuid=65534", "--regid=65534",
           "--clear-groups", NTRCTL_PATH, "discover", "--adapter=" + bed.toolInterface()},
          environment, error)) {
    RunResult failed;
    failed.err = error;
    return failed;
  }
  return child.Wait(60s);
}

TEST_F(CommandLine, AsNetworkEngineersTypeIt) {
  StartSim(
      "switch a model=NTR7100-8G serial=E2ECLI00001\n"
      "switch b model=NTR7100-8G serial=E2ECLI00002 uplink=a:3\n");
  // Options after the command and in the --name=value form.
  ASSERT_EXIT_STATUS(Ntrctl({"discover", "--new=factory", "--timeout", "30"}), 0);
  // Both switches get one name, the second named by its bare hex digits.
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "system-name", "lab"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", "025c71000002", "system-name", "lab"}), 0);
  const RunResult shared = Ntrctl({"show", "lab"});
  EXPECT_EXIT_STATUS(shared, 1);
  EXPECT_TRUE(Contains(shared.err, "several switches are named lab") &&
              Contains(shared.err, SimMac(1)) && Contains(shared.err, SimMac(2)))
      << shared.Describe();

  // Usage errors: one line and the hint, before anything waits for a switch.
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {"show", "02:5C:71:00:00"},               // a malformed MAC, not a name
           {"--json", "apply", SimMac(1), "x.txt"},  // no JSON form
           {"export", "--json", "x.txt"},
           {"discover", "--json=yes"}}) {
    const RunResult usage = Ntrctl(wrong, 20s);
    EXPECT_EXIT_STATUS(usage, 2);
    EXPECT_EQ(SplitLines(usage.err).size(), 2u) << usage.Describe();
    EXPECT_TRUE(Contains(usage.err, "Try 'ntrctl --help'.")) << usage.Describe();
    EXPECT_TRUE(usage.out.empty()) << usage.Describe();
  }
  const RunResult version = bed_->Ntrctl({"--version"}, 20s, false);
  EXPECT_EXIT_STATUS(version, 0);
  EXPECT_TRUE(version.out.starts_with("ntrctl ") && version.out.size() > 8) << version.out;

  // On a terminal a read shows a progress bar that ends full.
  Child terminal;
  std::string error;
  ASSERT_TRUE(terminal.Start(
      {"ip", "netns", "exec", bed_->toolNamespace(), "script", "--quiet", "--return", "--command",
       std::string(NTRCTL_PATH) + " --adapter " + bed_->toolInterface() + " read " + SimMac(1),
       "/dev/null"},
      {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=" + bed_->work().string(),
       "XDG_DATA_HOME=" + (bed_->work() / "data").string(),
       "XDG_RUNTIME_DIR=" + (bed_->work() / "run").string()},
      error))
      << error;
  const RunResult read = terminal.Wait(120s);
  EXPECT_EXIT_STATUS(read, 0);
  const auto barEnd = read.out.find("%\r\n");  // the bar's line ends after its last figure
  ASSERT_NE(barEnd, std::string::npos) << read.Describe();
  EXPECT_EQ(read.out.substr(barEnd - 4, 4), " 100") << read.Describe();

  // Export: "-" is standard output; a link or a pipe is never replaced.
  const RunResult toStdout = Ntrctl({"export", "-"});
  ASSERT_EXIT_STATUS(toStdout, 0);
  EXPECT_EQ(toStdout.out, ReadFile(bed_->configPath()));
  const auto target = bed_->work() / "target.txt";
  const auto link = bed_->work() / "link.txt";
  const auto fifo = bed_->work() / "fifo";
  WriteFile(target, "kept");
  std::filesystem::create_symlink(target, link);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& path : {link, fifo}) {
    const RunResult refused = Ntrctl({"export", path.string()});
    EXPECT_EXIT_STATUS(refused, 1);
    EXPECT_TRUE(Contains(refused.err, "regular file")) << refused.Describe();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(ReadFile(target), "kept");

  // A user without a home folder; then one with a data folder but without
  // the capture privileges.
  const RunResult homeless = NtrctlAsNobody(*bed_, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
  EXPECT_EXIT_STATUS(homeless, 1);
  EXPECT_TRUE(Contains(homeless.err, "cannot create the data folder")) << homeless.Describe();
  EXPECT_FALSE(Contains(homeless.err, "another copy")) << homeless.Describe();
  const auto home = bed_->work() / "nobody";
  std::filesystem::create_directories(home);
  ASSERT_EQ(::chmod(bed_->work().c_str(), 0755), 0);
  ASSERT_EQ(::chown(home.c_str(), kNobody, kNobody), 0);
  const RunResult unprivileged =
      NtrctlAsNobody(*bed_, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=" + home.string()});
  EXPECT_EXIT_STATUS(unprivileged, 1);
  EXPECT_TRUE(Contains(unprivileged.err, "CAP_NET_RAW") &&
              Contains(unprivileged.err, "sudo setcap cap_net_raw,cap_net_admin+ep"))
      << unprivileged.Describe();
}

}  // namespace
}  // namespace ntr::e2e
