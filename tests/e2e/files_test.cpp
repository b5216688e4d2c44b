// The tool's files on a shared machine and a hostile segment: texts from a
// switch never reach the terminal raw, a full disk leaves the read-only
// commands working, and root never takes over another user's home folder.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Files = E2eTest;

// Control characters other than the line ends of the output itself.
bool HasControlCharacters(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n') || byte == 0x7F) return true;
  }
  return false;
}

// A small tmpfs mounted on `folder` for the life of the object.
class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  // Fills what is left of the disk.
  void Fill() const {
    const std::string chunk(4096, 'x');
    std::ofstream filler(folder_ / "filler", std::ios::binary);
    while (filler.write(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};

TEST_F(Files, ASwitchCannotWriteOnTheOperatorsTerminal) {
  StartSim("switch a model=NTR7100-8G serial=EV\x1b[2J\x1b]0;owned\x07IL firmware=1.0\x1b[31m\n");
  const RunResult discovered = Ntrctl({"--new", "factory", "discover"});
  ASSERT_EXIT_STATUS(discovered, 0);
  EXPECT_FALSE(HasControlCharacters(discovered.out)) << discovered.Describe();
  EXPECT_TRUE(Contains(discovered.out, "serial=EV")) << discovered.Describe();
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"show", SimMac(1)}, {"list"}, {"get", SimMac(1), "system-name"}}) {
    const RunResult shown = Ntrctl(command);
    EXPECT_EXIT_STATUS(shown, 0);
    EXPECT_FALSE(HasControlCharacters(shown.out + shown.err)) << shown.Describe();
  }
  // The next run finds the switch as the file keeps it: no question.
  EXPECT_EXIT_STATUS(Ntrctl({"discover"}), 0);
}

TEST_F(Files, AFullDiskLeavesReadingAndNamesThePathWhenWriting) {
  StartSim("switch a model=NTR7100-8G serial=E2EDISK0001\n");
  const SmallDisk disk(bed_->work() / "data");
  ASSERT_TRUE(disk.mounted());
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::string config = ReadFile(bed_->configPath());
  const auto file = bed_->work() / "apply.txt";
  WriteFile(file, BlockFile(SimMac(1), "E2EDISK0001", "NTR7100-8G",
                            {"switch control function set port-use 2 off"}));
  disk.Fill();

  EXPECT_EXIT_STATUS(Ntrctl({"get", SimMac(1), "port-use", "2"}), 0);
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
  const RunResult applied = Ntrctl({"apply", SimMac(1), file.string()});
  EXPECT_EXIT_STATUS(applied, 1);
  EXPECT_TRUE(Contains(applied.err, bed_->configPath().string()) &&
              Contains(applied.err, "No space left on device"))
      << applied.Describe();
  EXPECT_EQ(ReadFile(bed_->configPath()), config);
}

TEST_F(Files, RootDoesNotTakeOverAnotherUsersHome) {
  StartSim("switch a model=NTR7100-8G\n");
  // sudo -E: root with the HOME of a user, no XDG_DATA_HOME.
  const auto home = bed_->work() / "alice";
  std::filesystem::create_directories(home);
  ASSERT_EQ(::chmod(bed_->work().c_str(), 0755), 0);
  ASSERT_EQ(::chown(home.c_str(), 1000, 1000), 0);
  Child child;
  std::string error;
  ASSERT_TRUE(child.Start({"ip", "netns", "exec", bed_->toolNamespace(), NTRCTL_PATH, "--adapter",
                           bed_->toolInterface(), "--new", "factory", "discover"},
                          {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=" + home.string(),
                           "XDG_RUNTIME_DIR=" + (bed_->work() / "run").string()},
                          error))
      << error;
  const RunResult refused = child.Wait(60s);
  EXPECT_EXIT_STATUS(refused, 1);
  EXPECT_TRUE(Contains(refused.err, home.string()) && Contains(refused.err, "root"))
      << refused.Describe();
  EXPECT_FALSE(std::filesystem::exists(home / ".local")) << refused.Describe();
}

}  // namespace
}  // namespace ntr::e2e
