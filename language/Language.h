// The language files beside the program: where they lie, how the options
// window lists them, and the interface texts and translator details they set.
#pragma once

#include <string>
#include <vector>

#include "language/IniFile.h"
#include "language/InterfaceTexts.h"

namespace orbl::platform {
class Files;
}

namespace orbl {

// One language file as the options window's list shows it.
struct TLanguageEntry {
  std::string Name;  // "German (Deutsch)"
  std::string Path;  // full path of the file
};

// The "Language" folder beside the program file.
std::string LanguageFolder(const platform::Files& files);
// The file used when no language was ever chosen: Language\English.ini.
std::string DefaultLanguageFile(const platform::Files& files);

// Every "*.INI" file of the language folder, in the order the file system
// lists them, with its list entry. A missing folder gives none.
std::vector<TLanguageEntry> FindLanguageFiles(const platform::Files& files);

// [Main] LangNameEng, " (", [Main] LangNameNative, ")".
std::string LanguageListEntry(const TIniFile& file);

// Every text of kInterfaceTexts but the close-now dialog's, in table order; a
// key the file lacks leaves its text as it is.
void ReadInterfaceTexts(const TIniFile& file, TInterfaceTexts& texts);

// The close-now dialog's texts ([CloseImmediatelyWindow] Msg_Drive), read
// after the windows' own texts.
void ReadCloseNowTexts(const TIniFile& file, TInterfaceTexts& texts);

struct TTranslatorInfo {
  std::string Name;   // [Main] Tanslator, as the files spell it
  std::string Email;  // [Main] Email
};
TTranslatorInfo ReadTranslatorInfo(const TIniFile& file);

}  // namespace orbl
