#include "base/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace ntr {
namespace {

constexpr const char* kCodePage932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of `input` as possible, appending to `out`. Returns the
  // number of input bytes consumed; stops at the first byte sequence that
  // cannot be converted.
  std::size_t Convert(std::string_view input, std::string& out) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t rc = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, sizeof buffer - outLeft);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    // Flush any shift state (none for these encodings, but keep iconv's contract).
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return input.size() - inLeft;
  }

 private:
  iconv_t handle_;
};

// Converts `input`, calling `onFailure(rest, out)` at each position that cannot
// be converted; it returns how many bytes to skip there, or 0 to give up.
template <typename OnFailure>
bool ConvertWith(const char* to, const char* from, std::string_view input, std::string& out,
                 OnFailure onFailure) {
  Converter converter(to, from);
  out.clear();
  if (!converter.ok()) return false;
  while (!input.empty()) {
    input.remove_prefix(converter.Convert(input, out));
    if (input.empty()) break;
    const std::size_t skip = onFailure(input, out);
    if (skip == 0) return false;
    input.remove_prefix(skip);
  }
  return true;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto b0 = static_cast<std::uint8_t>(text[0]);
  if (b0 < 0x80) return 1;
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  std::uint32_t codePoint = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = b0 & 0x1Fu;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = b0 & 0x0Fu;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = b0 & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if ((b & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (b & 0x3Fu);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
  return ConvertWith(kCodePage932, kUtf8, utf8, out,
                     [](std::string_view, std::string&) -> std::size_t { return 0; });
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
  std::string out;
  ConvertWith(kCodePage932, kUtf8, utf8, out, [](std::string_view rest, std::string& o) {
    o.push_back('?');
    const std::size_t length = Utf8SequenceLength(rest);
    return length == 0 ? std::size_t{1} : length;
  });
  return out;
}

bool Cp932ToUtf8(std::string_view cp932, std::string& out) {
  return ConvertWith(kUtf8, kCodePage932, cp932, out,
                     [](std::string_view, std::string&) -> std::size_t { return 0; });
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  std::string out;
  ConvertWith(kUtf8, kCodePage932, cp932, out, [](std::string_view, std::string& o) {
    o.append(kReplacementChar);
    return std::size_t{1};
  });
  return out;
}

std::string FileSafeText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::string cp932, back;
  while (!utf8.empty()) {
    const std::size_t length = Utf8SequenceLength(utf8);
    const std::string_view one = utf8.substr(0, length == 0 ? 1 : length);
    utf8.remove_prefix(one.size());
    const auto lead = static_cast<unsigned char>(one[0]);
    const bool control =
        lead < 0x20 || lead == 0x7F ||
        (lead == 0xC2 && one.size() == 2 && static_cast<unsigned char>(one[1]) < 0xA0);
    if (length == 0 || control) {
      out.push_back('?');
    } else if (length == 1) {
      out.append(one);
    } else {
      const bool kept = Utf8ToCp932(one, cp932) && Cp932ToUtf8(cp932, back) && back == one;
      out.append(kept ? one : std::string_view("?"));
    }
  }
  return out;
}

std::string SanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
      out.append(kReplacementChar);
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return out;
}

std::size_t CountChars(std::string_view utf8) {
  std::size_t count = 0;
  while (!utf8.empty()) {
    const std::size_t length = Utf8SequenceLength(utf8);
    utf8.remove_prefix(length == 0 ? 1 : length);
    ++count;
  }
  return count;
}

std::string_view CutToChars(std::string_view utf8, std::size_t maxChars) {
  std::size_t bytes = 0;
  for (std::size_t chars = 0; chars < maxChars && bytes < utf8.size(); ++chars) {
    const std::size_t length = Utf8SequenceLength(utf8.substr(bytes));
    bytes += length == 0 ? 1 : length;
  }
  return utf8.substr(0, bytes);
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace ntr
