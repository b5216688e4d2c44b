// Feeds arbitrary bytes to the configuration reader as a file's content.
// Besides the sanitizers' checks it requires:
//  - reading at start-up, writing the result and reading that again gives
//    the same text: what the writer writes, the reader takes back unchanged;
//  - a strict import fails exactly when a lenient one logged a rejection;
//  - a filtered reading always yields a record;
//  - a system name and a VLAN name the setters accept (made of the input's
//    first line) come back from the written file unchanged.
// Error-log entries go nowhere: the data folder is made unreachable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "base/text_encoding.h"
#include "catalogue/switch_model.h"
#include "config/config_reader.h"
#include "config/config_writer.h"
#include "fuzz/fuzz_support.h"

namespace {

int rejections = 0;

bool CountRejection(std::string_view, std::string_view, std::string_view) {
  ++rejections;
  return true;
}

// Reads the bytes as at start-up and gives the file that would be written back.
std::string ReadAndWrite(std::string_view bytes) {
  ntr::ConfigStore config;
  ntr::ConfigHost host{config, nullptr, &CountRejection};
  ntr::ReadConfigBytes(host, config, bytes, ntr::ReadOptions{});
  return ntr::ToCrLf(ntr::Utf8ToCp932Lossy(ntr::FormatConfigText(config, nullptr)));
}

// The names made of `bytes` (a line of code page 932) in a record and the
// VLAN table, written and read back.
void CheckNamesComeBack(std::string_view bytes) {
  std::string name;
  if (!ntr::Cp932ToUtf8(bytes.substr(0, std::min<std::size_t>(bytes.find('\n'), 80)), name)) return;
  name = std::string(ntr::CutToChars(name, ntr::kSystemNameChars));
  ntr::ConfigStore config;
  config.SetVlanName(2, name);
  const auto stored = std::make_shared<ntr::SwitchRecord>();
  config.AppendStoredRecord(stored);
  ntr::SwitchRecord& record = *stored;
  record.switchMac = ntr::MacAddress{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};
  record.macText = ntr::FormatSwitchMac(record.switchMac.load());
  record.modelName = std::string(ntr::kModelName8G);
  record.serialNumber = "SIM000001";
  ntr::ApplyModel(record);
  record.nameDefaulted = 1;  // fixed up once already, as every record a setter works on
  record.systemName = name;
  const std::string text = ntr::FormatConfigText(config, nullptr);

  ntr::ConfigStore read;
  ntr::ConfigHost host{read, nullptr, &CountRejection};
  ntr::ReadConfigBytes(host, read, ntr::ToCrLf(ntr::Utf8ToCp932Lossy(text)), ntr::ReadOptions{});
  NTR_FUZZ_CHECK(read.GetVlanName(2) == config.GetVlanName(2));
  // The writer turns control characters into '?' (texts cannot add lines);
  // an empty or default name is not written.
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  if (control || name.empty() || name == record.DefaultSystemName()) return;
  NTR_FUZZ_CHECK(read.StoredCount() == 1 && read.StoredRecords()[0]->systemName.get() == name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The model fix-up of the writer logs through the error log; keep it off
  // the disk.
  setenv("XDG_DATA_HOME", "/proc/self/ntr-fuzz-no-data-folder", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string first = ReadAndWrite(bytes);
  const std::string second = ReadAndWrite(first);
  NTR_FUZZ_CHECK(first == second);

  // Each reading on an application of its own: the common lines of the first
  // must not change what the second accepts.
  const auto importRejects = [&](bool strict) {
    ntr::ConfigStore application;
    ntr::ConfigHost host{application, nullptr, &CountRejection};
    ntr::ConfigStore imported;
    rejections = 0;
    const ntr::ReadOptions options{nullptr, ntr::kMaxPorts, ntr::kMaxCounters, strict,
                                   ntr::ReadMode::kImport};
    const bool passed = ntr::ReadConfigBytes(host, imported, bytes, options);
    NTR_FUZZ_CHECK(strict || passed);
    return !passed || rejections > 0;
  };
  NTR_FUZZ_CHECK(importRejects(false) == importRejects(true));

  ntr::ConfigStore application;
  ntr::ConfigHost host{application, nullptr, &CountRejection};
  ntr::SwitchRecord filter;
  filter.switchMac = ntr::MacAddress{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};
  filter.modelName = std::string(ntr::kModelName8G);
  filter.serialNumber = "SIM000001";
  ntr::ApplyModel(filter);
  ntr::ConfigStore filtered;
  ntr::ReadConfigBytes(host, filtered, bytes, ntr::ReadOptions{&filter, 8, 3});
  NTR_FUZZ_CHECK(filtered.StoredCount() > 0);

  CheckNamesComeBack(bytes);
  return 0;
}
