#include "base/error_log.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "base/data_folder.h"
#include "base/text_encoding.h"

namespace ntr {
namespace {

namespace fs = std::filesystem;

// Points XDG_DATA_HOME at a fresh temporary folder for one test.
class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ntr-errorlog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    const char* old = std::getenv("XDG_DATA_HOME");
    if (old != nullptr) oldXdg_ = old;
    hadXdg_ = old != nullptr;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    if (hadXdg_) {
      setenv("XDG_DATA_HOME", oldXdg_.c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
    fs::remove_all(root_);
  }

  static std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path root_;
  std::string oldXdg_;
  bool hadXdg_ = false;
};

TEST_F(ErrorLogTest, DataFolderFollowsXdgDataHome) {
  EXPECT_EQ(DataFolder().string(), root_.string() + "/Kaldor/NTR_Application/");
  EXPECT_EQ(ErrorLogPath().string(), root_.string() + "/Kaldor/NTR_Application/error_log.txt");
  setenv("XDG_DATA_HOME", "relative/path", 1);  // not absolute: ignored
  EXPECT_NE(DataFolder().string().find("/.local/share/Kaldor/NTR_Application/"), std::string::npos);
}

TEST_F(ErrorLogTest, RecordFormat) {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 0;
  time.tm_mday = 5;
  time.tm_hour = 3;
  time.tm_min = 4;
  time.tm_sec = 9;
  EXPECT_EQ(
      FormatErrorLogRecord(time, "02:5C:71:00:00:01",
                           "switch control function set port-speed 1 auto", "パラメータが不正です"),
      "実行日時: 2026/01/05 03:04:09\n"
      "スイッチ: 02:5C:71:00:00:01\n"
      "実行コマンド: switch control function set port-speed 1 auto\n"
      "エラー理由: パラメータが不正です\n\n");
}

TEST_F(ErrorLogTest, AppendsInCodePage932WithCrLfAndKeepsEarlierContent) {
  ASSERT_FALSE(fs::exists(root_ / "Kaldor"));
  ASSERT_TRUE(AppendErrorLog("共通データ", "bad line", "機能が存在しません"));
  ASSERT_TRUE(fs::is_directory(root_ / "Kaldor" / "NTR_Application"));
  ASSERT_TRUE(AppendErrorLog("02:5C:71:00:00:01", "cmd 2", "パラメータが不正です"));

  const std::string bytes = ReadFile(ErrorLogPath());
  std::string text;
  ASSERT_TRUE(Cp932ToUtf8(bytes, text)) << "not code page 932";
  // No bare LF: every line ends in CR LF.
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
    }
  }
  const auto first = text.find(
      "スイッチ: 共通データ\r\n実行コマンド: bad line\r\nエラー理由: "
      "機能が存在しません\r\n\r\n実行日時: ");
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_EQ(text.rfind("スイッチ: 02:5C:71:00:00:01\r\n実行コマンド: cmd 2\r\nエラー理由: "
                       "パラメータが不正です\r\n\r\n"),
            text.size() - std::string("スイッチ: 02:5C:71:00:00:01\r\n実行コマンド: cmd "
                                      "2\r\nエラー理由: パラメータが不正です\r\n\r\n")
                              .size());
  EXPECT_EQ(text.rfind("実行日時: ", 0), 0u);
}

TEST_F(ErrorLogTest, ConcurrentWritersNeverInterleave) {
  constexpr int kThreads = 8;
  constexpr int kEntries = 50;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < kEntries; ++i) {
        const std::string id = std::to_string(t) + "-" + std::to_string(i);
        AppendErrorLog("switch " + id, "command " + id + std::string(300, 'c'), "reason " + id);
      }
    });
  }
  for (auto& writer : writers) writer.join();

  std::string text;
  ASSERT_TRUE(Cp932ToUtf8(ReadFile(ErrorLogPath()), text));
  int records = 0;
  std::size_t at = 0;
  while ((at = text.find("実行日時: ", at)) != std::string::npos) {
    const auto end = text.find("\r\n\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string record = text.substr(at, end - at);
    const auto idStart = record.find("スイッチ: switch ") + std::string("スイッチ: switch ").size();
    const std::string id = record.substr(idStart, record.find("\r\n", idStart) - idStart);
    EXPECT_NE(record.find("実行コマンド: command " + id + std::string(300, 'c') + "\r\n"),
              std::string::npos);
    EXPECT_NE(record.find("エラー理由: reason " + id), std::string::npos);
    ++records;
    at = end;
  }
  EXPECT_EQ(records, kThreads * kEntries);
}

TEST_F(ErrorLogTest, FullLogMovesToDotOneBeforeTheNextRecord) {
  const fs::path log = root_ / "capped.txt";
  const fs::path older = root_ / "capped.txt.1";
  // Up to the limit the records go on the end.
  ASSERT_TRUE(AppendCappedLog(log, "aaaa", 10));
  ASSERT_TRUE(AppendCappedLog(log, "bbbbbb", 10));
  EXPECT_EQ(ReadFile(log), "aaaabbbbbb");
  EXPECT_FALSE(fs::exists(older));
  // Past it the file becomes ".1", replacing an older one, and a new file begins.
  ASSERT_TRUE(AppendCappedLog(log, "c", 10));
  EXPECT_EQ(ReadFile(older), "aaaabbbbbb");
  EXPECT_EQ(ReadFile(log), "c");
  ASSERT_TRUE(AppendCappedLog(log, std::string(20, 'd'), 10));  // a record larger than the cap
  EXPECT_EQ(ReadFile(older), "c");
  EXPECT_EQ(ReadFile(log), std::string(20, 'd'));

  // Writers in several processes rotating the same file lose and split no record.
  const fs::path shared = root_ / "shared.txt";
  constexpr int kWriters = 4;
  constexpr int kRecords = 200;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kRecords; ++i)
        ok = AppendCappedLog(shared, std::string(99, char('a' + w)) + "\n", 1000) && ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (const fs::path& file : {shared, fs::path(shared.string() + ".1")}) {
    const std::string text = ReadFile(file);
    EXPECT_LE(text.size(), 1000u);
    ASSERT_EQ(text.size() % 100, 0u) << file;
    for (std::size_t at = 0; at < text.size(); at += 100) {
      EXPECT_EQ(text.substr(at, 100), std::string(99, text[at]) + "\n") << file << " at " << at;
    }
  }
}

TEST_F(ErrorLogTest, UnwritableFolderLosesTheEntryQuietly) {
  // A file where the folder should be: the entry cannot be written.
  fs::create_directories(root_);
  std::ofstream(root_ / "Kaldor") << "not a folder";
  EXPECT_FALSE(AppendErrorLog("x", "y", "z"));
}

}  // namespace
}  // namespace ntr
