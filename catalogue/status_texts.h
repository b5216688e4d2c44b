// The words the operator sees for a port's polled status.
#pragma once

#include <cstdint>
#include <string>

namespace ntr {

// status-port-speed: "リンクダウン", "リンクオート", "リンクアップ[...]".
std::string LinkSpeedText(std::int32_t linkSpeed);
// status-poe-state; values outside 0..13 give "未定義のステータス".
std::string PoeStateText(std::int32_t poeState);
// status-loopdetect-port: 0 normal, 1 loop, anything else link down.
std::string LoopStateText(std::int32_t loopState);
// status-fan: 0 normal, anything else stopped.
std::string FanStateText(std::int32_t fanState);

}  // namespace ntr
