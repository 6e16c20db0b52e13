// The language folder, the list entries, the interface texts and the
// translator details read from a language file.
#include "language/Language.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "language/InterfaceTexts.h"
#include "platform/Files.h"

namespace orbl {
namespace {

// A program folder with files listed in the order they were added; some can
// be listed but not read, as a file another program holds locked.
class FakeFiles : public platform::Files {
 public:
  std::string ModulePath() const override { return "C:\\Orbelle\\orbl3.exe"; }
  std::string ProgramFolder() const override { return "C:\\Orbelle"; }
  std::string JoinPath(const std::string& folder, const std::string& name) const override {
    return folder + "\\" + name;
  }
  std::vector<std::string> Arguments() const override { return {}; }
  std::vector<std::string> FindFiles(const std::string& folder,
                                     const std::string& pattern) const override {
    searches.push_back(folder + "|" + pattern);
    std::vector<std::string> names;
    for (const auto& [path, content] : files) {
      if (path.rfind(folder + "\\", 0) == 0) names.push_back(path.substr(folder.size() + 1));
    }
    return names;
  }
  std::optional<std::string> ReadFile(const std::string& path) const override {
    if (unreadable.count(path) != 0) return std::nullopt;
    for (const auto& [stored, content] : files) {
      if (stored == path) return content;
    }
    return std::nullopt;
  }
  [[noreturn]] void ExitProcess(int /*code*/) override { throw std::logic_error("no exit here"); }

  void Add(const std::string& name, std::string content) {
    files.emplace_back("C:\\Orbelle\\Language\\" + name, std::move(content));
  }

  std::vector<std::pair<std::string, std::string>> files;
  std::set<std::string> unreadable;
  mutable std::vector<std::string> searches;
};

TEST(LanguageFiles, ListEntriesAreBothNamesOrAnEmptyPair) {
  const struct {
    const char* content;
    const char* entry;
  } cases[] = {
      {"[Main]\nLangNameEng=German\nLangNameNative=Deutsch\n", "German (Deutsch)"},
      {"", " ()"},
      {"[Other]\nLangNameEng=German\n", " ()"},
      {"[Main]\nLangNameNative=Deutsch\n", " (Deutsch)"},
      {"[main]\nlangnameeng = \"French\" \nLANGNAMENATIVE=Fran\xE7"
       "ais\n",
       "French (Fran\xE7"
       "ais)"},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageListEntry(TIniFile(c.content)), c.entry);
}

// The folder beside the program, listed as it lists itself; a file that
// cannot be read is listed with empty names and read as no file at all.
TEST(LanguageFiles, AreFoundInTheOrderTheFolderListsThem) {
  FakeFiles files;
  EXPECT_EQ(DefaultLanguageFile(files), "C:\\Orbelle\\Language\\English.ini");
  EXPECT_TRUE(FindLanguageFiles(files).empty()) << "no folder";
  EXPECT_EQ(files.searches, (std::vector<std::string>{"C:\\Orbelle\\Language|*.INI"}));

  for (int i = 0; i < 300; ++i) {
    files.Add("L" + std::to_string(299 - i) + ".ini",
              "[Main]\nLangNameEng=E" + std::to_string(i) + "\nLangNameNative=N\n");
  }
  files.Add("Locked.ini", "[Main]\nLangNameEng=Locked\nLangNameNative=Locked\n");
  files.unreadable.insert("C:\\Orbelle\\Language\\Locked.ini");
  const std::vector<TLanguageEntry> found = FindLanguageFiles(files);
  ASSERT_EQ(found.size(), 301u);
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(found[i].Name, "E" + std::to_string(i) + " (N)");
    EXPECT_EQ(found[i].Path, "C:\\Orbelle\\Language\\L" + std::to_string(299 - i) + ".ini");
  }
  EXPECT_EQ(found[300].Name, " ()");
  EXPECT_EQ(found[300].Path, "C:\\Orbelle\\Language\\Locked.ini");
  TInterfaceTexts texts;
  texts.Msg_Locked = "Verrouill\xE9 !";
  ReadInterfaceTexts(TIniFile::Load(files, found[300].Path), texts);
  EXPECT_EQ(texts.Msg_Locked, "Verrouill\xE9 !");
  EXPECT_EQ(ReadTranslatorInfo(TIniFile::Load(files, found[300].Path)).Name, "UNKNOWN");
}

std::vector<std::string> Values(const TInterfaceTexts& texts) {
  std::vector<std::string> values;
  for (const TInterfaceText& k : kInterfaceTexts) values.push_back(texts.*k.Member);
  return values;
}

// Each text is read from its own section and key: a file that gives every key
// a value naming its place shows a text read from the wrong one.
TEST(InterfaceTexts, EachIsReadFromItsOwnSectionAndKey) {
  // One header per section: of two sections of a name only the first counts.
  std::string content;
  std::string section;
  for (const TInterfaceText& k : kInterfaceTexts) {
    if (section != k.Section) content += "[" + (section = k.Section) + "]\n";
    content += std::string(k.Key) + "=" + k.Section + "/" + k.Key + "\n";
  }
  TInterfaceTexts texts;
  ReadInterfaceTexts(TIniFile(content), texts);
  ReadCloseNowTexts(TIniFile(content), texts);
  for (const TInterfaceText& k : kInterfaceTexts) {
    EXPECT_EQ(texts.*k.Member, std::string(k.Section) + "/" + k.Key);
  }
}

// A key the file lacks keeps its text, from the built-in table or from the
// language before; a present empty value empties it. The current text is the
// default handed to the reader, which drops its trailing spaces, as the
// system's reader does.
TEST(InterfaceTexts, AKeyTheFileLacksKeepsItsText) {
  TInterfaceTexts texts;
  std::vector<std::string> expected = Values(texts);
  const TIniFile locked("[Messages]\nMsg_Locked=Verrouill\xE9\n");
  ReadInterfaceTexts(locked, texts);
  ReadCloseNowTexts(locked, texts);
  for (std::size_t i = 0; i < kInterfaceTexts.size(); ++i) {
    if (kInterfaceTexts[i].Member == &TInterfaceTexts::Msg_Locked) expected[i] = "Verrouill\xE9";
  }
  EXPECT_EQ(Values(texts), expected);

  ReadInterfaceTexts(TIniFile("[Keys]\nCtrl_Key=Strg\nEsc_Key=\"Esc \"\n"), texts);
  EXPECT_EQ(texts.Esc_Key, "Esc ");
  ReadInterfaceTexts(TIniFile("[Keys]\nAlt_Key=Alt Gr\n"), texts);
  EXPECT_EQ(texts.Ctrl_Key, "Strg");
  EXPECT_EQ(texts.Alt_Key, "Alt Gr");
  EXPECT_EQ(texts.Msg_Locked, "Verrouill\xE9");
  EXPECT_EQ(texts.Esc_Key, "Esc");

  ReadInterfaceTexts(TIniFile("[Main]\nHelpFile=\n[Keys]\nKey_None=\"\"\nWin_Key\n"), texts);
  ReadCloseNowTexts(TIniFile("[CloseImmediatelyWindow]\nMsg_Drive=   \n"), texts);
  EXPECT_EQ(texts.HelpFile, "");
  EXPECT_EQ(texts.Key_None, "");
  EXPECT_EQ(texts.Win_Key, "Win") << "a line without '=' is no value";
  EXPECT_EQ(texts.Msg_Drive, "");
}

TEST(TranslatorInfo, ComesFromMainWithUnknownForAnAbsentKey) {
  const struct {
    const char* content;
    const char* name;
    const char* email;
  } cases[] = {
      {"[Main]\nTanslator=A. Translator\nEmail=translator@example.org\n", "A. Translator",
       "translator@example.org"},
      {"[Main]\nTanslator=\nEmail=\n", "", ""},
      {"[Main]\nTranslator=Spelt right\n", "UNKNOWN", "UNKNOWN"},
      {"", "UNKNOWN", "UNKNOWN"},
  };
  for (const auto& c : cases) {
    const TTranslatorInfo info = ReadTranslatorInfo(TIniFile(c.content));
    EXPECT_EQ(info.Name, c.name) << c.content;
    EXPECT_EQ(info.Email, c.email) << c.content;
  }
}

}  // namespace
}  // namespace orbl
