#include <gtest/gtest.h>

#include "catalogue/switch_model.h"
#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_options.h"
#include "cli/ntrctl_switch_argument.h"
#include "cli/ntrctl_verbosity.h"
#include "cli/ntrctl_words.h"

namespace ntr::cli {
namespace {

bool Parse(std::vector<std::string> args, Options& options, std::string& error) {
  args.insert(args.begin(), "ntrctl");
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(NtrctlOptions, OptionsBeforeTheCommandAndAnswers) {
  Options options;
  std::string error;
  ASSERT_TRUE(
      Parse({"--adapter", "veth1", "--json", "--timeout", "5", "--new", "device", "--changed",
             "tool", "--factory", "no", "set", "sw1", "port-speed", "3", "100-fdx"},
            options, error))
      << error;
  EXPECT_EQ(options.adapter, "veth1");
  EXPECT_TRUE(options.json);
  EXPECT_EQ(options.timeoutSeconds, 5);
  EXPECT_EQ(options.newDevice.all, false);
  EXPECT_EQ(options.settingsChanged.all, true);
  EXPECT_EQ(options.factoryState.all, false);
  EXPECT_EQ(options.command, "set");
  // Options anywhere on the line, "--name=value" as well; after "--" only
  // arguments; "-" alone is an argument.
  Options later;
  ASSERT_TRUE(Parse({"export", "--json", "-", "--timeout=7", "--adapter=veth2", "--", "--new"},
                    later, error))
      << error;
  EXPECT_TRUE(later.json);
  EXPECT_EQ(later.timeoutSeconds, 7);
  EXPECT_EQ(later.adapter, "veth2");
  EXPECT_EQ(later.command, "export");
  EXPECT_EQ(later.arguments, (std::vector<std::string>{"-", "--new"}));
  // Answers for one switch beside the answer for all, repeated options allowed.
  Options answers;
  ASSERT_TRUE(Parse({"--changed", "02:5C:71:00:00:03=tool", "--changed=025c71000004=device",
                     "--new", "device", "show", "x"},
                    answers, error))
      << error;
  const MacAddress third = *ParseMac("02:5C:71:00:00:03");
  const MacAddress fourth = *ParseMac("02:5C:71:00:00:04");
  EXPECT_EQ(answers.settingsChanged.For(third), true);
  EXPECT_EQ(answers.settingsChanged.For(fourth), false);
  EXPECT_EQ(answers.settingsChanged.For(*ParseMac("02:5C:71:00:00:05")), std::nullopt);
  EXPECT_EQ(answers.newDevice.For(third), false);
  Options version;
  ASSERT_TRUE(Parse({"--version"}, version, error));
  EXPECT_TRUE(version.version);

  for (const auto& bad : std::vector<std::vector<std::string>>{
           {},
           {"--timeout", "0", "discover"},
           {"--new", "maybe", "discover"},
           {"--bogus", "discover"},
           {"--adapter"},
           {"discover", "--timeout="},
           {"--json=yes", "discover"},
           {"discover", "--new=x"},
           {"--changed", "02:5C:71=tool", "discover"},
           {"--factory", "02:5C:71:00:00:01=maybe", "discover"}}) {
    Options o;
    EXPECT_FALSE(Parse(bad, o, error)) << (bad.empty() ? "" : bad[0]);
  }
}

TEST(NtrctlSwitchArgument, MacFormsNamesAndMalformedMacs) {
  const MacAddress mac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x02};
  for (const char* text :
       {"02:5C:71:00:00:02", "02-5c-71-00-00-02", "025C71000002", "025c71000002"}) {
    const SwitchArgument ref = ParseSwitchArgument(text);
    EXPECT_EQ(ref.kind, SwitchArgument::Kind::kMac) << text;
    EXPECT_EQ(ref.mac, mac) << text;
  }
  for (const char* text :
       {"02:5C:71:00:00", "02:5C:71:00:00:002", "02:5C-71:00:00:02", "02::5C:71:00:00"}) {
    EXPECT_EQ(ParseSwitchArgument(text).kind, SwitchArgument::Kind::kMalformedMac) << text;
  }
  for (const char* text : {"core", "poe-lab", "025C7100000", "02:5C:71:00:00:0G", "edge-2f", "-"}) {
    EXPECT_EQ(ParseSwitchArgument(text).kind, SwitchArgument::Kind::kName) << text;
  }
}

TEST(NtrctlWords, ValuesInTheFilesWords) {
  SwitchRecord record;
  record.modelName = "NTR7100-8PoE";
  ApplyModel(record);
  record.ports[2].speed = 6;
  record.ports[0].trunk[3] = 1;
  record.ports[1].poeClass = 0;
  record.ports[4].accessVlanEntry = 9;
  record.ports[0].txCounterTypes[4] = 27;
  record.mirrorDestination = 3;
  EXPECT_EQ(ConfigValueText(record, Function::kPortSpeed, 2, 0), "1000-fdx");
  EXPECT_EQ(ConfigValueText(record, Function::kPortSpeed, 0, 0), "auto");
  EXPECT_EQ(ConfigValueText(record, Function::kVlanTrunk, 0, 3), "join");
  EXPECT_EQ(ConfigValueText(record, Function::kPoeClass, 1, 0), "none");
  EXPECT_EQ(ConfigValueText(record, Function::kPoeClass, 0, 0), "class4");
  EXPECT_EQ(ConfigValueText(record, Function::kVlanAccess, 4, 0), "10");
  EXPECT_EQ(ConfigValueText(record, Function::kCounterFrameTxType, 0, 4), "collisions");
  EXPECT_EQ(ConfigValueText(record, Function::kMirroringDestination, 0, 0), "4");
  EXPECT_EQ(ConfigValueText(record, Function::kRouteBackupPort, 0, 0), "none");
  EXPECT_EQ(ConfigValueText(record, Function::kMacAddressAging, 0, 0), "on");
  EXPECT_EQ(ConfigValueText(record, Function::kStatusLedMode, 0, 0), "");  // never requested
  EXPECT_EQ(JsonString("a\"b\\c\n\x01スイ"), "\"a\\\"b\\\\c\\n\\u0001スイ\"");
}

// A switch's texts on the operator's terminal: no escape sequence, no line
// of their own; printable text (Japanese included) as it is.
TEST(NtrctlWords, TerminalTextEscapesControlCharacters) {
  EXPECT_EQ(TerminalText("NTR7100-8G_スイッチ a\\b"), "NTR7100-8G_スイッチ a\\b");
  EXPECT_EQ(TerminalText("x\x1b[2J\r\nfake: line\t\x07\x7f"),
            "x\\e[2J\\r\\nfake: line\\t\\x07\\x7f");
  EXPECT_EQ(TerminalText("a\xC2\x9B"
                         "1m\xC2\xA0"),
            "a\\u009b1m\xC2\xA0");                    // C1 CSI; no-break space kept
  EXPECT_EQ(TerminalText("\x9B\xFF"), "\\x9b\\xff");  // bytes that are no UTF-8
}

// -v's lines: requests and answers in the file's grammar, values in its
// words, indexes as written, a failure's reason at the end; JSON errors.
TEST(NtrctlVerbosity, TraceLinesInTheFilesGrammar) {
  const MacAddress sw = *ParseMac("02:5C:71:00:00:01");
  // A request as the switch client builds it: function, operation, indexes, value.
  const auto request = [](const char* keyword, Operation operation, std::int32_t indexType,
                          int first, int second) {
    FunctionRequest built;
    built.functionId = FindFunctionByKeyword(keyword)->functionId;
    built.operation = operation;
    built.indexType = indexType;
    built.firstIndex = first;
    built.secondIndex = second;
    return built;
  };
  FunctionRequest set = request("port-speed", kOpSet, kIndexPort, 3, 0);
  set.valueType = kValueInteger;
  set.intValue = 5;
  EXPECT_EQ(TraceLine({.sw = sw, .request = &set}),
            "> 02:5C:71:00:00:01 switch control function set port-speed 3 100-fdx");
  const FunctionRequest trunk = request("vlan-trunk", kOpGet, kIndexPortRegistration, 2, 300);
  FunctionResponse joined;
  joined.valueType = kValueInteger;
  joined.intValue = 1;
  EXPECT_EQ(TraceLine({.sw = sw, .request = &trunk, .answered = true, .response = &joined}),
            "< 02:5C:71:00:00:01 switch control function get vlan-trunk 2 300 join");
  const ErrorPair silent{kErrNoResponse, ""};
  EXPECT_EQ(TraceLine({.sw = sw, .request = &trunk, .answered = true, .error = &silent}),
            "< 02:5C:71:00:00:01 switch control function get vlan-trunk 2 300 (" +
                FormatErrorMessage(silent) + ")");
  FunctionRequest name = request("system-name", kOpSet, kIndexNone, 0, 0);
  name.valueType = kValueOctets;
  name.octets = "core-1";
  EXPECT_EQ(TraceLine({.sw = sw, .request = &name}),
            "> 02:5C:71:00:00:01 switch control function set system-name core-1");
  EXPECT_EQ(JsonErrorObject(5, "switch core not found\nx"),
            "{\"error\":{\"code\":5,\"message\":\"switch core not found\\nx\"}}");
}

}  // namespace
}  // namespace ntr::cli
