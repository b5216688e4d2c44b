// The application's files in its data folder on a shared machine: what a
// killed write left behind goes at start-up, and neither the lock nor the
// copy of a rejected file is ever opened through a link another user made.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/single_instance.h"
#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

class DataFilesTest : public test::AppFixture {
 protected:
  std::filesystem::path Temporary(const std::string& letters) {
    return DataFolder() / (std::string(".") + kConfigFileName + "." + letters);
  }
};

TEST_F(DataFilesTest, StartUpRemovesStaleTemporaryFilesButNotThoseOfARunningCopy) {
  ASSERT_TRUE(MakeDataFolder());
  test::WriteBytes(Temporary("Kil1ed"), "a copy of the file");
  StartApp("switch A model=NTR7100-8G\n");
  EXPECT_FALSE(std::filesystem::exists(Temporary("Kil1ed")));

  // A second copy refused by the lock touches nothing of the running one.
  test::WriteBytes(Temporary("Wr1tes"), "being written");
  ScriptedOperator other;
  Application second(Application::Parts{other, loop_, nullptr,
                                        std::make_unique<test::MemoryAppLink>(peer_->link())});
  EXPECT_FALSE(second.InitInstance());
  EXPECT_TRUE(second.anotherCopyRuns());
  EXPECT_TRUE(std::filesystem::exists(Temporary("Wr1tes")));
}

TEST_F(DataFilesTest, LinksInTheDataFolderAreNeverFollowed) {
  ASSERT_TRUE(MakeDataFolder());
  const std::filesystem::path victim = root_ / "victim";
  // The lock: a link to a file that does not exist yet is not created.
  std::filesystem::create_symlink(victim, SingleInstance::LockPath(kApplicationTitle));
  StartApp("switch A model=NTR7100-8G\n", false);
  EXPECT_FALSE(app_->InitInstance());
  EXPECT_FALSE(app_->anotherCopyRuns());
  EXPECT_EQ(app_->lastError().code, kErrFileOpen);
  EXPECT_FALSE(std::filesystem::exists(victim));
  app_.reset();
  std::filesystem::remove(SingleInstance::LockPath(kApplicationTitle));

  // The copy of a file with a rejected line replaces a link at ".bak".
  test::WriteBytes(victim, "kept");
  ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
  test::WriteConfig(ConfigFilePath(), "switch control watch intervall 4 3\n");
  const std::filesystem::path copy = ConfigFilePath().string() + ".bak";
  std::filesystem::create_symlink(victim, copy);
  StartApp("switch A model=NTR7100-8G\n");
  EXPECT_EQ(test::ReadBytes(victim), "kept");
  EXPECT_FALSE(std::filesystem::is_symlink(copy));
  EXPECT_EQ(test::FileText(copy), "switch control watch intervall 4 3\n");
  struct stat info {};
  ASSERT_EQ(::stat(victim.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

}  // namespace
}  // namespace ntr
