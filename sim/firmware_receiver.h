// The switch's side of a firmware update: prepare, numbered data blocks, the
// empty final block, abort. The image format and its checks are those of
// sim/firmware_image.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codec/pdu.h"

namespace ntr::sim {

class FirmwareReceiver {
 public:
  // Prepare requests answered "pending" (2) before one is accepted, for
  // every update anew.
  int preparePending = 0;
  // Makes the flash write fail: a valid image then ends with result 5.
  bool flashFails = false;

  // Result 2 while pending answers are due, otherwise 0 and a fresh
  // transfer begins (an unfinished one is dropped).
  std::int32_t Prepare();

  // Result of one data block:
  //   7  no transfer was prepared;
  //   8  a block number other than the next one, or an image over 16 MiB;
  //   3  block 0 does not start with the magic code (the transfer ends);
  //   4  at the empty final block, a wrong length or checksum;
  //   5  at the final block of a valid image, when the flash write fails;
  //   0  accepted; after the final block of a valid image `newRevision`
  //      holds the revision the switch runs after its restart.
  // Every final block ends the transfer, whatever its result.
  std::int32_t Block(const FirmwareBlock& block, std::optional<std::string>& newRevision);

  // Drops a transfer; result 0.
  std::int32_t Abort();

  bool transferring() const { return prepared_; }

 private:
  void End();

  bool prepared_ = false;
  int pendingAnswered_ = 0;
  std::int32_t nextBlock_ = 0;
  std::vector<std::uint8_t> image_;
};

}  // namespace ntr::sim
