// Splitting command and description lines into words, and reading numbers.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ntr::sim {

// Words separated by blanks or tabs; a trailing CR is ignored.
inline std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t start = line.find_first_not_of(" \t\r", at);
    if (start == std::string_view::npos) break;
    const std::size_t end = line.find_first_of(" \t\r", start);
    words.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    at = end == std::string_view::npos ? line.size() : end;
  }
  return words;
}

// A whole word as a decimal number within [min, max].
inline bool ParseNumber(std::string_view word, std::int64_t min, std::int64_t max,
                        std::int64_t& value) {
  std::int64_t parsed = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), parsed);
  if (error != std::errc{} || end != word.data() + word.size()) return false;
  if (parsed < min || parsed > max) return false;
  value = parsed;
  return true;
}

template <typename Int>
bool ParseNumber(std::string_view word, std::int64_t min, std::int64_t max, Int& value) {
  std::int64_t parsed = 0;
  if (!ParseNumber(word, min, max, parsed)) return false;
  value = static_cast<Int>(parsed);
  return true;
}

}  // namespace ntr::sim
