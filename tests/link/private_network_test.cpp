// The private network fixture itself: what it builds is isolated and goes
// away again, also when an earlier run was killed.
#include "tests/support/private_network.h"

#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ntr::testing {
namespace {

TEST(PrivateNetwork, BuildsIsolatedLinksAndDeletesThem) {
  std::string toolNs, peerNs;
  PrivateNetwork::Veth veth;
  {
    PrivateNetwork net;
    toolNs = net.AddNamespace();
    peerNs = net.AddNamespace();
    ASSERT_FALSE(toolNs.empty()) << net.error();
    ASSERT_FALSE(peerNs.empty()) << net.error();
    ASSERT_NE(toolNs, peerNs);
    ASSERT_TRUE(net.AddVeth(toolNs, peerNs, veth)) << net.error();
    EXPECT_LE(veth.nameA.size(), 15u);

    // Neither end exists in the test's own namespace...
    EXPECT_EQ(if_nametoindex(veth.nameA.c_str()), 0u);
    {
      NamespaceScope inside(toolNs);
      ASSERT_TRUE(inside.ok());
      EXPECT_NE(if_nametoindex(veth.nameA.c_str()), 0u);
      EXPECT_EQ(if_nametoindex(veth.nameB.c_str()), 0u);
    }
    EXPECT_EQ(if_nametoindex(veth.nameA.c_str()), 0u);
    // ...and a program run inside sees its end.
    std::string output;
    ASSERT_TRUE(net.Run(peerNs, {"ip", "-o", "link", "show"}, &output)) << net.error();
    EXPECT_NE(output.find(veth.nameB), std::string::npos) << output;
    EXPECT_EQ(output.find(veth.nameA), std::string::npos) << output;
    EXPECT_FALSE(net.Run(peerNs, {"false"}));

    EXPECT_FALSE(net.Ip(toolNs, {"link", "set", "no-such-link", "up"}));
    EXPECT_NE(net.error().find("no-such-link"), std::string::npos);
  }
  EXPECT_FALSE(PrivateNetwork::Exists(toolNs));
  EXPECT_FALSE(PrivateNetwork::Exists(peerNs));
}

TEST(PrivateNetwork, SweepsWhatADeadRunLeftBehind) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);

  const std::string stale = std::string(PrivateNetwork::kPrefix) + std::to_string(child) + "-1";
  ASSERT_TRUE(RunProgram({"ip", "netns", "add", stale}));
  ASSERT_TRUE(PrivateNetwork::Exists(stale));
  PrivateNetwork net;  // sweeps on construction
  EXPECT_FALSE(PrivateNetwork::Exists(stale));
  if (PrivateNetwork::Exists(stale)) RunProgram({"ip", "netns", "delete", stale});

  // Namespaces of live runs (this one) are left alone.
  const std::string mine = net.AddNamespace();
  ASSERT_FALSE(mine.empty()) << net.error();
  EXPECT_EQ(PrivateNetwork::SweepStale(), 0);
  EXPECT_TRUE(PrivateNetwork::Exists(mine));
}

}  // namespace
}  // namespace ntr::testing
