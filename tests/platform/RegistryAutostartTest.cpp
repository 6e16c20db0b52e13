// Starting at log-on through the Run key, as the Windows backend and the
// simulation both do it.
#include "platform/RegistryAutostart.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/SimProcess.h"

namespace orbl::platform {
namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kProgram = "C:\\Program Files\\Orbelle\\orbl3.exe";

class RunKeyAutostart : public ::testing::Test {
 protected:
  sim::SimWorld world;
  sim::SimProcess process{world};
  Autostart& autostart = process.Platform().autostart;
};

// Quoted, so that the shell cannot split the path at a blank and start
// "C:\Program.exe"; the bare path an older release wrote is this program too.
TEST_F(RunKeyAutostart, EnableWritesTheQuotedPathUnderTheUsersRunKey) {
  const std::string quoted = std::string("\"") + kProgram + "\"";
  EXPECT_FALSE(autostart.IsEnabled());  // no Run key at all
  EXPECT_TRUE(autostart.Enable());
  EXPECT_EQ(world.Value(kRun, "Orbelle")->type, ValueType::Text);
  EXPECT_EQ(world.Text(kRun, "Orbelle"), quoted);
  EXPECT_TRUE(autostart.IsEnabled());
  world.SetText(kRun, "Orbelle", kProgram);
  EXPECT_TRUE(autostart.IsEnabled());
  EXPECT_TRUE(autostart.Enable());
  EXPECT_EQ(world.Text(kRun, "Orbelle"), quoted);
  // A moved program rewrites the entry of its old place.
  world.SetText(kRun, "Orbelle", "D:\\Old\\orbl3.exe");
  EXPECT_FALSE(autostart.IsEnabled());
  EXPECT_TRUE(autostart.Enable());
  EXPECT_EQ(world.Text(kRun, "Orbelle"), quoted);
}

TEST_F(RunKeyAutostart, DisableRemovesOnlyWhatNamesThisProgram) {
  world.SetText(kRun, "Orbelle", "\"C:\\PROGRAM FILES\\Orbelle\\orbl3.exe\"");
  world.SetText(kRun, "ORBL", kProgram);  // left by older releases
  world.SetText(kRun, "Other", kProgram);
  EXPECT_TRUE(autostart.Disable());
  EXPECT_EQ(world.Value(kRun, "Orbelle"), std::nullopt);
  EXPECT_EQ(world.Value(kRun, "ORBL"), std::nullopt);
  EXPECT_EQ(world.Text(kRun, "Other"), kProgram);
  EXPECT_FALSE(autostart.IsEnabled());

  // A second copy elsewhere keeps its entry when this one is switched off.
  world.SetText(kRun, "Orbelle", "D:\\Second copy\\orbl3.exe");
  EXPECT_TRUE(autostart.Disable());
  EXPECT_EQ(world.Text(kRun, "Orbelle"), "D:\\Second copy\\orbl3.exe");
}
}  // namespace
}  // namespace orbl::platform
