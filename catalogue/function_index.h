// Which instance of a function a getter or setter names: up to two 0-based
// indexes, made by the named constructor of the function's index kind.
#pragma once

namespace ntr {

struct FunctionIndex {
  int first = 0;
  int second = 0;

  constexpr FunctionIndex() = default;
  constexpr explicit FunctionIndex(int firstIndex, int secondIndex = 0)
      : first(firstIndex), second(secondIndex) {}

  static constexpr FunctionIndex None() { return FunctionIndex(); }
  static constexpr FunctionIndex Port(int port) { return FunctionIndex(port); }
  static constexpr FunctionIndex Fan(int fan) { return FunctionIndex(fan); }
  static constexpr FunctionIndex Registration(int entry) { return FunctionIndex(entry); }
  static constexpr FunctionIndex PortRegistration(int port, int entry) {
    return FunctionIndex(port, entry);
  }
  static constexpr FunctionIndex PortGroup(int port, int group) {
    return FunctionIndex(port, group);
  }
  static constexpr FunctionIndex PortCounter(int port, int counter) {
    return FunctionIndex(port, counter);
  }
};

}  // namespace ntr
