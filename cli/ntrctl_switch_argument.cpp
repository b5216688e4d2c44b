#include "cli/ntrctl_switch_argument.h"

#include <algorithm>
#include <cctype>

#include "catalogue/switch_model.h"

namespace ntr::cli {
namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsSeparator(char c) { return c == ':' || c == '-'; }

}  // namespace

SwitchArgument ParseSwitchArgument(std::string_view text) {
  SwitchArgument ref;
  ref.name = std::string(text);
  const bool allHex = !text.empty() && std::all_of(text.begin(), text.end(), IsHex);
  if (allHex && text.size() == 12) {
    // Without separators: put them in and read it the usual way.
    std::string spelled;
    for (std::size_t i = 0; i < text.size(); i += 2) {
      if (i > 0) spelled += ':';
      spelled.append(text.substr(i, 2));
    }
    ref.kind = SwitchArgument::Kind::kMac;
    ref.mac = *ParseMac(spelled);
    return ref;
  }
  const bool macCharacters =
      std::all_of(text.begin(), text.end(), [](char c) { return IsHex(c) || IsSeparator(c); });
  const bool separated = std::any_of(text.begin(), text.end(), IsSeparator);
  const bool digits = std::any_of(text.begin(), text.end(), IsHex);
  if (!(macCharacters && separated && digits)) return ref;  // a name
  if (const auto mac = ParseMac(text)) {
    ref.kind = SwitchArgument::Kind::kMac;
    ref.mac = *mac;
  } else {
    ref.kind = SwitchArgument::Kind::kMalformedMac;
  }
  return ref;
}

std::string KnownName(const SwitchRecord& record) {
  SwitchRecord named(record);
  ModelFixUp(named);
  return named.systemName.get();
}

}  // namespace ntr::cli
