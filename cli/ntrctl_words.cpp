#include "cli/ntrctl_words.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "cli/ntrctl_verbosity.h"

namespace ntr::cli {

std::string ConfigValueText(const SwitchRecord& record, Function named, int first, int second) {
  const FunctionDescriptor* function = &DescriptorOf(named);
  if (!function->Requested()) return "";
  SwitchRecord& readable = const_cast<SwitchRecord&>(record);  // fields are only read
  if (function->text != nullptr) return (readable.*function->text).get();
  if (function->counter != nullptr) {
    return std::to_string(function->counter(readable, first, second)->load());
  }
  if (function->field == nullptr) return "";
  return StoredValueText(*function, StoredValue(*function, record, first, second));
}

std::string StoredValueText(const FunctionDescriptor& function, std::int32_t value) {
  if (function.fileWords != nullptr) {
    if (const auto word = function.fileWords->WordOf(value)) return std::string(*word);
    return std::to_string(value);
  }
  if (function.Has(kAcceptsNone) && value < 0) return std::string(kNoneWord);
  // Stored one less than written: registration entries and port indexes.
  return std::to_string(value + function.wireOffset);
}

void PrintDone(bool json, std::string_view text) {
  if (Quiet() && !json) return;
  if (json) {
    std::printf("{\"ok\":true,\"message\":%s}\n", JsonString(text).c_str());
  } else if (!text.empty()) {
    std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
  }
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto hex = [&out](const char* form, unsigned value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, form, value);
    out += escaped;
  };
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    const auto c = static_cast<unsigned char>(text[0]);
    if (length == 0) {
      hex("\\x%02x", c);
      text.remove_prefix(1);
      continue;
    }
    if (c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
      hex("\\u%04x", static_cast<unsigned char>(text[1]));
    } else if (c == 0x1B) {
      out += "\\e";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      hex("\\x%02x", c);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace ntr::cli
