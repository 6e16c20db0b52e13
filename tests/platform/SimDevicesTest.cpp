// The simulated drive is as strict as a real one: the removal lock is a
// device-wide count, and the eject button obeys it.
#include <gtest/gtest.h>

#include "platform/sim/SimDevices.h"

namespace orbl::sim {
namespace {

using platform::DriveType;

TEST(SimDevices, TheRemovalLockIsACountThatOutlivesHandlesAndHoldsTheEjectButton) {
  SimWorld world;
  world.AddDrive('D', DriveType::CdRom);
  SimDrives first(world), second(world);  // two programs
  auto send = [](SimDrives& drives, std::uint32_t buffer) {
    const auto handle = drives.OpenDevice('D');
    const bool ok = drives.SendMediaRemoval(handle, buffer);
    drives.CloseDevice(handle);
    return ok;
  };
  EXPECT_TRUE(send(first, 0));  // an allow at count 0 succeeds and does nothing
  EXPECT_EQ(world.Drive('D').lockCount, 0);
  EXPECT_TRUE(send(first, 0xFFFFFFFF));
  EXPECT_TRUE(send(second, 0xFFFFFFFF));
  EXPECT_EQ(world.Drive('D').lockCount, 2);
  EXPECT_FALSE(world.PressEjectButton('D'));
  EXPECT_TRUE(send(first, 0));
  EXPECT_FALSE(world.PressEjectButton('D'));  // the other program's lock holds
  EXPECT_TRUE(send(second, 0));
  EXPECT_TRUE(world.PressEjectButton('d'));
  EXPECT_TRUE(world.Drive('D').doorOpen);
  // A lock does not keep an open tray from closing.
  EXPECT_TRUE(send(first, 0xFFFFFFFF));
  EXPECT_TRUE(world.PressEjectButton('D'));
  EXPECT_FALSE(world.Drive('D').doorOpen);
  world.Drive('D').lockRefused = true;
  EXPECT_FALSE(send(first, 0));
  EXPECT_EQ(world.Drive('D').lockCount, 1);
}

}  // namespace
}  // namespace orbl::sim
