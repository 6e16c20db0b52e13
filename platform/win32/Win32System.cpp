#include "platform/win32/Win32System.h"

#include <cctype>

#include "platform/FilePattern.h"
#include "platform/WindowsPath.h"
#include "platform/win32/Win32Helpers.h"

namespace orbl::win32 {

namespace {

HKEY ToKey(platform::SettingsStore::Key key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

// --- atoms and the instance lock -----------------------------------------

platform::Atom Win32Atoms::Find(const std::string& name) const {
  return GlobalFindAtomA(name.c_str());
}

platform::Atom Win32Atoms::Add(const std::string& name) {
  return GlobalAddAtomA(name.c_str());
}

void Win32Atoms::Delete(platform::Atom atom) {
  if (atom != 0) GlobalDeleteAtom(atom);
}

Win32InstanceLock::~Win32InstanceLock() {
  for (HANDLE handle : handles_) CloseHandle(handle);
}

bool Win32InstanceLock::TryAcquire(const std::string& name) {
  if (held_.contains(name)) return true;
  // The mutex lives as long as some process has a handle to it, so unlike the
  // global atom it cannot outlive a killed program. The handle is kept open
  // until the process ends.
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) {
    // Refused access means it exists, made by a process of higher rights.
    // Any other failure leaves us unable to guard: then run rather than lock
    // the user out.
    return error != ERROR_ACCESS_DENIED;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  handles_.push_back(mutex);
  held_.insert(name);
  return true;
}

// --- hot keys ----------------------------------------------------------------

bool Win32HotKeys::Register(platform::WindowHandle window, int id, std::uint32_t modifiers,
                            std::uint32_t virtualKey) {
  // MOD_NOREPEAT: a held key sends one WM_HOTKEY, not one per auto-repeat,
  // so holding a door's key does not open, close and open the door again.
  return RegisterHotKey(ToHwnd(window), id, modifiers | MOD_NOREPEAT, virtualKey) != FALSE;
}

bool Win32HotKeys::Unregister(platform::WindowHandle window, int id) {
  return UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

// --- drives --------------------------------------------------------------------

std::uint32_t Win32DriveEnumerator::LogicalDrives() const {
  return GetLogicalDrives();
}

platform::DriveType Win32DriveEnumerator::TypeOf(char letter) const {
  const std::string root = DriveRootPath(letter);
  if (root.empty()) return platform::DriveType::NoRootDir;
  const UINT type = GetDriveTypeA(root.c_str());
  if (type > static_cast<UINT>(platform::DriveType::RamDisk)) return platform::DriveType::Unknown;
  return static_cast<platform::DriveType>(type);
}

namespace {

constexpr DWORD kOpenFlags = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT;

}  // namespace

MCIERROR Win32DoorDevice::Send(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                               DWORD_PTR parameters) const {
  if (send_ == nullptr) return MCIERR_DEVICE_NOT_INSTALLED;
  return send_(device, message, flags, parameters);
}

// winmm brings msacm32 and the sound stack with it, about 0.7 MB that a
// resident program would carry for a door command now and then. So it is
// loaded for each command and let go once no device is open any more.
void Win32DoorDevice::ReleaseLibraryWhenIdle() {
  if (!open_.empty() || winmm_ == nullptr) return;
  send_ = nullptr;
  FreeLibrary(winmm_);
  winmm_ = nullptr;
}

std::optional<platform::DoorDevice::DeviceId> Win32DoorDevice::Open(char letter) {
  // The element names a drive by its letter alone; anything else could name a
  // file or another device.
  if (DriveRootPath(letter).empty()) return std::nullopt;
  if (winmm_ == nullptr) {
    winmm_ = LoadSystemLibrary("winmm.dll");
    send_ = FindFunction<SendCommand>(winmm_, "mciSendCommandA");
  }
  OpenBlock block;
  block.element[0] = letter;
  block.parms.lpstrDeviceType = "CDAudio";
  block.parms.lpstrElementName = block.element;
  if (Send(0, MCI_OPEN, kOpenFlags, reinterpret_cast<DWORD_PTR>(&block.parms)) != 0) {
    ReleaseLibraryWhenIdle();
    return std::nullopt;
  }
  const DeviceId device = block.parms.wDeviceID;
  OpenBlock& kept = open_[device];
  kept = block;
  kept.parms.lpstrElementName = kept.element;
  return device;
}

bool Win32DoorDevice::SetDoor(DeviceId device, bool open) {
  // An empty parameter block rather than none: some drivers refuse a null one.
  MCI_SET_PARMS set{};
  return Send(device, MCI_SET, open ? MCI_SET_DOOR_OPEN : MCI_SET_DOOR_CLOSED,
              reinterpret_cast<DWORD_PTR>(&set)) == 0;
}

// The same flags word and block as the open first, so that the close names the
// very device and element the open made. That word means nothing to a close,
// and a driver may refuse it: then a plain close that waits for the device.
bool Win32DoorDevice::SendClose(DeviceId device, OpenBlock& block) const {
  if (send_ == nullptr) return true;  // without the library no device is open
  const auto id = static_cast<MCIDEVICEID>(device);
  block.parms.wDeviceID = id;
  block.parms.lpstrDeviceType = "CDAudio";
  block.parms.lpstrElementName = block.element;
  if (Send(id, MCI_CLOSE, kOpenFlags, reinterpret_cast<DWORD_PTR>(&block.parms)) == 0) return true;
  MCI_GENERIC_PARMS wait{};
  const MCIERROR error = Send(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&wait));
  // An identifier the library no longer knows has no device left to close.
  return error == 0 || error == MCIERR_INVALID_DEVICE_ID;
}

// A device left open keeps the drive from other programs, and letting the
// library go would lose the only way to close it. So it is kept, the library
// with it, and its close is tried again with every later one.
void Win32DoorDevice::Close(DeviceId device) {
  OpenBlock& block = open_[device];
  block.released = true;
  for (auto it = open_.begin(); it != open_.end();) {
    if (it->second.released && SendClose(it->first, it->second)) {
      it = open_.erase(it);
    } else {
      ++it;
    }
  }
  ReleaseLibraryWhenIdle();
}

platform::RemovalLock::Handle Win32RemovalLock::OpenDevice(char letter) {
  const std::string devicePath = VolumeDevicePath(letter);
  if (devicePath.empty()) return kInvalid;
  HANDLE device = CreateFileA(devicePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return kInvalid;
  return reinterpret_cast<Handle>(device);
}

bool Win32RemovalLock::SendMediaRemoval(Handle device, std::uint32_t buffer) {
  if (device == kInvalid) return false;
  DWORD returned = 0;
  return DeviceIoControl(reinterpret_cast<HANDLE>(device), IOCTL_STORAGE_MEDIA_REMOVAL, &buffer,
                         sizeof buffer, nullptr, 0, &returned, nullptr) != FALSE;
}

void Win32RemovalLock::CloseDevice(Handle device) {
  if (device != kInvalid) CloseHandle(reinterpret_cast<HANDLE>(device));
}

bool Win32VolumeInfo::IsReadable(char letter) {
  const std::string root = DriveRootPath(letter);
  if (root.empty()) return false;
  // Without this an empty drive asks the user to insert a disc.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  char name[256];
  char fileSystem[256];
  DWORD maxComponent = 0;
  DWORD flags = 0;
  const BOOL ok = GetVolumeInformationA(root.c_str(), name, sizeof name, nullptr, &maxComponent,
                                        &flags, fileSystem, sizeof fileSystem);
  SetErrorMode(previous);
  return ok != FALSE;
}

// --- sound -------------------------------------------------------------------------

void Win32Sound::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
  ::Beep(frequencyHz, durationMs);
}

void Win32Sound::Sleep(std::uint32_t ms) {
  ::Sleep(ms);
}

std::uint64_t Win32Clock::UptimeMs() const {
  return ::GetTickCount64();
}

std::int64_t Win32Clock::WallClockSeconds() const {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  // 100 ns steps since 1601-01-01; 11644473600 s lie between 1601 and 1970.
  const std::uint64_t steps =
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32U) | now.dwLowDateTime;
  return static_cast<std::int64_t>(steps / 10000000U) - 11644473600LL;
}

// --- registry ----------------------------------------------------------------------

platform::SettingsStore::Key Win32Registry::OpenKey(const std::string& path,
                                                    platform::KeyAccess access) {
  const REGSAM sam = access == platform::KeyAccess::Read ? KEY_READ : (KEY_READ | KEY_WRITE);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, sam, &key) != ERROR_SUCCESS) return 0;
  return reinterpret_cast<Key>(key);
}

platform::SettingsStore::Key Win32Registry::CreateKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return reinterpret_cast<Key>(key);
}

void Win32Registry::CloseKey(Key key) {
  if (key != 0) RegCloseKey(ToKey(key));
}

std::optional<platform::StoredValue> Win32Registry::QueryValue(Key key,
                                                               const std::string& name) const {
  if (key == 0) return std::nullopt;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(ToKey(key), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<std::byte> data;
  // The value may grow between the calls; a few rounds settle it.
  for (int round = 0; round < 8; ++round) {
    if (size > kMaxValueSize) return std::nullopt;
    // Never a null buffer: with one the call reports success without copying.
    data.resize(size == 0 ? 1 : size);
    auto got = static_cast<DWORD>(data.size());
    const LSTATUS status = RegQueryValueExA(ToKey(key), name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_MORE_DATA) {
      size = got > data.size() ? got : static_cast<DWORD>(data.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    data.resize(got);
    platform::StoredValue value;
    value.type = static_cast<platform::ValueType>(type);
    value.data = std::move(data);
    return value;
  }
  return std::nullopt;
}

bool Win32Registry::SetValue(Key key, const std::string& name, const platform::StoredValue& value) {
  if (key == 0 || value.data.size() > kMaxValueSize) return false;
  static const BYTE kNothing = 0;
  const BYTE* bytes =
      value.data.empty() ? &kNothing : reinterpret_cast<const BYTE*>(value.data.data());
  return RegSetValueExA(ToKey(key), name.c_str(), 0, static_cast<DWORD>(value.type), bytes,
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(Key key, const std::string& name) {
  if (key == 0) return false;
  return RegDeleteValueA(ToKey(key), name.c_str()) == ERROR_SUCCESS;
}

// --- files and the process ---------------------------------------------------------

std::string Win32Files::ModulePath() const {
  std::string path(MAX_PATH, '\0');
  // Long paths exceed MAX_PATH; the call truncates silently, so grow until it fits.
  while (path.size() <= 32768) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return {};
}

std::string Win32Files::ProgramFolder() const {
  return platform::WindowsParentFolder(ModulePath());
}

std::string Win32Files::JoinPath(const std::string& folder, const std::string& name) const {
  return platform::JoinWindowsPath(folder, name);
}

std::vector<std::string> Win32Files::Arguments() const {
  std::vector<std::string> all = SplitCommandLine(GetCommandLineA());
  if (!all.empty()) all.erase(all.begin());
  return all;
}

std::vector<std::string> Win32Files::FindFiles(const std::string& folder,
                                               const std::string& pattern) const {
  std::vector<std::string> names;
  const std::string search = platform::JoinWindowsPath(folder, pattern);
  const std::size_t slash = pattern.find_last_of("\\/");
  const std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(search.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    // The file system also matches the short 8.3 names ("*.INI" finds
    // "x.ini_old" through "X~1.INI"): check every found name again.
    if (!platform::MatchesFilePattern(found.cFileName, namePattern)) continue;
    names.emplace_back(found.cFileName);
  } while (FindNextFileA(find, &found) != FALSE);
  FindClose(find);
  return names;
}

std::optional<std::string> Win32Files::ReadFile(const std::string& path) const {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
      static_cast<std::uint64_t>(size.QuadPart) <= kMaxFileSize) {
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    bool ok = true;
    while (done < data.size()) {
      DWORD got = 0;
      if (!::ReadFile(file, data.data() + done, static_cast<DWORD>(data.size() - done), &got,
                      nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;  // the file shrank meanwhile
      done += got;
    }
    if (ok) {
      data.resize(done);
      content = std::move(data);
    }
  }
  CloseHandle(file);
  return content;
}

void Win32Files::ExitProcess(int code) {
  ::ExitProcess(static_cast<UINT>(code));
}

// --- shell -----------------------------------------------------------------------------

bool Win32Shell::Open(platform::WindowHandle owner, const std::string& document, int showMode) {
  if (document.empty()) return false;
  // The shell may hand a document to an extension that lives in COM, which
  // wants an apartment on this thread. ole32 and what it pulls in load here,
  // at the first document, rather than with the program.
  static const bool comReady = [] {
    using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto initialize = LoadSystemFunction<Initialize>("ole32.dll", "CoInitializeEx");
    return initialize != nullptr &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  static_cast<void>(comReady);
  // Straight to the shell, one document, no parameters: nothing passes a
  // command interpreter, so no character in it can start another command.
  const HINSTANCE result =
      ShellExecuteA(ToHwnd(owner), "open", document.c_str(), nullptr, nullptr, showMode);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace orbl::win32
