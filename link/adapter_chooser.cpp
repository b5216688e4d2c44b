#include "link/adapter_chooser.h"

namespace ntr {

std::optional<std::size_t> HeadlessAdapterChooser::Choose(
    const std::vector<AdapterInfo>& adapters) {
  if (adapters.empty()) return std::nullopt;
  if (name_.empty()) return 0;
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    if (adapters[i].name == name_) return i;
  }
  return std::nullopt;
}

}  // namespace ntr
