// The operator as the application core sees them: everything that start-up,
// adoption and the application's own steps show in a window or ask. The
// window implements it with its dialogs and message boxes, the headless
// front end on its terminal, tests from a script. Every call comes on the
// user-interface thread.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/mac_address.h"
#include "link/adapter_chooser.h"

namespace ntr {

// The application title: the caption of every message box.
inline constexpr std::string_view kApplicationTitle = "NTR設定ツール";
// The lock of a read-only monitor: one monitor per data folder, beside the window.
inline constexpr std::string_view kMonitorLockTitle = "NTR設定ツール-monitor";

enum class MessageIcon { kNone, kError };

// Whose settings govern a switch that discovery found (the adoption question).
enum class AdoptionQuestion : int {
  kFactoryState = 0,     // a known switch in factory state: "はい" / "いいえ"
  kSettingsChanged = 1,  // a known switch with other settings: "ツール" / "機器"
  kNewDevice = 2,        // a switch never seen: "工場出荷" / "機器"
};

struct AdoptionQuestionText {
  std::string message;  // first line, with the switch's MAC
  std::string question;
  std::string firstButton;
  std::string secondButton;
};

inline std::string MacInText(std::string_view before, const MacAddress& mac,
                             std::string_view after) {
  char text[24];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return std::string(before).append(text).append(after);
}

inline AdoptionQuestionText AdoptionQuestionTexts(AdoptionQuestion mode, const MacAddress& mac) {
  switch (mode) {
    case AdoptionQuestion::kFactoryState:
      return {MacInText("工場出荷状態の機器(MAC:", mac, ")を検出しました。"),
              "ツールの設定値で管理しますか？", "はい", "いいえ"};
    case AdoptionQuestion::kSettingsChanged:
      return {MacInText("機器(MAC:", mac, ")の設定内容が変更されています。"),
              "どちらの設定値で管理するか選択して下さい。", "ツール", "機器"};
    case AdoptionQuestion::kNewDevice:
      return {MacInText("新しい機器(MAC:", mac, ")を検出しました。"),
              "どちらの設定値で管理するか選択して下さい。", "工場出荷", "機器"};
  }
  return {};
}

// "機器(MAC:…)の\n読込みに失敗しました。": reading a switch's settings failed.
inline std::string DeviceReadFailedText(const MacAddress& mac) {
  return MacInText("機器(MAC:", mac, ")の\n読込みに失敗しました。");
}

class Operator : public AdapterChooser {
 public:
  // Choose (from AdapterChooser): two or more usable adapters, the first
  // preselected; nothing when the operator cancels.

  // Asks the adoption question; true for the first button. The window runs
  // its modal loop meanwhile, so discovery goes on and the switch may vanish.
  virtual bool AskAdoption(AdoptionQuestion mode, const MacAddress& mac) = 0;
  // Ends an open adoption question as if the first button had been pressed
  // (the system is going to sleep). Nothing when none is open.
  virtual void EndAdoptionQuestion() = 0;

  // A message box with the application title as caption.
  virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;

  // The settings-failure report "設定失敗": the settings of the switch that
  // could not be made, and where the error log with the reasons is.
  virtual void ShowSettingFailures(std::string_view macText,
                                   const std::vector<std::string>& commands,
                                   const std::filesystem::path& errorLogPath) = 0;
};

}  // namespace ntr
