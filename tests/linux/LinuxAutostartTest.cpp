// The autostart entry starts exactly this program file, whatever its path
// holds, and switching off leaves another program's entry alone.
#include "platform/linux/LinuxAutostart.h"

#include <gtest/gtest.h>

#include "tests/linux/TempFolder.h"

namespace orbl::lnx {
namespace {

TEST(LinuxAutostart, TheExecLineQuotesThePathSoThatItComesBackExactly) {
  EXPECT_EQ(LinuxAutostart::ExecLine("/home/a b/My Apps/orbl3"), "\"/home/a b/My Apps/orbl3\"");
  EXPECT_EQ(LinuxAutostart::ExecLine("/x\\y/100%/$HOME/`id`/\"q\""),
            "\"/x\\\\\\\\y/100%%/\\\\$HOME/\\\\`id\\\\`/\\\\\"q\\\\\"\"");
  for (const char* path : {"/usr/lib/orbelle/orbl3", "/home/a b/My Apps/orbl3",
                           "/x\\y/100%/$HOME/`id`/\"q\"", "/tab\there/new\nline"}) {
    const std::string entry = "[Desktop Entry]\nExec=" + LinuxAutostart::ExecLine(path) + "\n";
    EXPECT_EQ(LinuxAutostart::StartedProgram(entry), path) << entry;
  }
}

TEST(LinuxAutostart, ReadsTheProgramOfEntriesWrittenByHand) {
  const struct {
    const char* entry;
    const char* program;  // nullptr: none
  } cases[] = {
      {"[Desktop Entry]\nExec=/usr/bin/orbl3\n", "/usr/bin/orbl3"},
      {"[Desktop Entry]\n  Exec = \"/opt/o b/orbl3\" --quiet %U\n", "/opt/o b/orbl3"},
      {"[Desktop Entry]\nExec=/usr/bin/orbl3\nHidden=true\n", nullptr},
      {"[Desktop Action x]\nExec=/usr/bin/orbl3\n", nullptr},
      {"[Desktop Entry]\nExec=\"/usr/bin/orbl3\n", nullptr},
      {"[Desktop Entry]\nExec=\"/usr/bin/\"orbl3\n", nullptr},
      {"[Desktop Entry]\nExec=\"/usr/$bin/orbl3\"\n", nullptr},
      {"[Desktop Entry]\nExec=/usr/bin/%f\n", nullptr},
      {"[Desktop Entry]\nExec=/usr/bin\\q\n", nullptr},
      {"[Desktop Entry]\nName=Orbelle\n", nullptr},
  };
  for (const auto& c : cases) {
    const auto program = LinuxAutostart::StartedProgram(c.entry);
    if (c.program) {
      EXPECT_EQ(program, c.program) << c.entry;
    } else {
      EXPECT_FALSE(program) << c.entry;
    }
  }
}

TEST(LinuxAutostart, IsOnOnlyForThisProgramAndOffLeavesAnotherProgramsEntry) {
  TempFolder folder;
  const std::string autostart = folder / "config/autostart";
  const std::string entry = autostart + "/orbelle.desktop";
  LinuxAutostart ours(autostart, "/home/a b/orbl3");
  LinuxAutostart other(autostart, "/home/a b/orbl3-old");
  EXPECT_FALSE(ours.IsEnabled());
  EXPECT_TRUE(ours.Disable());  // no entry: already off
  ASSERT_TRUE(other.Enable());
  EXPECT_FALSE(ours.IsEnabled());
  EXPECT_TRUE(ours.Disable());
  EXPECT_TRUE(other.IsEnabled());  // kept
  ASSERT_TRUE(ours.Enable());      // takes the entry over
  EXPECT_TRUE(ours.IsEnabled());
  EXPECT_FALSE(other.IsEnabled());
  EXPECT_FALSE(LinuxAutostart(autostart, "/HOME/A B/ORBL3").IsEnabled());
  EXPECT_NE(ReadText(entry).find("\nType=Application\n"), std::string::npos);
  EXPECT_TRUE(ours.Disable());
  EXPECT_FALSE(std::filesystem::exists(entry));
}

}  // namespace
}  // namespace orbl::lnx
