#include "metrics/listen_address.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ntr {
namespace {

using ::testing::HasSubstr;

TEST(ListenAddress, LoopbackByDefaultOthersOnlyWhenAllowed) {
  ListenAddress address;
  ErrorPair error;
  ASSERT_TRUE(ParseListenAddress("9717", false, address, error));
  EXPECT_EQ(address.host, "127.0.0.1");
  EXPECT_EQ(address.port, 9717);
  ASSERT_TRUE(ParseListenAddress("localhost:0", false, address, error));
  EXPECT_EQ(address.host, "127.0.0.1");
  ASSERT_TRUE(ParseListenAddress("127.0.0.53:80", false, address, error));
  ASSERT_TRUE(ParseListenAddress("[::1]:9717", false, address, error));
  EXPECT_EQ(address.host, "::1");
  EXPECT_EQ(FormatListenAddress(address.host, address.port), "[::1]:9717");

  for (const char* other :
       {"0.0.0.0:9717", "192.0.2.7:9717", "[::]:9717", "[::ffff:127.0.0.1]:9717"}) {
    error.Clear();
    EXPECT_FALSE(ParseListenAddress(other, false, address, error)) << other;
    EXPECT_EQ(error.code, kErrOutOfRange);
    EXPECT_THAT(error.detail, HasSubstr("not a loopback address"));
    EXPECT_THAT(error.detail, HasSubstr("--metrics-public"));
    EXPECT_TRUE(ParseListenAddress(other, true, address, error)) << other;
    EXPECT_FALSE(address.loopback);
  }
}

TEST(ListenAddress, MalformedTextIsRefused) {
  ListenAddress address;
  for (const char* bad :
       {"", ":", "127.0.0.1", "127.0.0.1:", "65536", "-1", "80x", "::1:80", "[::1]", "[::1]80",
        "metrics.example:80", "127.0.0.1:123456", "1.2.3:80"}) {
    ErrorPair error;
    EXPECT_FALSE(ParseListenAddress(bad, true, address, error)) << bad;
    EXPECT_THAT(error.detail, HasSubstr("is not PORT or ADDRESS:PORT")) << bad;
  }
}

}  // namespace
}  // namespace ntr
