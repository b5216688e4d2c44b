#include "metrics/metrics_text.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "base/text_encoding.h"

namespace ntr {

void AppendLabelValue(std::string& out, std::string_view value) {
  const std::string text = SanitizeUtf8(value);
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
}

namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendNumber(std::string& out, int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendLabel(std::string& out, std::string_view name, std::string_view value) {
  out += ',';
  out += name;
  out += "=\"";
  AppendLabelValue(out, value);
  out += '"';
}

// Writes families one after the other; every sample of a family follows its
// HELP and TYPE lines, as the format asks.
class Exposition {
 public:
  explicit Exposition(std::string& out) : out_(out) {}

  void Family(std::string_view name, std::string_view type, std::string_view help) {
    name_ = name;
    out_ += "# HELP ";
    out_ += name;
    out_ += ' ';
    out_ += help;
    out_ += "\n# TYPE ";
    out_ += name;
    out_ += ' ';
    out_ += type;
    out_ += '\n';
  }

  // One sample: the family's name, `labels` (already escaped, starting with
  // the switch's), `extra` and `more` (comma-led label lists or empty) and
  // the value.
  template <typename Number>
  void Sample(std::string_view labels, std::string_view extra, Number value) {
    Sample(labels, extra, {}, value);
  }
  template <typename Number>
  void Sample(std::string_view labels, std::string_view extra, std::string_view more,
              Number value) {
    out_ += name_;
    out_ += '{';
    out_ += labels;
    out_ += extra;
    out_ += more;
    out_ += "} ";
    AppendNumber(out_, value);
    out_ += '\n';
  }

 private:
  std::string& out_;
  std::string_view name_;
};

struct SwitchLabels {
  const SwitchSnapshot* sw;
  std::string labels;                   // switch="…",name="…",model="…"
  std::vector<std::string> portLabels;  // ,port="N" per port
};

// The counter label of each frame-counter slot, or empty for a slot to leave
// out: one without a word, or one counting what an earlier slot counts (two
// samples with the same labels would be one series twice).
std::array<std::string, kSnapshotCounters> CounterLabels(
    const std::array<std::string, kSnapshotCounters>& words) {
  std::array<std::string, kSnapshotCounters> labels;
  std::set<std::string> seen;
  for (int slot = 0; slot < kSnapshotCounters; ++slot) {
    const std::string& word = words[slot];
    if (word.empty() || !seen.insert(word).second) continue;
    AppendLabel(labels[slot], "counter", word);
  }
  return labels;
}

}  // namespace

std::string RenderMetrics(const NetworkSnapshot& snapshot) {
  std::vector<SwitchLabels> switches;
  std::size_t ports = 0;
  switches.reserve(snapshot.switches.size());
  for (const SwitchSnapshot& sw : snapshot.switches) {
    SwitchLabels entry{&sw, {}, {}};
    entry.labels = "switch=\"";
    AppendLabelValue(entry.labels, sw.mac);
    entry.labels += '"';
    AppendLabel(entry.labels, "name", sw.name);
    AppendLabel(entry.labels, "model", sw.model);
    for (const PortSnapshot& port : sw.ports) {
      std::string label = ",port=\"";
      AppendNumber(label, port.port);
      label += '"';
      entry.portLabels.push_back(std::move(label));
    }
    ports += sw.ports.size();
    switches.push_back(std::move(entry));
  }

  std::string out;
  out.reserve(4096 + switches.size() * 1024 + ports * 2600);
  Exposition metrics(out);

  metrics.Family("ntr_switch_up", "gauge", "Whether the switch answers (1) or was lost (0).");
  for (const SwitchLabels& s : switches) metrics.Sample(s.labels, "", s.sw->up ? 1 : 0);

  metrics.Family("ntr_switch_info", "gauge",
                 "The switch's firmware revision and serial number; always 1.");
  for (const SwitchLabels& s : switches) {
    std::string extra;
    AppendLabel(extra, "firmware", s.sw->firmware);
    AppendLabel(extra, "serial", s.sw->serial);
    metrics.Sample(s.labels, extra, 1);
  }

  metrics.Family("ntr_switch_fan_rpm", "gauge", "Fan speed in revolutions per minute.");
  for (const SwitchLabels& s : switches) {
    if (!s.sw->up) continue;
    for (std::size_t fan = 0; fan < s.sw->fanRpm.size(); ++fan) {
      std::string extra = ",fan=\"";
      AppendNumber(extra, static_cast<int>(fan + 1));
      extra += '"';
      metrics.Sample(s.labels, extra, s.sw->fanRpm[fan]);
    }
  }

  metrics.Family("ntr_switch_temperature_celsius", "gauge",
                 "Temperature inside the switch in degrees Celsius.");
  for (const SwitchLabels& s : switches) {
    if (s.sw->up && s.sw->hasTemperature) metrics.Sample(s.labels, "", s.sw->temperatureCelsius);
  }

  // One family over every port of every switch that answers.
  const auto eachPort = [&](const std::function<void(const SwitchLabels&, const std::string&,
                                                     const PortSnapshot&)>& sample) {
    for (const SwitchLabels& s : switches) {
      if (!s.sw->up) continue;
      for (std::size_t i = 0; i < s.sw->ports.size(); ++i)
        sample(s, s.portLabels[i], s.sw->ports[i]);
    }
  };

  metrics.Family("ntr_port_up", "gauge", "Whether the port's link is up.");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    metrics.Sample(s.labels, port, p.up ? 1 : 0);
  });
  metrics.Family("ntr_port_link_speed_mbps", "gauge",
                 "Link speed in Mbit/s; 0 while the link is down.");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    metrics.Sample(s.labels, port, p.linkSpeedMbps);
  });
  metrics.Family("ntr_port_loop_detected", "gauge",
                 "Whether the switch detects a loop on the port.");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    metrics.Sample(s.labels, port, p.loopDetected ? 1 : 0);
  });
  metrics.Family("ntr_port_poe_state", "gauge",
                 "Power over Ethernet state code as the switch reports it (PoE ports only).");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    if (p.hasPoe) metrics.Sample(s.labels, port, p.poeState);
  });
  metrics.Family("ntr_port_poe_fault", "gauge",
                 "Whether the port's PoE state is a fault state (PoE ports only).");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    if (p.hasPoe) metrics.Sample(s.labels, port, p.poeFault ? 1 : 0);
  });
  metrics.Family("ntr_port_rx_octets_total", "counter", "Octets received on the port.");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    metrics.Sample(s.labels, port, p.rxOctets);
  });
  metrics.Family("ntr_port_tx_octets_total", "counter", "Octets sent on the port.");
  eachPort([&](const SwitchLabels& s, const std::string& port, const PortSnapshot& p) {
    metrics.Sample(s.labels, port, p.txOctets);
  });

  const auto frames = [&](std::string_view name, std::string_view help, bool received) {
    metrics.Family(name, "counter", help);
    for (const SwitchLabels& s : switches) {
      if (!s.sw->up) continue;
      const auto counters = CounterLabels(received ? s.sw->rxCounterWords : s.sw->txCounterWords);
      for (std::size_t i = 0; i < s.sw->ports.size(); ++i) {
        const PortSnapshot& p = s.sw->ports[i];
        for (int slot = 0; slot < kSnapshotCounters; ++slot) {
          if (counters[slot].empty()) continue;
          metrics.Sample(s.labels, s.portLabels[i], counters[slot],
                         received ? p.rxFrames[slot] : p.txFrames[slot]);
        }
      }
    }
  };
  frames("ntr_port_rx_frames_total", "Frames received on the port, by the kind the counter counts.",
         true);
  frames("ntr_port_tx_frames_total", "Frames sent on the port, by the kind the counter counts.",
         false);
  return out;
}

}  // namespace ntr
