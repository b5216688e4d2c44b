#include "link/packet_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace ntr {
namespace {

std::tm SampleTime() {
  std::tm time{};
  time.tm_year = 124;  // 2024
  time.tm_mon = 4;     // May
  time.tm_mday = 17;
  time.tm_hour = 9;
  time.tm_min = 30;
  time.tm_sec = 12;
  return time;
}

std::vector<std::uint8_t> Bytes(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  const std::uint8_t frame[] = {0x03, 0x5C, 0x71, 0x00, 0xE8, 0x12, 0x00, 0x11, 0x22,
                                0x33, 0x44, 0x55, 0xE8, 0x12, 0x30, 0x82, 0x00, 0x29};
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(frame[i % sizeof frame]);
  return bytes;
}

TEST(PacketLog, FormatsEveryFieldThatTheFrameIsLongEnoughFor) {
  const std::tm time = SampleTime();
  EXPECT_EQ(FormatPacketLogLine(Bytes(18), time, 123456),
            "24/05/17 09:30:12(123456) 035C7100E812 001122334455 E812 30820029\r\n");
  // Exactly a header: every field with its blank, empty payload.
  EXPECT_EQ(FormatPacketLogLine(Bytes(14), time, 7),
            "24/05/17 09:30:12(7) 035C7100E812 001122334455 E812 \r\n");
  // Fewer than six bytes after the destination are payload.
  EXPECT_EQ(FormatPacketLogLine(Bytes(9), time, 7), "24/05/17 09:30:12(7) 035C7100E812 001122\r\n");
  // A source but one byte of EtherType: that byte is payload.
  EXPECT_EQ(FormatPacketLogLine(Bytes(13), time, 7),
            "24/05/17 09:30:12(7) 035C7100E812 001122334455 E8\r\n");
  EXPECT_EQ(FormatPacketLogLine(Bytes(3), time, 7), "24/05/17 09:30:12(7) 035C71\r\n");
  // The tick is an unsigned 32-bit count: it never shows a sign.
  EXPECT_EQ(FormatPacketLogLine({}, time, 0xFFFFFFFFu), "24/05/17 09:30:12(4294967295) \r\n");
}

class PacketLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ntr_packet_log_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Read(const char* name) {
    std::ifstream file(folder_ / name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::filesystem::path folder_;
};

TEST_F(PacketLogFile, AppendsWholeLinesAndLeavesExistingContent) {
  {
    std::ofstream earlier(folder_ / kSendLogName, std::ios::binary);
    earlier << "earlier\r\n";
  }
  PacketLog log;
  log.SetFolder(folder_ / "");
  log.Write(kSendLogName, Bytes(18));
  log.Write(kSendLogName, Bytes(14));
  const std::string text = Read(kSendLogName);
  ASSERT_TRUE(text.starts_with("earlier\r\n")) << text;
  const std::string lines = text.substr(9);
  const auto firstEnd = lines.find("\r\n");
  ASSERT_NE(firstEnd, std::string::npos);
  EXPECT_TRUE(lines.substr(0, firstEnd).ends_with(") 035C7100E812 001122334455 E812 30820029"));
  EXPECT_TRUE(lines.ends_with(") 035C7100E812 001122334455 E812 \r\n")) << lines;
  EXPECT_FALSE(std::filesystem::exists(folder_ / kRecvLogName));

  // A folder that does not exist loses the line silently and creates nothing.
  log.SetFolder(folder_ / "missing" / "");
  log.Write(kRecvLogName, Bytes(18));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));

  // A link planted in the folder is not written through.
  {
    std::ofstream victim(folder_ / "victim", std::ios::binary);
    victim << "kept";
  }
  std::filesystem::create_symlink(folder_ / "victim", folder_ / kRecvLogName);
  log.SetFolder(folder_ / "");
  log.Write(kRecvLogName, Bytes(18));
  EXPECT_EQ(Read("victim"), "kept");
}

TEST(PacketLog, DefaultsToTheExecutablesFolder) {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  ASSERT_FALSE(error);
  EXPECT_EQ(PacketLog().folder(), executable.parent_path() / "");
}

}  // namespace
}  // namespace ntr
