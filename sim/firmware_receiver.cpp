#include "sim/firmware_receiver.h"

#include "sim/firmware_image.h"
#include "sim/sim_functions.h"

namespace ntr::sim {
namespace {

constexpr std::size_t kMaxImageBytes = 16u << 20;

}  // namespace

std::int32_t FirmwareReceiver::Prepare() {
  if (pendingAnswered_ < preparePending) {
    ++pendingAnswered_;
    return kResPending;
  }
  pendingAnswered_ = 0;
  End();
  prepared_ = true;
  return kResOk;
}

std::int32_t FirmwareReceiver::Block(const FirmwareBlock& block,
                                     std::optional<std::string>& newRevision) {
  newRevision.reset();
  if (!prepared_) return kResAccess;
  if (block.blockNumber != nextBlock_ || image_.size() + block.data.size() > kMaxImageBytes) {
    return kResParameter;
  }
  if (nextBlock_ == 0 && !HasFirmwareMagic(block.data)) {
    End();
    return kResMagic;
  }
  ++nextBlock_;
  if (!block.data.empty()) {
    image_.insert(image_.end(), block.data.begin(), block.data.end());
    return kResOk;
  }
  const std::optional<std::string> revision = VerifyFirmwareImage(image_);
  End();
  if (!revision) return kResChecksum;
  if (flashFails) return kResFlash;
  newRevision = revision;
  return kResOk;
}

std::int32_t FirmwareReceiver::Abort() {
  End();
  return kResOk;
}

void FirmwareReceiver::End() {
  prepared_ = false;
  nextBlock_ = 0;
  image_.clear();
  image_.shrink_to_fit();
}

}  // namespace ntr::sim
