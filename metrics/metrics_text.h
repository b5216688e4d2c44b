// The Prometheus text exposition format (version 0.0.4) of a network snapshot:
// one family per metric, each with its HELP and TYPE lines, every sample
// labelled with the switch's MAC, name and model (and the port, the fan or the
// counter where it has one).
#pragma once

#include <string>
#include <string_view>

#include "app/network_snapshot.h"

namespace ntr {

// The content type a scrape answers with.
inline constexpr std::string_view kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// The whole exposition of `snapshot`. A switch that no longer answers keeps
// its ntr_switch_up (0) and ntr_switch_info samples; its ports, fans and
// temperature are left out, since their last values are no longer current.
std::string RenderMetrics(const NetworkSnapshot& snapshot);

// Appends `value` as a label value: invalid UTF-8 becomes U+FFFD, and
// backslash, double quote and line feed are escaped.
void AppendLabelValue(std::string& out, std::string_view value);

}  // namespace ntr
