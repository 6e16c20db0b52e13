// The drive layer against a fake kernel: letters, refused door commands,
// drives that cannot close, device errors, and the guard that is held
// exactly while our door lock is.
#include "platform/linux/LinuxDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "app/DeviceBroadcast.h"
#include "platform/linux/LinuxSession.h"
#include "platform/linux/UdevRemovals.h"
#include "tests/linux/TempFolder.h"

namespace orbl::lnx {
namespace {

using platform::DriveType;
using platform::RemovalLock;

constexpr std::uint32_t kPrevent = 0xFFFFFFFF;

struct FakeDrive {
  int openError = 0;
  int capabilities = kCapabilityCloseTray;
  std::map<CdromRequest, int> results;  // what each request returns, 0 by default
};

class FakeCdromIo final : public CdromIo {
 public:
  std::vector<std::string> names = {"sr0"};
  std::map<std::string, FakeDrive> drives = {{"sr0", {}}};
  std::vector<std::pair<CdromRequest, int>> sent;
  std::set<std::string> heldGuards;
  int guardFlockError = 0;
  std::map<int, std::string> openFds;

  std::vector<std::string> DriveNames() const override { return names; }
  int OpenDrive(const std::string& name) override {
    const int error = drives.contains(name) ? drives[name].openError : ENOENT;
    return error != 0 ? -error : OpenGuard(name);
  }
  int OpenGuard(const std::string& path) override {
    openFds[nextFd_] = path;
    return nextFd_++;
  }
  int Request(int fd, CdromRequest request, int argument) override {
    sent.emplace_back(request, argument);
    const FakeDrive& drive = drives.at(openFds.at(fd));
    if (request == CdromRequest::Capabilities) return drive.capabilities;
    return drive.results.contains(request) ? drive.results.at(request) : 0;
  }
  int Flock(int fd, bool lock) override {
    if (!lock) return static_cast<int>(heldGuards.erase(openFds.at(fd))) - 1;
    if (guardFlockError != 0) return -guardFlockError;
    heldGuards.insert(openFds.at(fd));
    return 0;
  }
  void Close(int fd) override {
    heldGuards.erase(openFds.at(fd));  // closing drops a flock
    openFds.erase(fd);
  }
  bool Sent(CdromRequest request) const {
    return std::ranges::any_of(sent, [&](const auto& call) { return call.first == request; });
  }

 private:
  int nextFd_ = 3;
};

TEST(LinuxDrives, SrNIsTheLetterDPlusNUpToZ) {
  FakeCdromIo io;
  io.names = {"sr0", "sr1", "sr22", "sr23", "sr01", "sr-1", "sr", "sr1a", "sda", "sr100"};
  TempFolder runtime;
  LinuxDrives drives(io, runtime.path.string());
  EXPECT_EQ(drives.LogicalDrives(), 1u << 3 | 1u << 4 | 1u << 25);
  const std::pair<char, DriveType> types[] = {
      {'d', DriveType::CdRom},     {'E', DriveType::CdRom},     {'Z', DriveType::CdRom},
      {'F', DriveType::NoRootDir}, {'C', DriveType::NoRootDir}, {'1', DriveType::NoRootDir}};
  for (const auto& [letter, type] : types) EXPECT_EQ(drives.TypeOf(letter), type) << letter;
}

TEST(LinuxDrives, ADoorCommandFailsOnAnyNonzeroAnswerAndATrayThatCannotCloseIsNotAsked) {
  const struct {
    int capabilities;
    int answer;  // of the eject or close
    bool open;
    bool done;
    bool closeSent;
  } cases[] = {
      {kCapabilityCloseTray, 0, true, true, false},
      {kCapabilityCloseTray, 2, true, false, false},  // a SCSI status
      {kCapabilityCloseTray, -EIO, true, false, false},
      {kCapabilityCloseTray, 0, false, true, true},
      {kCapabilityCloseTray | 0x6, 1, false, false, true},
      {0x6, 0, false, false, false},
      {-ENOTTY, 0, false, false, false},
  };
  for (const auto& c : cases) {
    FakeCdromIo io;
    io.drives["sr0"] = {
        0, c.capabilities, {{CdromRequest::Eject, c.answer}, {CdromRequest::CloseTray, c.answer}}};
    LinuxDrives drives(io, "");
    const auto device = drives.Open('d');
    ASSERT_TRUE(device);
    EXPECT_EQ(drives.SetDoor(*device, c.open), c.done) << c.capabilities << " " << c.answer;
    EXPECT_EQ(io.Sent(CdromRequest::CloseTray), c.closeSent) << c.capabilities;
    drives.Close(*device);
    EXPECT_TRUE(io.openFds.empty());
  }
}

TEST(LinuxDrives, ADeviceErrorFailsTheCommandAndTheLockAndHidesTheDisc) {
  for (const int error : {ENOENT, EACCES, ENOMEDIUM, EIO, ENOTTY}) {
    FakeCdromIo io;
    LinuxDrives drives(io, "");
    io.drives["sr0"].openError = error;
    EXPECT_FALSE(drives.Open('D')) << error;
    EXPECT_EQ(drives.OpenDevice('D'), RemovalLock::kInvalid) << error;
    EXPECT_FALSE(drives.SendMediaRemoval(RemovalLock::kInvalid, kPrevent));
    EXPECT_FALSE(drives.IsReadable('D')) << error;
    io.drives["sr0"].openError = 0;
    io.drives["sr0"].results[CdromRequest::DriveStatus] = -error;
    EXPECT_FALSE(drives.IsReadable('D')) << error;
    EXPECT_TRUE(io.openFds.empty());
  }
  FakeCdromIo io;
  LinuxDrives drives(io, "");
  io.drives["sr0"].results[CdromRequest::DriveStatus] = kStatusDiscOk;
  EXPECT_TRUE(drives.IsReadable('d'));
  EXPECT_FALSE(drives.IsReadable('E'));                     // no sr1
  io.drives["sr0"].results[CdromRequest::DriveStatus] = 1;  // no disc
  EXPECT_FALSE(drives.IsReadable('D'));
}

TEST(LinuxDrives, TheGuardIsHeldExactlyWhileTheDoorLockIsInForce) {
  FakeCdromIo io;
  TempFolder runtime;
  LinuxDrives drives(io, runtime.path.string());
  const std::string guard = runtime / "orbelle/sr0.guard";
  int& lockAnswer = io.drives["sr0"].results[CdromRequest::LockDoor];
  const auto send = [&](std::uint32_t buffer) {
    const auto handle = drives.OpenDevice('D');
    const bool done = drives.SendMediaRemoval(handle, buffer);
    drives.CloseDevice(handle);
    return done;
  };
  io.guardFlockError = EWOULDBLOCK;  // someone else holds it: no lock without the guard
  EXPECT_FALSE(send(kPrevent));
  EXPECT_FALSE(io.Sent(CdromRequest::LockDoor));
  io.guardFlockError = 0;
  lockAnswer = -EIO;
  EXPECT_FALSE(send(kPrevent));
  EXPECT_TRUE(io.heldGuards.empty());
  lockAnswer = 0;
  EXPECT_TRUE(send(kPrevent));
  EXPECT_EQ(io.sent.back(), std::pair(CdromRequest::LockDoor, 1));
  EXPECT_EQ(io.heldGuards, std::set<std::string>{guard});
  EXPECT_EQ(std::filesystem::status(runtime / "orbelle").permissions(),
            std::filesystem::perms::owner_all);
  lockAnswer = -EIO;
  EXPECT_FALSE(send(kPrevent));  // the earlier lock still holds the door
  EXPECT_FALSE(send(0));
  EXPECT_EQ(io.heldGuards, std::set<std::string>{guard});
  lockAnswer = -EBUSY;  // the flag is cleared; the door opens with the last close
  EXPECT_TRUE(send(0));
  EXPECT_EQ(io.sent.back(), std::pair(CdromRequest::LockDoor, 0));
  EXPECT_TRUE(io.heldGuards.empty());
  EXPECT_EQ(io.openFds.size(), 0u);
}

// The system calls themselves run in linux_e2e.sh, against the preloaded
// fake CD-ROM layer.
TEST(LinuxSession, TheInstanceLockExcludesASecondHolderAndAtomsAreCounted) {
  TempFolder folder;
  const std::string runtime = (folder.path / "run").string();
  std::filesystem::create_directories(runtime);
  {
    LinuxInstanceLock first(runtime);
    LinuxInstanceLock second(runtime);
    EXPECT_TRUE(first.TryAcquire("ORBL"));
    EXPECT_TRUE(first.TryAcquire("ORBL"));
    EXPECT_FALSE(second.TryAcquire("ORBL"));
    EXPECT_TRUE(second.TryAcquire("Other"));
    EXPECT_FALSE(second.TryAcquire("../ORBL"));
  }
  EXPECT_TRUE(LinuxInstanceLock(runtime).TryAcquire("ORBL"));  // gone with its holder

  LinuxAtoms atoms;
  const platform::Atom atom = atoms.Add("ORBL");
  EXPECT_EQ(atoms.Add("orbl"), atom);
  atoms.Delete(atom);
  EXPECT_EQ(atoms.Find("Orbl"), atom);  // one more add than deletes
  atoms.Delete(atom);
  EXPECT_EQ(atoms.Find("ORBL"), 0);
}

TEST(UdevRemovals, OnlyAMediaChangeThatTookTheDiscOfAnSrDiskIsARemoval) {
  const UdevProperties change = {{"SUBSYSTEM", "block"},
                                 {"DEVTYPE", "disk"},
                                 {"DEVNAME", "/dev/sr2"},
                                 {"DISK_MEDIA_CHANGE", "1"}};
  const auto with = [&](const std::string& name, const std::string& value) {
    UdevProperties properties = change;
    properties[name] = value;
    return properties;
  };
  const struct {
    UdevProperties properties;
    bool hadDisc;
    bool hasDisc;
    std::optional<char> removed;
  } cases[] = {
      {change, true, false, 'F'},
      {change, true, true, std::nullopt},  // a disc changed while we looked away
      {change, false, true, std::nullopt},
      {with("DISK_MEDIA_CHANGE", "0"), true, false, std::nullopt},
      {with("DEVTYPE", "partition"), true, false, std::nullopt},
      {with("DEVNAME", "/mnt/sr2"), true, false, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RemovedDrive(c.properties, c.hadDisc, c.hasDisc), c.removed)
        << c.properties.at("DEVNAME") << c.hadDisc << c.hasDisc;
  }
  const std::vector<std::byte> bytes = VolumeRemovalBroadcast('f');
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[16], std::byte{1});  // the medium left, not the drive
  EXPECT_EQ(DecodeDeviceRemoval(
                {platform::msg::kDeviceChange, platform::msg::kDbtDeviceRemoveComplete, 1, bytes}),
            (DeviceRemoval{true, {'F'}}));
}

TEST(UdevRemovals, EachDiscLeavingIsOneRemovalWhetherTheButtonOrWeEjectedIt) {
  FakeCdromIo io;
  int& status = io.drives["sr0"].results[CdromRequest::DriveStatus];
  status = kStatusDiscOk;
  std::vector<char> removed;
  UdevRemovals removals(io, [&](char letter) { removed.push_back(letter); });
  removals.Start();
  LinuxDrives drives(io, "", [&](char letter) { removals.OwnEject(letter); });
  const UdevProperties change = {{"SUBSYSTEM", "block"},
                                 {"DEVTYPE", "disk"},
                                 {"DEVNAME", "/dev/sr0"},
                                 {"DISK_MEDIA_CHANGE", "1"}};
  status = 1;  // the button: the kernel reports the change
  removals.Observe(change);
  removals.Observe(change);
  EXPECT_EQ(removed, std::vector<char>{'D'});
  status = kStatusDiscOk;  // a disc goes in
  removals.Observe(change);
  // Our ejects, which the kernel does not report: of a disc, of an empty
  // drive, and one the drive refused.
  const auto eject = [&](int discStatus, int answer) {
    status = discStatus;
    io.drives["sr0"].results[CdromRequest::Eject] = answer;
    const auto device = drives.Open('D');
    drives.SetDoor(*device, true);
    drives.Close(*device);
  };
  eject(kStatusDiscOk, 0);
  eject(1, 0);
  eject(kStatusDiscOk, 2);
  EXPECT_EQ(removed, (std::vector<char>{'D', 'D'}));
  status = 1;  // a change the kernel may still report after our eject
  removals.Observe(change);
  EXPECT_EQ(removed, (std::vector<char>{'D', 'D'}));
  EXPECT_TRUE(io.openFds.empty());
}

}  // namespace
}  // namespace orbl::lnx
