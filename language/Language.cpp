#include "language/Language.h"

#include <string_view>

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

namespace {

constexpr std::string_view kCloseNowSection = "CloseImmediatelyWindow";

// The current text is the default, so a key the file lacks keeps it.
void ReadTexts(const TIniFile& file, TInterfaceTexts& texts, bool closeNow) {
  for (const TInterfaceText& text : kInterfaceTexts) {
    if ((text.Section == kCloseNowSection) != closeNow) continue;
    texts.*text.Member = file.ReadText(text.Section, text.Key, texts.*text.Member);
  }
}

}  // namespace

void ReadInterfaceTexts(const TIniFile& file, TInterfaceTexts& texts) {
  ReadTexts(file, texts, false);
}

void ReadCloseNowTexts(const TIniFile& file, TInterfaceTexts& texts) {
  ReadTexts(file, texts, true);
}

TTranslatorInfo ReadTranslatorInfo(const TIniFile& file) {
  return {file.ReadText("Main", "Tanslator", "UNKNOWN"), file.ReadText("Main", "Email", "UNKNOWN")};
}

}  // namespace orbl
