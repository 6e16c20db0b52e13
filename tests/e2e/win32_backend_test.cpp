// The smaller areas of the Windows backend against the real API (run under
// Wine by run_e2e.sh, inside the session that has drives C:, D: and F:): the
// registry, the clock, hot keys, the door device, the program file, files and
// the command channel. The window system and the tray are in
// win32_window_system_test.cpp; the drives as a whole are the scenarios'.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <thread>

#include "platform/WindowsPath.h"
#include "platform/win32/Win32Commands.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32WindowSystem.h"
#include "tests/e2e/replace_import.h"

namespace orbl::win32 {
namespace {

using platform::StoredValue;
using platform::ValueType;
using Strings = std::vector<std::string>;
TEST(Registry, StoresTypedValuesAndRefusesWritesToReadOnlyKeys) {
  Win32Registry registry;
  const std::string path = "SOFTWARE\\Corvantis\\OrbelleBackendTest";
  const auto key = registry.CreateKey(path);
  ASSERT_NE(key, 0u);
  StoredValue text{ValueType::Text, {std::byte{'1'}, std::byte{'5'}, std::byte{0}}};
  StoredValue number{ValueType::Number, {std::byte{2}, std::byte{0}, std::byte{0}, std::byte{0}}};
  StoredValue big{ValueType::Binary, std::vector<std::byte>(300000, std::byte{0x5A})};
  for (const auto& [name, value] : {std::pair{"Text", &text}, {"Number", &number}, {"big", &big}}) {
    EXPECT_TRUE(registry.SetValue(key, name, *value)) << name;
  }
  registry.CloseKey(key);

  const auto reader = registry.OpenKey(path, platform::KeyAccess::Read);
  ASSERT_NE(reader, 0u);
  for (const auto& [name, value] : {std::pair{"Text", &text}, {"Number", &number}, {"big", &big}}) {
    const auto read = registry.QueryValue(reader, name);
    EXPECT_TRUE(read && read->type == value->type && read->data == value->data) << name;
  }
  EXPECT_FALSE(registry.QueryValue(reader, "missing").has_value());
  EXPECT_FALSE(registry.SetValue(reader, "x", text)) << "opened for reading only";
  registry.CloseKey(reader);

  const auto writer = registry.OpenKey(path, platform::KeyAccess::ReadWrite);
  EXPECT_TRUE(registry.DeleteValue(writer, "big"));
  EXPECT_FALSE(registry.DeleteValue(writer, "big"));
  registry.CloseKey(writer);
  EXPECT_EQ(registry.OpenKey(path + "\\missing", platform::KeyAccess::Read), 0u);
  RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

TEST(Clock, TheUptimeAndTheWallClockAreTheSystems) {
  Win32Clock clock;
  const ULONGLONG before = GetTickCount64();
  const std::uint64_t uptime = clock.UptimeMs();
  EXPECT_LE(before, uptime);
  EXPECT_LE(uptime, GetTickCount64());
  EXPECT_NEAR(static_cast<double>(clock.WallClockSeconds()),
              static_cast<double>(std::time(nullptr)), 2.0);
}

// The modifiers the backend passes to RegisterHotKey, seen by pointing this
// program's import of it at a recorder.
std::vector<UINT> registeredModifiers;
decltype(&RegisterHotKey) realRegisterHotKey = nullptr;

BOOL WINAPI RecordingRegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey) {
  registeredModifiers.push_back(modifiers);
  return realRegisterHotKey(hwnd, id, modifiers, virtualKey);
}

// Wine takes MOD_NOREPEAT but sends a WM_HOTKEY for every repeat all the same
// (docs/manual-test-windows.md has the check on Windows): here the flag is
// seen on its way in; the scenarios press the keys.
TEST(HotKeys, ACombinationIsTakenOnceWithoutRepeat) {
  realRegisterHotKey = reinterpret_cast<decltype(&RegisterHotKey)>(ReplaceImport(
      "user32.dll", "RegisterHotKey", reinterpret_cast<void*>(&RecordingRegisterHotKey)));
  ASSERT_NE(realRegisterHotKey, nullptr);
  Win32WindowSystem windows{GetModuleHandleA(nullptr)};
  Win32HotKeys hotKeys;
  const platform::WindowHandle window = windows.CreateTopWindow({}, {});
  const platform::WindowHandle second = windows.CreateTopWindow({}, {});
  constexpr std::uint32_t kCtrlAlt = platform::mod::kControl | platform::mod::kAlt;
  registeredModifiers.clear();
  const bool registered = hotKeys.Register(window, 0xC010, kCtrlAlt, 'K');
  EXPECT_FALSE(hotKeys.Register(second, 0xC002, kCtrlAlt, 'K')) << "already taken";
  ReplaceImport("user32.dll", "RegisterHotKey", reinterpret_cast<void*>(realRegisterHotKey));
  ASSERT_TRUE(registered);
  EXPECT_EQ(registeredModifiers[0], static_cast<UINT>(MOD_CONTROL | MOD_ALT | MOD_NOREPEAT));
  EXPECT_FALSE(hotKeys.Unregister(second, 0xC002));

  EXPECT_TRUE(hotKeys.Unregister(window, 0xC010));
  EXPECT_FALSE(hotKeys.Unregister(window, 0xC010));
  EXPECT_TRUE(hotKeys.Register(second, 0xC003, kCtrlAlt, 'K')) << "free again";
  hotKeys.Unregister(second, 0xC003);
}
// The multimedia library's command function as the door device finds it,
// swapped for one that refuses closes on request and passes the rest on.
using MciSend = MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);
MciSend realMciSend = nullptr;
decltype(&GetProcAddress) realGetProcAddress = nullptr;
int closesToRefuse = 0;
MCIERROR refusal = MCIERR_HARDWARE;
std::vector<DWORD_PTR> closeFlags;  // of every close asked for

MCIERROR WINAPI RefusingMciSend(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                                DWORD_PTR parameters) {
  if (message == MCI_CLOSE) {
    closeFlags.push_back(flags);
    if (closesToRefuse > 0) {
      --closesToRefuse;
      // A device unknown to the library: closed by someone else meanwhile.
      if (refusal == MCIERR_INVALID_DEVICE_ID) {
        MCI_GENERIC_PARMS wait{};
        realMciSend(device, message, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&wait));
      }
      return refusal;
    }
  }
  return realMciSend(device, message, flags, parameters);
}

FARPROC WINAPI SwappingGetProcAddress(HMODULE module, LPCSTR name) {
  const FARPROC found = realGetProcAddress(module, name);
  const bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
  if (found == nullptr || !byName || std::strcmp(name, "mciSendCommandA") != 0) return found;
  realMciSend = reinterpret_cast<MciSend>(reinterpret_cast<void (*)()>(found));
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RefusingMciSend));
}

// A device left open keeps the drive from other programs, and without the
// library nothing could close it any more.
TEST(DoorDevice, ARefusedCloseIsSentAgainAndTheLibraryStaysWhileADeviceIsLeftOpen) {
  const auto winmmLoaded = [] { return GetModuleHandleA("winmm.dll") != nullptr; };
  realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(ReplaceImport(
      "kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&SwappingGetProcAddress)));
  ASSERT_NE(realGetProcAddress, nullptr);
  using Flags = std::vector<DWORD_PTR>;
  constexpr DWORD_PTR kOpenFlags = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT;
  Win32DoorDevice door;

  auto device = door.Open('D');
  ASSERT_TRUE(device.has_value());
  closesToRefuse = 1;
  closeFlags.clear();
  door.Close(*device);
  EXPECT_EQ(closeFlags, (Flags{kOpenFlags, MCI_WAIT})) << "the open's flags, then a plain wait";
  EXPECT_FALSE(winmmLoaded());

  device = door.Open('D');
  ASSERT_TRUE(device.has_value());
  closesToRefuse = 2;
  closeFlags.clear();
  door.Close(*device);
  EXPECT_EQ(closeFlags, (Flags{kOpenFlags, MCI_WAIT}));
  EXPECT_TRUE(winmmLoaded()) << "D:'s device is left open";
  const auto other = door.Open('F');
  ASSERT_TRUE(other.has_value());
  closeFlags.clear();
  door.Close(*other);
  EXPECT_EQ(closeFlags, (Flags{kOpenFlags, kOpenFlags})) << "F:'s close, then D:'s again";
  EXPECT_FALSE(winmmLoaded());

  device = door.Open('D');
  ASSERT_TRUE(device.has_value()) << "D:'s device was closed at last";
  refusal = MCIERR_INVALID_DEVICE_ID;
  closesToRefuse = 2;
  door.Close(*device);
  EXPECT_FALSE(winmmLoaded()) << "a device the library does not know is no device left open";
  refusal = MCIERR_HARDWARE;
  closesToRefuse = 0;
  ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(realGetProcAddress));
}

// orbl3.exe beside this program carries its icon in every size from 100 to
// 200 % scaling, the tray menu's pictures with premultiplied alpha at those
// scalings, its manifest and its version.
TEST(ProgramFile, CarriesItsIconsPicturesManifestAndVersion) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path = path.substr(0, path.find_last_of('\\')) + "\\orbl3.exe";
  HMODULE image = LoadLibraryExA(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << path;
  // The icon group lists the images the file holds (LoadImage would scale another).
  HRSRC group = FindResourceA(image, "TRAY", MAKEINTRESOURCEA(14) /*RT_GROUP_ICON*/);
  ASSERT_NE(group, nullptr);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
  const DWORD count = bytes[4] | (bytes[5] << 8);
  ASSERT_GE(SizeofResource(image, group), 6u + 14u * count);
  std::vector<int> sizes;
  for (DWORD i = 0; i < count; ++i) sizes.push_back(bytes[6 + 14 * i]);
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64}));
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr)
      << "no manifest";
  for (const char* picture :
       {"FRMMAIN_N16_BMP_BITMAP", "FRMMAIN_N17_BMP_BITMAP", "FRMMAIN_N19_BMP_BITMAP",
        "FRMMAIN_N20_BMP_BITMAP", "FRMMAIN_N22_BMP_BITMAP", "FRMMAIN_N24_BMP_BITMAP"}) {
    for (int side : {16, 20, 24, 32}) {
      const std::string name = side == 16 ? picture : picture + ("_" + std::to_string(side));
      HRSRC found = FindResourceA(image, name.c_str(), MAKEINTRESOURCEA(2) /*RT_BITMAP*/);
      ASSERT_NE(found, nullptr) << name;
      const auto* info =
          static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(image, found)));
      const auto area = static_cast<std::size_t>(side * side);
      ASSERT_TRUE(SizeofResource(image, found) >= sizeof(BITMAPINFOHEADER) + area * 4 &&
                  info->biWidth == side && std::abs(info->biHeight) == side &&
                  info->biBitCount == 32 && info->biCompression == BI_RGB)
          << name;
      // Clear around the picture, solid inside, each colour premultiplied by its alpha.
      const auto* bgra = reinterpret_cast<const BYTE*>(info) + info->biSize;
      bool clear = false, solid = false, premultiplied = true;
      for (const BYTE* end = bgra + 4 * area; bgra < end; bgra += 4) {
        clear = clear || bgra[3] == 0;
        solid = solid || bgra[3] == 255;
        premultiplied = premultiplied && std::max({bgra[0], bgra[1], bgra[2]}) <= bgra[3];
      }
      EXPECT_TRUE(clear && solid && premultiplied) << name;
    }
  }
  FreeLibrary(image);
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_TRUE(!data.empty() &&
              GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  char* product = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_TRUE(fixed->dwFileVersionMS == MAKELONG(1, 3) && HIWORD(fixed->dwFileVersionLS) == 2)
      << "not version 3.1.2";
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_STREQ(product, "Orbelle");
}

// The Wine prefix is made afresh for every run: what the test writes goes with it.
TEST(Files, ArgumentsAreSplitAsTheRuntimeDoesAndOnlyMatchingFilesAreFound) {
  Win32Files files;
  // run_e2e.sh passes an argument with blanks, quotes and backslashes.
  Strings runtime(__argv + 1, __argv + __argc);
  EXPECT_EQ(files.Arguments(), runtime) << GetCommandLineA();
  EXPECT_GE(runtime.size(), 2u);
  const std::string module = files.ModulePath();
  EXPECT_NE(module.find("orbl_win32_tests.exe"), std::string::npos) << module;

  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string folder = platform::JoinWindowsPath(temp, "orbl-files-test");
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(platform::JoinWindowsPath(folder, "Folder.ini").c_str(), nullptr);
  for (const char* name : {"English.ini", "German.INI", "notes.txt", "old.ini_bak"}) {
    std::ofstream(platform::JoinWindowsPath(folder, name), std::ios::binary)
        << "[Main]\r\nHelpFile=ORBL.hlp\r\n";
  }
  Strings found = files.FindFiles(folder, "*.INI");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (Strings{"English.ini", "German.INI"}));
  EXPECT_TRUE(files.FindFiles(platform::JoinWindowsPath(folder, "missing"), "*.INI").empty());

  EXPECT_EQ(files.ReadFile(platform::JoinWindowsPath(folder, "English.ini")),
            "[Main]\r\nHelpFile=ORBL.hlp\r\n");
  EXPECT_FALSE(files.ReadFile(platform::JoinWindowsPath(folder, "missing.ini")).has_value());
  EXPECT_FALSE(files.ReadFile(platform::JoinWindowsPath(folder, "Folder.ini")).has_value());
}

// The program's thread listens and runs its loop; a command sends from
// another. Only what a command sends, within the bounds, is taken; it runs in
// its turn, after the hand-over, and the reply comes back within its bounds.
TEST(CommandChannel, TakesOnlyBoundedTaggedRequestsAndRepliesWithCodeOutputAndErrors) {
  Win32CommandChannel channel;
  Strings heard;
  platform::CommandReply answer{2, "D: door open\n", "orbl3: no\n"};
  channel.Listen({}, [&](const std::string& request) {
    EXPECT_FALSE(InSendMessage()) << "run inside the hand-over, not in its turn";
    heard.push_back(request);
    return answer;
  });
  const auto send = [&](const std::string& request) {
    std::optional<platform::CommandReply> reply;
    std::atomic<bool> done = false;
    std::thread command([&] {
      reply = Win32CommandChannel().Send(request);
      done = true;
    });
    for (MSG msg{}; !done;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
    }
    command.join();
    return reply;
  };
  auto reply = send("close D");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->exitCode, 2);
  EXPECT_EQ(reply->output, "D: door open\n");
  EXPECT_EQ(reply->errors, "orbl3: no\n");
  answer = {1, std::string(platform::kMaxReplyBytes, 'o'), "lost"};
  reply = send(std::string(platform::kMaxRequestBytes, 'a'));
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->exitCode, 1);
  EXPECT_EQ(reply->output.size(), platform::kMaxReplyBytes - 1);
  EXPECT_EQ(reply->errors, "");
  EXPECT_FALSE(send(std::string(platform::kMaxRequestBytes + 1, 'a')).has_value());

  HWND listener = FindWindowExW(HWND_MESSAGE, nullptr, L"OrbelleCommands", nullptr);
  std::string open = "open D";
  std::string tooLong(platform::kMaxRequestBytes + 1, 'a');
  constexpr ULONG_PTR kCommandTag = 0x4F524231;  // what a command sends
  for (auto [tag, text] : {std::pair{kCommandTag + 1, &open}, std::pair{kCommandTag, &tooLong}}) {
    COPYDATASTRUCT data{tag, static_cast<DWORD>(text->size()), text->data()};
    EXPECT_EQ(SendMessageW(listener, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
  }
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
  EXPECT_EQ(heard, (Strings{"close D", std::string(platform::kMaxRequestBytes, 'a')}));
}

}  // namespace
}  // namespace orbl::win32
