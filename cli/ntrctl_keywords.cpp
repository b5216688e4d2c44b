#include "cli/ntrctl_keywords.h"

#include <cstdio>

namespace ntr::cli {
namespace {

std::string Range(int first, int last) {
  return std::to_string(first) + ".." + std::to_string(last);
}

std::string IndexesText(const FunctionDescriptor& function) {
  const int firsts = FirstIndexLimit(function, kMaxPorts);
  const int seconds = SecondIndexLimit(function, kMaxPorts, kMaxCounters);
  switch (function.index) {
    case IndexKind::kNone:
    case IndexKind::kDestination:
      return "";
    case IndexKind::kPort:
      return " PORT";
    case IndexKind::kFan:
      return " FAN(" + Range(1, firsts) + ")";
    case IndexKind::kRegistration:
      return " REGISTRATION(" + Range(1, firsts) + ")";
    case IndexKind::kPortRegistration:
      return " PORT REGISTRATION(" + Range(1, seconds) + ")";
    case IndexKind::kPortGroup:
      return " PORT GROUP(" + Range(1, seconds) + ")";
    case IndexKind::kPortCounter:
      return " PORT COUNTER(" + Range(1, seconds) + ")";
  }
  return "";
}

const char* ClassText(FunctionClass c) {
  switch (c) {
    case FunctionClass::kIdentity:
      return "identity";
    case FunctionClass::kSetting:
      return "setting";
    case FunctionClass::kStatus:
      return "status";
    case FunctionClass::kAction:
      return "action";
  }
  return "";
}

const char* ModelsText(ModelScope models) {
  switch (models) {
    case ModelScope::kAll:
      return "";
    case ModelScope::kQosBandwidth:
    case ModelScope::kSystemFan:
      return " [NTR7100-24G only]";
    case ModelScope::kPoe:
      return " [NTR7100-8PoE only]";
  }
  return "";
}

// The VLAN functions address the switch's slots; VLAN IDs are ntrctl vlan's.
const char* SlotNote(Function function) {
  if (function == Function::kVlanAccess)
    return " (the value is a slot number, not a VLAN ID: see ntrctl vlan)";
  if (function == Function::kVlanId || function == Function::kVlanTrunk) {
    return " (REGISTRATION is a slot number, not a VLAN ID: see ntrctl vlan)";
  }
  return "";
}

void PrintOne(const FunctionDescriptor& function) {
  const std::string values = AllowedValuesText(function);
  std::printf("%.*s %s%s%s%s%s%s\n", static_cast<int>(function.keyword.size()),
              function.keyword.data(), ClassText(function.functionClass),
              IndexesText(function).c_str(), values.empty() ? "" : " ", values.c_str(),
              ModelsText(function.models), SlotNote(function.function));
}

}  // namespace

std::string AllowedValuesText(const FunctionDescriptor& function) {
  std::string text;
  if (function.fileWords != nullptr) {
    for (const WordCode& word : function.fileWords->words) {
      if (!text.empty()) text += '|';
      text += word.word;
    }
    return text;
  }
  switch (function.value) {
    case ValueKind::kText:
    case ValueKind::kIdentityText:
    case ValueKind::kMacAddress:
      return "TEXT";
    case ValueKind::kPortIndex:
      text = "PORT";
      break;
    case ValueKind::kNone:
      return "";
    case ValueKind::kCounter:
      return "COUNT";
    default:
      if (function.min == 0 && function.max == 0) return "NUMBER";
      text = Range(function.min + function.wireOffset, function.max + function.wireOffset);
  }
  if (function.Has(kAcceptsNone)) text += "|" + std::string(kNoneWord);
  return text;
}

const FunctionDescriptor* FindCommandKeyword(std::string_view word) {
  if (const FunctionDescriptor* function = FindFunctionByKeyword(word);
      function != nullptr || word.empty()) {
    return function;
  }
  if (word.back() == ' ') return nullptr;
  return FindFunctionByKeyword(std::string(word) + " ");
}

bool PrintKeywords(std::string_view keyword) {
  const FunctionDescriptor* named = keyword.empty() ? nullptr : FindCommandKeyword(keyword);
  if (!keyword.empty() && named == nullptr) return false;
  bool found = false;
  for (const FunctionDescriptor& function : AllFunctions()) {
    if (!function.Requested()) continue;
    if (named != nullptr && &function != named) continue;
    PrintOne(function);
    found = true;
  }
  return found;
}

}  // namespace ntr::cli
