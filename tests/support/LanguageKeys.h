// The keys of a language file that the program's table of interface texts
// does not hold: the windows' captions with the texts the windows are built
// with, and the file's own details.
#pragma once

#include <string>
#include <vector>

namespace orbl::test {

// The captions of the windows, with the texts the windows are built with.
// Interval names two labels, "Interval (seconds):" shown and "Interval:"
// never shown; the shown one is listed.
struct CaptionKey {
  const char* section;
  const char* key;
  const char* builtIn;
};

inline const std::vector<CaptionKey>& WindowCaptionKeys() {
  static const std::vector<CaptionKey> keys = {
      {"Buttons", "OK", "OK"},
      {"Buttons", "Cancel", "Cancel"},
      {"Buttons", "Help", "Help"},
      {"Menu", "MnuExit", "Exit"},
      {"Menu", "MnuAbout", "About Orbelle"},
      {"Menu", "MnuHelp", "Help!"},
      {"Menu", "MnuOptions", "Options..."},
      {"Menu", "MnuOpen", "Open Door"},
      {"Menu", "MnuClose", "Close Door"},
      {"Menu", "MenuLock", "Lock Device"},
      {"Menu", "MnuUnlock", "Unlock Device"},
      {"CommonOptions", "Intergr", "Integration Options"},
      {"CommonOptions", "StartAuto", " Start automatically"},
      {"CommonOptions", "Lng", "Interface language"},
      {"CommonOptions", "Inform", "Translation information:"},
      {"CommonOptions", "Author", "Author:"},
      {"CommonOptions", "EMail", "E-mail:"},
      {"CommonOptions", "TrayIconAct", "Double-click on tray icon"},
      {"CommonOptions", "LangOpts", "Language Options"},
      {"CommonOptions", "TrayIconBehavior", "Tray Icon Behavior"},
      {"DeviceOptions", "Ejectiong", "Ejecting CD/DVD device's door with a disk inside"},
      {"DeviceOptions", "SpyChk", " Watch ejecting CD/DVD door with a disk"},
      {"DeviceOptions", "Closing", "Closing & locking CD/DVD device door"},
      {"DeviceOptions", "AutoClose",
       "Close this drive's door after ejecting it with disk inside after specified time "
       "interval"},
      {"DeviceOptions", "Interval", "Interval (seconds):"},
      {"DeviceOptions", "Seconds", "seconds"},
      {"DeviceOptions", "TryEvery", " Try to close CD/DVD door every some seconds"},
      {"DeviceOptions", "ActionsOnShutdown", "Shutting Down"},
      {"DeviceOptions", "CloseAct", " Close CD/DVD when the system shuts down"},
      {"DeviceOptions", "WarnNotEmpty",
       " Warn if this drive is not empty when the system shuts down"},
      {"DeviceOptions", "LockOnStart", " Lock this drive when Orbelle starts"},
      {"DeviceOptions", "LockOnClose",
       " Lock/unlock this drive automatically when open/close it with Orbelle"},
      {"DeviceOptions", "ShowMsgLockUnlock", "Show message when lock/unlock this drive"},
      {"DeviceOptions", "BeepLockUnlock", "Beep when lock/unlock this drive"},
      {"DeviceOptions", "ClosingLockingOpts", "Closing & locking CD/DVD device door"},
      {"DeviceOptions", "WarnSleepDVDNotEmpty",
       "Warn if this drive is not empty when computer goes to sleep mode"},
      {"DeviceOptions", "SleepModeLock", "Lock this drive when computer goes to sleep mode"},
      {"DeviceOptions", "SleepModeUnlockExit",
       "Unlock this drive when computer exits from sleep mode"},
      {"DeviceOptions", "SleepModeOpts", "Sleep Mode"},
      {"DeviceOptions", "EjectShuttingDown",
       "Eject disk if this drive is not empty when the system shuts down"},
      {"DeviceOptions", "BeepShuttingDown",
       "Beep if this drive is not empty when the system shuts down"},
      {"DeviceOptions", "ShuttingDownOpts", "Shutting Down"},
      {"DeviceOptions", "HotKeyOpenClose", "Hot key to open/close this drive"},
      {"DeviceOptions", "HotKeyLockUnlock", "Hot key to lock/unlock this drive"},
      {"DeviceOptions", "ChangeHotKeyButtonCaption", "Change..."},
      {"DeviceOptions", "HotKeyOpts", "Hot Keys"},
      {"DeviceOptions", "ShowDialogAskingToCloseTheDrive",
       "Show dialog asking to close the drive immediately"},
      {"AboutWindow", "Caption", "About Orbelle"},
      {"HotKeyOptionsWindow", "Remove", "Remove hot key"},
      {"HotKeyOptionsWindow", "Caption", "Hot Key Options"},
      {"HotKeyOptionsWindow", "HotKeyOptions", "Main key:"},
      {"CloseImmediatelyWindow", "Close_Message", "OK"},
      {"CloseImmediatelyWindow", "CancelCloseImmediately", "Cancel"},
      {"CloseImmediatelyWindow", "CloseImmediately", "Close the door of the drive immediately?"},
      {"CloseImmediatelyWindow", "Caption", "Close Drive"},
  };
  return keys;
}

// [Main] beside HelpFile: the file's own details, which have no built-in text.
inline const std::vector<const char*>& FileDetailKeys() {
  static const std::vector<const char*> keys = {"LangNameEng", "LangNameNative", "Tanslator",
                                                "Email"};
  return keys;
}

}  // namespace orbl::test
