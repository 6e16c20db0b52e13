#include "drives/DriveTools.h"

#include <gtest/gtest.h>

#include "platform/sim/SimProcess.h"

namespace orbl {
namespace {

using platform::DriveType;

TEST(EnumerateOpticalDrives, KeepsOnlyCdRomDrivesInLetterOrder) {
  sim::SimWorld world;
  world.AddDrive('A', DriveType::Removable);
  world.AddDrive('C', DriveType::Fixed);
  world.AddDrive('F', DriveType::CdRom);
  world.AddDrive('D', DriveType::CdRom);
  world.AddDrive('G', DriveType::Remote);
  world.AddDrive('H', DriveType::RamDisk);
  world.AddDrive('I', DriveType::Unknown);
  sim::SimProcess process(world);
  EXPECT_EQ(EnumerateOpticalDrives(process.Platform().driveEnumerator),
            (std::vector<char>{'D', 'F'}));
  // Each present drive is asked once, by its letter.
  EXPECT_EQ(world.driveTypeQueries, (std::vector<char>{'A', 'C', 'D', 'F', 'G', 'H', 'I'}));
}

TEST(EnumerateOpticalDrives, FindsZByTheHighestBitAndNeverAsksBeyondTheLastDrive) {
  sim::SimWorld world;
  world.AddDrive('Z', DriveType::CdRom);
  sim::SimProcess process(world);
  EXPECT_EQ(EnumerateOpticalDrives(process.Platform().driveEnumerator), std::vector<char>{'Z'});
  EXPECT_EQ(world.driveTypeQueries, std::vector<char>{'Z'});

  sim::SimWorld none;
  sim::SimProcess nothing(none);
  EXPECT_TRUE(EnumerateOpticalDrives(nothing.Platform().driveEnumerator).empty());
  EXPECT_TRUE(none.driveTypeQueries.empty());
}

TEST(FindDriveIndex, IgnoresCaseAndGivesMinusOneForUnknownLetters) {
  const TDriveTable table = {NewDriveRecord('d'), NewDriveRecord('F')};
  EXPECT_EQ(FindDriveIndex(table, 'd'), 0);
  EXPECT_EQ(FindDriveIndex(table, 'D'), 0);
  EXPECT_EQ(FindDriveIndex(table, 'f'), 1);
  EXPECT_EQ(FindDriveIndex(table, 'E'), -1);
  EXPECT_EQ(FindDriveIndex(table, '\0'), -1);
  EXPECT_EQ(FindDriveIndex(TDriveTable{}, 'D'), -1);
  EXPECT_EQ(DriveCaption('d'), "D:");
  EXPECT_EQ(HotKeyAtomName('d', "lock", 65562), "Orbelle drive D lock65562");
}

}  // namespace
}  // namespace orbl
