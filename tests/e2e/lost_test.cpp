// Switches that go away and come back, and the switches' actions.
#include <random>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Lost = E2eTest;

// The MACs of the switches `discover` lists (text form).
std::set<std::string> Listed(const RunResult& result) {
  std::set<std::string> macs;
  for (const std::string& line : SplitLines(result.out)) {
    const auto words = Words(line);
    if (!words.empty()) macs.insert(Upper(words[0]));
  }
  return macs;
}

TEST_F(Lost, ALostSwitchDisappearsAndComesBackAdoptedWithoutAQuestion) {
  StartSim(
      "switch a model=NTR7100-8G   mac=02:5C:71:00:00:01 serial=E2ELOST0001\n"
      "switch b model=NTR7100-8G   mac=02:5C:71:00:00:02 serial=E2ELOST0002 uplink=a:3\n"
      "switch c model=NTR7100-8PoE mac=02:5C:71:00:00:03 serial=E2ELOST0003 uplink=a:4\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(2), "port-use", "5", "off"}), 0);
  const std::set<std::string> all{SimMac(1), SimMac(2), SimMac(3)};

  // b stops answering (it still forwards): gone from the tree, not found.
  Ctl("silence b on");
  const RunResult without = Ntrctl({"discover"});
  ASSERT_EXIT_STATUS(without, 0);
  EXPECT_EQ(Listed(without), (std::set<std::string>{SimMac(1), SimMac(3)})) << without.out;
  const RunResult notFound = Ntrctl({"--timeout", "4", "show", SimMac(2)});
  EXPECT_EXIT_STATUS(notFound, 5);

  // Back with its settings: managed again, no question, nothing written.
  Ctl("silence b off");
  std::size_t logged = Requests().size();
  const RunResult back = Ntrctl({"discover"});
  ASSERT_EXIT_STATUS(back, 0);
  EXPECT_EQ(Listed(back), all) << back.out;
  for (const LoggedRequest& request : RequestsSince(logged)) {
    EXPECT_FALSE(request.request.starts_with("function set") || request.request == "sync")
        << request.line;
  }
  EXPECT_EQ(SetLines(Dump("b").lines),
            std::vector<std::string>{"switch control function set port-use 5 off"});

  // c is unplugged from the network and plugged in again as it left the
  // factory; its record holds only defaults, so again no question.
  Ctl("remove c");
  const RunResult removed = Ntrctl({"discover"});
  ASSERT_EXIT_STATUS(removed, 0);
  EXPECT_EQ(Listed(removed), (std::set<std::string>{SimMac(1), SimMac(2)})) << removed.out;
  Ctl("add switch c model=NTR7100-8PoE mac=02:5C:71:00:00:03 serial=E2ELOST0003 uplink=a:4");
  logged = Requests().size();
  const RunResult again = Ntrctl({"discover"});
  ASSERT_EXIT_STATUS(again, 0);
  EXPECT_EQ(Listed(again), all) << again.out;
  for (const LoggedRequest& request : RequestsSince(logged)) {
    EXPECT_FALSE(request.request.starts_with("function set")) << request.line;
  }
  // The registry kept every switch throughout.
  const ConfigFile config = Config();
  for (const std::string& mac : all) EXPECT_NE(config.Find(mac), nullptr) << mac;
}

// Takes the tool's link down and up on its own thread until it goes: up for a
// random 0.4 to 2.5 s, down for 0.5 s, so that removals fall at every moment
// of the commands run meanwhile. The link is up again afterwards.
class LinkFlapper {
 public:
  explicit LinkFlapper(Testbed& bed) : bed_(bed), thread_([this] { Flap(); }) {}
  ~LinkFlapper() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    stopped_.notify_all();
    thread_.join();
    bed_.SetSwitchLink(true);
  }
  int downs() const { return downs_; }

 private:
  // Waits `pause` unless told to stop; false when told.
  bool Pause(Millis pause) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !stopped_.wait_for(lock, pause, [&] { return stop_; });
  }
  void Flap() {
    std::mt19937 random(22);
    std::uniform_int_distribution<int> up(400, 2500);
    while (Pause(Millis(up(random)))) {
      bed_.SetSwitchLink(false);
      ++downs_;
      const bool going = Pause(500ms);
      bed_.SetSwitchLink(true);
      if (!going) return;
    }
  }

  Testbed& bed_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::atomic<int> downs_{0};
  std::thread thread_;
};

// The link in front of a switch goes down and up while show and read work on
// it. The removal frees the switch in the middle of the command's wait: the
// command must look it up again and end "switch lost" (6), never read the
// freed object (a crash, or a sanitizer's report in the sanitizer build).
// Otherwise it ends as usual: done, no answer (1) or not found in time (5).
TEST_F(Lost, LinkFlapsDuringShowAndReadEndEveryRunCleanly) {
  StartSim("switch a model=NTR7100-8G serial=E2EFLAP0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  std::map<std::string, std::map<int, int>> statuses;
  {
    LinkFlapper flapper(*bed_);
    // Slow answers stretch show's poll over the link's changes; a read holds
    // its switch while it runs (then the answers come at once).
    Ctl("fault a delay 100");
    for (int run = 0; run < 18; ++run) {
      if (run == 12) Ctl("fault a clear");
      const std::string command = run < 12 ? "show" : "read";
      const RunResult result = Ntrctl({"--timeout", "6", command, SimMac(1)}, 60s);
      ASSERT_TRUE(result.exited()) << result.Describe();
      EXPECT_FALSE(Contains(result.err, "Sanitizer")) << result.Describe();
      const int status = result.status;
      EXPECT_TRUE(status == 0 || status == 1 || status == 5 || status == 6) << result.Describe();
      if (status == 6) {
        EXPECT_TRUE(Contains(result.err, "switch " + SimMac(1) + " lost")) << result.Describe();
      }
      ++statuses[command][status];
    }
    EXPECT_GT(flapper.downs(), 5);
  }
  std::string seen;
  for (const auto& [command, counts] : statuses) {
    for (const auto& [status, count] : counts) {
      seen += command + " " + std::to_string(status) + ": " + std::to_string(count) + "\n";
    }
  }
  // A poll takes longer than the link stays up: most shows lose the switch.
  EXPECT_GT(statuses["show"][6], 0) << seen;
  std::printf("%s", seen.c_str());

  // Afterwards the switch is found and shown as before.
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
}

TEST_F(Lost, RestartClearCountersAndRestartPoe) {
  StartSim(
      "switch p model=NTR7100-8PoE serial=E2EACT00001 restart-ms=500\n"
      "host p:3 00:A0:DE:00:01:03 poe=3\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto executed = [&](std::size_t from, const std::string& keyword) {
    for (const LoggedRequest& request : RequestsSince(from)) {
      if (request.request == "function execute " + keyword && request.outcome == "0") return true;
    }
    return false;
  };

  std::size_t logged = Requests().size();
  EXPECT_EXIT_STATUS(Ntrctl({"clear-counters", SimMac(1)}), 0);
  EXPECT_TRUE(executed(logged, "clear-counter"));

  logged = Requests().size();
  EXPECT_EXIT_STATUS(Ntrctl({"restart-poe", SimMac(1)}), 0);
  EXPECT_TRUE(executed(logged, "restart-poe-supply"));

  // The same action in a later run is carried out again: the switch must not
  // take it for a retransmission of the earlier run's request (same
  // transaction ID, same contents), which it would answer without acting.
  for (int run = 0; run < 2; ++run) {
    logged = Requests().size();
    EXPECT_EXIT_STATUS(Ntrctl({"clear-counters", SimMac(1)}), 0);
    for (const LoggedRequest& request : RequestsSince(logged)) {
      if (request.request.starts_with("function execute")) {
        EXPECT_FALSE(request.repeat)
            << "answered as a retransmission, not carried out: " << request.line;
      }
    }
  }

  logged = Requests().size();
  EXPECT_EXIT_STATUS(Ntrctl({"restart", SimMac(1)}), 0);
  EXPECT_TRUE(executed(logged, "restart"));
  // It comes back by itself and is managed again.
  ASSERT_TRUE(WaitUntil([&] { return SimSwitch("p")["state"] == "answering"; }, 20s));
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);

  // An action on a switch that is not there.
  EXPECT_EXIT_STATUS(Ntrctl({"--timeout", "3", "restart", "02:5C:71:00:00:7E"}), 5);
}

}  // namespace
}  // namespace ntr::e2e
