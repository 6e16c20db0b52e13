#include "language/Language.h"

#include "platform/Files.h"

namespace orbl {

std::string LanguageFolder(const platform::Files& files) {
  return files.JoinPath(files.ProgramFolder(), "Language");
}

std::string DefaultLanguageFile(const platform::Files& files) {
  return files.JoinPath(LanguageFolder(files), "English.ini");
}

std::vector<TLanguageEntry> FindLanguageFiles(const platform::Files& files) {
  const std::string folder = LanguageFolder(files);
  std::vector<TLanguageEntry> entries;
  for (const std::string& name : files.FindFiles(folder, "*.INI")) {
    TLanguageEntry entry;
    entry.Path = files.JoinPath(folder, name);
    entry.Name = LanguageListEntry(TIniFile::Load(files, entry.Path));
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string LanguageListEntry(const TIniFile& file) {
  return file.ReadText("Main", "LangNameEng", "") + " (" +
         file.ReadText("Main", "LangNameNative", "") + ")";
}

void ReadInterfaceTexts(const TIniFile& file, TInterfaceTexts& texts) {
  const auto read = [&file](const char* section, const char* key, std::string& text) {
    text = file.ReadText(section, key, text);
  };
  read("Main", "HelpFile", texts.HelpFile);
  const auto message = [&read](const char* key, std::string& text) { read("Messages", key, text); };
  message("MSG_DiskInDriveOnSystemShutdown", texts.MSG_DiskInDriveOnSystemShutdown);
  message("Common_Options", texts.Common_Options);
  message("MSG_CantLock", texts.MSG_CantLock);
  message("MSG_CantUnLock", texts.MSG_CantUnLock);
  message("Msg_Locked", texts.Msg_Locked);
  message("Msg_Unlocked", texts.Msg_Unlocked);
  message("Act_OpenCloseDrive", texts.Act_OpenCloseDrive);
  message("Act_LockUnlockDrive", texts.Act_LockUnlockDrive);
  message("Act_OpenCloseAllDrives", texts.Act_OpenCloseAllDrives);
  message("Act_LockUnlockAllDrives", texts.Act_LockUnlockAllDrives);
  message("Act_ShowOptions", texts.Act_ShowOptions);
  message("Act_None", texts.Act_None);
  message("Msg_CantHotkeyExists", texts.Msg_CantHotkeyExists);
  const auto key = [&read](const char* name, std::string& text) { read("Keys", name, text); };
  key("Space_Key", texts.Space_Key);
  key("Enter_Key", texts.Enter_Key);
  key("BackSpace_Key", texts.BackSpace_Key);
  key("Insert_Key", texts.Insert_Key);
  key("Home_Key", texts.Home_Key);
  key("Delete_Key", texts.Delete_Key);
  key("Esc_Key", texts.Esc_Key);
  key("End_Key", texts.End_Key);
  key("Ctrl_Key", texts.Ctrl_Key);
  key("Alt_Key", texts.Alt_Key);
  key("Shift_Key", texts.Shift_Key);
  key("Win_Key", texts.Win_Key);
  key("Key_None", texts.Key_None);
}

void ReadCloseNowTexts(const TIniFile& file, TInterfaceTexts& texts) {
  texts.Msg_Drive = file.ReadText("CloseImmediatelyWindow", "Msg_Drive", texts.Msg_Drive);
}

TTranslatorInfo ReadTranslatorInfo(const TIniFile& file) {
  return {file.ReadText("Main", "Tanslator", "UNKNOWN"), file.ReadText("Main", "Email", "UNKNOWN")};
}

}  // namespace orbl
