#include "sim/sim_network.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"

namespace ntr::sim {
namespace {

bool IsUnicast(const MacAddress& mac) { return (mac[0] & 1) == 0 && mac != MacAddress{}; }

}  // namespace

SimNetwork::SimNetwork(TimePoint start, std::uint32_t seed) : now_(start), random_(seed) {}

bool SimNetwork::Add(const DescriptionItem& item, std::string& error) {
  if (const auto* entry = std::get_if<SwitchEntry>(&item)) return AddSwitch(*entry, error);
  return AddHost(std::get<HostEntry>(item), error);
}

bool SimNetwork::PortFree(SimSwitch& node, int port) {
  return AttachmentOf(node, port).kind == Attachment::kNothing;
}

bool SimNetwork::AddSwitch(SwitchEntry entry, std::string& error) {
  const std::int32_t model = ModelCodeOf(entry.model);
  std::string reason;
  if (switches_.size() >= kMaxSimSwitches) {
    reason = "the network holds at most " + std::to_string(kMaxSimSwitches) + " switches";
  } else if (entry.name.empty() || entry.name.find(':') != std::string::npos || Find(entry.name)) {
    reason = "switch name '" + entry.name + "' is empty, holds ':' or is taken";
  } else if (model == kModelUnknown) {
    reason = "unknown model '" + entry.model + "'";
  } else if (entry.uplinkPort < 1 || entry.uplinkPort > PortCountOf(model)) {
    reason = "port " + std::to_string(entry.uplinkPort) + " does not exist on " + entry.model;
  }
  if (!reason.empty()) {
    error = std::move(reason);
    return false;
  }
  int position = 1;
  if (!entry.mac) {
    while (Find(FormatSwitchMac({0x02, 0x5C, 0x71, 0, 0, static_cast<std::uint8_t>(position)})))
      ++position;
    entry.mac = MacAddress{0x02, 0x5C, 0x71, 0, 0, static_cast<std::uint8_t>(position)};
  }
  if (!IsUnicast(*entry.mac) || Find(FormatSwitchMac(*entry.mac))) {
    error = "MAC " + FormatSwitchMac(*entry.mac) + " is not a free unicast address";
    return false;
  }
  if (entry.serial.empty()) {
    char serial[16];
    std::snprintf(serial, sizeof serial, "SIM%06d",
                  static_cast<int>((*entry.mac)[5]) + (*entry.mac)[4] * 256);
    entry.serial = serial;
  }
  SimSwitch* parent = nullptr;
  if (!entry.parent.empty()) {
    parent = Find(entry.parent);
    if (parent == nullptr) {
      error = "uplink switch '" + entry.parent + "' is not described before";
      return false;
    }
    if (entry.parentPort < 1 || entry.parentPort > parent->portCount() ||
        !PortFree(*parent, entry.parentPort - 1)) {
      error = "port " + std::to_string(entry.parentPort) + " of " + parent->name() + " is not free";
      return false;
    }
  }
  auto node = std::make_unique<SimSwitch>(entry, now_);
  PortLine& uplink = node->status().line(entry.uplinkPort - 1);
  uplink.cable = true;
  uplink.partnerSpeed = entry.speed;
  uplink.trafficFps = entry.traffic;
  if (parent != nullptr) {
    uplink.partnerMac = parent->mac();
    PortLine& down = parent->status().line(entry.parentPort - 1);
    down = PortLine{};
    down.cable = true;
    down.partnerSpeed = entry.speed;
    down.partnerMac = node->mac();
    down.trafficFps = entry.traffic;
  }
  switches_.push_back(std::move(node));
  return true;
}

bool SimNetwork::AddHost(const HostEntry& host, std::string& error) {
  SimSwitch* node = Find(host.switchName);
  if (node == nullptr) {
    error = "no switch '" + host.switchName + "'";
    return false;
  }
  if (host.port < 1 || host.port > node->portCount() || !PortFree(*node, host.port - 1)) {
    error = "port " + std::to_string(host.port) + " of " + node->name() + " is not free";
    return false;
  }
  if (!IsUnicast(host.mac)) {
    error = "a host needs a unicast MAC address";
    return false;
  }
  hosts_.push_back(std::make_unique<HostEntry>(host));
  PortLine& line = node->status().line(host.port - 1);
  line = PortLine{};
  line.cable = true;
  line.partnerSpeed = host.speed;
  line.partnerMac = host.mac;
  line.trafficFps = host.traffic;
  line.poeDevice = host.poeClass;
  return true;
}

bool SimNetwork::RemoveSwitch(std::string_view who, std::vector<std::string>& removed,
                              std::string& error) {
  SimSwitch* node = Find(who);
  if (node == nullptr) {
    error = "no switch '" + std::string(who) + "'";
    return false;
  }
  if (SimSwitch* parent = Parent(*node))
    parent->status().line(node->entry().parentPort - 1) = PortLine{};
  // Collect the subtree: children always come after their parent.
  std::vector<SimSwitch*> doomed{node};
  for (const auto& candidate : switches_) {
    if (SimSwitch* parent = Parent(*candidate);
        parent != nullptr && std::find(doomed.begin(), doomed.end(), parent) != doomed.end()) {
      doomed.push_back(candidate.get());
    }
  }
  for (SimSwitch* gone : doomed) {
    removed.push_back(gone->name());
    std::erase_if(hosts_, [&](const auto& host) { return host->switchName == gone->name(); });
  }
  std::erase_if(switches_, [&](const auto& candidate) {
    return std::find(doomed.begin(), doomed.end(), candidate.get()) != doomed.end();
  });
  return true;
}

SimSwitch* SimNetwork::Find(std::string_view who) {
  const std::optional<MacAddress> mac = ParseMac(who);
  for (const auto& node : switches_) {
    if (node->name() == who || (mac && node->mac() == *mac)) return node.get();
  }
  return nullptr;
}

SimSwitch* SimNetwork::FindByMac(const MacAddress& mac) {
  for (const auto& node : switches_) {
    if (node->mac() == mac) return node.get();
  }
  return nullptr;
}

SimSwitch* SimNetwork::Parent(const SimSwitch& node) {
  return node.entry().parent.empty() ? nullptr : Find(node.entry().parent);
}

SimNetwork::Attachment SimNetwork::AttachmentOf(SimSwitch& node, int port) {
  Attachment attachment;
  if (port == node.uplinkPort() - 1) {
    SimSwitch* parent = Parent(node);
    attachment.kind = parent != nullptr ? Attachment::kSwitch : Attachment::kTool;
    attachment.peer = parent;
    attachment.peerPort = node.entry().parentPort - 1;
    return attachment;
  }
  for (const auto& child : switches_) {
    if (child->entry().parent == node.name() && child->entry().parentPort == port + 1) {
      attachment.kind = Attachment::kSwitch;
      attachment.peer = child.get();
      attachment.peerPort = child->uplinkPort() - 1;
      return attachment;
    }
  }
  for (const auto& host : hosts_) {
    if (host->switchName == node.name() && host->port == port + 1) {
      attachment.kind = Attachment::kHost;
      attachment.host = host.get();
      return attachment;
    }
  }
  return attachment;
}

bool SimNetwork::SetCable(SimSwitch& node, int port, bool plugged, int speed, std::string& error) {
  if (port < 0 || port >= node.portCount()) {
    error = "port " + std::to_string(port + 1) + " does not exist on " + node.name();
    return false;
  }
  const Attachment attachment = AttachmentOf(node, port);
  for (PortLine* line :
       {&node.status().line(port), attachment.peer != nullptr
                                       ? &attachment.peer->status().line(attachment.peerPort)
                                       : nullptr}) {
    if (line == nullptr) continue;
    line->cable = plugged;
    if (speed != 0) line->partnerSpeed = speed;
  }
  return true;
}

void SimNetwork::RefreshLines(TimePoint now) {
  for (const auto& node : switches_) {
    for (int p = 0; p < node->portCount(); ++p) {
      const Attachment attachment = AttachmentOf(*node, p);
      PortLine& line = node->status().line(p);
      line.partnerUp = true;
      if (attachment.kind == Attachment::kSwitch) {
        const SimSwitch& peer = *attachment.peer;
        line.partnerUp = peer.record().ports[attachment.peerPort].use == 1 && !peer.Restarting(now);
        line.partnerMac = peer.mac();
      } else if (attachment.kind == Attachment::kTool && toolMac_) {
        line.partnerMac = *toolMac_;
      }
    }
  }
}

bool SimNetwork::ReachableFrom(SimSwitch& node, TimePoint now, int depth) {
  if (depth > static_cast<int>(kMaxSimSwitches)) return false;
  // A restarting switch is still reached (it just does not answer); the
  // switches behind it are not.
  const int uplink = node.uplinkPort() - 1;
  if (node.status().LinkSpeed(node.record(), uplink) == 0) return false;
  SimSwitch* parent = Parent(node);
  if (parent == nullptr) return true;
  return !parent->Restarting(now) &&
         parent->status().LinkSpeed(parent->record(), node.entry().parentPort - 1) != 0 &&
         ReachableFrom(*parent, now, depth + 1);
}

std::vector<MacAddress> SimNetwork::Neighbours(SimSwitch& node, const MacAddress& requester) {
  std::vector<MacAddress> neighbours(static_cast<std::size_t>(node.portCount()));
  for (int p = 0; p < node.portCount(); ++p) {
    if (node.status().LinkSpeed(node.record(), p) == 0) continue;
    const Attachment attachment = AttachmentOf(node, p);
    switch (attachment.kind) {
      case Attachment::kTool:
        neighbours[p] = requester;
        break;
      case Attachment::kSwitch:
        neighbours[p] = attachment.peer->mac();
        break;
      case Attachment::kHost:
        neighbours[p] = attachment.host->mac;
        break;
      case Attachment::kNothing:
        break;
    }
  }
  return neighbours;
}

std::vector<SimFrame> SimNetwork::Receive(std::span<const std::uint8_t> payload, TimePoint now) {
  std::vector<SimFrame> out;
  Pdu request;
  ErrorPair error;
  if (!DecodePdu(error, payload, LookupFunctionTypes, request)) {
    ++undecodable_;
    return out;
  }
  Settle(now);
  Drain(now, out);
  const bool sameTool = toolMac_ == request.sourceMac;
  toolMac_ = request.sourceMac;
  if (request.application == PduType::kDiscoveryRequest) {
    Discover(request, now, out);
  } else if (SimSwitch* node = FindByMac(request.destinationMac)) {
    if (Reachable(*node, now)) Answer(*node, request, now, out);
  }
  // A get changes nothing a settle looks at, and the network has just been
  // settled at this very time: settling again would find nothing new.
  const auto* function = std::get_if<FunctionRequest>(&request.body);
  const bool readOnly = sameTool && request.application == PduType::kFuncRequest &&
                        function != nullptr && function->operation == kOpGet;
  if (!readOnly) {
    Settle(now);
    Drain(now, out);
  }
  return out;
}

std::vector<SimFrame> SimNetwork::Tick(TimePoint now) {
  std::vector<SimFrame> out;
  Settle(now);
  Drain(now, out);
  return out;
}

std::optional<TimePoint> SimNetwork::NextDue() const {
  std::optional<TimePoint> next;
  const auto consider = [&](std::optional<TimePoint> at) {
    if (at && (!next || *at < *next)) next = at;
  };
  if (!outbox_.empty()) consider(outbox_.front().due);
  for (const auto& node : switches_) {
    consider(node->silentUntil());
    // A silent switch's status waits until it is back.
    if (!node->Silent(now_)) consider(node->status().NextEvent());
  }
  return next;
}

void SimNetwork::Settle(TimePoint now) {
  now_ = std::max(now_, now);
  for (const auto& node : switches_) node->Wake(now);
  RefreshLines(now);
  for (const auto& node : switches_) {
    if (node->Silent(now)) continue;
    node->status().Advance(node->record(), now);
    std::vector<Notice> notices;
    node->status().Settle(node->record(), now, notices);
    if (!started_ || notices.empty() || !Reachable(*node, now)) continue;
    for (const Notice& notice : notices) {
      Pdu pdu;
      pdu.sourceMac = node->mac();
      pdu.destinationMac = toolMac_.value_or(kToolGroupAddress);
      pdu.application = notice.application;
      if (notice.application == PduType::kNoticePortSpeed) {
        pdu.body = TwoIntegersBody{notice.port, notice.value};
      } else if (notice.application == PduType::kNoticeFan) {
        pdu.body = EmptyBody{};
      } else {
        pdu.body = OneIntegerBody{notice.port};
      }
      std::vector<std::uint8_t> bytes(kEncodeBufferSize);
      std::size_t written = 0;
      ErrorPair error;
      if (!EncodePdu(error, bytes, pdu, written)) continue;
      bytes.resize(written);
      outbox_.push_back({now, SimFrame{node->mac(), std::move(bytes)}});
    }
  }
  started_ = true;
  std::stable_sort(outbox_.begin(), outbox_.end(),
                   [](const Pending& a, const Pending& b) { return a.due < b.due; });
}

void SimNetwork::Drain(TimePoint now, std::vector<SimFrame>& out) {
  auto it = outbox_.begin();
  while (it != outbox_.end() && it->due <= now) out.push_back(std::move((it++)->frame));
  outbox_.erase(outbox_.begin(), it);
}

void SimNetwork::Discover(const Pdu& request, TimePoint now, std::vector<SimFrame>& out) {
  const auto& body = std::get<DiscoveryRequest>(request.body);
  for (const auto& node : switches_) {
    if (!Reachable(*node, now)) continue;
    if (!body.listedMacs.empty() && std::find(body.listedMacs.begin(), body.listedMacs.end(),
                                              node->mac()) == body.listedMacs.end()) {
      continue;
    }
    RequestLogEntry entry;
    entry.switchName = node->name();
    entry.switchMac = node->mac();
    entry.transactionId = request.transactionId;
    entry.application = request.application;
    node->status().CountFrame(node->uplinkPort() - 1, true, kMinPayload);
    if (node->Silent(now)) {
      entry.outcome = Outcome::kSilent;
    } else if (Roll(node->faults().requestLossPercent)) {
      entry.outcome = Outcome::kLost;
    } else {
      Pdu answer;
      answer.transactionId = request.transactionId;
      answer.destinationMac = request.sourceMac;
      answer.application = PduType::kDiscoveryReply;
      DiscoveryReply reply = node->AnswerDiscovery(Neighbours(*node, body.requesterMac));
      entry.result = reply.result;
      entry.fingerprint = reply.fingerprint;
      answer.body = std::move(reply);
      Emit(*node, std::move(answer), now, entry, out);
    }
    log_.Add(std::move(entry));
  }
}

void SimNetwork::Answer(SimSwitch& node, const Pdu& request, TimePoint now,
                        std::vector<SimFrame>& out) {
  RequestLogEntry entry;
  entry.switchName = node.name();
  entry.switchMac = node.mac();
  entry.transactionId = request.transactionId;
  entry.application = request.application;
  if (const auto* function = std::get_if<FunctionRequest>(&request.body))
    entry.function = *function;
  if (const auto* block = std::get_if<FirmwareBlock>(&request.body)) {
    entry.blockNumber = block->blockNumber;
    entry.blockLength = block->data.size();
  }
  node.status().CountFrame(node.uplinkPort() - 1, true, kMinPayload);
  if (node.Silent(now)) {
    entry.outcome = Outcome::kSilent;
  } else if (Roll(node.faults().requestLossPercent)) {
    entry.outcome = Outcome::kLost;
  } else {
    Pdu answer;
    if (!node.Handle(request, now, answer, entry)) return;  // nothing a switch answers
    answer.transactionId = request.transactionId;
    answer.destinationMac = request.sourceMac;
    Emit(node, std::move(answer), now, entry, out);
  }
  log_.Add(std::move(entry));
}

void SimNetwork::Emit(SimSwitch& node, Pdu answer, TimePoint now, RequestLogEntry& entry,
                      std::vector<SimFrame>& out) {
  FaultSettings& faults = node.faults();
  answer.headerValue = 0;
  answer.sourceMac = node.mac();
  if (Roll(faults.answerLossPercent)) {
    entry.answerLost = true;
    return;
  }
  if (FaultSettings::TakeOne(faults.wrongApplication)) answer = WithWrongApplication(answer);
  std::vector<std::uint8_t> bytes(kEncodeBufferSize);
  std::size_t written = 0;
  ErrorPair error;
  if (!EncodePdu(error, bytes, answer, written)) return;
  bytes.resize(written);
  if (FaultSettings::TakeOne(faults.malformed)) Malform(bytes, malformedTurn_++);
  const int copies = FaultSettings::TakeOne(faults.duplicated) ? 2 : 1;
  const bool delayed = faults.delay.count() > 0 && FaultSettings::TakeOne(faults.delayed);
  node.status().CountFrame(node.uplinkPort() - 1, false, bytes.size());
  for (int copy = 0; copy < copies; ++copy) {
    SimFrame frame{node.mac(), copy + 1 < copies ? bytes : std::move(bytes)};
    if (delayed) {
      outbox_.push_back({now + faults.delay, std::move(frame)});
    } else {
      out.push_back(std::move(frame));
    }
  }
  std::stable_sort(outbox_.begin(), outbox_.end(),
                   [](const Pending& a, const Pending& b) { return a.due < b.due; });
}

bool SimNetwork::Roll(double percent) {
  if (percent <= 0) return false;
  return std::uniform_real_distribution<double>(0.0, 100.0)(random_) < percent;
}

}  // namespace ntr::sim
