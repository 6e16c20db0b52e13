// orbl3.exe: the program core on the real Windows API.
#include "app/Orbl3.h"
#include "platform/RegistryAutostart.h"
#include "platform/win32/Win32Commands.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Tray.h"
#include "platform/win32/Win32WindowSystem.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  using namespace orbl::win32;
  Win32WindowSystem windows(instance);
  Win32Tray tray(windows);
  Win32Atoms atoms;
  Win32InstanceLock instanceLock;
  Win32HotKeys hotKeys;
  Win32DriveEnumerator driveEnumerator;
  Win32DoorDevice door;
  Win32RemovalLock removalLock;
  Win32VolumeInfo volumes;
  Win32Sound sound;
  Win32Registry settings;
  Win32Files files;
  orbl::platform::RegistryAutostart autostart(settings, [&files] { return files.ModulePath(); });
  Win32Shell shell;
  Win32Clock clock;
  Win32CommandChannel commands;
  Win32Console console;

  orbl::platform::Platform platform{windows,         tray,      atoms,       instanceLock, hotKeys,
                                    driveEnumerator, door,      removalLock, volumes,      sound,
                                    settings,        autostart, files,       shell,        clock,
                                    commands,        console};
  orbl::RunProgram(platform);
}
