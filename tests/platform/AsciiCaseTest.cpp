// Names compare the way the registry, the atom table and the file system do:
// ASCII letters without regard to case, every other byte as it is.
#include "platform/AsciiCase.h"

#include <gtest/gtest.h>

namespace orbl {
namespace {

TEST(AsciiCase, FoldsTheWholeAlphabetAndNothingElse) {
  EXPECT_EQ(AsciiUpper("az AZ 09 @[`{ \xE4\xC4"), "AZ AZ 09 @[`{ \xE4\xC4");
  EXPECT_EQ(AsciiLower("az AZ 09 @[`{ \xE4\xC4"), "az az 09 @[`{ \xE4\xC4");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("C:\\Tools\\ORBL3.exe", "c:\\tools\\orbl3.EXE"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("orbl3.exe", "orbl3.exf"));  // the last character counts
  EXPECT_FALSE(EqualsIgnoringAsciiCase("orbl3.exe", "orbl3.ex"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xE4", "\xC4"));  // no code page folding
}

}  // namespace
}  // namespace orbl
