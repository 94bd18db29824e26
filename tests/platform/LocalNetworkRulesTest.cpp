#include "platform/net/LocalNetworkRules.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>
#include <utility>

namespace {

using platform::LocalNetworkRules;

base::URL url(const char* text) {
  return *base::URL::fromString(text);
}

// Addresses as the engine writes them, and whether they lead into the machine or its network.
TEST(LocalNetworkRulesTest, EveryLoopbackPrivateAndLinkLocalRangeIsLocalAndNothingBeside) {
  const std::pair<const char*, bool> cases[] = {
      {"http://127.0.0.1:8080/", true},
      {"https://127.255.3.4/x", true},
      {"ws://127.0.0.1:9/", true},
      {"http://user:pw@127.0.0.1/", true},
      {"http://localhost:631/", true},
      {"http://LOCALHOST/", true},
      {"http://printer.localhost/", true},
      {"http://localhost./", true},
      {"http://0.0.0.0:22/", true},
      {"http://10.0.0.1/", true},
      {"http://10.255.255.255:80/", true},
      {"http://172.16.0.1/", true},
      {"http://172.24.9.9/", true},
      {"http://172.31.255.255/", true},
      {"http://192.168.1.1/admin", true},
      {"http://169.254.169.254/latest", true},
      {"http://[::1]:8080/", true},
      {"http://[::]/", true},
      {"http://[::ffff:7f00:1]/", true},
      {"http://[fc00::1]/", true},
      {"http://[fd12:3456::1]/", true},
      {"http://[fe80::1]/", true},
      {"http://[febf::1]/", true},
      {"http://172.15.0.1/", false},
      {"http://172.32.0.1/", false},
      {"http://192.169.1.1/", false},
      {"http://169.253.1.1/", false},
      {"http://11.0.0.1/", false},
      {"http://128.0.0.1/", false},
      {"http://100.64.0.1/", false},
      {"http://10.example/", false},
      {"http://127.example/", false},
      {"http://localhost.example/", false},
      {"http://notlocalhost/", false},
      {"http://ad.example/?u=http://127.0.0.1/", false},
      {"http://ad.example/127.0.0.1/", false},
      {"http://[fec0::1]/", false},
      {"http://[2001:db8::1]/", false},
  };
  for (const auto& [address, local] : cases) {
    EXPECT_EQ(LocalNetworkRules::isLocal(url(address)), local) << address;
  }
}

TEST(LocalNetworkRulesTest, AnOriginIsItsSchemeHostAndPort) {
  // The origin, an address, and whether the address is at that origin.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"http://127.0.0.1:8701/ad", "http://127.0.0.1:8701/x?y", true},
      {"http://127.0.0.1:8701/", "http://127.0.0.1:8702/", false},
      {"http://127.0.0.1:8701/", "https://127.0.0.1:8701/", false},
      {"http://127.0.0.1:8701/", "http://127.0.0.2:8701/", false},
      {"http://127.0.0.1:870/", "http://127.0.0.1:8701/", false},
      {"http://127.0.0.1:8701/", "http://127.0.0.1/", false},
      {"http://127.0.0.1:80/", "http://127.0.0.1/", true},
      {"http://[::1]:9/", "http://[::1]:9/p", true},
      {"http://LocalHost/", "http://localhost/", true},
  };
  for (const auto& [origin, address, same] : cases) {
    SCOPED_TRACE(std::string(origin) + " " + address);
    EXPECT_EQ(LocalNetworkRules::sameOrigin(url(origin), url(address)), same);
    EXPECT_EQ(std::regex_search(address, std::regex(LocalNetworkRules::originPattern(url(origin)),
                                                    std::regex::icase)),
              same);
  }
}

}  // namespace
