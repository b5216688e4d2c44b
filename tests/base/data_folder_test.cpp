// The data folder on a shared machine: never a shared fallback, created
// private, refused when another user owns it or can write to it, and files
// in it never opened through a link or owned by someone else.
#include "base/data_folder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error_log.h"
#include "base/own_file.h"

namespace ntr {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 1000;
constexpr uid_t kNoEntryUser = 54321;  // a uid the password database does not know

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ntr-datafolder-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_EQ(::chmod(root_.c_str(), 0755), 0);
    for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    }
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    oldMask_ = ::umask(022);
  }
  void TearDown() override {
    ::umask(oldMask_);
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    fs::remove_all(root_);
  }

  fs::path root_;
  std::vector<std::pair<std::string, std::string>> saved_;
  mode_t oldMask_ = 022;
};

TEST_F(DataFolderTest, WithoutAnyHomeFolderTheToolStopsInsteadOfUsingTmp) {
  ASSERT_EQ(getpwuid(kNoEntryUser), nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    if (setgid(kNoEntryUser) != 0 || setuid(kNoEntryUser) != 0) _exit(10);
    std::string why;
    if (MakeDataFolder(&why)) _exit(11);
    if (why.find("set HOME or XDG_DATA_HOME") == std::string::npos) _exit(12);
    if (!DataFolder().empty() || AppendErrorLog("s", "c", "r")) _exit(13);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  struct stat info {};
  const bool planted = ::stat("/tmp/.local", &info) == 0 && info.st_uid == kNoEntryUser;
  EXPECT_FALSE(planted);
  if (planted) fs::remove_all("/tmp/.local");
}

TEST_F(DataFolderTest, MadePrivateAndRefusedWhenOthersOwnOrCanWriteIt) {
  std::string why;
  ASSERT_TRUE(MakeDataFolder(&why)) << why;
  for (const fs::path& made : {root_ / "data", root_ / "data" / "Kaldor", DataFolder()}) {
    EXPECT_EQ(ModeOf(made), 0700u) << made;
  }
  const fs::path folder = DataFolder();
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  EXPECT_FALSE(MakeDataFolder(&why));
  EXPECT_NE(why.find("other users"), std::string::npos) << why;
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  ASSERT_EQ(::chown(folder.c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_FALSE(MakeDataFolder(&why));
  EXPECT_NE(why.find("another user"), std::string::npos) << why;
  EXPECT_FALSE(AppendErrorLog("s", "c", "r"));
  EXPECT_FALSE(fs::exists(ErrorLogPath()));

  // A folder on the way that another user owns could be swapped under the
  // tool; a shared one with the sticky bit (as /tmp) cannot.
  setenv("XDG_DATA_HOME", (root_ / "theirs" / "data").c_str(), 1);
  fs::create_directories(root_ / "theirs");
  ASSERT_EQ(::chown((root_ / "theirs").c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_FALSE(MakeDataFolder(&why));
  EXPECT_FALSE(fs::exists(root_ / "theirs" / "data"));
  setenv("XDG_DATA_HOME", (root_ / "shared" / "data").c_str(), 1);
  fs::create_directories(root_ / "shared");
  ASSERT_EQ(::chmod((root_ / "shared").c_str(), 01777), 0);
  EXPECT_TRUE(MakeDataFolder(&why)) << why;
}

// sudo -E: root with the HOME of another user makes nothing there.
TEST_F(DataFolderTest, RootRefusesAnotherUsersHome) {
  ASSERT_EQ(geteuid(), 0u);
  const fs::path home = root_ / "alice";
  fs::create_directories(home);
  ASSERT_EQ(::chown(home.c_str(), kOtherUser, kOtherUser), 0);
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", home.c_str(), 1);
  std::string why;
  EXPECT_FALSE(MakeDataFolder(&why));
  EXPECT_NE(why.find("root"), std::string::npos) << why;
  EXPECT_NE(why.find(home.string()), std::string::npos) << why;
  EXPECT_FALSE(fs::exists(home / ".local"));
}

TEST_F(DataFolderTest, FilesAreNeverOpenedThroughALinkOrOwnedBySomeoneElse) {
  ASSERT_TRUE(MakeDataFolder());
  const fs::path victim = root_ / "victim.txt";
  std::ofstream(victim) << "kept";
  fs::create_symlink(victim, ErrorLogPath());
  EXPECT_FALSE(AppendErrorLog("s", "c", "r"));
  EXPECT_EQ(Read(victim), "kept");
  fs::remove(ErrorLogPath());

  std::ofstream(ErrorLogPath()) << "theirs";
  ASSERT_EQ(::chown(ErrorLogPath().c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_FALSE(AppendErrorLog("s", "c", "r"));
  EXPECT_EQ(Read(ErrorLogPath()), "theirs");
  fs::remove(ErrorLogPath());

  // New files follow the umask: 0666 & ~umask.
  ::umask(027);
  ASSERT_TRUE(AppendErrorLog("s", "c", "r"));
  EXPECT_EQ(ModeOf(ErrorLogPath()), 0640u);
  const int fifo = ::mkfifo((DataFolder() / "fifo").c_str(), 0600);
  ASSERT_EQ(fifo, 0);
  EXPECT_LT(OpenOwnFile(DataFolder() / "fifo", O_WRONLY | O_APPEND), 0);
}

}  // namespace
}  // namespace ntr
