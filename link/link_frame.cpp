#include "link/link_frame.h"

#include <algorithm>

#include "codec/byte_reader.h"
#include "codec/byte_writer.h"

namespace ntr {

bool IsFrameForTool(std::span<const std::uint8_t> frame) {
  ByteReader reader(frame);
  std::span<const std::uint8_t> destination;
  std::span<const std::uint8_t> type;
  if (!reader.ReadBytes(kToolGroupAddress.size(), destination) ||
      !reader.Skip(sizeof(MacAddress)) || !reader.ReadBytes(2, type)) {
    return false;
  }
  return std::ranges::equal(destination, kToolGroupAddress) && type[0] == kEtherTypeHigh &&
         type[1] == kEtherTypeLow;
}

std::size_t BuildFrame(const MacAddress& source, std::span<const std::uint8_t> payload,
                       SendBuffer& buffer) {
  ByteWriter writer(buffer);
  const std::uint8_t type[] = {kEtherTypeHigh, kEtherTypeLow};
  if (!writer.WriteBytes(kSwitchGroupAddress) || !writer.WriteBytes(source) ||
      !writer.WriteBytes(type) || !writer.WriteBytes(payload)) {
    return 0;
  }
  return writer.size();
}

}  // namespace ntr
