#include "cli/ntrctl_topology.h"

#include <algorithm>
#include <vector>

#include "cli/ntrctl_words.h"

namespace ntr::cli {
namespace {

// The switches hanging on `parentMac` (empty: the adapter), by port, then in
// the snapshot's order. A switch whose parent is not in the snapshot hangs
// on the adapter, so that nothing drops out of the tree.
std::vector<const SwitchSnapshot*> Children(const NetworkSnapshot& network,
                                            const std::string& parentMac) {
  const auto known = [&](const std::string& mac) {
    return std::any_of(network.switches.begin(), network.switches.end(),
                       [&](const SwitchSnapshot& s) { return s.mac == mac; });
  };
  std::vector<const SwitchSnapshot*> children;
  for (const SwitchSnapshot& sw : network.switches) {
    const std::string parent = sw.parentMac.empty() || !known(sw.parentMac) ? "" : sw.parentMac;
    if (parent == parentMac) children.push_back(&sw);
  }
  std::stable_sort(children.begin(), children.end(),
                   [](const SwitchSnapshot* a, const SwitchSnapshot* b) {
                     return a->uplinkPort < b->uplinkPort;
                   });
  return children;
}

void TextOf(const NetworkSnapshot& network, const SwitchSnapshot& sw, int depth, std::string& out) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  if (!sw.parentMac.empty() && sw.uplinkPort > 0)
    out += "port " + std::to_string(sw.uplinkPort) + ": ";
  out += sw.mac;
  if (!sw.name.empty()) out += " " + TerminalText(sw.name);
  out += " " + TerminalText(sw.model);
  if (!sw.up) out += " (lost)";
  out += "\n";
  for (const SwitchSnapshot* child : Children(network, sw.mac))
    TextOf(network, *child, depth + 1, out);
}

void JsonOf(const NetworkSnapshot& network, const SwitchSnapshot& sw, std::string& out) {
  out += "{\"mac\":" + JsonString(sw.mac) + ",\"name\":" + JsonString(sw.name) +
         ",\"model\":" + JsonString(sw.model) + ",\"firmware\":" + JsonString(sw.firmware) +
         ",\"up\":" + (sw.up ? "true" : "false") + ",\"port\":" +
         (!sw.parentMac.empty() && sw.uplinkPort > 0 ? std::to_string(sw.uplinkPort) : "null") +
         ",\"switches\":[";
  bool first = true;
  for (const SwitchSnapshot* child : Children(network, sw.mac)) {
    if (!first) out += ",";
    first = false;
    JsonOf(network, *child, out);
  }
  out += "]}";
}

// A Graphviz double-quoted string: quotes and backslashes escaped, controls
// as a terminal would show them.
std::string DotString(const std::string& text) {
  std::string out = "\"";
  for (char c : TerminalText(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string TopologyText(const NetworkSnapshot& network) {
  std::string out = "adapter " + TerminalText(network.adapterName);
  if (!network.adapterMac.empty()) out += " (" + network.adapterMac + ")";
  out += "\n";
  for (const SwitchSnapshot* sw : Children(network, "")) TextOf(network, *sw, 1, out);
  return out;
}

std::string TopologyJson(const NetworkSnapshot& network) {
  std::string out = "{\"adapter\":{\"name\":" + JsonString(network.adapterName) + ",\"mac\":" +
                    (network.adapterMac.empty() ? "null" : JsonString(network.adapterMac)) +
                    "},\"switches\":[";
  bool first = true;
  for (const SwitchSnapshot* sw : Children(network, "")) {
    if (!first) out += ",";
    first = false;
    JsonOf(network, *sw, out);
  }
  return out + "]}\n";
}

std::string TopologyDot(const NetworkSnapshot& network) {
  std::string out = "digraph ntr {\n  node [shape=box];\n";
  // The label's line break is Graphviz's own "\n", written after escaping.
  const auto label = [](const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
      std::string quoted = DotString(line);
      joined += (joined.empty() ? "" : "\\n") + quoted.substr(1, quoted.size() - 2);
    }
    return "\"" + joined + "\"";
  };
  out += "  adapter [label=" + label({"adapter " + network.adapterName, network.adapterMac}) +
         ", shape=ellipse];\n";
  for (const SwitchSnapshot& sw : network.switches) {
    std::vector<std::string> lines;
    if (!sw.name.empty()) lines.push_back(sw.name);
    lines.push_back(sw.mac);
    lines.push_back(sw.model);
    out += "  " + DotString(sw.mac) + " [label=" + label(lines) + (sw.up ? "" : ", style=dashed") +
           "];\n";
  }
  const auto edges = [&](const std::string& parent, const std::string& from, auto& self) -> void {
    for (const SwitchSnapshot* child : Children(network, parent)) {
      out += "  " + from + " -> " + DotString(child->mac);
      if (!parent.empty() && child->uplinkPort > 0) {
        out += " [label=\"" + std::to_string(child->uplinkPort) + "\"]";
      }
      out += ";\n";
      self(child->mac, DotString(child->mac), self);
    }
  };
  edges("", "adapter", edges);
  return out + "}\n";
}

}  // namespace ntr::cli
