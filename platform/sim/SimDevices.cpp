#include "platform/sim/SimDevices.h"

#include "platform/AsciiCase.h"

namespace orbl::sim {

using namespace orbl::platform;

namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void LogDevice(SimWorld& world, const std::string& line) {
  world.deviceLog.push_back(line);
  world.Log(line);
}

}  // namespace

std::uint32_t SimDrives::LogicalDrives() const {
  std::uint32_t mask = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (w_.Drive(letter).present) mask |= 1u << (letter - 'A');
  }
  return mask;
}

DriveType SimDrives::TypeOf(char letter) const {
  w_.driveTypeQueries.push_back(letter);
  if (!IsLetter(letter)) return DriveType::NoRootDir;
  const SimDrive& drive = w_.Drive(letter);
  const DriveType type = drive.present ? drive.type : DriveType::NoRootDir;
  static constexpr std::array<const char*, 7> kNames = {
      "of unknown type", "not a drive",    "a removable drive", "a fixed disk",
      "a network drive", "a CD-ROM drive", "a RAM disk"};
  const auto index = static_cast<std::size_t>(type);
  w_.Log(std::string("drive ") + AsciiUpper(letter) + ": is " +
         (index < kNames.size() ? kNames.at(index) : "of an odd type"));
  return type;
}

// Volume device handles are 100 + the drive's index, so that a handle tells
// its drive and a stray value is recognised as invalid.
RemovalLock::Handle SimDrives::OpenDevice(char letter) {
  const bool usable =
      IsLetter(letter) && w_.Drive(letter).present && !w_.Drive(letter).deviceUnopenable;
  LogDevice(w_, std::string("open device ") + AsciiUpper(letter) + (usable ? "" : " failed"));
  return usable ? 100 + (AsciiUpper(letter) - 'A') : kInvalid;
}

bool SimDrives::SendMediaRemoval(Handle device, std::uint32_t buffer) {
  const bool prevent = (buffer & 0xFFu) != 0;
  if (device < 100 || device >= 126) {
    LogDevice(w_, std::string(prevent ? "lock" : "unlock") + " on an invalid handle failed");
    return false;
  }
  const char letter = static_cast<char>('A' + (device - 100));
  SimDrive& drive = w_.Drive(letter);
  const bool ok = drive.present && !drive.lockRefused;
  // An allow with no prevent in force succeeds and changes nothing.
  if (ok && prevent) ++drive.lockCount;
  if (ok && !prevent && drive.lockCount > 0) --drive.lockCount;
  LogDevice(w_, std::string(prevent ? "lock " : "unlock ") + letter + (ok ? "" : " refused"));
  return ok;
}

void SimDrives::CloseDevice(Handle device) {
  if (device >= 100 && device < 126) {
    LogDevice(w_, std::string("close device ") + static_cast<char>('A' + (device - 100)));
  }
}

bool SimDrives::IsReadable(char letter) {
  bool readable = false;
  if (IsLetter(letter)) {
    const SimDrive& drive = w_.Drive(letter);
    readable = drive.present && drive.discInside && drive.discReadable && !drive.doorOpen;
  }
  LogDevice(
      w_, std::string("volume ") + AsciiUpper(letter) + (readable ? " readable" : " not readable"));
  return readable;
}

std::optional<DoorDevice::DeviceId> SimDoor::Open(char letter) {
  bool ok = false;
  if (IsLetter(letter)) {
    const SimDrive& drive = w_.Drive(letter);
    ok = drive.present && drive.type == DriveType::CdRom && !drive.noDoorDevice;
  }
  LogDevice(w_, std::string("cd audio open ") + letter + (ok ? "" : " failed"));
  if (!ok) return std::nullopt;
  return static_cast<DeviceId>(1 + (AsciiUpper(letter) - 'A'));
}

bool SimDoor::SetDoor(DeviceId device, bool open) {
  if (device < 1 || device > 26) return false;
  const char letter = static_cast<char>('A' + device - 1);
  SimDrive& drive = w_.Drive(letter);
  const bool ok = !drive.doorRefused;
  if (ok) drive.doorOpen = open;
  LogDevice(w_, std::string(open ? "door open " : "door close ") + letter + (ok ? "" : " refused"));
  return ok;
}

void SimDoor::Close(DeviceId device) {
  if (device < 1 || device > 26) return;
  LogDevice(w_, std::string("cd audio close ") + static_cast<char>('A' + device - 1));
}

void SimSound::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
  w_.beeps.emplace_back(frequencyHz, durationMs);
  w_.Log("beep " + std::to_string(frequencyHz) + " Hz, " + std::to_string(durationMs) + " ms");
  w_.Pass(durationMs);
  if (afterBlocking_) afterBlocking_();
}

void SimSound::Sleep(std::uint32_t ms) {
  w_.Log("pause " + std::to_string(ms) + " ms");
  w_.Pass(ms);
  if (afterBlocking_) afterBlocking_();
}

}  // namespace orbl::sim
