// The simulated devices: drive enumeration, the removal lock and the volume
// of each drive, the CD audio device that moves the door, and the beeper.
// Every device request lands in the world's device log.
#pragma once

#include <functional>
#include <utility>

#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Sound.h"
#include "platform/sim/SimWorld.h"

namespace orbl::sim {

class SimDrives final : public platform::DriveEnumerator,
                        public platform::RemovalLock,
                        public platform::VolumeInfo {
 public:
  explicit SimDrives(SimWorld& world) : w_(world) {}

  std::uint32_t LogicalDrives() const override;
  platform::DriveType TypeOf(char letter) const override;

  Handle OpenDevice(char letter) override;
  bool SendMediaRemoval(Handle device, std::uint32_t buffer) override;
  void CloseDevice(Handle device) override;
  bool CountsRequests() const override { return w_.removalLockCounts; }

  bool IsReadable(char letter) override;

 private:
  SimWorld& w_;
};

class SimDoor final : public platform::DoorDevice {
 public:
  explicit SimDoor(SimWorld& world) : w_(world) {}
  std::optional<DeviceId> Open(char letter) override;
  bool SetDoor(DeviceId device, bool open) override;
  void Close(DeviceId device) override;

 private:
  SimWorld& w_;
};

class SimClock final : public platform::Clock {
 public:
  explicit SimClock(SimWorld& world) : w_(world) {}
  std::uint64_t UptimeMs() const override { return w_.UptimeMs(); }
  std::int64_t WallClockSeconds() const override { return w_.WallClockSeconds(); }

 private:
  SimWorld& w_;
};

class SimSound final : public platform::Sound {
 public:
  // `afterBlocking` runs on the caller's thread once a beep or pause has
  // passed: the system may have given up on a program that blocked too long.
  explicit SimSound(SimWorld& world, std::function<void()> afterBlocking = {})
      : w_(world), afterBlocking_(std::move(afterBlocking)) {}
  void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
  // A pause blocks its caller only: the clock moves, no timer runs meanwhile.
  void Sleep(std::uint32_t ms) override;

 private:
  SimWorld& w_;
  std::function<void()> afterBlocking_;
};

}  // namespace orbl::sim
