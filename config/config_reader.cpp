#include "config/config_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "base/text_encoding.h"
#include "catalogue/qos_speed.h"
#include "catalogue/switch_model.h"
#include "config/setting_lines.h"

namespace ntr {
namespace {

using Words = std::vector<std::string_view>;

constexpr std::string_view kCommonData = "共通データ";
constexpr std::size_t kIdentityChars = 64;

// Words separated by runs of spaces. After a "firmware-revision" or
// "system-name" word the rest of the line behind the one space that follows
// it is one word (names may hold spaces).
Words SplitWords(std::string_view line) {
  Words words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(line.find(' ', at), line.size());
    words.push_back(line.substr(at, end - at));
    if ((words.back() == "firmware-revision" || words.back() == "system-name") &&
        end < line.size()) {
      if (end + 1 < line.size()) words.push_back(line.substr(end + 1));
      break;
    }
    at = end;
  }
  return words;
}

// A line of the file as UTF-8: ASCII as it is, anything else converted from
// code page 932 with U+FFFD for bytes that are not code page 932.
std::string LineText(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  const bool ascii = std::all_of(raw.begin(), raw.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? std::string(raw) : Cp932ToUtf8Lossy(raw);
}

class ConfigTextReader {
 public:
  ConfigTextReader(ConfigHost& host, ConfigStore& target, const ReadOptions& options)
      : host_(host), target_(target), options_(options) {
    if (options_.filter != nullptr) scratch_ = std::make_unique<SwitchRecord>();
    if (scratch_ != nullptr) GiveCounts(*scratch_);
  }

  void Line(std::string_view raw) {
    lastLine_ = LineText(raw);
    ++lineNumber_;
    const Words words = SplitWords(lastLine_);
    if (const auto rejection = Handle(words)) Reject(*rejection);
  }

  bool End() {
    FinishBlock();
    if (options_.filter != nullptr && target_.StoredCount() == 0) {
      target_.AppendStoredRecord(CopyOfFilter());
    }
    const std::vector<RecordPtr> records = target_.StoredRecords();
    for (const RecordPtr& record : records) FixRegistrations(*record);
    if (options_.filter != nullptr && !records.empty()) {
      NameVlansUsedOnPorts(host_.config, *records.front());
    }
    return !(options_.strict && anyFailed_);
  }

 private:
  std::optional<LineRejection> Handle(const Words& w) {
    if (w.empty()) return std::nullopt;
    if (w[0] == "switch") {
      if (w.size() >= 2 && w[1] == "select") return Select(w);
      if (w.size() < 3 || w[1] != "control") return LineRejection::kNoSuchFunction;
      if (w[2] == "watch") return Watch(w);
      if (w[2] == "use") return Use(w);
      if (w[2] == "function") return Setting(w);
      return LineRejection::kNoSuchFunction;
    }
    if (w[0] == "vlan") return Vlan(w);
    if (w[0] == "#log") {
      Log(w);
    } else if (w[0] == "#switch") {
      Get(w);
    } else if (w[0].front() != '#') {
      return LineRejection::kNoSuchFunction;
    }
    return std::nullopt;  // a comment
  }

  std::optional<LineRejection> Watch(const Words& w) {
    if (w.size() >= 4 && w[3] != "interval") return LineRejection::kNoSuchFunction;
    if (w.size() < 6) return LineRejection::kWordCount;
    if (options_.filter == nullptr) {
      const auto value = [](std::string_view text) {
        const auto number = ParseDecimal(text);
        return number && *number >= 2 && *number <= 10 ? static_cast<std::int32_t>(*number)
                                                       : kDefaultWatchValue;
      };
      host_.config.SetWatch(value(w[4]), value(w[5]));
    }
    return std::nullopt;
  }

  std::optional<LineRejection> Use(const Words& w) {
    if (w.size() < 5) return LineRejection::kWordCount;
    if (w[3] != "lan1" || w[4] != "on") return LineRejection::kBadParameter;
    return std::nullopt;
  }

  std::optional<LineRejection> Vlan(const Words& w) {
    if (w.size() < 5) return LineRejection::kWordCount;
    const std::string_view position = w[1];
    const std::string_view nameWord = w[4];
    if (position.size() < 6 || !position.starts_with("lan1/") || w[2] != "802.1q" ||
        !w[3].starts_with("vid=") || nameWord.find('=', 1) == std::string_view::npos) {
      return LineRejection::kBadParameter;
    }
    const auto id = ParseDecimal(w[3].substr(4));
    if (!id || *id < 1 || *id > kMaxVlanId) return LineRejection::kBadParameter;
    const std::string_view name = nameWord.substr(nameWord.find('=') + 1);
    const auto vlan = static_cast<std::int32_t>(*id);
    if (!host_.config.SetVlanName(vlan, name)) return LineRejection::kBadParameter;
    if (options_.namedVlanIds != nullptr) options_.namedVlanIds->push_back(vlan);
    return std::nullopt;
  }

  void Log(const Words& w) {
    if (w.size() >= 3 && (w[1] == "send" || w[1] == "receive")) {
      const bool on = w[2] == "on";
      if (w[1] == "send") {
        if (host_.logs != nullptr) host_.logs->SetSendLog(on);
        host_.config.sendLogLine = true;
      } else {
        if (host_.logs != nullptr) host_.logs->SetReceiveLog(on);
        host_.config.receiveLogLine = true;
      }
    } else if (w.size() >= 2 && w[1] == "clear") {
      host_.config.clearLogLine = true;
      // Only a whole file's reading (start-up, import) clears the logs; the
      // filtered readings of adoption checks must not, or the logs lose the
      // start of the run at every adoption.
      if (host_.logs != nullptr && options_.filter == nullptr) host_.logs->DeleteLogFiles();
    }
  }

  void Get(const Words& w) {
    SwitchRecord* block = Open();
    if (block == nullptr || w.size() < 6 || w[1] != "control" || w[2] != "function" ||
        w[3] != "get") {
      return;
    }
    const std::string value(CutToChars(w[5], kIdentityChars));
    if (w[4] == "firmware-revision") block->firmwareRevision = FileSafeText(value);
    if (w[4] == "serial-number") block->serialNumber = FileSafeText(value);
    if (w[4] == "model-name") block->modelName = FileSafeText(value);
    if (w[4] == "system-macaddress") {
      if (const auto mac = ParseMac(w[5])) {
        block->switchMac = *mac;
        block->macText = FormatSwitchMac(*mac);
      }
    }
  }

  std::optional<LineRejection> Select(const Words& w) {
    if (w.size() < 3) return LineRejection::kWordCount;
    const auto mac = ParseMac(w[2]);
    if (!mac) return LineRejection::kBadParameter;
    FinishBlock();
    if (options_.filter != nullptr && options_.filter->switchMac.load() != *mac)
      return std::nullopt;
    if (options_.filterReport != nullptr) options_.filterReport->found = true;
    block_ = options_.filter != nullptr ? CopyOfFilter() : std::make_shared<SwitchRecord>();
    block_->switchMac = *mac;
    block_->macText = FormatSwitchMac(*mac);
    GiveCounts(*block_);
    return std::nullopt;
  }

  std::optional<LineRejection> Setting(const Words& w) {
    if (w.size() >= 4 && w[3] != "set") return LineRejection::kNoSuchFunction;
    SwitchRecord* block = Open();
    if (block == nullptr) {
      const bool rejected = options_.mode == ReadMode::kImport && options_.filter == nullptr;
      return rejected ? std::optional(LineRejection::kBadParameter) : std::nullopt;
    }
    return StoreSettingLine(*block, w, block->portCount, block->counterCount);
  }

  void Reject(LineRejection rejection) {
    SwitchRecord* block = Open();
    const std::string heading = block != nullptr ? block->macText.get() : std::string(kCommonData);
    host_.appendErrorLog(heading, lastLine_, RejectionReason(rejection));
    if (block != nullptr) block->AddFailure(lastLine_);
    if (block_ != nullptr && options_.filterReport != nullptr) {
      options_.filterReport->rejected.push_back(
          {lineNumber_, lastLine_, std::string(RejectionReason(rejection))});
    }
    anyFailed_ = true;
  }

  // The scratch record is dropped; a real block is kept with a known model
  // (and, when importing, a serial number). An import reports a dropped block.
  void FinishBlock() {
    scratch_.reset();
    if (block_ == nullptr) return;
    const RecordPtr done = std::move(block_);
    block_.reset();
    const std::int32_t model = ModelCodeOf(done->modelName.get());
    const bool keep = model != kModelUnknown &&
                      (options_.mode != ReadMode::kImport || !done->serialNumber.empty());
    if (keep) {
      done->modelCode = model;
      for (PortSettings& port : done->ports) {
        port.policingSelection = SelectionOf(port.policingRate, done->qosSpeedUnit);
        port.shapingSelection = SelectionOf(port.shapingRate, done->qosSpeedUnit);
      }
      target_.AppendStoredRecord(done);
    } else if (options_.mode == ReadMode::kImport) {
      host_.appendErrorLog(done->macText.get(), lastLine_,
                           RejectionReason(LineRejection::kBadParameter));
      anyFailed_ = true;
    }
  }

  // A port's access registration, and every registration 2 to 256 it joins as
  // a trunk member, gets its own number as VLAN ID while it still has ID 1.
  static void FixRegistrations(SwitchRecord& r) {
    const int ports = std::clamp<int>(r.portCount, 0, kMaxPorts);
    for (int p = 0; p < ports; ++p) {
      const std::int32_t access = r.ports[p].accessVlanEntry;
      if (access > 0 && access < kVlanRegistrations && r.vlanIds[access] == 1) {
        r.vlanIds[access] = access + 1;
      }
      for (int entry = 1; entry < kVlanRegistrations; ++entry) {
        if (r.ports[p].trunk[entry] != 0 && r.vlanIds[entry] == 1) r.vlanIds[entry] = entry + 1;
      }
    }
  }

  SwitchRecord* Open() { return block_ != nullptr ? block_.get() : scratch_.get(); }

  RecordPtr CopyOfFilter() const {
    auto copy = std::make_shared<SwitchRecord>(*options_.filter);
    copy->failures.Clear();  // only what this reading rejects
    return copy;
  }

  void GiveCounts(SwitchRecord& record) const {
    record.portCount = std::clamp(options_.portCount, 0, kMaxPorts);
    record.counterCount = std::clamp(options_.counterCount, 0, kMaxCounters);
  }

  ConfigHost& host_;
  ConfigStore& target_;
  const ReadOptions& options_;
  RecordPtr block_;                        // the real block being filled
  std::unique_ptr<SwitchRecord> scratch_;  // stands for the block until the filter's select line
  bool anyFailed_ = false;
  std::string lastLine_;
  int lineNumber_ = 0;
};

// Hands `bytes` to the reader line by line; `pending` keeps a line that
// continues in the next piece.
void FeedLines(ConfigTextReader& reader, std::string& pending, std::string_view bytes) {
  for (;;) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      pending.append(bytes);
      return;
    }
    if (pending.empty()) {
      reader.Line(bytes.substr(0, end));
    } else {
      pending.append(bytes.substr(0, end));
      reader.Line(pending);
      pending.clear();
    }
    bytes.remove_prefix(end + 1);
  }
}

}  // namespace

bool ReadConfigBytes(ConfigHost& host, ConfigStore& target, std::string_view bytes,
                     const ReadOptions& options) {
  target.Reset();
  ConfigTextReader reader(host, target, options);
  std::string pending;
  FeedLines(reader, pending, bytes);
  if (!pending.empty()) reader.Line(pending);
  return reader.End();
}

bool ReadConfigText(ConfigHost& host, ConfigStore& target, const std::filesystem::path& path,
                    const ReadOptions& options, ErrorPair& error) {
  target.Reset();
  // Only a regular file is read: a folder, a device or a pipe counts as a
  // file that cannot be opened (and a pipe must not block the reader).
  // The detail names the file and the reason: "PATH: errno text".
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int reason = fd < 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (fd >= 0) ::close(fd);
    return error.Fail(kErrFileOpen, path.string() + ": " + std::strerror(reason));
  }
  ConfigTextReader reader(host, target, options);
  std::string pending;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a read error ends the file like its end
    FeedLines(reader, pending, std::string_view(buffer, static_cast<std::size_t>(n)));
  }
  ::close(fd);
  if (!pending.empty()) reader.Line(pending);
  return reader.End();
}

}  // namespace ntr
