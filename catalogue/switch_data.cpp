#include "catalogue/switch_data.h"

#include <zlib.h>

#include <algorithm>

#include "catalogue/switch_model.h"
#include "protocol/text_encoding.h"

namespace ntr {

tag_SWITCHDATA::tag_SWITCHDATA() {
  for (auto& id : vlanIds) id = 1;
  for (int p = 0; p < kMaxPorts; ++p) ports[p].poeClass = DefaultPoeClass(p);
  macText = FormatSwitchMac(switchMac);
}

void tag_SWITCHDATA::Initialise() { *this = tag_SWITCHDATA(); }

std::string tag_SWITCHDATA::DefaultSystemName() const {
  return modelName.get() + "_" + serialNumber.get();
}

std::uint32_t FingerprintCrc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  // zlib inverts before and after; the fingerprint does neither.
  return ~static_cast<std::uint32_t>(
      crc32(~crc & 0xFFFFFFFFu, bytes, static_cast<uInt>(count)));
}

namespace {

// Feeds the items of the fingerprint into the CRC.
class FingerprintFeed {
 public:
  void Number(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24),
                                   static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    crc_ = FingerprintCrc(crc_, bytes, 4);
  }
  void Id(std::uint16_t id) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(id >> 8),
                                   static_cast<std::uint8_t>(id)};
    crc_ = FingerprintCrc(crc_, bytes, 2);
  }
  void Bytes(const std::string& bytes) {
    crc_ = FingerprintCrc(crc_, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  // ID and value when the value differs from its default.
  void Single(std::uint16_t id, std::int32_t value, std::int32_t defaultValue) {
    if (value == defaultValue) return;
    Id(id);
    Number(value);
  }
  std::uint32_t crc() const { return crc_; }

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

// An item whose ID goes in once, before its first differing entry.
class IdOnce {
 public:
  IdOnce(FingerprintFeed& feed, std::uint16_t id) : feed_(feed), id_(id) {}
  FingerprintFeed& operator()() {
    if (!fed_) feed_.Id(id_);
    fed_ = true;
    return feed_;
  }

 private:
  FingerprintFeed& feed_;
  std::uint16_t id_;
  bool fed_ = false;
};

template <typename Field>
void PerPort(FingerprintFeed& feed, const tag_SWITCHDATA& record, int portCount, std::uint16_t id,
             std::int32_t defaultValue, Field field) {
  IdOnce item(feed, id);
  for (int p = 0; p < portCount; ++p) {
    const std::int32_t value = field(record.ports[p]);
    if (value != defaultValue) {
      item().Number(p + 1);
      feed.Number(value);
    }
  }
}

}  // namespace

void ComputeFingerprint(tag_SWITCHDATA& record, bool baseline) {
  FingerprintFeed feed;
  const int portCount = std::clamp<int>(record.portCount, 0, kMaxPorts);
  const int counterCount = std::clamp<int>(record.counterCount, 0, kMaxCounters);
  const std::string modelName = record.modelName.get();
  using P = const PortSettings&;

  // An empty name is fed as nothing at all: a freshly initialised record,
  // whose name is empty and whose default name is "unknown_", must still
  // give the all-defaults value.
  if (const std::string name = record.systemName.get();
      !name.empty() && name != record.DefaultSystemName()) {
    feed.Id(0x0106);
    feed.Bytes(Utf8ToCp932Lossy(name));
  }
  feed.Single(0x0107, record.energySaving, 0);
  feed.Single(0x0108, record.ledBrightness, 0);

  PerPort(feed, record, portCount, 0x0201, 1, [](P s) { return s.speed.load(); });
  PerPort(feed, record, portCount, 0x0202, 1, [](P s) { return s.use.load(); });
  PerPort(feed, record, portCount, 0x0203, 1, [](P s) { return s.autoCrossover.load(); });
  PerPort(feed, record, portCount, 0x0204, 1, [](P s) { return s.speedDownshift.load(); });
  PerPort(feed, record, portCount, 0x0205, 0, [](P s) { return s.flowControl.load(); });
  PerPort(feed, record, portCount, 0x0207, 0, [](P s) { return s.blockControlPackets.load(); });
  PerPort(feed, record, portCount, 0x0208, 0, [](P s) { return s.blockDataPackets.load(); });

  feed.Single(0x0301, record.macAgeing, 1);
  feed.Single(0x0302, record.macAgeingTime, 300);

  {
    IdOnce item(feed, 0x0401);
    for (int r = 0; r < kVlanRegistrations; ++r) {
      const std::int32_t id = record.vlanIds[r];
      if (id != 1 && id != r + 1) {
        item().Number(r + 1);
        feed.Number(id);
      }
    }
  }
  PerPort(feed, record, portCount, 0x0402, 0, [](P s) { return s.vlanMode.load(); });
  {
    IdOnce item(feed, 0x0403);
    for (int p = 0; p < portCount; ++p) {
      const std::int32_t entry = record.ports[p].accessVlanEntry;
      if (entry != 0) {
        item().Number(p + 1);
        feed.Number(entry + 1);
      }
    }
  }
  {
    IdOnce item(feed, 0x0404);
    for (int p = 0; p < portCount; ++p) {
      for (int r = 0; r < kVlanRegistrations; ++r) {
        const std::int32_t member = record.ports[p].trunk[r];
        if (member != 0) {
          item().Number(p + 1);
          feed.Number(r + 1);
          feed.Number(member);
        }
      }
    }
  }
  feed.Single(0x0405, record.multipleVlanUse, 0);
  {
    IdOnce item(feed, 0x0406);
    for (int p = 0; p < portCount; ++p) {
      for (int g = 0; g < portCount; ++g) {
        const std::int32_t member = record.ports[p].multiple[g];
        if (member != 0) {
          item().Number(p + 1);
          feed.Number(g + 1);
          feed.Number(member);
        }
      }
    }
  }
  PerPort(feed, record, portCount, 0x0501, 0, [](P s) { return s.dscpRemarkType.load(); });
  PerPort(feed, record, portCount, 0x0502, 0, [](P s) { return s.dscpRemarkClass.load(); });

  if (modelName == kModelName24G) {
    feed.Single(0x0503, record.qosSpeedUnit, 3);
    PerPort(feed, record, portCount, 0x0504, 0, [](P s) { return s.policingUse.load(); });
    PerPort(feed, record, portCount, 0x0505, 1, [](P s) { return s.policingRate.load(); });
    PerPort(feed, record, portCount, 0x0506, 0, [](P s) { return s.shapingUse.load(); });
    PerPort(feed, record, portCount, 0x0507, 1, [](P s) { return s.shapingRate.load(); });
  }

  feed.Single(0x0601, record.mirroringUse, 0);
  if (const std::int32_t dest = record.mirrorDestination; dest != DefaultMirrorDestination(modelName)) {
    feed.Id(0x0602);
    feed.Number(dest + 1);
  }
  PerPort(feed, record, portCount, 0x0603, 0, [](P s) { return s.mirrorRx.load(); });
  PerPort(feed, record, portCount, 0x0604, 0, [](P s) { return s.mirrorTx.load(); });

  const auto counterTypes = [&](std::uint16_t id, const auto& defaults, auto types) {
    IdOnce item(feed, id);
    for (int p = 0; p < portCount; ++p) {
      for (int k = 0; k < counterCount; ++k) {
        const std::int32_t type = types(record.ports[p])[k];
        if (type != defaults[k]) {
          item().Number(p + 1);
          feed.Number(k + 1);
          feed.Number(type);
        }
      }
    }
  };
  counterTypes(0x0701, kDefaultRxCounterTypes, [](P s) -> const auto& { return s.rxCounterTypes; });
  counterTypes(0x0702, kDefaultTxCounterTypes, [](P s) -> const auto& { return s.txCounterTypes; });

  feed.Single(0x0801, record.loopCount, 3);
  feed.Single(0x0802, record.loopDetectionTime, 3);
  feed.Single(0x0803, record.loopLinkDown, 0);
  feed.Single(0x0804, record.loopRecoveryTime, 300);
  PerPort(feed, record, portCount, 0x0805, 1, [](P s) { return s.loopDetect.load(); });
  feed.Single(0x0809, record.loopControlPackets, 1);

  {
    IdOnce item(feed, 0x0A01);
    for (int p = 0; p < portCount; ++p) {
      const std::int32_t backup = record.ports[p].backupPort;
      if (backup != -1) {
        item().Number(p + 1);
        feed.Number(backup + 1);
      }
    }
  }
  if (modelName == kModelName8PoE) {
    IdOnce item(feed, 0x0901);
    for (int p = 0; p < portCount; ++p) {
      const std::int32_t poeClass = record.ports[p].poeClass;
      if (poeClass != DefaultPoeClass(p)) {
        item().Number(p + 1);
        feed.Number(poeClass);
      }
    }
  }

  record.currentFingerprint = feed.crc();
  if (baseline) record.savedFingerprint = feed.crc();
}

}  // namespace ntr
