// The sets and set-defaults that simulated switches received, in order, as
// "keyword[ INDEX[ INDEX2]]=VALUE" ("=default" for a set-default; indexes
// 1-based, as on the wire): what a screen's apply sent.
#pragma once

#include <QStringList>
#include <string>

#include "catalogue/function_descriptors.h"
#include "tests/support/sim_peer.h"

namespace ntr::test {

// Only the requests to the switch named `switchName`, when given.
inline QStringList SentSets(SimPeer& peer, const std::string& switchName = {}) {
  QStringList sets;
  for (const auto& entry : peer.Log()) {
    const auto& f = entry.function;
    if ((!switchName.empty() && entry.switchName != switchName) ||
        entry.application != PduType::kFuncRequest ||
        (f.operation != kOpSet && f.operation != kOpSetDefault)) {
      continue;
    }
    const FunctionDescriptor* function = FindFunctionById(f.functionId);
    if (function == nullptr) {
      sets << QStringLiteral("?");
      continue;
    }
    QString set = QString::fromUtf8(function->keyword.data(),
                                    static_cast<qsizetype>(function->keyword.size()));
    if (IndexCount(*function) >= 1) set += QStringLiteral(" %1").arg(f.firstIndex);
    if (IndexCount(*function) == 2) set += QStringLiteral(" %1").arg(f.secondIndex);
    sets << set + "=" +
                (f.operation == kOpSetDefault ? QStringLiteral("default")
                                              : QString::number(f.intValue));
  }
  return sets;
}

}  // namespace ntr::test
