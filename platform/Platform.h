// The bundle of platform areas handed to the program at its entry. It holds
// references only: the backend owns the objects, so a test can build several
// simulated processes that share one simulated world.
#pragma once

#include "platform/Atoms.h"
#include "platform/Autostart.h"
#include "platform/Clock.h"
#include "platform/Commands.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/HotKeys.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/Tray.h"
#include "platform/WindowSystem.h"

namespace orbl::platform {

struct Platform {
  WindowSystem& windows;
  Tray& tray;
  GlobalAtoms& atoms;
  InstanceLock& instanceLock;
  HotKeys& hotKeys;
  DriveEnumerator& driveEnumerator;
  DoorDevice& door;
  RemovalLock& removalLock;
  VolumeInfo& volumes;
  Sound& sound;
  SettingsStore& settings;
  Autostart& autostart;
  Files& files;
  Shell& shell;
  Clock& clock;
  CommandChannel& commands;
  Console& console;
};

}  // namespace orbl::platform
