// A bounds-checked cursor over an output buffer of fixed capacity. Every write
// checks the remaining capacity first; a failed write writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ntr {

class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::uint8_t> buffer) : buffer_(buffer) {}

  std::size_t size() const { return size_; }
  std::size_t remaining() const { return buffer_.size() - size_; }

  bool WriteByte(std::uint8_t value) {
    if (remaining() < 1) return false;
    buffer_[size_++] = value;
    return true;
  }

  bool WriteBytes(std::span<const std::uint8_t> bytes) {
    if (remaining() < bytes.size()) return false;
    for (std::uint8_t b : bytes) buffer_[size_++] = b;
    return true;
  }

  bool WriteZeros(std::size_t count) {
    if (remaining() < count) return false;
    for (std::size_t i = 0; i < count; ++i) buffer_[size_++] = 0;
    return true;
  }

  // Overwrites a byte that has already been written (a reserved length field).
  bool Patch(std::size_t offset, std::uint8_t value) {
    if (offset >= size_) return false;
    buffer_[offset] = value;
    return true;
  }

 private:
  std::span<std::uint8_t> buffer_;
  std::size_t size_ = 0;
};

}  // namespace ntr
