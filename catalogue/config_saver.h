// How the getters and setters save the configuration file after a change.
// The application's configuration writer implements it.
#pragma once

#include "base/error.h"

namespace ntr {

class ConfigSaver {
 public:
  virtual ~ConfigSaver() = default;
  // Writes the configuration file; false with the reason in `error`.
  virtual bool SaveConfigFile(ErrorPair& error) = 0;
};

}  // namespace ntr
