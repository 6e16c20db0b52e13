// The program-wide table of interface texts. Each holds its built-in English
// text until a language file replaces it; the members are named by their
// language keys.
#pragma once

#include <array>
#include <string>

namespace orbl {

struct TInterfaceTexts {
  TInterfaceTexts();

  std::string HelpFile;
  std::string MSG_DiskInDriveOnSystemShutdown;
  std::string Common_Options;
  std::string MSG_CantLock;
  std::string MSG_CantUnLock;
  std::string Msg_Locked;
  std::string Msg_Unlocked;
  std::string Act_OpenCloseDrive;
  std::string Act_LockUnlockDrive;
  std::string Act_OpenCloseAllDrives;
  std::string Act_LockUnlockAllDrives;
  std::string Act_ShowOptions;
  std::string Act_None;
  std::string Msg_CantHotkeyExists;
  std::string Space_Key;
  std::string Enter_Key;
  std::string BackSpace_Key;
  std::string Insert_Key;
  std::string Home_Key;
  std::string Delete_Key;
  std::string Esc_Key;
  std::string End_Key;
  std::string Ctrl_Key;
  std::string Alt_Key;
  std::string Shift_Key;
  std::string Win_Key;
  std::string Key_None;
  std::string MnuExit;
  std::string MnuAbout;
  std::string MnuHelp;
  std::string MnuOptions;
  std::string MnuOpen;
  std::string MnuClose;
  std::string MenuLock;
  std::string MnuUnlock;
  std::string Msg_Drive;

  bool operator==(const TInterfaceTexts&) const = default;
};

// One interface text: where a language file keeps it and the text the program
// shows when no file gives one.
struct TInterfaceText {
  std::string TInterfaceTexts::*Member;
  const char* Section;
  const char* Key;
  const char* BuiltIn;
};

// The only list of the texts: the built-in values, the language step's reads
// and the check of the shipped files all come from here.
inline constexpr auto kInterfaceTexts = std::to_array<TInterfaceText>({
    {&TInterfaceTexts::HelpFile, "Main", "HelpFile", "ORBL.hlp"},
    {&TInterfaceTexts::MSG_DiskInDriveOnSystemShutdown, "Messages",
     "MSG_DiskInDriveOnSystemShutdown", "Found disk in drive"},
    {&TInterfaceTexts::Common_Options, "Messages", "Common_Options", "Common options"},
    {&TInterfaceTexts::MSG_CantLock, "Messages", "MSG_CantLock",
     "Unfortunately, the device cannot be locked right now. Please, retry later."},
    {&TInterfaceTexts::MSG_CantUnLock, "Messages", "MSG_CantUnLock",
     "Unfortunately, the device cannot be unlocked right now. Please, retry later."},
    {&TInterfaceTexts::Msg_Locked, "Messages", "Msg_Locked", "Locked!"},
    {&TInterfaceTexts::Msg_Unlocked, "Messages", "Msg_Unlocked", "Unlocked!"},
    {&TInterfaceTexts::Act_OpenCloseDrive, "Messages", "Act_OpenCloseDrive", "Open/Close drive"},
    {&TInterfaceTexts::Act_LockUnlockDrive, "Messages", "Act_LockUnlockDrive", "Lock/Unlock drive"},
    {&TInterfaceTexts::Act_OpenCloseAllDrives, "Messages", "Act_OpenCloseAllDrives",
     "Open/Close all drives"},
    {&TInterfaceTexts::Act_LockUnlockAllDrives, "Messages", "Act_LockUnlockAllDrives",
     "Lock/Unlock all drives"},
    {&TInterfaceTexts::Act_ShowOptions, "Messages", "Act_ShowOptions", "Show options dialog"},
    {&TInterfaceTexts::Act_None, "Messages", "Act_None", "None"},
    {&TInterfaceTexts::Msg_CantHotkeyExists, "Messages", "Msg_CantHotkeyExists",
     "This hot key is already used. Please, specify any other hot key."},
    {&TInterfaceTexts::Space_Key, "Keys", "Space_Key", "Space"},
    {&TInterfaceTexts::Enter_Key, "Keys", "Enter_Key", "Enter"},
    {&TInterfaceTexts::BackSpace_Key, "Keys", "BackSpace_Key", "Backspace"},
    {&TInterfaceTexts::Insert_Key, "Keys", "Insert_Key", "Insert"},
    {&TInterfaceTexts::Home_Key, "Keys", "Home_Key", "Home"},
    {&TInterfaceTexts::Delete_Key, "Keys", "Delete_Key", "Delete"},
    {&TInterfaceTexts::Esc_Key, "Keys", "Esc_Key", "Esc"},
    {&TInterfaceTexts::End_Key, "Keys", "End_Key", "End"},
    {&TInterfaceTexts::Ctrl_Key, "Keys", "Ctrl_Key", "Ctrl"},
    {&TInterfaceTexts::Alt_Key, "Keys", "Alt_Key", "Alt"},
    {&TInterfaceTexts::Shift_Key, "Keys", "Shift_Key", "Shift"},
    {&TInterfaceTexts::Win_Key, "Keys", "Win_Key", "Win"},
    {&TInterfaceTexts::Key_None, "Keys", "Key_None", "<NONE>"},
    // The tray menu's items.
    {&TInterfaceTexts::MnuExit, "Menu", "MnuExit", "Exit"},
    {&TInterfaceTexts::MnuAbout, "Menu", "MnuAbout", "About Orbelle"},
    {&TInterfaceTexts::MnuHelp, "Menu", "MnuHelp", "Help!"},
    {&TInterfaceTexts::MnuOptions, "Menu", "MnuOptions", "Options..."},
    {&TInterfaceTexts::MnuOpen, "Menu", "MnuOpen", "Open Door"},
    {&TInterfaceTexts::MnuClose, "Menu", "MnuClose", "Close Door"},
    {&TInterfaceTexts::MenuLock, "Menu", "MenuLock", "Lock Device"},
    {&TInterfaceTexts::MnuUnlock, "Menu", "MnuUnlock", "Unlock Device"},
    // Read last, after the windows' own texts.
    {&TInterfaceTexts::Msg_Drive, "CloseImmediatelyWindow", "Msg_Drive", "Drive"},
});

// Every member once: a member the table missed would be an empty text.
static_assert(sizeof(TInterfaceTexts) == kInterfaceTexts.size() * sizeof(std::string));
consteval bool EachMemberOnce() {
  for (std::size_t i = 0; i < kInterfaceTexts.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (kInterfaceTexts[i].Member == kInterfaceTexts[j].Member) return false;
    }
  }
  return true;
}
static_assert(EachMemberOnce());

inline TInterfaceTexts::TInterfaceTexts() {
  for (const TInterfaceText& text : kInterfaceTexts) this->*text.Member = text.BuiltIn;
}

}  // namespace orbl
