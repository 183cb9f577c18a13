#include "platform/system/identity.h"

#include <gtest/gtest.h>

namespace zel::system {
namespace {

TEST(ComputerNameFromHost, ShortUpperCaseAtMostFifteen) {
  struct Case {
    const char* host;
    const char* name;
  };
  const Case cases[] = {
      {"console7", "CONSOLE7"},
      {"console7.corp.example.com", "CONSOLE7"},
      {"Build-Host_2", "BUILD-HOST_2"},
      {"averyveryverylonghostname", "AVERYVERYVERYLO"},
      {"exactly15chars.x", "EXACTLY15CHARS"},
      {"sixteen-chars-ab.example", "SIXTEEN-CHARS-A"},
      {".leadingdot", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(computerNameFromHost(c.host), c.name) << c.host;
}

TEST(ComputerName, FollowsTheRulesForThisMachine) {
  std::string name = computerName();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), kMaxComputerNameLength);
  EXPECT_EQ(name.find('.'), std::string::npos);
  for (char c : name)
    EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
}

TEST(UserName, IsKnown) {
  EXPECT_FALSE(userName().empty());
}

}  // namespace
}  // namespace zel::system
