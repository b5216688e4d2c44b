// SwitchRecord: the tool's picture of one managed switch — identity, every
// setting the catalogue can read or write, the last polled status of every
// port, and the fingerprint bookkeeping that tells whether the settings
// differ from the last saved configuration.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/mac_address.h"
#include "base/relaxed.h"
#include "catalogue/qos_speed.h"

namespace ntr {

inline constexpr int kMaxPorts = 24;            // ports held in the record
inline constexpr int kMaxCounters = 5;          // frame counters per port and direction
inline constexpr int kVlanRegistrations = 256;  // VLAN registration numbers 1..256
inline constexpr int kMaxVlanId = 4094;
inline constexpr int kFanCount = 2;
inline constexpr int kMaxNeighbours = 24;
inline constexpr std::size_t kSystemNameChars = 32;

inline constexpr std::array<std::int32_t, kMaxCounters> kDefaultTxCounterTypes{0, 13, 2, 12, 27};
inline constexpr std::array<std::int32_t, kMaxCounters> kDefaultRxCounterTypes{0, 13, 2, 12, 20};

// The settings of one port.
struct PortSettings {
  RelaxedInt32 use = 1;                  // port-use
  RelaxedInt32 autoCrossover = 1;        // port-auto-crossover
  RelaxedInt32 speed = 1;                // port-speed
  RelaxedInt32 speedDownshift = 1;       // port-speed-downshift
  RelaxedInt32 flowControl = 0;          // port-flow-control
  RelaxedInt32 mirrorTx = 0;             // mirroring-src-tx
  RelaxedInt32 mirrorRx = 0;             // mirroring-src-rx
  RelaxedInt32 loopDetect = 1;           // loopdetect-port-use
  RelaxedInt32 blockControlPackets = 0;  // port-blocking-control-packet
  RelaxedInt32 blockDataPackets = 0;     // port-blocking-data-packet
  RelaxedInt32 dscpRemarkType = 0;       // qos-dscp-remark-type
  RelaxedInt32 dscpRemarkClass = 0;      // qos-dscp-remark-class
  RelaxedInt32 shapingUse = 0;           // qos-shaping-use
  RelaxedInt32 shapingSelection =
      kDefaultQosSelection;      // selection number of the shaping rate, -2 none fits
  RelaxedInt32 shapingRate = 1;  // qos-shaping-speed, raw value
  RelaxedInt32 policingUse = 0;  // qos-policing-use
  RelaxedInt32 policingSelection =
      kDefaultQosSelection;          // selection number of the policing rate, -2 none fits
  RelaxedInt32 policingRate = 1;     // qos-policing-speed, raw value
  RelaxedInt32 vlanMode = 0;         // vlan-port-mode
  RelaxedInt32 accessVlanEntry = 0;  // vlan-access, 0-based registration entry
  std::array<RelaxedInt32, kVlanRegistrations> trunk{};  // vlan-trunk per registration entry
  std::array<RelaxedInt32, kMaxPorts> multiple{};        // vlan-multiple per group
  std::array<RelaxedInt32, kMaxCounters> txCounterTypes{0, 13, 2, 12, 27};  // counter-frame-tx-type
  std::array<RelaxedInt32, kMaxCounters> rxCounterTypes{0, 13, 2, 12, 20};  // counter-frame-rx-type
  RelaxedInt32 poeClass = 5;     // poe-class; the default depends on the port, see below
  RelaxedInt32 backupPort = -1;  // routebackup-backup-port, 0-based port index, -1 none
};

// The last polled status of one port.
struct PortStatus {
  RelaxedInt32 linkSpeed = 0;  // status-port-speed
  RelaxedInt32 loopState = 0;  // status-loopdetect-port: 0 normal, 1 loop, otherwise down
  RelaxedUint64 txOctets = 0;  // status-counter-octet-tx
  std::array<RelaxedUint64, kMaxCounters> txFrames{};  // status-counter-frame-tx
  RelaxedUint64 rxOctets = 0;                          // status-counter-octet-rx
  std::array<RelaxedUint64, kMaxCounters> rxFrames{};  // status-counter-frame-rx
  RelaxedInt32 poeSupply = 0;                          // status-poe-supply, watts
  RelaxedInt32 poeDetectClass = 0;                     // status-poe-detect-class
  RelaxedInt32 poeState = 1;                           // status-poe-state
};

// Command texts that failed for a switch; absent until the first one.
class FailureList {
 public:
  FailureList() = default;
  FailureList(const FailureList& other) : texts_(other.Copy()) {}
  FailureList& operator=(const FailureList& other) {
    if (this != &other) {
      auto texts = other.Copy();
      std::lock_guard<std::mutex> lock(mutex_);
      texts_ = std::move(texts);
    }
    return *this;
  }
  void Add(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(std::move(text));
  }
  // Hands the texts over and leaves the list empty.
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(texts_, {});
  }
  std::vector<std::string> Copy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  bool empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_.empty();
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
};

struct SwitchRecord {
  SharedMac switchMac;
  RelaxedUint32 currentFingerprint = 0xFFFFFFFFu;
  RelaxedUint32 savedFingerprint = 0xFFFFFFFFu;
  RelaxedInt32 fingerprintValid = 0;
  RelaxedInt32 switchState = 0;  // SwitchState
  SharedText systemName;
  SharedText modelName = "unknown";
  SharedText serialNumber;
  SharedText firmwareRevision;
  SharedText bootRomVersion;
  RelaxedInt32 energySaving = 0;
  RelaxedInt32 ledBrightness = 0;
  RelaxedInt32 fanState = 0;  // status-fan: 0 normal, otherwise stopped
  std::array<RelaxedInt32, kFanCount> fanSpeeds{};
  RelaxedInt32 poeTemperature = 0;
  RelaxedInt32 mirrorDestination = 7;  // 0-based port index
  RelaxedInt32 loopCount = 3;
  RelaxedInt32 loopLinkDown = 0;
  RelaxedInt32 loopRecoveryTime = 300;
  RelaxedInt32 qosSpeedUnit = 3;
  RelaxedInt32 mirroringUse = 0;
  std::array<RelaxedInt32, kVlanRegistrations> vlanIds;  // entry r is registration number r + 1
  RelaxedInt32 multipleVlanUse = 0;
  SharedText macText;
  RelaxedInt32 modelCode = 0;
  RelaxedInt32 readFailed = 0;
  RelaxedInt32 portCount = 0;
  RelaxedInt32 counterCount = 0;
  std::array<SharedMac, kMaxNeighbours> neighbourMacs;
  std::array<RelaxedInt32, kMaxNeighbours> neighbourPresent{};
  RelaxedInt32 neighbourCount = 0;
  RelaxedInt32 macAgeing = 1;
  RelaxedInt32 macAgeingTime = 300;
  RelaxedInt32 loopDetectionTime = 3;
  RelaxedInt32 loopControlPackets = 1;
  std::array<PortSettings, kMaxPorts> ports;
  std::array<PortStatus, kMaxPorts> portStatus;
  // Status notices applied so far. A status read whose answer crossed one is
  // dropped: the notice is newer than the answer.
  RelaxedUint32 statusNotices = 0;
  RelaxedInt32 modelChecked = 0;
  RelaxedInt32 nameDefaulted = 0;
  RelaxedInt32 mirrorDefaulted = 0;
  FailureList failures;

  SwitchRecord();

  // Every field to its initial value; the MAC text follows the switch MAC.
  void Initialise();
  // The current fingerprint differs from the saved one.
  bool Changed() const { return currentFingerprint.load() != savedFingerprint.load(); }
  void AddFailure(std::string text) { failures.Add(std::move(text)); }
  // "%s_%s" of model name and serial number: the system name a switch has by default.
  std::string DefaultSystemName() const;
};

// Economy mode is on and in force: energy saving on, and the LEDs in economy.
inline bool EconomyModeInForce(const SwitchRecord& record) {
  return record.energySaving.load() != 0 && record.ledBrightness.load() == 1;
}

// Computes the fingerprint into the current fingerprint, and also into the
// saved one when `baseline` is set.
void ComputeFingerprint(SwitchRecord& record, bool baseline = false);

// The fingerprint's CRC over `bytes`, continued from `crc` (start 0xFFFFFFFF,
// no final inversion).
std::uint32_t FingerprintCrc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count);

}  // namespace ntr
