// How the operator picks one adapter when several are usable. The window
// implements it with its selection dialog; headless front ends and tests
// choose by name or take the first.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "link/adapter_info.h"

namespace ntr {

class AdapterChooser {
 public:
  virtual ~AdapterChooser() = default;

  // Called with two or more adapters, the first one preselected. Returns the
  // index of the chosen one, or nothing when the operator cancels.
  virtual std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) = 0;
};

// Chooses the adapter with the given interface name, or the first one when
// no name is given. A name that matches no adapter cancels.
class HeadlessAdapterChooser : public AdapterChooser {
 public:
  explicit HeadlessAdapterChooser(std::string name = {}) : name_(std::move(name)) {}

  std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) override;

 private:
  std::string name_;
};

}  // namespace ntr
