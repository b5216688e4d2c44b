// A bounds-checked cursor over untrusted bytes. Every read checks that the
// bytes are there; a failed read consumes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ntr {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t remaining() const { return bytes_.size() - position_; }
  std::size_t position() const { return position_; }
  bool empty() const { return remaining() == 0; }

  bool ReadByte(std::uint8_t& out) {
    if (remaining() < 1) return false;
    out = bytes_[position_++];
    return true;
  }

  // Hands out a view of the next `count` bytes and moves past them.
  bool ReadBytes(std::size_t count, std::span<const std::uint8_t>& out) {
    if (remaining() < count) return false;
    out = bytes_.subspan(position_, count);
    position_ += count;
    return true;
  }

  bool Skip(std::size_t count) {
    if (remaining() < count) return false;
    position_ += count;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace ntr
