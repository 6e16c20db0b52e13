#include "platform/FilePattern.h"

#include <gtest/gtest.h>

namespace orbl::platform {
namespace {

TEST(FilePattern, IgnoresCaseAndRejectsLongerExtensions) {
  EXPECT_TRUE(MatchesFilePattern("English.ini", "*.INI"));
  EXPECT_TRUE(MatchesFilePattern("DEUTSCH.INI", "*.ini"));
  EXPECT_TRUE(MatchesFilePattern(".ini", "*.INI"));
  EXPECT_TRUE(MatchesFilePattern("a.b.ini", "*.INI"));
  EXPECT_FALSE(MatchesFilePattern("English.ini_old", "*.INI"));
  EXPECT_FALSE(MatchesFilePattern("English.ini.bak", "*.INI"));
  EXPECT_TRUE(MatchesFilePattern("x1.ini", "x?.ini"));
  EXPECT_FALSE(MatchesFilePattern("x12.ini", "x?.ini"));
  EXPECT_TRUE(MatchesFilePattern("anything", "*"));
  EXPECT_FALSE(MatchesFilePattern("", "?"));
}

}  // namespace
}  // namespace orbl::platform
