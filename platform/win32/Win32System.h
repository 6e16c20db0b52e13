// The smaller Win32 areas: atoms and the instance lock, hot keys, drives,
// sound, the registry, files and the process, and the shell.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/Win32Api.h"

namespace orbl::win32 {

class Win32Atoms final : public platform::GlobalAtoms {
 public:
  platform::Atom Find(const std::string& name) const override;
  platform::Atom Add(const std::string& name) override;
  void Delete(platform::Atom atom) override;
};

class Win32InstanceLock final : public platform::InstanceLock {
 public:
  Win32InstanceLock() = default;
  ~Win32InstanceLock() override;
  Win32InstanceLock(const Win32InstanceLock&) = delete;
  Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;
  bool TryAcquire(const std::string& name) override;

 private:
  std::set<std::string> held_;
  std::vector<HANDLE> handles_;
};

class Win32HotKeys final : public platform::HotKeys {
 public:
  bool Register(platform::WindowHandle window, int id, std::uint32_t modifiers,
                std::uint32_t virtualKey) override;
  bool Unregister(platform::WindowHandle window, int id) override;
};

class Win32DriveEnumerator final : public platform::DriveEnumerator {
 public:
  std::uint32_t LogicalDrives() const override;
  platform::DriveType TypeOf(char letter) const override;
};

class Win32DoorDevice final : public platform::DoorDevice {
 public:
  std::optional<DeviceId> Open(char letter) override;
  bool SetDoor(DeviceId device, bool open) override;
  void Close(DeviceId device) override;

 private:
  // The open's parameter block, kept until the close hands it back.
  struct OpenBlock {
    char element[2] = {};
    MCI_OPEN_PARMSA parms{};
    bool released = false;  // the program closed it; its close may have been refused
  };
  using SendCommand = MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);

  MCIERROR Send(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parameters) const;
  // True when the device is gone afterwards.
  bool SendClose(DeviceId device, OpenBlock& block) const;
  void ReleaseLibraryWhenIdle();

  // Every device not known to be gone, those whose close was refused included.
  std::map<DeviceId, OpenBlock> open_;
  HMODULE winmm_ = nullptr;
  SendCommand send_ = nullptr;
};

class Win32RemovalLock final : public platform::RemovalLock {
 public:
  Handle OpenDevice(char letter) override;
  bool SendMediaRemoval(Handle device, std::uint32_t buffer) override;
  void CloseDevice(Handle device) override;
};

class Win32VolumeInfo final : public platform::VolumeInfo {
 public:
  bool IsReadable(char letter) override;
};

class Win32Sound final : public platform::Sound {
 public:
  void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
  void Sleep(std::uint32_t ms) override;
};

class Win32Clock final : public platform::Clock {
 public:
  std::uint64_t UptimeMs() const override;
  std::int64_t WallClockSeconds() const override;
};

class Win32Registry final : public platform::SettingsStore {
 public:
  Key OpenKey(const std::string& path, platform::KeyAccess access) override;
  Key CreateKey(const std::string& path) override;
  void CloseKey(Key key) override;
  std::optional<platform::StoredValue> QueryValue(Key key, const std::string& name) const override;
  bool SetValue(Key key, const std::string& name, const platform::StoredValue& value) override;
  bool DeleteValue(Key key, const std::string& name) override;

  // Larger values are not read at all: nothing the program stores comes near.
  static constexpr DWORD kMaxValueSize = 1 << 20;
};

class Win32Files final : public platform::Files {
 public:
  std::string ModulePath() const override;
  std::string ProgramFolder() const override;
  std::string JoinPath(const std::string& folder, const std::string& name) const override;
  std::vector<std::string> Arguments() const override;
  std::vector<std::string> FindFiles(const std::string& folder,
                                     const std::string& pattern) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  [[noreturn]] void ExitProcess(int code) override;

  // Files the program reads are language files of a few kilobytes.
  static constexpr std::uint64_t kMaxFileSize = 16u << 20;
};

class Win32Shell final : public platform::Shell {
 public:
  bool Open(platform::WindowHandle owner, const std::string& document, int showMode) override;
};

}  // namespace orbl::win32
