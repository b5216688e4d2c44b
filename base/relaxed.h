// Copyable wrappers for values that one thread writes while another reads
// them (a switch's record: the settings thread stores, the window draws).
// Plain stores and loads, but free of data races.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "base/mac_address.h"

namespace ntr {

template <typename T>
class Relaxed {
 public:
  Relaxed() = default;
  Relaxed(T value) : value_(value) {}  // NOLINT: implicit by design
  Relaxed(const Relaxed& other) : value_(other.load()) {}
  Relaxed& operator=(const Relaxed& other) {
    store(other.load());
    return *this;
  }
  Relaxed& operator=(T value) {
    store(value);
    return *this;
  }
  operator T() const { return load(); }  // NOLINT: implicit by design

  T load() const { return value_.load(std::memory_order_relaxed); }
  void store(T value) { value_.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_{};
};

// The record's numbers: written by one thread, read by others, no ordering.
using RelaxedInt32 = Relaxed<std::int32_t>;
using RelaxedUint32 = Relaxed<std::uint32_t>;
using RelaxedUint64 = Relaxed<std::uint64_t>;

// A text field with the same guarantee: readers get a whole copy.
class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text) : text_(std::move(text)) {}  // NOLINT: implicit by design
  SharedText(const char* text) : text_(text) {}             // NOLINT: implicit by design
  SharedText(const SharedText& other) : text_(other.get()) {}
  SharedText& operator=(const SharedText& other) {
    if (this != &other) set(other.get());
    return *this;
  }
  SharedText& operator=(std::string text) {
    set(std::move(text));
    return *this;
  }
  SharedText& operator=(const char* text) {
    set(text);
    return *this;
  }

  std::string get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }
  void set(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = std::move(text);
  }
  bool empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_.empty();
  }
  friend bool operator==(const SharedText& a, std::string_view b) { return a.get() == b; }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// A MAC address field, packed into one atomic word.
class SharedMac {
 public:
  SharedMac() = default;
  SharedMac(const MacAddress& mac) { store(mac); }  // NOLINT: implicit by design
  SharedMac(const SharedMac& other) : packed_(other.packed_) {}
  SharedMac& operator=(const SharedMac& other) {
    packed_ = other.packed_;
    return *this;
  }
  SharedMac& operator=(const MacAddress& mac) {
    store(mac);
    return *this;
  }
  operator MacAddress() const { return load(); }  // NOLINT: implicit by design

  MacAddress load() const {
    const std::uint64_t packed = packed_.load();
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
      mac[i] = static_cast<std::uint8_t>(packed >> (8 * (5 - i)));
    }
    return mac;
  }
  void store(const MacAddress& mac) {
    std::uint64_t packed = 0;
    for (std::uint8_t b : mac) packed = (packed << 8) | b;
    packed_.store(packed);
  }

 private:
  Relaxed<std::uint64_t> packed_;
};

}  // namespace ntr
