// Helpers of the registry tests: a private data and runtime folder, files in
// code page 932, records of the three models, and a record of the packet-log
// switches.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/data_folder.h"
#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/switch_model.h"
#include "config/config_reader.h"
#include "config/config_store.h"
#include "config/config_writer.h"

namespace ntr::test {

// Points XDG_DATA_HOME and XDG_RUNTIME_DIR at a fresh folder for one test.
class TempHome : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ntr-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ / "run");
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(root_);
  }

  std::filesystem::path root_;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// UTF-8 text with "\n" as the file holds it: code page 932 with CR LF.
inline std::string FileBytes(const std::string& text) { return ToCrLf(Utf8ToCp932Lossy(text)); }
inline void WriteConfig(const std::filesystem::path& path, const std::string& text) {
  WriteBytes(path, FileBytes(text));
}
// A file's content as UTF-8 with "\n".
inline std::string FileText(const std::filesystem::path& path) {
  std::string text = Cp932ToUtf8Lossy(ReadBytes(path));
  std::erase(text, '\r');
  return text;
}
inline std::string ErrorLogText() { return FileText(ErrorLogPath()); }
inline std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

inline MacAddress SwitchMac(std::uint8_t last) { return {0x02, 0x5C, 0x71, 0x00, 0x00, last}; }

// A record of `model` as adoption leaves it: identity, model applied, fixed up.
inline RecordPtr MakeRecord(std::string_view model, std::uint8_t last) {
  auto record = std::make_shared<SwitchRecord>();
  record->switchMac = SwitchMac(last);
  record->macText = FormatSwitchMac(record->switchMac);
  record->modelName = std::string(model);
  record->serialNumber = "SIM00000" + std::to_string(last);
  record->firmwareRevision = "1.00";
  ApplyModel(*record);
  ModelFixUp(*record);
  return record;
}

class FakeLogs : public PacketLogSwitches {
 public:
  void SetSendLog(bool on) override { send = on; }
  void SetReceiveLog(bool on) override { receive = on; }
  bool sendLog() const override { return send; }
  bool receiveLog() const override { return receive; }
  void DeleteLogFiles() override { ++deletions; }
  bool send = false;
  bool receive = false;
  int deletions = 0;
};

}  // namespace ntr::test
