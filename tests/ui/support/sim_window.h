// The whole window against the switch simulator in process: the simulated
// network behind an in-memory link stands in for the adapter, the data and
// runtime folders are private to the test, and modal dialogs are answered
// from a script. Runs on the test's GUI thread under the offscreen platform.
#pragma once

#include <stdlib.h>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "device/managed_switch.h"
#include "device/switch_phase.h"
#include "tests/support/memory_app_link.h"
#include "tests/support/sim_peer.h"
#include "tests/ui/support/dialog_answerer.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"

namespace ntr::test {

class SimWindow {
 public:
  explicit SimWindow(const std::string& description) {
    char pattern[] = "/tmp/ntr-window-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
    root_ = pattern;
    std::filesystem::create_directories(root_ / "run");
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    peer_ = std::make_unique<SimPeer>(description);
    auto link = std::make_unique<MemoryAppLink>(peer_->link());
    link_ = link.get();
    window_ = std::make_unique<ui::WindowApp>(std::move(link));
  }
  ~SimWindow() {
    window_.reset();
    peer_.reset();
    std::filesystem::remove_all(root_);
  }

  // Start-up, then discovery cycles every `periodMs`.
  bool Start(int periodMs = 200) {
    if (!window_->Start()) return false;
    window_->app().discovery().RequestCycle(true, periodMs);
    return true;
  }
  // Processes events until `done` holds or `ms` pass.
  static bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
    return QTest::qWaitFor(done, ms);
  }
  // Waits until `count` switches are managed and ready.
  bool WaitForReady(std::size_t count) {
    return WaitFor([&] {
      const auto switches = window_->app().discovery().Switches();
      if (switches.size() != count) return false;
      for (ManagedSwitch* sw : switches) {
        if (!IsReady(*sw)) return false;
      }
      return true;
    });
  }

  MacAddress Mac(const std::string& name) {
    return peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->mac(); });
  }
  ManagedSwitch* Switch(const std::string& name) {
    return window_->app().discovery().FindByMac(Mac(name));
  }
  ui::SwitchPanel* Panel(const std::string& name) {
    ManagedSwitch* sw = Switch(name);
    return sw == nullptr ? nullptr : page()->PanelOf(sw->ref());
  }

  ui::WindowApp& app() { return *window_; }
  DialogAnswerer& answerer() { return answerer_; }
  ui::TopPanel* page() { return window_->view()->page(); }
  SimPeer& peer() { return *peer_; }
  MemoryAppLink& link() { return *link_; }
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
  DialogAnswerer answerer_;
  std::unique_ptr<SimPeer> peer_;
  MemoryAppLink* link_ = nullptr;
  std::unique_ptr<ui::WindowApp> window_;
};

}  // namespace ntr::test
