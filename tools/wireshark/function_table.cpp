// ntr-function-table: prints the function table of the Wireshark dissector
// (tools/wireshark/ntr_protocol.lua) from the function descriptors, so that
// the dissector's keywords, types and value words come from the one table the
// tool uses. The dissector keeps a copy between its BEGIN and END lines; the
// check_function_table test compares that copy with this program's output.
#include <cstdio>
#include <string>
#include <string_view>

#include "catalogue/function_descriptors.h"

namespace {

// A Lua string literal (keywords and words are plain ASCII).
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// The value words by the value on the wire (stored code plus the wire offset).
std::string WordsText(const ntr::FunctionDescriptor& function) {
  if (function.fileWords == nullptr) return "nil";
  std::string text = "{";
  bool first = true;
  for (const ntr::WordCode& word : function.fileWords->words) {
    text += first ? " " : ", ";
    first = false;
    text += "[" + std::to_string(word.code + function.wireOffset) + "] = " + Quoted(word.word);
  }
  return text + " }";
}

}  // namespace

int main() {
  std::puts("-- BEGIN FUNCTION TABLE (printed by ntr-function-table; do not edit by hand)");
  std::puts("local functions = {");
  for (const ntr::FunctionDescriptor& function : ntr::AllFunctions()) {
    std::printf("  [0x%04X] = { keyword = %s, value_type = %d, index_type = %d, words = %s },\n",
                function.functionId, Quoted(function.keyword).c_str(), function.valueType,
                function.indexType, WordsText(function).c_str());
  }
  std::puts("}");
  std::puts("-- END FUNCTION TABLE");
  return 0;
}
