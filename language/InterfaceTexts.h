// The program-wide table of interface texts. Each holds its built-in English
// text until a language file replaces it; the members are named by their
// language keys.
#pragma once

#include <string>

namespace orbl {

struct TInterfaceTexts {
  // [Main]
  std::string HelpFile = "ORBL.hlp";
  // [Messages]
  std::string MSG_DiskInDriveOnSystemShutdown = "Found disk in drive";
  std::string Common_Options = "Common options";
  std::string MSG_CantLock =
      "Unfortunately, the device cannot be locked right now. Please, retry later.";
  std::string MSG_CantUnLock =
      "Unfortunately, the device cannot be unlocked right now. Please, retry later.";
  std::string Msg_Locked = "Locked!";
  std::string Msg_Unlocked = "Unlocked!";
  std::string Act_OpenCloseDrive = "Open/Close drive";
  std::string Act_LockUnlockDrive = "Lock/Unlock drive";
  std::string Act_OpenCloseAllDrives = "Open/Close all drives";
  std::string Act_LockUnlockAllDrives = "Lock/Unlock all drives";
  std::string Act_ShowOptions = "Show options dialog";
  std::string Act_None = "None";
  std::string Msg_CantHotkeyExists =
      "This hot key is already used. Please, specify any other hot key.";
  // [Keys]
  std::string Space_Key = "Space";
  std::string Enter_Key = "Enter";
  std::string BackSpace_Key = "Backspace";
  std::string Insert_Key = "Insert";
  std::string Home_Key = "Home";
  std::string Delete_Key = "Delete";
  std::string Esc_Key = "Esc";
  std::string End_Key = "End";
  std::string Ctrl_Key = "Ctrl";
  std::string Alt_Key = "Alt";
  std::string Shift_Key = "Shift";
  std::string Win_Key = "Win";
  std::string Key_None = "<NONE>";
  // [CloseImmediatelyWindow]
  std::string Msg_Drive = "Drive";

  bool operator==(const TInterfaceTexts&) const = default;
};

}  // namespace orbl
