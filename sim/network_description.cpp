#include "sim/network_description.h"

#include "sim/text_words.h"

namespace ntr::sim {
namespace {

// "NAME:PORT" with a port number 1..24.
bool ParsePlace(std::string_view word, std::string& name, int& port) {
  const std::size_t colon = word.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  name = std::string(word.substr(0, colon));
  return ParseNumber(word.substr(colon + 1), 1, 24, port);
}

// Splits "key=value"; false when there is no '='.
bool KeyValue(std::string_view word, std::string_view& key, std::string_view& value) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos) return false;
  key = word.substr(0, equals);
  value = word.substr(equals + 1);
  return true;
}

bool ParseSwitch(const std::vector<std::string_view>& words, SwitchEntry& entry,
                 std::string& error) {
  if (words.size() < 2 || words[1].find('=') != std::string_view::npos) {
    error = "a switch needs a name";
    return false;
  }
  entry.name = std::string(words[1]);
  for (std::size_t i = 2; i < words.size(); ++i) {
    std::string_view key, value;
    bool ok = KeyValue(words[i], key, value);
    if (ok) {
      if (key == "model") {
        entry.model = std::string(value);
      } else if (key == "reported-model") {
        entry.reportedModel = std::string(value);
      } else if (key == "mac") {
        entry.mac = ParseMac(value);
        ok = entry.mac.has_value();
      } else if (key == "serial") {
        entry.serial = std::string(value);
      } else if (key == "firmware") {
        entry.firmware = std::string(value);
      } else if (key == "bootrom") {
        entry.bootRom = std::string(value);
      } else if (key == "uplink") {
        if (value == "tool") {
          entry.parent.clear();
          entry.parentPort = 0;
        } else {
          ok = ParsePlace(value, entry.parent, entry.parentPort);
        }
      } else if (key == "port") {
        ok = ParseNumber(value, 1, 24, entry.uplinkPort);
      } else if (key == "speed") {
        ok = ParseNumber(value, 2, 6, entry.speed);
      } else if (key == "traffic") {
        ok = ParseNumber(value, 0, 1000000, entry.traffic);
      } else if (key == "sync-pending") {
        ok = ParseNumber(value, 0, 1000000, entry.syncPending);
      } else if (key == "prepare-pending") {
        ok = ParseNumber(value, 0, 1000000, entry.preparePending);
      } else if (key == "restart-ms") {
        ok = ParseNumber(value, 0, 3600000, entry.restartMs);
      } else {
        ok = false;
      }
    }
    if (!ok) {
      error = "switch " + entry.name + ": cannot use '" + std::string(words[i]) + "'";
      return false;
    }
  }
  if (entry.model.empty()) {
    error = "switch " + entry.name + ": model= is missing";
    return false;
  }
  return true;
}

bool ParseHost(const std::vector<std::string_view>& words, HostEntry& entry, std::string& error) {
  std::optional<MacAddress> mac;
  if (words.size() < 3 || !ParsePlace(words[1], entry.switchName, entry.port) ||
      !(mac = ParseMac(words[2]))) {
    error = "a host needs SWITCH:PORT and a MAC address";
    return false;
  }
  entry.mac = *mac;
  for (std::size_t i = 3; i < words.size(); ++i) {
    std::string_view key, value;
    bool ok = KeyValue(words[i], key, value);
    if (ok) {
      if (key == "poe") {
        ok = ParseNumber(value, 0, 4, entry.poeClass);
      } else if (key == "speed") {
        ok = ParseNumber(value, 2, 6, entry.speed);
      } else if (key == "traffic") {
        ok = ParseNumber(value, 0, 1000000, entry.traffic);
      } else {
        ok = false;
      }
    }
    if (!ok) {
      error = "host " + std::string(words[2]) + ": cannot use '" + std::string(words[i]) + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseDescriptionLine(std::string_view line, std::optional<DescriptionItem>& item,
                          std::string& error) {
  item.reset();
  const std::vector<std::string_view> words = SplitWords(line);
  if (words.empty() || words[0].front() == '#') return true;
  if (words[0] == "switch") {
    SwitchEntry entry;
    if (!ParseSwitch(words, entry, error)) return false;
    item = std::move(entry);
    return true;
  }
  if (words[0] == "host") {
    HostEntry entry;
    if (!ParseHost(words, entry, error)) return false;
    item = std::move(entry);
    return true;
  }
  error = "a line starts with 'switch' or 'host', not '" + std::string(words[0]) + "'";
  return false;
}

bool ParseDescription(std::string_view text, std::vector<DescriptionItem>& items,
                      std::string& error) {
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    std::optional<DescriptionItem> item;
    if (!ParseDescriptionLine(line, item, error)) {
      error = "line " + std::to_string(number) + ": " + error;
      return false;
    }
    if (item) items.push_back(std::move(*item));
  }
  return true;
}

}  // namespace ntr::sim
