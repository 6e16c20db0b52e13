// Windows paths as the Windows backend and the simulation make them.
#include "platform/WindowsPath.h"

#include <gtest/gtest.h>

namespace orbl::platform {
namespace {

TEST(WindowsPath, JoinsWithOneBackslashAndFindsTheFolderWithoutIt) {
  EXPECT_EQ(JoinWindowsPath("C:\\Orbelle", "Language"), "C:\\Orbelle\\Language");
  EXPECT_EQ(JoinWindowsPath("C:\\Orbelle\\", "ORBL.hlp"), "C:\\Orbelle\\ORBL.hlp");
  EXPECT_EQ(JoinWindowsPath("C:/Orbelle/", "x.ini"), "C:/Orbelle/x.ini");
  EXPECT_EQ(JoinWindowsPath("", "x.ini"), "x.ini");

  EXPECT_EQ(WindowsParentFolder("C:\\Program Files\\Orbelle\\orbl3.exe"),
            "C:\\Program Files\\Orbelle");
  EXPECT_EQ(WindowsParentFolder("C:\\orbl3.exe"), "C:");
  EXPECT_EQ(WindowsParentFolder("orbl3.exe"), "");
}

}  // namespace
}  // namespace orbl::platform
