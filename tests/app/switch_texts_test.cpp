// Texts a switch reports (serial number, firmware revision, name) with
// control characters in them: the tool keeps them as the configuration file
// can hold them, so the record read back on the next run still matches the
// switch.
#include <gtest/gtest.h>

#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

class SwitchTextsTest : public test::AppFixture {
 protected:
  // A new application on the same simulated network, as the next run.
  void RunAgain() {
    app_.reset();
    auto link = std::make_unique<test::MemoryAppLink>(peer_->link());
    app_ =
        std::make_unique<Application>(Application::Parts{op_, loop_, &notices_, std::move(link)});
    ASSERT_TRUE(app_->InitInstance());
  }
};

TEST_F(SwitchTextsTest, ControlCharactersInTheSerialNumberDoNotMakeTheNextRunAsk) {
  StartApp("switch A model=NTR7100-8G\n");
  peer_->With([](sim::SimNetwork& net) {
    net.Find("A")->record().serialNumber = "S1\r\n\x1b[2J";
    net.Find("A")->record().firmwareRevision = "1.0\t0";
    return 0;
  });
  op_.QueueAnswerFor(Mac("A"), true);  // "工場出荷"
  ASSERT_TRUE(CycleUntil([&] {
    ManagedSwitch* a = Switch("A");
    return a != nullptr && a->record().switchState == kStateIdle &&
           a->record().modelCode != kModelUnknown;
  }));
  ASSERT_EQ(op_.questions().size(), 1u);
  EXPECT_EQ(Switch("A")->record().serialNumber.get(), "S1???[2J");
  EXPECT_EQ(Switch("A")->record().firmwareRevision.get(), "1.0?0");

  RunAgain();
  ASSERT_TRUE(CycleUntil([&] {
    ManagedSwitch* a = Switch("A");
    return op_.questions().size() > 1 || (a != nullptr && a->record().switchState == kStateIdle &&
                                          a->record().modelCode != kModelUnknown);
  }));
  EXPECT_EQ(op_.questions().size(), 1u);  // the switch was known and held the stored settings
  EXPECT_EQ(Switch("A")->record().systemName.get(), "NTR7100-8G_S1???[2J");
}

}  // namespace
}  // namespace ntr
