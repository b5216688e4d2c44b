#include "app/switch_block_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string_view>

#include "catalogue/request_text.h"
#include "catalogue/switch_data.h"
#include "catalogue/switch_model.h"

namespace ntr {
namespace {

constexpr std::string_view kSetPrefix = "switch control function set";
constexpr std::string_view kGetPrefix = "#switch control function get";
constexpr std::string_view kNoWord = "???";

// Value words of the file, indexed by stored code.
constexpr std::array<std::string_view, 7> kSpeedWords{"", "auto", "10-hdx", "10-fdx",
                                                      "100-hdx", "100-fdx", "1000-fdx"};
constexpr std::array<std::string_view, 3> kVlanModeWords{"access", "trunk", "hybrid"};
constexpr std::array<std::string_view, 3> kRemarkTypeWords{"off", "af", "cs"};
constexpr std::array<std::string_view, 5> kRemarkClassWords{"off", "class1", "class2", "class3",
                                                            "class4"};
constexpr std::array<std::string_view, 4> kSpeedUnitWords{"128k", "1m", "10m", "32m"};
constexpr std::array<std::string_view, 3> kLinkDownWords{"none", "linkdown", "linkdown-recovery"};

// The word of a stored code, or `fallback` when the code has none.
std::string_view WordOf(std::span<const std::string_view> words, std::int32_t code,
                        std::string_view fallback = kNoWord) {
  if (code < 0 || static_cast<std::size_t>(code) >= words.size() || words[code].empty()) {
    return fallback;
  }
  return words[code];
}

// A counter type without a name is written as "packets", as the file does
// for transmit types.
std::string_view CounterWord(std::int32_t type, bool transmit) {
  const std::string_view name = transmit ? TxCounterTypeName(type) : RxCounterTypeName(type);
  return name.empty() ? RxCounterTypeName(0) : name;
}

std::string_view OnOff(std::int32_t value) { return value == 1 ? "on" : "off"; }
std::string_view JoinLeave(std::int32_t value) { return value == 1 ? "join" : "leave"; }

// Builds function lines: the prefix, the keyword, then the arguments.
class Lines {
 public:
  explicit Lines(std::string& out) : out_(out) {}

  void Word(std::string_view keyword, std::string_view word) { Line(keyword, {word}); }
  void Number(std::string_view keyword, std::int32_t n) { Line(keyword, {ToText(n)}); }
  void PortWord(std::string_view keyword, int port, std::string_view word) {
    Line(keyword, {ToText(port), word});
  }
  void TwoNumbers(std::string_view keyword, int first, std::int32_t second) {
    Line(keyword, {ToText(first), ToText(second)});
  }
  void TwoNumbersWord(std::string_view keyword, int first, int second, std::string_view word) {
    Line(keyword, {ToText(first), ToText(second), word});
  }

 private:
  static std::string ToText(std::int32_t n) { return std::to_string(n); }

  void Line(std::string_view keyword, std::initializer_list<std::string_view> arguments) {
    out_.append(kSetPrefix).append(" ").append(keyword);
    for (std::string_view argument : arguments) out_.append(" ").append(argument);
    out_.append("\n");
  }

  std::string& out_;
};

void WriteSwitchWide(const tag_SWITCHDATA& r, Lines& lines) {
  if (const std::string name = r.systemName.get(); !name.empty() && name != r.DefaultSystemName()) {
    lines.Word("system-name", name);
  }
  if (r.energySaving != 0) lines.Word("energy-saving", OnOff(r.energySaving));
  if (r.ledBrightness != 0) lines.Word("led-brightness", r.ledBrightness == 1 ? "economy" : "normal");
}

template <typename Field>
void PerPortWord(const tag_SWITCHDATA& r, int ports, Lines& lines, std::string_view keyword,
                 std::int32_t defaultValue, Field field, std::string_view (*word)(std::int32_t)) {
  for (int p = 0; p < ports; ++p) {
    const std::int32_t value = field(r.ports[p]);
    if (value != defaultValue) lines.PortWord(keyword, p + 1, word(value));
  }
}

}  // namespace

bool WriteSwitchBlock(const tag_SWITCHDATA& r, std::string& out) {
  const std::string model = r.modelName.get();
  const std::int32_t modelCode = ModelCodeOf(model);
  if (modelCode == kModelUnknown) return false;
  const int ports = std::clamp<int>(r.portCount, 0, kMaxPorts);
  const int counters = std::clamp<int>(r.counterCount, 0, kMaxCounters);
  using P = const PortSettings&;

  out.append("switch select ").append(r.macText.get()).append("\n");
  out.append(kGetPrefix).append(" firmware-revision ").append(r.firmwareRevision.get()).append("\n");
  out.append(kGetPrefix).append(" serial-number ").append(r.serialNumber.get()).append("\n");
  out.append(kGetPrefix).append(" model-name ").append(model).append("\n");

  Lines lines(out);
  WriteSwitchWide(r, lines);

  const auto speedWord = [](std::int32_t v) { return WordOf(kSpeedWords, v); };
  PerPortWord(r, ports, lines, "port-speed", 1, [](P s) { return s.speed.load(); }, speedWord);
  PerPortWord(r, ports, lines, "port-use", 1, [](P s) { return s.use.load(); }, OnOff);
  PerPortWord(r, ports, lines, "port-auto-crossover", 1, [](P s) { return s.autoCrossover.load(); }, OnOff);
  PerPortWord(r, ports, lines, "port-speed-downshift", 1, [](P s) { return s.speedDownshift.load(); }, OnOff);
  PerPortWord(r, ports, lines, "port-flow-control", 0, [](P s) { return s.flowControl.load(); }, OnOff);
  PerPortWord(r, ports, lines, "port-blocking-control-packet", 0, [](P s) { return s.blockControlPackets.load(); }, OnOff);
  PerPortWord(r, ports, lines, "port-blocking-data-packet", 0, [](P s) { return s.blockDataPackets.load(); }, OnOff);

  if (r.macAgeing != 1) lines.Word("macaddress-aging", "off");
  if (r.macAgeingTime != 300) lines.Number("macaddress-aging-timer", r.macAgeingTime);

  for (int entry = 0; entry < kVlanRegistrations; ++entry) {
    const std::int32_t id = r.vlanIds[entry];
    if (id != 1 && id != entry + 1) lines.TwoNumbers("vlan-id", entry + 1, id);
  }
  const auto modeWord = [](std::int32_t v) { return WordOf(kVlanModeWords, v); };
  PerPortWord(r, ports, lines, "vlan-port-mode", 0, [](P s) { return s.vlanMode.load(); }, modeWord);
  for (int p = 0; p < ports; ++p) {
    const std::int32_t entry = r.ports[p].accessVlanEntry;
    if (entry != 0) lines.TwoNumbers("vlan-access", p + 1, entry + 1);
  }
  for (int p = 0; p < ports; ++p) {
    for (int entry = 0; entry < kVlanRegistrations; ++entry) {
      const std::int32_t member = r.ports[p].trunk[entry];
      if (member != 0) lines.TwoNumbersWord("vlan-trunk", p + 1, entry + 1, JoinLeave(member));
    }
  }
  if (r.multipleVlanUse != 0) lines.Word("vlan-multiple-use", OnOff(r.multipleVlanUse));
  for (int p = 0; p < ports; ++p) {
    for (int g = 0; g < ports; ++g) {
      const std::int32_t member = r.ports[p].multiple[g];
      if (member != 0) lines.TwoNumbersWord("vlan-multiple", p + 1, g + 1, JoinLeave(member));
    }
  }

  const auto typeWord = [](std::int32_t v) { return WordOf(kRemarkTypeWords, v); };
  const auto classWord = [](std::int32_t v) { return WordOf(kRemarkClassWords, v); };
  PerPortWord(r, ports, lines, "qos-dscp-remark-type", 0, [](P s) { return s.dscpRemarkType.load(); }, typeWord);
  PerPortWord(r, ports, lines, "qos-dscp-remark-class", 0, [](P s) { return s.dscpRemarkClass.load(); }, classWord);

  const bool skipBandwidth = r.modelChecked != 0 && modelCode != kModel24G;
  if (!skipBandwidth) {
    if (r.qosSpeedUnit != 3) lines.Word("qos-speed-unit", WordOf(kSpeedUnitWords, r.qosSpeedUnit));
    for (int p = 0; p < ports; ++p) {
      if (r.ports[p].policingUse != 0) lines.PortWord("qos-policing-use", p + 1, OnOff(r.ports[p].policingUse));
    }
    for (int p = 0; p < ports; ++p) {
      if (r.ports[p].policingRate != 1) lines.TwoNumbers("qos-policing-speed", p + 1, r.ports[p].policingRate);
    }
    for (int p = 0; p < ports; ++p) {
      if (r.ports[p].shapingUse != 0) lines.PortWord("qos-shaping-use", p + 1, OnOff(r.ports[p].shapingUse));
    }
    for (int p = 0; p < ports; ++p) {
      if (r.ports[p].shapingRate != 1) lines.TwoNumbers("qos-shaping-speed", p + 1, r.ports[p].shapingRate);
    }
  }

  if (r.mirroringUse != 0) lines.Word("mirroring-use", OnOff(r.mirroringUse));
  if (r.mirrorDestination != DefaultMirrorDestination(model)) {
    lines.Number("mirroring-dest", r.mirrorDestination + 1);
  }
  PerPortWord(r, ports, lines, "mirroring-src-rx", 0, [](P s) { return s.mirrorRx.load(); }, OnOff);
  PerPortWord(r, ports, lines, "mirroring-src-tx", 0, [](P s) { return s.mirrorTx.load(); }, OnOff);

  for (const bool transmit : {false, true}) {
    const auto& defaults = transmit ? kDefaultTxCounterTypes : kDefaultRxCounterTypes;
    for (int p = 0; p < ports; ++p) {
      const auto& types = transmit ? r.ports[p].txCounterTypes : r.ports[p].rxCounterTypes;
      for (int k = 0; k < counters; ++k) {
        if (types[k] != defaults[k]) {
          lines.TwoNumbersWord(transmit ? "counter-frame-tx-type" : "counter-frame-rx-type", p + 1,
                               k + 1, CounterWord(types[k], transmit));
        }
      }
    }
  }

  if (r.loopCount != 3) lines.Number("loopdetect-count", r.loopCount);
  if (r.loopDetectionTime != 3) lines.Number("loopdetect-time", r.loopDetectionTime);
  if (r.loopLinkDown != 0) lines.Word("loopdetect-linkdown", WordOf(kLinkDownWords, r.loopLinkDown));
  if (r.loopControlPackets != 1) lines.Word("loopdetect-use-control-packet", "off");
  if (r.loopRecoveryTime != 300) lines.Number("loopdetect-recovery-timer", r.loopRecoveryTime);
  PerPortWord(r, ports, lines, "loopdetect-port-use", 1, [](P s) { return s.loopDetect.load(); }, OnOff);

  for (int p = 0; p < ports; ++p) {
    const std::int32_t poeClass = r.ports[p].poeClass;
    if (poeClass == DefaultPoeClass(p)) continue;
    // Only the three classes have words; any other stored value is left out.
    if (poeClass == kPoeClassNone) lines.PortWord("poe-class", p + 1, "none");
    if (poeClass == kPoeClass3) lines.PortWord("poe-class", p + 1, "class3");
    if (poeClass == kPoeClass4) lines.PortWord("poe-class", p + 1, "class4");
  }
  for (int p = 0; p < ports; ++p) {
    const std::int32_t backup = r.ports[p].backupPort;
    if (backup != -1) lines.TwoNumbers("routebackup-backup-port", p + 1, backup + 1);
  }
  return true;
}

void WriteSwitchComment(const tag_SWITCHDATA& record, std::string& out) {
  char fingerprint[16];
  std::snprintf(fingerprint, sizeof fingerprint, "#[%08x]\n",
                static_cast<unsigned>(record.currentFingerprint.load()));
  out.append("#\n");
  out.append("#").append(record.macText.get()).append("\n");
  out.append("#").append(record.serialNumber.get()).append("\n");
  out.append(fingerprint);
  out.append("#\n\n");
}

}  // namespace ntr
